#include "platform/db.h"

#include <stdlib.h>
#include <unistd.h>

#include <optional>
#include <string>
#include <vector>

#include <errmsg.h>
#include <gtest/gtest.h>

#include "tests/support/expect_raises.h"
#include "tests/support/refusing_port.h"
#include "tests/support/scoped_variable.h"
#include "tests/support/temp_prefix.h"
#include "tests/support/test_database.h"

using win::EDatabaseError;
using win::EZSQLException;
using win::TZConnection;
using win::TZQuery;

using namespace std::string_literals;
using namespace testing_support::test_database;
using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::StartsWith;
using testing_support::ExpectRaises;

namespace {

// The splitter's fixed connection settings; the server's port comes from
// ZERURUD_DB_PORT, and TCP needs an address instead of "localhost".
void UseProductSettings(TZConnection& db) {
  db.Protocol = "mysql-3.23";
  db.HostName = "127.0.0.1";
  db.Port = 3306;
  db.Database = "dizirozered";
  db.User = "duredo";
  db.Password = "7QWRT";
  db.AutoCommit = true;
  db.ReadOnly = true;
  db.TransactIsolationLevel = win::tiNone;
}

std::vector<std::string> Column(TZQuery& query, const char* field) {
  std::vector<std::string> values;
  for (query.First(); !query.Eof(); query.Next()) values.push_back(query.FieldByName(field));
  return values;
}

// Tests that need the server get their own database and their own row in
// the product's configuration table, since other tests share the server.
class DbServer : public testing::Test {
 protected:
  void SetUp() override {
    if (!HaveServer()) GTEST_SKIP() << kNoServer;
    UseRoot(FRoot);
    FRoot.Connect();
    const std::string suffix = std::to_string(::getpid());
    FDatabase = "db_test_" + suffix;
    FSetting = "DbTest" + suffix;
    Exec(FRoot, "CREATE DATABASE " + FDatabase + " CHARACTER SET latin1");
    Exec(FRoot, "INSERT INTO dizirozered.configuration (identifier, data) VALUES ('" + FSetting +
                    "', 'False')");
    FCreated = true;
  }
  void TearDown() override {
    if (!FCreated) return;
    Exec(FRoot, "DROP DATABASE " + FDatabase);
    Exec(FRoot, "DELETE FROM dizirozered.configuration WHERE identifier='" + FSetting + "'");
  }

  std::string SettingData(TZConnection& db) {
    return ReadOne(db, "SELECT * FROM configuration WHERE identifier='" + FSetting + "';", "data");
  }

