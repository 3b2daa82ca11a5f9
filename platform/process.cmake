# Windows command lines, and starting and waiting for host programs.
add_library(win_cmdline ${CMAKE_CURRENT_LIST_DIR}/cmdline.cpp)
target_include_directories(win_cmdline PUBLIC ${PROJECT_SOURCE_DIR})

add_library(win_process ${CMAKE_CURRENT_LIST_DIR}/process.cpp)
target_link_libraries(win_process PUBLIC win_identity PRIVATE win_cmdline win_files)

zerurud_add_gtest(win_cmdline_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/cmdline_test.cpp
  LIBS win_cmdline)

zerurud_add_gtest(win_process_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/process_test.cpp
  LIBS win_process win_files argv_recorder_record)
