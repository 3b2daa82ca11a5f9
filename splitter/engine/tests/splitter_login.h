// The splitter's own connection settings, reaching the test database server
// over TCP (the fixed settings name "localhost", which means its socket).
#pragma once

#include "platform/db.h"
#include "splitter/engine/product_database.h"

namespace splitter {

inline void UseSplitterLogin(win::TZConnection& db) {
  UseProductDatabaseSettings(db);
  db.HostName = "127.0.0.1";
}

}  // namespace splitter
