#include "installer/path_normalisation.h"

#include <string>

#include "common/universal_path.h"
#include "platform/registry.h"

namespace installer {

void NormaliseConfigurationPaths() {
  win::TRegistry registry(win::KEY_ALL_ACCESS);
  if (!registry.OpenKey(kPrinterKey, false)) return;
  for (const char* name : {"FilePath", "Command Line", "Chain"}) {
    const std::string text = registry.ReadString(name);
    if (text.empty()) continue;
    registry.WriteString(name, common::ExpandToUniversalPath(text));
  }
  registry.CloseKey();
}

}  // namespace installer
