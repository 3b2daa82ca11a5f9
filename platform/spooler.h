// The print spooler of the local machine, as the installer uses it: the
// printer-driver directory, printer drivers, the local port monitor's ports
// (through its transceiver, ",XcvMonitor Local Port") and printers.
//
// The spooler's objects are records in the hive, one key each, holding
// every field of the record that created them, so that `reg query` shows
// what was installed:
//   SYSTEM\CurrentControlSet\Control\Print\Environments\Windows NT x86
//       \Drivers\Version-<cVersion>\<driver>
//   SYSTEM\CurrentControlSet\Control\Print\Monitors\Local Port\Ports
//       (one value per port, named by it)
//   SYSTEM\CurrentControlSet\Control\Print\Printers\<printer>
// Changing them needs the right to write the hive (ERROR_ACCESS_DENIED
// otherwise), as on Windows it needs administrator rights. Each object is
// written in one step, and refused when it exists, so two installers at
// once cannot both create it.
//
// The printer-driver directory is C:\Windows\System32\spool\drivers\w32x86;
// drivers installed from it are copied into its subfolder named by the
// driver's version ("3"). The spooler prints nothing: the printer is where
// the system's print jobs go, not a queue here. Only the local machine
// (server name null or empty) and the environment "Windows NT x86" exist.
//
// Strings are single-byte texts, except the transceiver's command and data,
// which are UTF-16 as the port monitor takes them. Text fields are
// pointers to zero-terminated texts, null for none.
#pragma once

#include <cstdint>

#include "platform/error.h"
#include "platform/handle.h"

