#include "installer/printer_installation.h"

#include "installer/file_version.h"
#include "platform/path.h"
#include "platform/spooler.h"

namespace installer {

namespace {

using win::BYTE;
using win::DWORD;

constexpr char16_t kPortNameUtf16[] = u"NUL:";

bool AddDriver(const std::string& directory) {
  const std::string driverPath = directory + "\\PSCRIPT5.DLL";
  const std::string dataFile = directory + "\\ZERURUD.PPD";
  const std::string configFile = directory + "\\PS5UI.DLL";
  const std::string helpFile = directory + "\\PSCRIPT.HLP";
  win::DRIVER_INFO_6 driver{};
  driver.cVersion = 3;
  driver.pName = kDriverName;
  driver.pEnvironment = win::kPrinterEnvironment;
  driver.pDriverPath = driverPath.c_str();
  driver.pDataFile = dataFile.c_str();
  driver.pConfigFile = configFile.c_str();
  driver.pHelpFile = helpFile.c_str();
  driver.pDependentFiles = "PSCRIPT.NTF\0VAVAVIDI.INI\0VAVAVIDI.DLL\0";
  driver.dwlDriverVersion = 1;
  driver.pszMfgName = "Zerurud";
  driver.pszProvider = "Zerurud";
  return win::AddPrinterDriverEx(nullptr, 6, reinterpret_cast<const BYTE*>(&driver),
                                 win::APD_COPY_NEW_FILES);
}

// Only the result of the call counts: the monitor's status for a port that
// exists already is an error code, and that port serves as well.
bool SendAddPort(win::HANDLE monitor) {
  DWORD output = 0;
  DWORD needed = 0;
  DWORD status = 0;
  return win::XcvData(monitor, u"AddPort", reinterpret_cast<const BYTE*>(kPortNameUtf16),
                      sizeof kPortNameUtf16, reinterpret_cast<BYTE*>(&output), 0, &needed, &status);
}

std::string ConverterVersionText(const std::string& installerPath) {
  const std::string converter =
      win::IncludeTrailingBackslash(win::ExtractFilePath(installerPath)) + "VAVavidi.exe";
  TVersion version;
  return version.GetVersionString(converter);
}

}  // namespace

void InstallPrinter(const std::string& installerPath) {
  char directory[win::MAX_PATH] = {};
  DWORD needed = 0;
  // A failed query leaves the directory empty, and the driver's files are
  // then missing, which refuses the driver.
  win::GetPrinterDriverDirectory(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(directory),
                                 sizeof directory, &needed);
  if (!AddDriver(directory)) return;

  win::PRINTER_DEFAULTS defaults{nullptr, nullptr, win::SERVER_ACCESS_ADMINISTER};
  win::HANDLE monitor = nullptr;
  if (!win::OpenPrinter(win::kLocalPortMonitor, &monitor, &defaults)) return;
  if (!SendAddPort(monitor)) {
    win::ClosePrinter(monitor);
    return;
  }

  const std::string comment = ConverterVersionText(installerPath);
  win::PRINTER_INFO_2 printer{};
  printer.pPrinterName = kPrinterName;
  printer.pPortName = kPortName;
  printer.pDriverName = kDriverName;
  printer.pComment = comment.c_str();
  printer.pPrintProcessor = "WinPrint";
  printer.pDatatype = "RAW";
  printer.Attributes = win::PRINTER_ATTRIBUTE_DEFAULT;
  printer.Priority = 1;
  printer.DefaultPriority = 1;
  win::ClosePrinter(monitor);

  if (win::HANDLE created = win::AddPrinter(nullptr, 2, reinterpret_cast<const BYTE*>(&printer))) {
    win::ClosePrinter(created);
  }
}

}  // namespace installer
