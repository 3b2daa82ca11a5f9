#include "splitter/engine/settings.h"

#include "platform/text.h"

namespace splitter {

int HandleBadAcctMode(const std::string& text) {
  const std::string mode = win::UpperCase(text);
  if (mode == "CONTINUE") return kBadAccountContinue;
  if (mode == "ABORT") return kBadAccountAbort;
  return kBadAccountAsk;
}

TSelectionSettings ReadSelectionSettings(const win::TIniFile& ini) {
  const TSelectionSettings defaults;
  TSelectionSettings settings;
  settings.NumLines = ini.ReadInteger(kConfigurationSection, "NumLines", defaults.NumLines);
  settings.BadIDFileName =
      ini.ReadString(kConfigurationSection, "BadIDFileName", defaults.BadIDFileName);
  settings.BadAcctFile = ini.ReadString(kConfigurationSection, "BadAcctFile", defaults.BadAcctFile);
  settings.TempFile = ini.ReadString(kConfigurationSection, "TempFile", defaults.TempFile);
  settings.HandleBadAcct =
      HandleBadAcctMode(ini.ReadString(kConfigurationSection, "HandleBadAcct", "None"));
  settings.StripAcctID = ini.ReadBool(kConfigurationSection, "StripAcctID", defaults.StripAcctID);
  settings.DeleteOrigFiles =
      ini.ReadBool(kOrigFileSection, "DeleteOrigFiles", defaults.DeleteOrigFiles);
  settings.NumberOfDays = ini.ReadFloat(kOrigFileSection, "NumberOfDays", defaults.NumberOfDays);
  return settings;
}

}  // namespace splitter