namespace win {

inline constexpr DWORD ERROR_INVALID_LEVEL = 124;
inline constexpr DWORD ERROR_UNKNOWN_PORT = 1796;
inline constexpr DWORD ERROR_UNKNOWN_PRINTER_DRIVER = 1797;
inline constexpr DWORD ERROR_UNKNOWN_PRINTPROCESSOR = 1798;
inline constexpr DWORD ERROR_INVALID_PRIORITY = 1800;
inline constexpr DWORD ERROR_INVALID_PRINTER_NAME = 1801;
inline constexpr DWORD ERROR_PRINTER_ALREADY_EXISTS = 1802;
inline constexpr DWORD ERROR_INVALID_DATATYPE = 1804;
inline constexpr DWORD ERROR_INVALID_ENVIRONMENT = 1805;

inline constexpr char kPrinterEnvironment[] = "Windows NT x86";
inline constexpr char kLocalPortMonitor[] = ",XcvMonitor Local Port";

using BYTE = std::uint8_t;
using DWORDLONG = std::uint64_t;

struct FILETIME {
  DWORD dwLowDateTime = 0;
  DWORD dwHighDateTime = 0;
};

// Level 6 of a driver's record.
struct DRIVER_INFO_6 {
  DWORD cVersion = 0;
  const char* pName = nullptr;
  const char* pEnvironment = nullptr;  // null: "Windows NT x86"
  // The three files a driver must have and its help file: full paths, or
  // bare names in the printer-driver directory.
  const char* pDriverPath = nullptr;
  const char* pDataFile = nullptr;
  const char* pConfigFile = nullptr;
  const char* pHelpFile = nullptr;
  // Bare names in the printer-driver directory, each ended by a zero and
  // the list by a second zero.
  const char* pDependentFiles = nullptr;
  const char* pMonitorName = nullptr;
  const char* pDefaultDataType = nullptr;
  const char* pszzPreviousNames = nullptr;  // a list like pDependentFiles
  FILETIME ftDriverDate;
  DWORDLONG dwlDriverVersion = 0;
  const char* pszMfgName = nullptr;
  const char* pszOEMUrl = nullptr;
  const char* pszHardwareID = nullptr;
  const char* pszProvider = nullptr;
};

// Copy flags of AddPrinterDriverEx.
inline constexpr DWORD APD_COPY_ALL_FILES = 0x4;
inline constexpr DWORD APD_COPY_NEW_FILES = 0x8;

struct PRINTER_DEFAULTS {
  const char* pDatatype = nullptr;
  void* pDevMode = nullptr;
  DWORD DesiredAccess = 0;
};
inline constexpr DWORD SERVER_ACCESS_ADMINISTER = 0x1;
inline constexpr DWORD PRINTER_ACCESS_USE = 0x8;

// Level 2 of a printer's record.
struct PRINTER_INFO_2 {
  const char* pServerName = nullptr;
  const char* pPrinterName = nullptr;
  const char* pShareName = nullptr;
  const char* pPortName = nullptr;
  const char* pDriverName = nullptr;
  const char* pComment = nullptr;
  const char* pLocation = nullptr;
  void* pDevMode = nullptr;  // only the driver's defaults (null) are known here
  const char* pSepFile = nullptr;
  const char* pPrintProcessor = nullptr;
  const char* pDatatype = nullptr;
  const char* pParameters = nullptr;
  void* pSecurityDescriptor = nullptr;  // only the default security (null)
  DWORD Attributes = 0;
  DWORD Priority = 0;
  DWORD DefaultPriority = 0;
  DWORD StartTime = 0;
  DWORD UntilTime = 0;
  DWORD Status = 0;
  DWORD cJobs = 0;
  DWORD AveragePPM = 0;
};
inline constexpr DWORD PRINTER_ATTRIBUTE_QUEUED = 0x1;
inline constexpr DWORD PRINTER_ATTRIBUTE_DIRECT = 0x2;
inline constexpr DWORD PRINTER_ATTRIBUTE_DEFAULT = 0x4;
inline constexpr DWORD PRINTER_ATTRIBUTE_SHARED = 0x8;

// The printer-driver directory, with its terminating zero, into
// `directory` of `size` bytes; `*needed` gets the size it takes. The
// folder is created when missing (where the caller may). False with
// ERROR_INVALID_NAME for another server, ERROR_INVALID_LEVEL for a level
// other than 1, ERROR_INVALID_ENVIRONMENT, or ERROR_INSUFFICIENT_BUFFER.
bool GetPrinterDriverDirectory(const char* name, const char* environment, DWORD level,
                               BYTE* directory, DWORD size, DWORD* needed);

// Installs the driver of `info` (a DRIVER_INFO_6 at level 6) from the
// printer-driver directory: APD_COPY_NEW_FILES copies each named file that
// is missing in the version folder or older there, APD_COPY_ALL_FILES every
// one. An installed driver of that name is replaced. False with
// ERROR_INVALID_LEVEL, ERROR_INVALID_PARAMETER (no name, a missing driver,
// data or configuration file, other flags), ERROR_INVALID_ENVIRONMENT,
// ERROR_ACCESS_DENIED when the caller may not write the hive,
// ERROR_FILE_NOT_FOUND when a named file is missing from the directory, or
// the code of a failed copy.
bool AddPrinterDriverEx(const char* name, DWORD level, const BYTE* info, DWORD copyFlags);

// Opens the local port monitor's transceiver (kLocalPortMonitor, with
// SERVER_ACCESS_ADMINISTER in `defaults`) or an existing printer by name.
// False, `*printer` null, with ERROR_INVALID_PRINTER_NAME for anything
// else and ERROR_ACCESS_DENIED when the transceiver is opened without
// administer access or by a caller that may not write the hive.
bool OpenPrinter(const char* printerName, HANDLE* printer, const PRINTER_DEFAULTS* defaults);

// Sends a command to the port monitor's transceiver. "AddPort" takes the
// port name in UTF-16 with its terminating zero as input; `*status` gets
// ERROR_SUCCESS for a new port, ERROR_ALREADY_EXISTS for one that exists,
// ERROR_INVALID_PARAMETER for input that is not such a name, or the code of
// a failed write; ERROR_NOT_SUPPORTED for another command. The call itself
// fails only for a handle that is not a transceiver (ERROR_INVALID_HANDLE)
// or a null `needed` or `status` (ERROR_INVALID_PARAMETER). Nothing is
// written to `output`.
bool XcvData(HANDLE xcv, const char16_t* dataName, const BYTE* input, DWORD inputSize, BYTE* output,
             DWORD outputSize, DWORD* needed, DWORD* status);

// Closes a handle of OpenPrinter or AddPrinter; ERROR_INVALID_HANDLE for
// anything else.
bool ClosePrinter(HANDLE printer);

// Creates the printer of `info` (a PRINTER_INFO_2 at level 2) and returns
// a handle to it; nullptr with ERROR_INVALID_LEVEL, ERROR_INVALID_PARAMETER,
// ERROR_INVALID_NAME (another server), ERROR_INVALID_PRINTER_NAME (empty, or
// holding "\" or ","), ERROR_PRINTER_ALREADY_EXISTS (the printer is left as
// it is), ERROR_UNKNOWN_PORT, ERROR_UNKNOWN_PRINTER_DRIVER,
// ERROR_UNKNOWN_PRINTPROCESSOR (only "WinPrint" exists),
// ERROR_INVALID_DATATYPE, ERROR_INVALID_PRIORITY (above 99),
// ERROR_NOT_SUPPORTED (a device mode or security descriptor given), or
// ERROR_ACCESS_DENIED.
HANDLE AddPrinter(const char* name, DWORD level, const BYTE* info);

}  // namespace win
