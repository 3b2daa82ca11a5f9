// Spooler handles, the local port monitor's transceiver and printers.
#include "platform/spooler.h"

#include <string>
#include <string_view>

#include "platform/spooler_hive.h"
#include "platform/text.h"

namespace win {

namespace {

using spooler::Text;

constexpr std::u16string_view kAddPort = u"AddPort";
constexpr std::string_view kPrintProcessor = "WinPrint";
constexpr std::string_view kDataTypes[] = {
    "RAW",          "RAW [FF appended]", "RAW [FF auto]", "NT EMF 1.003",
    "NT EMF 1.006", "NT EMF 1.007",      "NT EMF 1.008",  "TEXT"};
constexpr DWORD kMaxPriority = 99;

class TSpoolerHandle : public TKernelObject {
 public:
  // Empty: the port monitor's transceiver.
  explicit TSpoolerHandle(std::string printer) : FPrinter(std::move(printer)) {}
  bool IsTransceiver() const { return FPrinter.empty(); }

 private:
  std::string FPrinter;
};

std::string PrinterKey(const std::string& printer) {
  return std::string(spooler::kPrintersKey) + "\\" + printer;
}

// The port name of an "AddPort" input: UTF-16 ending in its zero, each
// character in the single-byte range.
bool PortName(const BYTE* input, DWORD size, std::string& port) {
  if (input == nullptr || size < 4 || size % 2 != 0) return false;
  port.clear();
  for (DWORD i = 0; i + 2 <= size; i += 2) {
    const unsigned unit = input[i] | input[i + 1] << 8;
    if (unit == 0) return i + 2 == size && !port.empty();
    if (unit >= 0x100) return false;
    port += static_cast<char>(unit);
  }
  return false;
}

DWORD AddPort(const std::string& port) {
  const bool added = spooler::ChangeSpooler([&](THive& hive) {
    const std::string key = hive.CreateKey(spooler::kPortsKey);
    if (hive.FindValue(key, port) != nullptr) return ERROR_ALREADY_EXISTS;
    hive.SetValue(key, spooler::StringValue(port, ""));
    return ERROR_SUCCESS;
  });
  return added ? ERROR_SUCCESS : GetLastError();
}

bool DriverInstalled(const THive& hive, const std::string& driver) {
  const std::string drivers =
      std::string(spooler::kPrintKey) + "\\Environments\\" + kPrinterEnvironment + "\\Drivers";
  for (const std::string& version : hive.SubkeyNames(drivers)) {
    if (hive.KeyExists(drivers + "\\" + version + "\\" + driver)) return true;
  }
  return false;
}

bool KnownDataType(const std::string& dataType) {
  for (const std::string_view known : kDataTypes) {
    if (SameText(dataType, known)) return true;
  }
  return false;
}

// The checks of a printer's record that need no hive.
DWORD CheckPrinter(const PRINTER_INFO_2& printer) {
  const std::string name = Text(printer.pPrinterName);
  if (!spooler::IsLocalServer(printer.pServerName)) return ERROR_INVALID_NAME;
  if (name.empty() || name.find_first_of("\\,") != std::string::npos) {
    return ERROR_INVALID_PRINTER_NAME;
  }
  if (Text(printer.pPortName).empty()) return ERROR_UNKNOWN_PORT;
  if (Text(printer.pDriverName).empty()) return ERROR_UNKNOWN_PRINTER_DRIVER;
  if (!SameText(Text(printer.pPrintProcessor), kPrintProcessor)) {
    return ERROR_UNKNOWN_PRINTPROCESSOR;
  }
  if (printer.pDatatype != nullptr && !KnownDataType(printer.pDatatype)) {
    return ERROR_INVALID_DATATYPE;
  }
  if (printer.Priority > kMaxPriority || printer.DefaultPriority > kMaxPriority) {
    return ERROR_INVALID_PRIORITY;
  }
  if (printer.pDevMode != nullptr || printer.pSecurityDescriptor != nullptr) {
    return ERROR_NOT_SUPPORTED;
  }
  return ERROR_SUCCESS;
}

std::vector<THiveValue> PrinterRecord(const PRINTER_INFO_2& printer) {
  using namespace spooler;
  return {
      StringValue("Name", printer.pPrinterName),
      StringValue("Share Name", printer.pShareName),
      StringValue("Port", printer.pPortName),
      StringValue("Printer Driver", printer.pDriverName),
      StringValue("Description", printer.pComment),
      StringValue("Location", printer.pLocation),
      BinaryValue("Default DevMode", ""),
      StringValue("Separator File", printer.pSepFile),
      StringValue("Print Processor", printer.pPrintProcessor),
      StringValue("Datatype", printer.pDatatype),
      StringValue("Parameters", printer.pParameters),
      BinaryValue("Security", ""),
      DwordValue("Attributes", printer.Attributes),
      DwordValue("Priority", printer.Priority),
      DwordValue("Default Priority", printer.DefaultPriority),
      DwordValue("StartTime", printer.StartTime),
      DwordValue("UntilTime", printer.UntilTime),
      DwordValue("Status", printer.Status),
      DwordValue("cJobs", printer.cJobs),
      DwordValue("AveragePPM", printer.AveragePPM),
  };
}

}  // namespace

bool OpenPrinter(const char* printerName, HANDLE* printer, const PRINTER_DEFAULTS* defaults) {
  if (printer == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  *printer = nullptr;
  const std::string name = Text(printerName);
  if (SameText(name, kLocalPortMonitor)) {
    if (defaults == nullptr || (defaults->DesiredAccess & SERVER_ACCESS_ADMINISTER) == 0) {
      return Fail(ERROR_ACCESS_DENIED);
    }
    if (!spooler::MayChangeSpooler()) return false;
    *printer = new TSpoolerHandle(std::string());
    SetLastError(ERROR_SUCCESS);
    return true;
  }
  THive hive;
  if (!spooler::ReadSpooler(hive)) return false;
  if (name.empty() || name.find('\\') != std::string::npos || !hive.KeyExists(PrinterKey(name))) {
    return Fail(ERROR_INVALID_PRINTER_NAME);
  }
  *printer = new TSpoolerHandle(name);
  SetLastError(ERROR_SUCCESS);
  return true;
}

bool XcvData(HANDLE xcv, const char16_t* dataName, const BYTE* input, DWORD inputSize,
             BYTE* /*output*/, DWORD /*outputSize*/, DWORD* needed, DWORD* status) {
  const TSpoolerHandle* handle = HandleObject<TSpoolerHandle>(xcv);
  if (handle == nullptr || !handle->IsTransceiver()) return Fail(ERROR_INVALID_HANDLE);
  if (needed == nullptr || status == nullptr || dataName == nullptr) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  *needed = 0;
  std::string port;
  if (dataName != kAddPort) {
    *status = ERROR_NOT_SUPPORTED;
  } else if (!PortName(input, inputSize, port)) {
    *status = ERROR_INVALID_PARAMETER;
  } else {
    *status = AddPort(port);
  }
  SetLastError(ERROR_SUCCESS);
  return true;
}

bool ClosePrinter(HANDLE printer) {
  if (HandleObject<TSpoolerHandle>(printer) == nullptr) return Fail(ERROR_INVALID_HANDLE);
  return CloseHandle(printer);
}

HANDLE AddPrinter(const char* name, DWORD level, const BYTE* info) {
  if (!spooler::IsLocalServer(name)) {
    Fail(ERROR_INVALID_NAME);
    return nullptr;
  }
  if (level != 2) {
    Fail(ERROR_INVALID_LEVEL);
    return nullptr;
  }
  if (info == nullptr) {
    Fail(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const auto& printer = *reinterpret_cast<const PRINTER_INFO_2*>(info);
  if (const DWORD refused = CheckPrinter(printer); refused != ERROR_SUCCESS) {
    Fail(refused);
    return nullptr;
  }
  const std::string printerName = printer.pPrinterName;
  const std::vector<THiveValue> record = PrinterRecord(printer);
  const bool added = spooler::ChangeSpooler([&](THive& hive) {
    if (hive.KeyExists(PrinterKey(printerName))) return ERROR_PRINTER_ALREADY_EXISTS;
    if (hive.FindValue(spooler::kPortsKey, printer.pPortName) == nullptr) return ERROR_UNKNOWN_PORT;
    if (!DriverInstalled(hive, printer.pDriverName)) return ERROR_UNKNOWN_PRINTER_DRIVER;
    const std::string key = hive.CreateKey(PrinterKey(printerName));
    for (const THiveValue& value : record) hive.SetValue(key, value);
    return ERROR_SUCCESS;
  });
  if (!added) return nullptr;
  return new TSpoolerHandle(printerName);
}

}  // namespace win
