// Settings: what a run reads from the configuration file at its start.
#include "common/computer_name.h"
#include "common/product.h"
#include "common/product_folder.h"
#include "platform/files.h"
#include "platform/inifile.h"
#include "platform/stringlist.h"
#include "splitter/engine/main_form/main.h"
#include "splitter/engine/settings.h"
#include "splitter/engine/utilities.h"

namespace splitter {

namespace {

// The line/tag pairs of one section, numbered from 0 until a "Line" key
// reads "DONE".
void ReadDefinitions(const win::TIniFile& ini, const char* section, win::TStringList& definitions) {
  for (int n = 0;; ++n) {
    const std::string number = std::to_string(n);
    const std::string line = ini.ReadString(section, "Line" + number, kDefinitionsDone);
    if (line == kDefinitionsDone) return;
    definitions.Add(line);
    definitions.Add(ini.ReadString(section, "Tagg" + number, kDefinitionsDone));
  }
}

}  // namespace

void Tform_Main::ReadRunSettings() {
  SelectIniFile(1);
  win::TIniFile ini(IniFileName);
  NumLines = ini.ReadInteger(kConfigurationSection, "NumLines", kDefaultNumLines);

  ProductFolder = ini.ReadString(kConfigurationSection, kProductFolderKey, "");
  if (ProductFolder.empty())
    ProductFolder = common::LocateProductFolder(FView.OpenDialog1(), FView);
  ini.WriteString(kConfigurationSection, kProductFolderKey, ProductFolder);
  // A UNC path naming this computer was written by a start here: the local
  // installation folder serves better.
  const std::string computer = common::LocalComputerName();
  if (!computer.empty() && ProductFolder.find(computer) != std::string::npos) {
    ProductFolder = common::LocateProductFolder(FView.OpenDialog1(), FView);
  }
  // A folder typed without its backslash would run into the program's name.
  if (ProductFolder.empty() || ProductFolder.back() != '\\') ProductFolder += '\\';
  ProductExe = ProductFolder + std::string(common::kProductExeName);
  if (!win::FileExists(ProductExe)) FatalStop("DurEDO Executable not found! (" + ProductExe + ")");

  ChainDelay = static_cast<std::uint16_t>(
      ini.ReadInteger(kConfigurationSection, "ChainDelay", kDefaultChainDelay));
  PreChainCommands = std::make_unique<win::TStringList>();
  for (int n = 1;; ++n) {
    const std::string command =
        ini.ReadString(kConfigurationSection, "PreChain:" + std::to_string(n), "");
    if (command.empty()) break;
    PreChainCommands->Add(command);
  }
  Action = ini.ReadString(kConfigurationSection, "Action", kDefaultAction);
  AccountLine = ini.ReadInteger(kConfigurationSection, "Account:Line", 1);
  AccountCol = ini.ReadInteger(kConfigurationSection, "Account:Col", 1);
  AccountWidth = ini.ReadInteger(kConfigurationSection, "Account:Width", 8);
  EncDec = ini.ReadBool(kEncDecSection, "EncDec", true);

  DocumentDefinitions = std::make_unique<win::TStringList>();
  ReadDefinitions(ini, kPayrollSection, *DocumentDefinitions);
  DocumentDefinitions->Add(kDefinitionsMarker);
  ReadDefinitions(ini, kDepositSection, *DocumentDefinitions);

  AccountCodes = std::make_unique<win::TStringList>();
  ini.ReadSectionValues(kAccountCodesSection, *AccountCodes);
}

}  // namespace splitter
