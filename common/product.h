// What the splitter fixes about the check-writing product: its program, its
// hand-off file, its registry key and the database tables it keeps.
#pragma once

#include <string_view>

namespace common {

// The check-writing program in the product folder.
inline constexpr std::string_view kProductExeName = "VEZ7.EXE";
// The file that hands a payroll or other-forms job to the program.
inline constexpr std::string_view kHandOffFileName = "DMKPRDD.PRN";

// The product's key under HKEY_LOCAL_MACHINE and its values.
inline constexpr std::string_view kProductRegistryKey = "\\Software\\Zerurud\\Ruvuduzer";
inline constexpr std::string_view kProductHostValue = "Host";
inline constexpr std::string_view kProductDirectoryValue = "Directory";

// The product's database and the tables and columns the splitter uses.
inline constexpr std::string_view kProductDatabase = "dizirozered";
inline constexpr std::string_view kAccountsTable = "VEZAcnts";
inline constexpr std::string_view kAccountsIdColumn = "AccountId";
inline constexpr std::string_view kAccountFormsTable = "AccForms";
inline constexpr std::string_view kAccountFormsIdColumn = "AccountID";
inline constexpr std::string_view kAccountFormsActionColumn = "Action";
inline constexpr std::string_view kUserAccountsTable = "UserAcct";
inline constexpr std::string_view kConfigurationTable = "configuration";
inline constexpr std::string_view kConfigurationIdColumn = "identifier";
inline constexpr std::string_view kConfigurationDataColumn = "data";
// The configuration row set to "True" before every start of the program.
inline constexpr std::string_view kLatePreProcessIdentifier = "LatePreProcess";

}  // namespace common
