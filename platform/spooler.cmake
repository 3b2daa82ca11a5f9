# The print spooler: driver directory, drivers, ports and printers, kept in
# the hive.
add_library(win_spooler
  ${CMAKE_CURRENT_LIST_DIR}/spooler_hive.cpp
  ${CMAKE_CURRENT_LIST_DIR}/spooler_drivers.cpp
  ${CMAKE_CURRENT_LIST_DIR}/spooler.cpp)
target_link_libraries(win_spooler PUBLIC win_identity win_files win_registry win_text)

zerurud_add_gtest(win_spooler_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/spooler_test.cpp
  LIBS win_spooler)
