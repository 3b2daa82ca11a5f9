# Message boxes (console and scripted here, Qt in vcl/) and the file-open
# dialog's interface.
add_library(win_dialogs ${CMAKE_CURRENT_LIST_DIR}/dialogs.cpp)
target_link_libraries(win_dialogs PUBLIC win_core PRIVATE win_text)

zerurud_add_gtest(win_dialogs_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/dialogs_test.cpp
  LIBS win_dialogs)