  TZConnection FRoot;
  std::string FDatabase;
  std::string FSetting;
  bool FCreated = false;
};

TEST_F(DbServer, ReadsTheProductTablesWithTheFixedSettings) {
  TZConnection db;
  UseProductSettings(db);
  db.SetConnected(true);
  ASSERT_TRUE(db.Connected());

  TZQuery accounts(&db);
  accounts.SQL = "SELECT * FROM VEZAcnts;";
  accounts.Open();
  EXPECT_EQ(accounts.RecordCount(), 3);
  EXPECT_EQ(Column(accounts, "AccountId"), (std::vector<std::string>{"A100", "B200", "C300"}));
  // Column names, unlike values, are found without regard to letter case.
  accounts.First();
  EXPECT_EQ(accounts.FieldByName("ACCOUNTID"), "A100");

  TZQuery setting(&db);
  setting.SQL = "SELECT * FROM configuration WHERE identifier='LatePreProcess';";
  setting.Open();
  EXPECT_EQ(setting.RecordCount(), 1);

  // Fetched rows outlive the connection; new statements need it.
  db.SetConnected(false);
  EXPECT_FALSE(db.Connected());
  accounts.Next();
  EXPECT_EQ(accounts.FieldByName("AccountId"), "B200");
  EXPECT_THROW(setting.Open(), EDatabaseError);
}

TEST_F(DbServer, LocalHostNamesUseTheConfiguredSocket) {
  for (const char* host : {"localhost", ""}) {
    TZConnection db;
    UseRoot(db);
    db.HostName = host;
    db.Connect();
    EXPECT_EQ(ReadOne(db, "SELECT CURRENT_USER() AS who", "who"), "root@localhost")
        << "host \"" << host << "\"";
  }
}

TEST_F(DbServer, CursorWalksTheFetchedRows) {
  Exec(FRoot, "CREATE TABLE " + FDatabase + ".t (n INT, s VARCHAR(20))");
  Exec(FRoot, "INSERT INTO " + FDatabase + ".t VALUES (1, 'one'), (2, NULL), (3, '')");
  TZQuery query(&FRoot);
  query.SQL = "SELECT n, s FROM " + FDatabase + ".t ORDER BY n";
  query.Open();
  EXPECT_EQ(query.RecordCount(), 3);
  EXPECT_EQ(Column(query, "n"), (std::vector<std::string>{"1", "2", "3"}));
  EXPECT_EQ(Column(query, "s"), (std::vector<std::string>{"one", "", ""}));
  // Past the end the cursor stays on the last row.
  EXPECT_TRUE(query.Eof());
  EXPECT_EQ(query.FieldByName("n"), "3");
  query.First();
  EXPECT_FALSE(query.Eof());
  EXPECT_EQ(query.FieldByName("n"), "1");

  query.SQL = "SELECT n, s FROM " + FDatabase + ".t WHERE n > 5";
  query.Open();
  EXPECT_EQ(query.RecordCount(), 0);
  EXPECT_TRUE(query.Eof());
  EXPECT_EQ(query.FieldByName("s"), "");
  EXPECT_FALSE(query.Locate("n", {""}));

  query.Close();
  EXPECT_FALSE(query.Active());
  EXPECT_THROW(query.FieldByName("n"), EDatabaseError);
}

TEST_F(DbServer, LocateMatchesWholeValuesWithLetterCase) {
  // A case-insensitive collation, so that the server would call A100 and
  // a100 (and "A100 ") equal; Locate must not.
  Exec(FRoot, "CREATE TABLE " + FDatabase +
                  ".forms (AccountID VARCHAR(20), Action CHAR(2), Line INT, Note VARCHAR(10))"
                  " COLLATE latin1_swedish_ci");
  Exec(FRoot, "INSERT INTO " + FDatabase +
                  ".forms VALUES ('a100', 'AP', 1, 'x'), ('A100', 'PR', 2, 'x'),"
                  " ('A100', 'AP', 3, 'x'), ('A100 ', 'OT', 4, 'x'), ('B200', 'ap', 5, NULL)");
  TZQuery query(&FRoot);
  query.SQL = "SELECT * FROM " + FDatabase + ".forms ORDER BY Line";
  query.Open();

  struct {
    const char* fields;
    std::vector<std::string> values;
    const char* row;  // nullptr: no match
  } const cases[] = {
      // One column
      {"AccountID", {"A100"}, "2"},
      {"AccountID", {"a100"}, "1"},
      {"AccountID", {"A100 "}, "4"},
      {"AccountID", {"A10"}, nullptr},
      {"AccountID", {"A1000"}, nullptr},
      {"AccountID", {""}, nullptr},
      {"Note", {""}, "5"},
      // Two columns
      {"AccountID;Action", {"A100", "AP"}, "3"},
      {"AccountID;Action", {"a100", "AP"}, "1"},
      {"AccountID;Action", {"A100", "ap"}, nullptr},
      {"AccountID;Action", {"B200", "AP"}, nullptr},
      {"AccountID;Action", {"B200", "ap"}, "5"},
      {"accountid; ACTION", {"A100 ", "OT"}, "4"},
      {"accountid; ACTION", {"A100", "OT"}, nullptr},
  };
  for (const auto& c : cases) {
    const std::string where = std::string(c.fields) + " = " + testing::PrintToString(c.values);
    query.First();
    query.Next();  // on row 2, to see that a miss leaves the cursor alone
    EXPECT_EQ(query.Locate(c.fields, c.values), c.row != nullptr) << where;
    EXPECT_EQ(query.FieldByName("Line"), c.row ? c.row : "2") << where;
    EXPECT_FALSE(query.Eof()) << where;
  }

  // At Eof a hit makes the row current again.
  while (!query.Eof()) query.Next();
  EXPECT_TRUE(query.Locate("AccountID;Action", {"A100", "AP"}));
  EXPECT_FALSE(query.Eof());
}

TEST_F(DbServer, LocateRejectsBadKeys) {
  TZQuery query(&FRoot);
  query.SQL = "SELECT 'A100' AS AccountID, 'AP' AS Action";
  EXPECT_THROW(query.Locate("AccountID", {"A100"}), EDatabaseError);  // closed
  query.Open();
  struct {
    const char* fields;
    std::vector<std::string> values;
    const char* message;
  } const cases[] = {
      {"Account", {"A100"}, "Field 'Account' not found"},
      {"AccountID;Kind", {"A100", "AP"}, "Field 'Kind' not found"},
      {"AccountID;Action",
       {"A100"},
       "Locate needs one value for each of the fields \"AccountID;Action\""},
      {"AccountID", {"A100", "AP"}, "Locate needs one value for each of the fields \"AccountID\""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fields);
    ExpectRaises<EDatabaseError>([&] { query.Locate(c.fields, c.values); }, c.message);
  }
}

TEST_F(DbServer, UpdateOnAReadOnlyConnectionIsSentAndVisible) {
  TZConnection db;
  UseProductSettings(db);
  db.Connect();
  const int before = UpdatesSent(db);

  EXPECT_EQ(SettingData(db), "False");
  EXPECT_EQ(UpdatesSent(db), before) << "a SELECT counted as an UPDATE";

  TZQuery update(&db);
  update.SQL = "UPDATE configuration SET data='True' WHERE Identifier='" + FSetting + "';";
  update.ExecSQL();
  EXPECT_EQ(UpdatesSent(db), before + 1);
  EXPECT_EQ(SettingData(db), "True");
  EXPECT_EQ(SettingData(FRoot), "True") << "not committed for other sessions";
}

TEST_F(DbServer, EscapedValuesStayValues) {
  TZConnection db;
  UseProductSettings(db);
  db.Connect();

  // Unescaped, this identifier would select every row of the table.
  const std::string hostile = "x' OR '1'='1";
  TZQuery query(&db);
  query.SQL = "SELECT * FROM configuration WHERE identifier='" + db.EscapeString(hostile) + "';";
  query.Open();
  EXPECT_EQ(query.RecordCount(), 0);

  const std::string values[] = {
      "O'Brien",
      "back\\slash and \"double\"",
      "line\nbreak\r, zero\0byte, \x1a"s,
      "\xe9t\xe9 (latin1)",
      "'; DELETE FROM configuration; --",
  };
  for (const std::string& value : values) {
    Exec(db, "UPDATE configuration SET data='" + db.EscapeString(value) + "' WHERE identifier='" +
                 FSetting + "';");
    EXPECT_EQ(SettingData(FRoot), value) << testing::PrintToString(value);
  }
  EXPECT_EQ(ReadOne(FRoot,
                    "SELECT COUNT(*) AS n FROM dizirozered.configuration "
                    "WHERE identifier='LatePreProcess'",
                    "n"),
            "1");

  TZConnection closed;
  EXPECT_THROW(closed.EscapeString("x"), EDatabaseError);
}

TEST_F(DbServer, StatementErrorsCarryTheServerMessage) {
  TZConnection db;
  UseProductSettings(db);
  db.Connect();
  TZQuery query(&db);

  query.SQL = "SELECT * FROM NoSuchTable;";
  if (const auto error = ExpectRaises<EZSQLException>(
          [&] { query.Open(); }, "Table 'dizirozered.NoSuchTable' doesn't exist")) {
    EXPECT_EQ(error->ErrorCode, 1146u);
  }
  EXPECT_FALSE(query.Active());

  query.SQL = "UPDATE VEZAcnts SET AccountName='x' WHERE AccountId='A100';";
  ExpectRaises<EZSQLException>([&] { query.ExecSQL(); },
                               StartsWith("UPDATE command denied to user 'duredo'"));

  // A statement without a result cannot be opened (but has run).
  query.SQL = "UPDATE configuration SET data='True' WHERE identifier='" + FSetting + "';";
  EXPECT_THROW(query.Open(), EZSQLException);
  EXPECT_EQ(SettingData(db), "True");

  TZQuery unbound;
  unbound.SQL = "SELECT 1";
  EXPECT_THROW(unbound.Open(), EDatabaseError);
}

TEST_F(DbServer, TransactionSettingsReachTheSession) {
  const struct {
    win::TZTransactIsolationLevel level;
    const char* session;
  } levels[] = {
      {win::tiNone, "REPEATABLE-READ"},  // the server's default
      {win::tiReadUncommitted, "READ-UNCOMMITTED"},
      {win::tiReadCommitted, "READ-COMMITTED"},
      {win::tiRepeatableRead, "REPEATABLE-READ"},
      {win::tiSerializable, "SERIALIZABLE"},
  };
  for (const auto& c : levels) {
    TZConnection db;
    UseRoot(db);
    db.TransactIsolationLevel = c.level;
    db.Connect();
    EXPECT_EQ(ReadOne(db, "SELECT @@SESSION.tx_isolation AS level", "level"), c.session);
  }

  TZConnection db;
  UseRoot(db);
  db.AutoCommit = false;
  db.Connect();
  Exec(db, "UPDATE dizirozered.configuration SET data='Rolled back' WHERE identifier='" + FSetting +
               "'");
  db.Rollback();
  EXPECT_EQ(SettingData(FRoot), "False");
  Exec(db,
       "UPDATE dizirozered.configuration SET data='Committed' WHERE identifier='" + FSetting + "'");
  EXPECT_EQ(SettingData(FRoot), "False") << "visible before the commit";
  db.Commit();
  EXPECT_EQ(SettingData(FRoot), "Committed");
}

TEST_F(DbServer, RefusedLoginsCarryTheServerMessage) {
  const struct {
    const char* what;
    void (*change)(TZConnection&);
    unsigned code;
    const char* message;
  } cases[] = {
      {"wrong password", [](TZConnection& db) { db.Password = "7qwrt"; }, 1045,
       "Access denied for user 'duredo'@'127.0.0.1' (using password: YES)"},
      {"foreign database", [](TZConnection& db) { db.Database = "mysql"; }, 1044,
       "Access denied for user 'duredo'@'127.0.0.1' to database 'mysql'"},
  };
  for (const auto& c : cases) {
    TZConnection db;
    UseProductSettings(db);
    c.change(db);
    SCOPED_TRACE(c.what);
    if (const auto error = ExpectRaises<EZSQLException>([&] { db.Connect(); }, c.message)) {
      EXPECT_EQ(error->ErrorCode, c.code);
    }
    EXPECT_FALSE(db.Connected());
  }
}

TEST(DbConnection, ServerDownGivesTheClientLibraryMessage) {
  testing_support::TRefusingPort down;
  testing_support::TScopedVariable port("ZERURUD_DB_PORT", std::to_string(down.Port()));
  TZConnection db;
  UseProductSettings(db);
  // The library's own text; the number in it varies between its versions.
  if (const auto error = ExpectRaises<EZSQLException>(
          [&] { db.Connect(); }, StartsWith("Can't connect to server on '127.0.0.1' ("))) {
    EXPECT_TRUE(error->ErrorCode == CR_CONNECTION_ERROR || error->ErrorCode == CR_CONN_HOST_ERROR)
        << error->ErrorCode;
  }
  EXPECT_FALSE(db.Connected());
}

TEST(DbConnection, BadSettingsAreConnectionErrors) {
  const struct {
    const char* protocol;
    const char* port;
    const char* message;
  } cases[] = {
      {"postgresql", "3306", "Unsupported database protocol \"postgresql\""},
      {"mysql", "abc", "ZERURUD_DB_PORT is not a port number: \"abc\""},
      {"mysql", "3306x", "ZERURUD_DB_PORT is not a port number: \"3306x\""},
      {"mysql", "0", "ZERURUD_DB_PORT is not a port number: \"0\""},
      {"mysql", "65536", "ZERURUD_DB_PORT is not a port number: \"65536\""},
  };
  for (const auto& c : cases) {
    testing_support::TScopedVariable port("ZERURUD_DB_PORT", c.port);
    TZConnection db;
    UseProductSettings(db);
    db.Protocol = c.protocol;
    SCOPED_TRACE(std::string(c.protocol) + " on " + c.port);
    ExpectRaises<EZSQLException>([&] { db.Connect(); }, c.message);
    EXPECT_FALSE(db.Connected());
  }
}

TEST(DbClientLibrary, MissingOrWrongLibraryIsAConnectionError) {
  testing_support::TempDir dir;
  const std::string notALibrary = (dir.path() / "libtext.so").string();
  testing_support::WriteFile(notALibrary, "not a shared object\n");
  const std::string prefix = "Cannot load the MySQL client library (";
  const struct {
    std::string library;
    std::string reason;  // how the text in parentheses begins
    std::string detail;  // and what it holds
  } cases[] = {
      {"/nonexistent/libx.so",
       "/nonexistent/libx.so: cannot open shared object file: No such file or directory)", ""},
      {notALibrary, notALibrary + ": ", ""},
      // A real library without the client's functions.
      {"libc.so.6", "", ": undefined symbol: mysql_init)"},
  };
  for (const auto& c : cases) {
    testing_support::TScopedVariable library("ZERURUD_DB_CLIENT_LIBRARY", c.library);
    TZConnection db;
    UseProductSettings(db);
    SCOPED_TRACE(c.library);
    if (const auto error = ExpectRaises<EZSQLException>(
            [&] { db.Connect(); }, AllOf(StartsWith(prefix + c.reason), HasSubstr(c.detail)))) {
      EXPECT_EQ(error->ErrorCode, 0u);
    }
    EXPECT_FALSE(db.Connected());
  }
}

TEST(DbClientLibrary, TheDefaultLibraryLoadsAfterAFailure) {
  if (!HaveServer()) GTEST_SKIP() << kNoServer;
  {
    testing_support::TScopedVariable library("ZERURUD_DB_CLIENT_LIBRARY", "/nonexistent/libx.so");
    TZConnection db;
    UseProductSettings(db);
    EXPECT_THROW(db.Connect(), EZSQLException);
  }
  TZConnection db;
  UseProductSettings(db);
  db.Connect();
  EXPECT_TRUE(db.Connected());
}

}  // namespace
