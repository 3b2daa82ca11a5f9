# Sessions, user tokens, impersonation and the product type, and the handles
# that tokens and processes share.
add_library(win_identity ${CMAKE_CURRENT_LIST_DIR}/identity.cpp)
target_link_libraries(win_identity PUBLIC win_registry)

# The tests start programs with tokens, so they need processes too.
zerurud_add_gtest(win_identity_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/identity_test.cpp
  LIBS win_identity win_process win_files argv_recorder_record)
