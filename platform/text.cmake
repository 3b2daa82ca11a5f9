# The class library's text helpers: letter case, comparison, trimming,
# integer conversion and Copy.
add_library(win_text ${CMAKE_CURRENT_LIST_DIR}/text.cpp)
target_link_libraries(win_text PUBLIC win_core)

zerurud_add_gtest(win_text_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/text_test.cpp
  LIBS win_text)
