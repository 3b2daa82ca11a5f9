# The shell's special folders (Startup folders and Start menus).
add_library(win_shell ${CMAKE_CURRENT_LIST_DIR}/shell.cpp)
target_link_libraries(win_shell PUBLIC win_files win_registry)

zerurud_add_gtest(win_shell_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/shell_test.cpp
  LIBS win_shell win_registry)
