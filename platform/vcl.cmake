# The class library's window components over Qt 6 Widgets, and the Qt
# message boxes and file-open dialog. Only programs with windows link it.
find_package(Qt6 REQUIRED COMPONENTS Widgets Test)

add_library(win_vcl
  ${CMAKE_CURRENT_LIST_DIR}/vcl/application.cpp
  ${CMAKE_CURRENT_LIST_DIR}/vcl/directory_list_box.cpp
  ${CMAKE_CURRENT_LIST_DIR}/vcl/drive_combo_box.cpp
  ${CMAKE_CURRENT_LIST_DIR}/vcl/edit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/vcl/file_list_box.cpp
  ${CMAKE_CURRENT_LIST_DIR}/vcl/filter_combo_box.cpp
  ${CMAKE_CURRENT_LIST_DIR}/vcl/key_press.cpp
  ${CMAKE_CURRENT_LIST_DIR}/vcl/list_items.cpp
  ${CMAKE_CURRENT_LIST_DIR}/vcl/memo.cpp
  ${CMAKE_CURRENT_LIST_DIR}/vcl/open_dialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/vcl/qt_dialogs.cpp
  # Headers of QObject classes, for moc.
  ${CMAKE_CURRENT_LIST_DIR}/vcl/directory_list_box.h
  ${CMAKE_CURRENT_LIST_DIR}/vcl/drive_combo_box.h
  ${CMAKE_CURRENT_LIST_DIR}/vcl/edit.h
  ${CMAKE_CURRENT_LIST_DIR}/vcl/file_list_box.h
  ${CMAKE_CURRENT_LIST_DIR}/vcl/filter_combo_box.h
  ${CMAKE_CURRENT_LIST_DIR}/vcl/memo.h)
set_target_properties(win_vcl PROPERTIES AUTOMOC ON)
target_link_libraries(win_vcl PUBLIC win_dialogs win_files win_text Qt6::Widgets)

zerurud_add_gtest(win_vcl_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/vcl/tests/qt_environment.cpp
    ${CMAKE_CURRENT_LIST_DIR}/vcl/tests/application_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/vcl/tests/components_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/vcl/tests/qt_dialogs_test.cpp
  LIBS win_vcl Qt6::Test)
