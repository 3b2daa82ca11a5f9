# capture_bench: the keystream cipher over buffers, and extraction plus
# encoding of generated print jobs at two sizes.
add_executable(capture_bench ${CMAKE_CURRENT_LIST_DIR}/capture_bench.cpp)
target_link_libraries(capture_bench PRIVATE capture_core jobgen_lib benchmark::benchmark)
