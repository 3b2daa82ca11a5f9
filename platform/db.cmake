# The connection/query layer. The client library is loaded at run time, so
# only its header is needed here, never the library itself.
find_path(MARIADB_INCLUDE_DIR mysql.h PATH_SUFFIXES mariadb mysql REQUIRED)

add_library(win_db
  db.cpp
  mysqlclient.cpp)
target_include_directories(win_db PUBLIC ${PROJECT_SOURCE_DIR})
target_include_directories(win_db PRIVATE ${MARIADB_INCLUDE_DIR})
target_link_libraries(win_db PUBLIC win_core PRIVATE win_text ${CMAKE_DL_LIBS})

zerurud_add_gtest(win_db_tests
  SOURCES tests/db_test.cpp
  LIBS win_db)
target_include_directories(win_db_tests PRIVATE ${MARIADB_INCLUDE_DIR})
