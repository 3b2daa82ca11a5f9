# TStringList: ordered texts with name=value lookups.
add_library(win_stringlist ${CMAKE_CURRENT_LIST_DIR}/stringlist.cpp)
target_link_libraries(win_stringlist PUBLIC win_core PRIVATE win_text)

zerurud_add_gtest(win_stringlist_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/stringlist_test.cpp
  LIBS win_stringlist)
