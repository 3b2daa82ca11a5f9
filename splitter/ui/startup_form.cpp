#include "splitter/ui/startup_form.h"

#include "platform/dialogs.h"

namespace splitter {

TForm_Startup::TForm_Startup() {
  UseProductDatabaseSettings(db);
  ConnectProductDatabase(db, *this);
}

TForm_Startup::~TForm_Startup() { DisconnectProductDatabase(db); }

void TForm_Startup::ShowMessage(const std::string& message) {
  win::Dialogs().ShowInformation(message);
}

void TForm_Startup::Terminate() { FTerminate = true; }

}  // namespace splitter
