#include "splitter/engine/product_database.h"

#include "common/product.h"
#include "platform/registry.h"

namespace splitter {

void UseProductDatabaseSettings(win::TZConnection& db) {
  db.Disconnect();
  db.Protocol = "mysql-3.23";
  db.HostName = "localhost";
  db.Port = 3306;
  db.Database = std::string(common::kProductDatabase);
  db.User = "duredo";
  db.Password = "7QWRT";
  db.AutoCommit = true;
  db.ReadOnly = true;
  db.TransactIsolationLevel = win::tiNone;
}

bool ConnectProductDatabase(win::TZConnection& db, TStartupView& view) {
  db.SetConnected(false);
  try {
    // Full access, as the product's key is opened; a user who may not write
    // it is treated as if the key were missing.
    win::TRegistry registry;
    if (registry.OpenKey(std::string(common::kProductRegistryKey), false)) {
      db.HostName = registry.ReadString(std::string(common::kProductHostValue));
    } else {
      db.HostName = "localhost";
    }
    registry.CloseKey();
    db.Connect();
  } catch (const win::Exception& error) {
    view.ShowMessage("Database Connection Error [" + error.Message() + "]");
    view.Terminate();
    return false;
  }
  return true;
}

void DisconnectProductDatabase(win::TZConnection& db) { db.SetConnected(false); }

}  // namespace splitter
