# Windows command lines, and starting and waiting for host programs.
add_library(win_cmdline ${CMAKE_CURRENT_LIST_DIR}/cmdline.cpp)
target_include_directories(win_cmdline PUBLIC ${PROJECT_SOURCE_DIR})

zerurud_add_gtest(win_cmdline_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/cmdline_test.cpp
  LIBS win_cmdline)
