# The network provider: connected drives and UNC shares, kept in the hive.
add_library(win_network ${CMAKE_CURRENT_LIST_DIR}/network.cpp)
target_link_libraries(win_network PUBLIC win_registry)

zerurud_add_gtest(win_network_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/network_test.cpp
  LIBS win_network)
