# Who the machine is and who acts on it: the product type, sessions, user
# tokens and impersonation (their handles are in win_core).
add_library(win_identity
  ${CMAKE_CURRENT_LIST_DIR}/producttype.cpp
  ${CMAKE_CURRENT_LIST_DIR}/session.cpp
  ${CMAKE_CURRENT_LIST_DIR}/token.cpp
  ${CMAKE_CURRENT_LIST_DIR}/impersonation.cpp)
target_link_libraries(win_identity PUBLIC win_registry)

# The tests start programs with tokens, so they need processes too.
zerurud_add_gtest(win_identity_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/identity_test.cpp
  LIBS win_identity win_process win_files argv_recorder_record)
