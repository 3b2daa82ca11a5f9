// The splitter's settings: any configuration file gives the file selection
// window its settings and a run its settings, or stops the run with its
// message, and the values that steer the split stay in their documented
// shapes.
#include "splitter/engine/settings.h"

#include <string>

#include "common/product.h"
#include "fuzz/support/fuzz_support.h"
#include "fuzz/support/quiet_main_view.h"
#include "platform/inifile.h"
#include "platform/params.h"
#include "platform/registry.h"
#include "platform/stringlist.h"
#include "splitter/engine/main_form/main.h"

namespace {

using namespace splitter;

// The program at C:\Apps\DAVURI.EXE with its configuration file beside it,
// and the check-writing product in C:\VEZ.
void InstallOnce() {
  static const bool installed = [] {
    const std::filesystem::path driveC = fuzz::MachineDriveC();
    win::SetCommandLine("C:\\Apps\\DAVURI.EXE", {});
    fuzz::WriteHostFile(driveC / "Apps" / "DAVURI.EXE", "program");
    fuzz::WriteHostFile(driveC / "VEZ" / "VEZ7.EXE", "program");
    win::TRegistry registry;
    if (!registry.OpenKey(std::string(common::kProductRegistryKey), true))
      fuzz::Fail("no product key");
    registry.WriteString(std::string(common::kProductDirectoryValue), "C:\\VEZ");
    return true;
  }();
  (void)installed;
}

void CheckSelectionSettings(const TSelectionSettings& settings) {
  fuzz::Check(settings.HandleBadAcct == kBadAccountAsk ||
                  settings.HandleBadAcct == kBadAccountContinue ||
                  settings.HandleBadAcct == kBadAccountAbort,
              "HandleBadAcct " + std::to_string(settings.HandleBadAcct));
}

void CheckRunSettings(const Tform_Main& form) {
  fuzz::Check(!form.ProductFolder.empty() && form.ProductFolder.back() == '\\',
              "product folder " + form.ProductFolder);
  fuzz::Check(form.ProductExe == form.ProductFolder + std::string(common::kProductExeName),
              "product program " + form.ProductExe);
  // Payroll pairs, the marker, deposit pairs: an odd count, a marker in it.
  const win::TStringList& definitions = *form.DocumentDefinitions;
  fuzz::Check(definitions.Count() % 2 == 1 && definitions.IndexOf(kDefinitionsMarker) >= 0,
              "document definitions of " + std::to_string(definitions.Count()) + " lines");
  for (int i = 0; i < form.PreChainCommands->Count(); ++i) {
    fuzz::Check(!(*form.PreChainCommands)[i].empty(), "an empty chain command");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  InstallOnce();
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  fuzz::WriteHostFile(fuzz::MachineDriveC() / "Apps" / "DAVURI.INI", text);

  CheckSelectionSettings(ReadSelectionSettings(win::TIniFile("C:\\Apps\\DAVURI.INI")));
  fuzz::TQuietMainView view;
  Tform_Main form(view);
  try {
    form.ReadRunSettings();
  } catch (const win::Exception& error) {
    // The product folder that the file names has no program, or it cannot
    // be written back.
    const std::string message = error.Message();
    fuzz::Check(message.starts_with("DurEDO Executable not found! (") ||
                    message == "Unable to write to C:\\Apps\\DAVURI.INI",
                "run settings raised " + message);
    return 0;
  }
  CheckRunSettings(form);
  return 0;
}
