// The MySQL C client library (MariaDB Connector/C), loaded at run time.
//
// The library is opened with dlopen on first use instead of being linked, so
// that a machine without it starts the programs and reports the missing
// library as an ordinary connection error. ZERURUD_DB_CLIENT_LIBRARY may name
// the library file; otherwise the usual names are tried in turn. Only the
// functions the connection layer needs are resolved. Internal to platform/db.
#pragma once

#include <mysql.h>

namespace win {

struct TMySqlClient {
  decltype(&::mysql_init) init;
  decltype(&::mysql_options) options;
  decltype(&::mysql_real_connect) real_connect;
  decltype(&::mysql_close) close;
  decltype(&::mysql_errno) errnum;
  decltype(&::mysql_error) error;
  decltype(&::mysql_autocommit) autocommit;
  decltype(&::mysql_commit) commit;
  decltype(&::mysql_rollback) rollback;
  decltype(&::mysql_real_query) real_query;
  decltype(&::mysql_store_result) store_result;
  decltype(&::mysql_field_count) field_count;
  decltype(&::mysql_num_fields) num_fields;
  decltype(&::mysql_fetch_fields) fetch_fields;
  decltype(&::mysql_fetch_row) fetch_row;
  decltype(&::mysql_fetch_lengths) fetch_lengths;
  decltype(&::mysql_free_result) free_result;
  decltype(&::mysql_real_escape_string) real_escape_string;
};

// The loaded and initialised library, kept for the rest of the process.
// Throws EZSQLException "Cannot load the MySQL client library (<reason>)"
// when it cannot be opened or lacks a function; the next call tries again.
const TMySqlClient& LoadMySqlClient();

}  // namespace win
