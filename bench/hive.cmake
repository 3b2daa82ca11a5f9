# hive_bench: a hive holding one binary value of 0.4 and 1.6 MB, read back
# through TRegistry (parse of the whole file and the value's lookup).
add_executable(hive_bench ${CMAKE_CURRENT_LIST_DIR}/hive_bench.cpp)
target_link_libraries(hive_bench PRIVATE win_registry test_support benchmark::benchmark)
