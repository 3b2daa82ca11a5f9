// DAVURI, the account splitter: the file selection window as the main window,
// then the hidden form with the database connection; the message loop runs
// until the main window closes. A failed connection ends the program after
// its message, before any capture file is processed.
//
// Command line: [capture file or "."] [configuration file].
#include <QApplication>

#include "platform/params.h"
#include "platform/vcl/application.h"
#include "splitter/ui/fselect_form.h"
#include "splitter/ui/startup_form.h"

int main(int argc, char** argv) {
  win::InitCommandLine(argc, argv);
  win::PrepareQtPlatform();
  QApplication application(argc, argv);
  win::InitializeApplication("Multiple Account Processing");

  splitter::TForm_FSelect Form_FSelect;
  splitter::TForm_Startup Form_Startup;
  if (Form_Startup.TerminateRequested()) return 0;
  Form_FSelect.Database = &Form_Startup.db;
  Form_FSelect.show();
  return QApplication::exec();
}
