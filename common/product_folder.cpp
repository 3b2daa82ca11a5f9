#include "common/product_folder.h"

#include "common/product.h"
#include "platform/params.h"
#include "platform/path.h"
#include "platform/registry.h"

namespace common {

namespace {

bool IsBlank(const std::string& text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) > ' ') return false;
  }
  return true;
}

}  // namespace

std::string LocateProductFolder(TOpenDialog& dialog, TErrorBox& errorBox) {
  std::string folder;
  win::TRegistry registry(win::KEY_ALL_ACCESS);
  if (registry.OpenKey(std::string(kProductRegistryKey), false)) {
    folder = registry.ReadString(std::string(kProductDirectoryValue));
  } else {
    // Only a picked file ends this: a cancelled dialog keeps a file name
    // without a folder part.
    while (IsBlank(folder)) {
      errorBox.ShowErrorBox("Ruvuduzer Directory Not Found!");
      dialog.InitialDir = win::ExtractFilePath(win::ParamStr(0));
      dialog.Execute();
      folder = win::ExtractFilePath(dialog.FileName);
    }
  }
  registry.CloseKey();
  if (folder.empty() || folder.back() != '\\') folder += '\\';
  return folder;
}

}  // namespace common
