# Windows command lines, and starting and waiting for host programs.
add_library(win_cmdline ${CMAKE_CURRENT_LIST_DIR}/cmdline.cpp)
target_include_directories(win_cmdline PUBLIC ${PROJECT_SOURCE_DIR})

# Process objects and waits, spawning a child, finding the program, and the
# Windows calls made of them.
add_library(win_process
  ${CMAKE_CURRENT_LIST_DIR}/processobject.cpp
  ${CMAKE_CURRENT_LIST_DIR}/spawn.cpp
  ${CMAKE_CURRENT_LIST_DIR}/programlookup.cpp
  ${CMAKE_CURRENT_LIST_DIR}/process.cpp)
target_link_libraries(win_process PUBLIC win_identity PRIVATE win_cmdline win_files)

# A stand-in program that records how it was started (see its header comment),
# and the reader of its records, for every test that starts programs.
add_executable(argv_recorder ${CMAKE_CURRENT_LIST_DIR}/tests/recorder/argv_recorder.cpp)
add_library(argv_recorder_record ${CMAKE_CURRENT_LIST_DIR}/tests/recorder/record.cpp)
target_include_directories(argv_recorder_record PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(argv_recorder_record PUBLIC test_support)
target_compile_definitions(argv_recorder_record
  PUBLIC ARGV_RECORDER_PATH="$<TARGET_FILE:argv_recorder>")
add_dependencies(argv_recorder_record argv_recorder)

zerurud_add_gtest(win_cmdline_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/cmdline_test.cpp
  LIBS win_cmdline)

zerurud_add_gtest(win_process_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/process_test.cpp
  LIBS win_process win_files argv_recorder_record)
