#include "platform/db.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>

#include "platform/mysqlclient.h"
#include "platform/text.h"

namespace win {

namespace {

constexpr const char* kNotConnected = "The database connection is not open";
constexpr const char* kClosedDataset = "Cannot perform this operation on a closed dataset";
// The system's texts are single-byte in the Windows code page, which is what
// MySQL calls latin1.
constexpr const char* kCharacterSet = "latin1";

std::optional<std::string> Environment(const char* name) {
  const char* value = std::getenv(name);
  if (!value || !*value) return std::nullopt;
  return std::string(value);
}

unsigned EffectivePort(unsigned configured) {
  const std::optional<std::string> text = Environment("ZERURUD_DB_PORT");
  if (!text) return configured;
  const std::optional<std::uint32_t> port = TryStrToUInt(*text);
  if (!port || *port == 0 || *port > 65535) {
    throw EZSQLException("ZERURUD_DB_PORT is not a port number: \"" + *text + "\"");
  }
  return *port;
}

const char* IsolationStatement(TZTransactIsolationLevel level) {
  switch (level) {
    case tiNone:
      return nullptr;
    case tiReadUncommitted:
      return "SET SESSION TRANSACTION ISOLATION LEVEL READ UNCOMMITTED";
    case tiReadCommitted:
      return "SET SESSION TRANSACTION ISOLATION LEVEL READ COMMITTED";
    case tiRepeatableRead:
      return "SET SESSION TRANSACTION ISOLATION LEVEL REPEATABLE READ";
    case tiSerializable:
      return "SET SESSION TRANSACTION ISOLATION LEVEL SERIALIZABLE";
  }
  return nullptr;
}

std::vector<std::string_view> SplitFieldNames(std::string_view names) {
  std::vector<std::string_view> result;
  for (;;) {
    const size_t separator = names.find(';');
    std::string_view name = names.substr(0, separator);
    while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
    while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
    result.push_back(name);
    if (separator == std::string_view::npos) return result;
    names.remove_prefix(separator + 1);
  }
}

}  // namespace

TZConnection::~TZConnection() { Disconnect(); }

void TZConnection::SetConnected(bool connected) {
  if (connected) {
    Connect();
  } else {
    Disconnect();
  }
}

void TZConnection::Connect() {
  if (FHandle) return;
  if (!Protocol.starts_with("mysql")) {
    throw EZSQLException("Unsupported database protocol \"" + Protocol + "\"");
  }
  const unsigned port = EffectivePort(Port);
  const std::optional<std::string> socket = Environment("ZERURUD_DB_SOCKET");
  const TMySqlClient& client = LoadMySqlClient();

  MYSQL* handle = client.init(nullptr);
  if (!handle) throw EZSQLException("Out of memory for the database connection");
  client.options(handle, MYSQL_SET_CHARSET_NAME, kCharacterSet);
  if (!client.real_connect(handle, HostName.c_str(), User.c_str(), Password.c_str(),
                           Database.empty() ? nullptr : Database.c_str(), port,
                           socket ? socket->c_str() : nullptr, 0)) {
    EZSQLException error(client.error(handle), client.errnum(handle));
    client.close(handle);
    throw error;
  }
  FClient = &client;
  FHandle = handle;
  try {
    if (client.autocommit(handle, AutoCommit)) RaiseLastError();
    if (const char* statement = IsolationStatement(TransactIsolationLevel)) Execute(statement);
  } catch (...) {
    Disconnect();
    throw;
  }
}

void TZConnection::Disconnect() {
  if (!FHandle) return;
  FClient->close(FHandle);
  FHandle = nullptr;
}

void TZConnection::Commit() {
  if (FClient->commit(HandleOrRaise())) RaiseLastError();
}

void TZConnection::Rollback() {
  if (FClient->rollback(HandleOrRaise())) RaiseLastError();
}

std::string TZConnection::EscapeString(std::string_view value) const {
  MYSQL* handle = HandleOrRaise();
  std::string escaped(value.size() * 2 + 1, '\0');
  const unsigned long length =
      FClient->real_escape_string(handle, escaped.data(), value.data(), value.size());
  if (length == static_cast<unsigned long>(-1)) RaiseLastError();
  escaped.resize(length);
  return escaped;
}

void TZConnection::Execute(std::string_view statement) {
  if (FClient->real_query(HandleOrRaise(), statement.data(), statement.size()) != 0) {
    RaiseLastError();
  }
}

void TZConnection::RaiseLastError() const {
  throw EZSQLException(FClient->error(FHandle), FClient->errnum(FHandle));
}

st_mysql* TZConnection::HandleOrRaise() const {
  if (!FHandle) throw EDatabaseError(kNotConnected);
  return FHandle;
}

void TZQuery::Open() {
  TZConnection& connection = OpenConnection();
  Close();
  connection.Execute(SQL);
  const TMySqlClient& client = *connection.FClient;
  MYSQL_RES* stored = client.store_result(connection.FHandle);
  if (!stored) {
    if (client.field_count(connection.FHandle) != 0) connection.RaiseLastError();
    throw EZSQLException("The statement returned no result set");
  }
  const std::unique_ptr<MYSQL_RES, decltype(client.free_result)> result(stored, client.free_result);

  const unsigned columns = client.num_fields(result.get());
  const MYSQL_FIELD* fields = client.fetch_fields(result.get());
  std::vector<std::string> names;
  for (unsigned i = 0; i < columns; ++i) names.emplace_back(fields[i].name, fields[i].name_length);

  std::vector<TRow> rows;
  while (MYSQL_ROW values = client.fetch_row(result.get())) {
    const unsigned long* lengths = client.fetch_lengths(result.get());
    TRow& row = rows.emplace_back();
    row.reserve(columns);
    for (unsigned i = 0; i < columns; ++i) {
      row.push_back(values[i] ? std::string(values[i], lengths[i]) : std::string());
    }
  }
  FFieldNames = std::move(names);
  FRows = std::move(rows);
  FActive = true;
  First();
}

void TZQuery::Close() {
  FActive = false;
  FFieldNames.clear();
  FRows.clear();
  FRecNo = 0;
  FEof = true;
}

void TZQuery::ExecSQL() {
  TZConnection& connection = OpenConnection();
  connection.Execute(SQL);
  const TMySqlClient& client = *connection.FClient;
  if (MYSQL_RES* result = client.store_result(connection.FHandle)) {
    client.free_result(result);
  } else if (client.field_count(connection.FHandle) != 0) {
    connection.RaiseLastError();
  }
}

std::string TZQuery::FieldByName(std::string_view name) const {
  const size_t index = FieldIndex(name);
  return FRows.empty() ? std::string() : FRows[FRecNo][index];
}

void TZQuery::First() {
  RequireActive();
  FRecNo = 0;
  FEof = FRows.empty();
}

void TZQuery::Next() {
  RequireActive();
  if (FRecNo + 1 < FRows.size()) {
    ++FRecNo;
  } else {
    FEof = true;
  }
}

bool TZQuery::Locate(std::string_view keyFields, const std::vector<std::string>& keyValues) {
  std::vector<size_t> columns;
  for (std::string_view name : SplitFieldNames(keyFields)) columns.push_back(FieldIndex(name));
  if (columns.size() != keyValues.size()) {
    throw EDatabaseError("Locate needs one value for each of the fields \"" +
                         std::string(keyFields) + "\"");
  }
  for (size_t row = 0; row < FRows.size(); ++row) {
    bool matches = true;
    for (size_t key = 0; key < columns.size() && matches; ++key) {
      matches = FRows[row][columns[key]] == keyValues[key];
    }
    if (matches) {
      FRecNo = row;
      FEof = false;
      return true;
    }
  }
  return false;
}

TZConnection& TZQuery::OpenConnection() const {
  if (!Connection || !Connection->Connected()) throw EDatabaseError(kNotConnected);
  return *Connection;
}

void TZQuery::RequireActive() const {
  if (!FActive) throw EDatabaseError(kClosedDataset);
}

size_t TZQuery::FieldIndex(std::string_view name) const {
  RequireActive();
  for (size_t i = 0; i < FFieldNames.size(); ++i) {
    if (SameText(FFieldNames[i], name)) return i;
  }
  throw EDatabaseError("Field '" + std::string(name) + "' not found");
}

}  // namespace win
