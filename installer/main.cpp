// RorudazIDOrezade, the printer installer: registers the driver, the port
// and the printer of the virtual check printer, removes the launcher's old
// shortcuts and normalises the printer's configuration paths. It takes no
// arguments, shows nothing and ends with exit code 0.
//
// It is silent but for what stops a step part-way: a configuration value
// it cannot normalise (not a string, or refused by the hive) is named in
// one line on standard error, so that an administrator sees why the values
// after it were left as they were.
#include <exception>
#include <iostream>

#include "installer/path_normalisation.h"
#include "installer/printer_installation.h"
#include "installer/shortcut_removal.h"
#include "platform/params.h"

int main(int argc, char** argv) {
  // The shortcuts and the paths are dealt with whatever became of the
  // printer.
  try {
    win::InitCommandLine(argc, argv);
    installer::InstallPrinter(win::ParamStr(0));
  } catch (const std::exception& error) {
    std::cerr << "RorudazIDOrezade: the printer was not installed: " << error.what() << std::endl;
  }
  try {
    installer::RemoveOldShortCuts();
  } catch (const std::exception& error) {
    std::cerr << "RorudazIDOrezade: the old shortcuts were not removed: " << error.what()
              << std::endl;
  }
  try {
    installer::NormaliseConfigurationPaths();
  } catch (const std::exception& error) {
    std::cerr << "RorudazIDOrezade: " << error.what()
              << "; the printer's paths from that value on were left as they were" << std::endl;
  }
  return 0;
}
