# The program's command line: ParamCount and ParamStr.
add_library(win_params ${CMAKE_CURRENT_LIST_DIR}/params.cpp)
target_link_libraries(win_params PUBLIC win_files)

zerurud_add_gtest(win_params_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/params_test.cpp
  LIBS win_params)
