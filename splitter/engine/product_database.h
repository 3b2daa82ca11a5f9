// The splitter's one connection to the check-writing product's database:
// its fixed settings, and the connecting and disconnecting that the hidden
// start-up form (Form_Startup) does when it is created and closed. The form
// itself only holds the connection and shows what it is told to.
#pragma once

#include <string>

#include "platform/db.h"

namespace splitter {

// What connecting asks of the start-up form.
class TStartupView {
 public:
  virtual ~TStartupView() = default;
  // A plain message box with an OK button; returns once it is confirmed.
  virtual void ShowMessage(const std::string& message) = 0;
  // Asks the application to end once the running handler has returned.
  virtual void Terminate() = 0;
};

// The connection's settings as the form fixes them (protocol, port 3306,
// database, login, read-only, auto-commit, no isolation level), host
// "localhost", not connected.
void UseProductDatabaseSettings(win::TZConnection& db);

// FormCreate: disconnects `db`, takes the host name from the value "Host" of
// the product's registry key ("localhost" when the key cannot be opened, an
// empty name when the value is missing) and connects. When that raises, shows
// "Database Connection Error [" + the error's text + "]" and asks the
// application to end. True when connected. Only win::Exception is handled;
// other errors pass on.
bool ConnectProductDatabase(win::TZConnection& db, TStartupView& view);

// FormClose: sets the connection to not connected.
void DisconnectProductDatabase(win::TZConnection& db);

}  // namespace splitter
