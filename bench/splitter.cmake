# splitter_bench: a whole split run of the processing window's engine
# (loading, deciphering, splitting, enciphering, writing) at two sizes, with
# its time ratio and its peak heap against the capture file's size.
add_executable(splitter_bench ${CMAKE_CURRENT_LIST_DIR}/splitter_bench.cpp)
target_link_libraries(splitter_bench PRIVATE splitter_engine test_support benchmark::benchmark)
