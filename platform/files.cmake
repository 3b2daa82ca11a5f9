# Windows paths and files: path algebra, host mapping, file operations, file
# times and wildcard search.
add_library(win_files
  ${CMAKE_CURRENT_LIST_DIR}/path.cpp
  ${CMAKE_CURRENT_LIST_DIR}/hostpath.cpp
  ${CMAKE_CURRENT_LIST_DIR}/foldernames.cpp
  ${CMAKE_CURRENT_LIST_DIR}/files.cpp
  ${CMAKE_CURRENT_LIST_DIR}/datetime.cpp
  ${CMAKE_CURRENT_LIST_DIR}/search.cpp)
target_link_libraries(win_files PUBLIC win_core win_network PRIVATE win_text)

zerurud_add_gtest(win_files_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/tests/path_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tests/hostpath_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tests/foldernames_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tests/files_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tests/search_test.cpp
  LIBS win_files)
