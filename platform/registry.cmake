# The registry (the hive's text format, the hive, its file, TRegistry) and
# the computer name kept in it.
add_library(win_registry
  ${CMAKE_CURRENT_LIST_DIR}/hivetext.cpp
  ${CMAKE_CURRENT_LIST_DIR}/hive.cpp
  ${CMAKE_CURRENT_LIST_DIR}/hivefile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/registry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/computername.cpp)
target_link_libraries(win_registry PUBLIC win_core)

zerurud_add_gtest(win_registry_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/tests/hive_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tests/registry_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tests/computername_test.cpp
  LIBS win_registry)
