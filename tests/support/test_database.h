// The test database server (tools/testdb/with-server) as tests use it:
// whether it is there, the server's root over its private socket to set up
// and remove a test's rows, statements and single values, and names that no
// other test running at the same time uses.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "platform/db.h"
#include "platform/text.h"

namespace testing_support::test_database {

inline constexpr const char* kNoServer =
    "no test database server: run the tests through tools/testdb/with-server";

inline bool HaveServer() {
  return std::getenv("ZERURUD_DB_PORT") != nullptr && std::getenv("ZERURUD_DB_SOCKET") != nullptr;
}

// A text unique among the processes running now (ctest runs every test in a
// process of its own): the process id in base 36, at most 5 characters.
inline std::string UniqueSuffix() {
  constexpr const char* kDigits = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  std::string suffix;
  for (unsigned long id = static_cast<unsigned long>(::getpid()); id != 0; id /= 36) {
    suffix.insert(suffix.begin(), kDigits[id % 36]);
  }
  return suffix;
}

// The server's root over its socket, in the product's database.
inline void UseRoot(win::TZConnection& db) {
  db.HostName = "localhost";
  db.User = "root";
  db.Password = "";
  db.Database = "dizirozered";
}

inline void Exec(win::TZConnection& db, const std::string& statement) {
  win::TZQuery query(&db);
  query.SQL = statement;
  query.ExecSQL();
}

inline std::string ReadOne(win::TZConnection& db, const std::string& statement, const char* field) {
  win::TZQuery query(&db);
  query.SQL = statement;
  query.Open();
  return query.FieldByName(field);
}

// UPDATE statements sent on this connection so far; other clients of the
// server do not count.
inline int UpdatesSent(win::TZConnection& db) {
  return win::StrToInt(ReadOne(db, "SHOW SESSION STATUS LIKE 'Com_update'", "Value"));
}

}  // namespace testing_support::test_database
