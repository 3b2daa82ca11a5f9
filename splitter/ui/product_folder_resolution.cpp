// Where the check-writing program is, and the form of its folder written
// back into the shared configuration file.
#include <limits>

#include "common/computer_name.h"
#include "common/product_folder.h"
#include "common/universal_path.h"
#include "platform/files.h"
#include "platform/path.h"
#include "platform/text.h"
#include "splitter/engine/settings.h"
#include "splitter/ui/fselect_paths.h"

namespace splitter {

namespace {

// The form of `folder` that other computers can use. The folder part is
// taken with its last component even when the configured value lacks the
// final backslash, so that no computer is sent to the parent folder.
std::string SharedForm(const std::string& folder, const std::string& computerName) {
  if (win::UpperCase(win::ExtractFileDrive(folder)) != "C:")
    return common::ExpandToUniversalPath(folder);
  const std::string folderPart = win::ExtractFilePath(win::IncludeTrailingBackslash(folder));
  return "\\\\" + computerName + "\\" +
         std::string(win::Copy(folderPart, 4, std::numeric_limits<long long>::max()));
}

}  // namespace

void TFSelectPaths::ResolveProductFolder(win::TIniFile& ini, common::TOpenDialog& openDialog1,
                                         common::TErrorBox& errorBox) {
  ProductFolder = ini.ReadString(kConfigurationSection, kProductFolderKey, "");
  if (ProductFolder.empty() || !win::DirectoryExists(ProductFolder)) {
    ProductFolder = common::LocateProductFolder(openDialog1, errorBox);
  }
  const std::string computerName = common::LocalComputerName();
  // Written at every start, so the file always holds the folder in use.
  ini.WriteString(kConfigurationSection, kProductFolderKey,
                  SharedForm(ProductFolder, computerName));
  // The shared form of this computer's own installation: the local folder
  // serves better here. The name is matched in its exact letter case.
  if (!computerName.empty() && ProductFolder.find(computerName) != std::string::npos) {
    ProductFolder = common::LocateProductFolder(openDialog1, errorBox);
  }
  ProductFolder = win::IncludeTrailingBackslash(ProductFolder);
}

}  // namespace splitter
