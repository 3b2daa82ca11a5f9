// The splitter's configuration file: its sections, keys and defaults, and the
// reader of the settings that the file selection window keeps for its runs.
// The processing window's own reader is Tform_Main::ReadRunSettings.
#pragma once

#include <string>

#include "platform/inifile.h"

namespace splitter {

inline constexpr const char* kConfigurationSection = "Configuration";
inline constexpr const char* kEncDecSection = "EncDec";
inline constexpr const char* kOrigFileSection = "OrigFile";
inline constexpr const char* kPayrollSection = "Payroll";
inline constexpr const char* kDepositSection = "Deposit";
inline constexpr const char* kAccountCodesSection = "AccountCodes";

inline constexpr const char* kProductFolderKey = "DurEDOPath";
inline constexpr int kDefaultNumLines = 42;
inline constexpr int kDefaultChainDelay = 1000;
inline constexpr const char* kDefaultAction = "AP";
inline constexpr const char* kDefaultBadIDFileName = "SPLIT???.BAD";
inline constexpr const char* kDefaultBadAcctFile = "SPLITW.LOG";
inline constexpr const char* kDefaultTempFile = "SPLITW.$$$";
inline constexpr double kDefaultNumberOfDays = 3.0;
// Ends a section of DocumentDefinitions, and is the default of its keys.
inline constexpr const char* kDefinitionsMarker = "DD";
inline constexpr const char* kDefinitionsDone = "DONE";

// Modes of HandleBadAcct.
inline constexpr int kBadAccountAsk = 0;
inline constexpr int kBadAccountContinue = 1;
inline constexpr int kBadAccountAbort = 3;

// The mode for a "HandleBadAcct" text, compared in upper case: "CONTINUE" 1,
// "ABORT" 3, anything else 0.
int HandleBadAcctMode(const std::string& text);

// What the file selection window reads at its creation (besides the product
// folder), five of which it hands to every run.
struct TSelectionSettings {
  int NumLines = kDefaultNumLines;
  std::string BadIDFileName = kDefaultBadIDFileName;
  std::string BadAcctFile = kDefaultBadAcctFile;
  std::string TempFile = kDefaultTempFile;
  int HandleBadAcct = kBadAccountAsk;
  bool StripAcctID = true;
  bool DeleteOrigFiles = true;
  double NumberOfDays = kDefaultNumberOfDays;
};

TSelectionSettings ReadSelectionSettings(const win::TIniFile& ini);

}  // namespace splitter
