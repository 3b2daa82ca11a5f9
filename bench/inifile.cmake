# inifile_bench: an AccountCodes section of 2,000 and 8,000 keys read, and a
# queue file of 2,000 and 46,656 entries written in one batch.
add_executable(inifile_bench ${CMAKE_CURRENT_LIST_DIR}/inifile_bench.cpp)
target_link_libraries(inifile_bench PRIVATE win_inifile test_support benchmark::benchmark)
