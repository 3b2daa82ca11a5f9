// The spooler's records in the hive, for the spooler's own files: where
// they are kept, how a field becomes a value, and the one-step change.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/error.h"
#include "platform/hive.h"

namespace win::spooler {

inline constexpr char kPrintKey[] = "SYSTEM\\CurrentControlSet\\Control\\Print";
inline constexpr char kPortsKey[] =
    "SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Local Port\\Ports";
inline constexpr char kPrintersKey[] = "SYSTEM\\CurrentControlSet\\Control\\Print\\Printers";
inline constexpr char kDriverDirectory[] = "C:\\Windows\\System32\\spool\\drivers\\w32x86";

// SYSTEM\...\Print\Environments\Windows NT x86\Drivers\Version-<version>
std::string DriversKey(DWORD version);

// Null or empty: the local machine.
bool IsLocalServer(const char* name);
// The text, empty for null.
std::string Text(const char* text);
// The texts of a list ended by an empty text; none for null.
std::vector<std::string> TextList(const char* list);

THiveValue StringValue(const std::string& name, const char* text);
THiveValue DwordValue(const std::string& name, DWORD number);
THiveValue MultiStringValue(const std::string& name, const std::vector<std::string>& texts);
THiveValue BinaryValue(const std::string& name, const std::string& data);

// True when the caller may change the spooler's records (it may write the
// hive); false with the code otherwise.
bool MayChangeSpooler();

// Lets `change` alter the hive in one step and writes it when it returns
// ERROR_SUCCESS; true then. False with the code `change` returned, with
// ERROR_ACCESS_DENIED when the caller may not write the hive, or with the
// code of a hive that cannot be read or written.
bool ChangeSpooler(const std::function<DWORD(THive&)>& change);

// The hive for reading; nothing, with the last error set, when it cannot
// be read.
bool ReadSpooler(THive& hive);

}  // namespace win::spooler
