# VAVavidi, the capture converter program, and its tests.
add_library(capture_program
  capture_file_name.cpp
  capture_run.cpp
  converter_messages.cpp
  job_input.cpp
  printer_config.cpp
  session_launcher.cpp)
target_link_libraries(capture_program PUBLIC capture_core win_registry win_files win_process)

add_executable(VAVavidi main.cpp)
target_link_libraries(VAVavidi PRIVATE capture_program)
zerurud_version_block(VAVavidi "Zerurud capture converter")

zerurud_add_gtest(capture_program_tests
  SOURCES
    tests/job_input_test.cpp
    tests/capture_file_name_test.cpp
    tests/session_launcher_test.cpp
  LIBS capture_program)

# These run the real program, with sample jobs on its standard input and the
# argv recorder as its follow-up program.
zerurud_add_gtest(capture_converter_tests
  SOURCES
    tests/converter_harness.cpp
    tests/converter_test.cpp
    tests/converter_identity_test.cpp
  LIBS capture_program jobgen_lib argv_recorder_record)
target_compile_definitions(capture_converter_tests PRIVATE VAVAVIDI_PATH="$<TARGET_FILE:VAVavidi>")
add_dependencies(capture_converter_tests VAVavidi)
