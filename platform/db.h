// The database components: one connection to a MySQL server and query
// objects bound to it, over the MySQL C client library (see mysqlclient.h).
//
// A query fetches its whole result set when opened and keeps the rows as
// texts, so a cursor, field reads and Locate never go back to the server and
// stay valid after the connection is closed. Comparisons in Locate are byte
// by byte: letter case always counts, whatever the server's collation says.
//
// Errors of the client library raise EZSQLException with the library's own
// message; use without an open connection, an unknown field or a closed
// query raise EDatabaseError. There is no statement preparation and no
// parameter binding: values pasted into statements go through EscapeString.
//
// Environment, read at every Connect:
//   ZERURUD_DB_PORT            replaces Port (servers run elsewhere, tests)
//   ZERURUD_DB_SOCKET          the socket of local connections ("localhost"
//                              or an empty host name) instead of the
//                              library's default one
//   ZERURUD_DB_CLIENT_LIBRARY  the client library file to load
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/error.h"

struct st_mysql;

namespace win {

struct TMySqlClient;

// An error reported by the client library or the server; ErrorCode is the
// library's error number (mysql_errno), 0 when the error arose before the
// library could report one.
class EZSQLException : public Exception {
 public:
  explicit EZSQLException(const std::string& message, unsigned errorCode = 0)
      : Exception(message), ErrorCode(errorCode) {}
  unsigned ErrorCode;
};

// A query used in a way its state does not allow.
class EDatabaseError : public Exception {
 public:
  using Exception::Exception;
};

enum TZTransactIsolationLevel {
  tiNone,  // the server's default; nothing is requested
  tiReadUncommitted,
  tiReadCommitted,
  tiRepeatableRead,
  tiSerializable,
};

class TZConnection {
 public:
  TZConnection() = default;
  ~TZConnection();
  TZConnection(const TZConnection&) = delete;
  TZConnection& operator=(const TZConnection&) = delete;

  // Settings, read by Connect; changing them while connected has no effect
  // until the next Connect.
  std::string Protocol = "mysql";  // any "mysql..." protocol name
  std::string HostName;            // "localhost" or empty: the local socket
  unsigned Port = 3306;
  std::string Database;
  std::string User;
  std::string Password;
  bool AutoCommit = true;
  // Recorded only: the server decides what the user may change, and the
  // splitter's one UPDATE runs on a read-only connection.
  bool ReadOnly = false;
  TZTransactIsolationLevel TransactIsolationLevel = tiNone;

  bool Connected() const { return FHandle != nullptr; }
  // Connects or disconnects, as assigning the property does.
  void SetConnected(bool connected);

  // Loads the client library and opens the connection with the settings
  // above; nothing happens when already connected. Throws EZSQLException.
  void Connect();
  // Closes the connection; nothing happens when not connected.
  void Disconnect();

  // With AutoCommit off: ends the current transaction. Throws EZSQLException,
  // EDatabaseError when not connected.
  void Commit();
  void Rollback();

  // `value` with quotes, backslashes and control characters escaped by the
  // client library for the connection's character set, to be put between
  // single quotes in a statement. Throws EDatabaseError when not connected.
  std::string EscapeString(std::string_view value) const;

 private:
  friend class TZQuery;

  // Sends `statement`; throws EZSQLException with the library's message.
  void Execute(std::string_view statement);
  [[noreturn]] void RaiseLastError() const;
  st_mysql* HandleOrRaise() const;

  const TMySqlClient* FClient = nullptr;
  st_mysql* FHandle = nullptr;
};

class TZQuery {
 public:
  explicit TZQuery(TZConnection* connection = nullptr) : Connection(connection) {}

  TZConnection* Connection;
  std::string SQL;

  // Runs SQL and fetches every row; the cursor stands on the first one.
  // An earlier result is dropped first. Throws EZSQLException when the
  // statement fails or returns no result set, EDatabaseError without an
  // open connection.
  void Open();
  // Drops the result; nothing happens on a closed query.
  void Close();
  bool Active() const { return FActive; }

  // Runs SQL and discards whatever it returns; an open result stays as it
  // is. Throws as Open.
  void ExecSQL();

  // The current row's value of the column named `name` (letter case
  // ignored, as column names are in MySQL), as text; NULL and an empty
  // result read as empty text. Throws EDatabaseError for an unknown column
  // or a closed query.
  std::string FieldByName(std::string_view name) const;

  // The cursor. Next past the last row sets Eof and stays on that row.
  void First();
  void Next();
  bool Eof() const { return FEof; }
  int RecordCount() const { return static_cast<int>(FRows.size()); }

  // Moves to the first row whose columns `keyFields` (names separated by
  // ";") hold exactly the texts `keyValues`, and returns true; returns false
  // and leaves the cursor alone when no row matches. NULL matches the empty
  // text, as FieldByName reads it. Throws EDatabaseError for an unknown
  // column, a closed query or a count of values that differs from the count
  // of fields.
  bool Locate(std::string_view keyFields, const std::vector<std::string>& keyValues);

 private:
  using TRow = std::vector<std::string>;

  TZConnection& OpenConnection() const;
  void RequireActive() const;
  size_t FieldIndex(std::string_view name) const;

  bool FActive = false;
  std::vector<std::string> FFieldNames;
  std::vector<TRow> FRows;
  size_t FRecNo = 0;
  bool FEof = true;
};

}  // namespace win
