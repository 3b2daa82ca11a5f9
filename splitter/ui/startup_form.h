// Form_Startup: the hidden form that owns the program's one database
// connection. Creating it connects (a failure shows "Database Connection
// Error [...]" and asks the application to end); destroying it disconnects.
#pragma once

#include "platform/db.h"
#include "splitter/engine/product_database.h"

namespace splitter {

class TForm_Startup : public TStartupView {
 public:
  // FormCreate: connects db.
  TForm_Startup();
  // FormClose: disconnects.
  ~TForm_Startup() override;
  TForm_Startup(const TForm_Startup&) = delete;
  TForm_Startup& operator=(const TForm_Startup&) = delete;

  // Whether the connection failed and the program is to end.
  bool TerminateRequested() const { return FTerminate; }

  // TStartupView: the plain box is the application's information box.
  void ShowMessage(const std::string& message) override;
  void Terminate() override;

  win::TZConnection db;

 private:
  bool FTerminate = false;
};

}  // namespace splitter
