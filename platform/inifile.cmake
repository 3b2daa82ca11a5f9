# TIniFile: INI files with Windows profile semantics.
add_library(win_inifile ${CMAKE_CURRENT_LIST_DIR}/inifile.cpp)
target_link_libraries(win_inifile PUBLIC win_files win_stringlist PRIVATE win_text)

zerurud_add_gtest(win_inifile_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/inifile_test.cpp
  LIBS win_inifile)
