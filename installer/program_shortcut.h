// TProgramShortCut: a shortcut file in one of the shell's special folders,
// named by its path below the folder without the extension
// ("Programs\Ruvuduzer\Revivu zov Eduzera") and the folder's identifier (a CSIDL
// value, platform/shell.h). The file is folder path + "\" + name + ".lnk".
// Nothing carries over between calls.
#pragma once

#include <string>

namespace installer {

class TProgramShortCut {
 public:
  // The folder's file-system path; false, with `path` untouched, when the
  // shell does not know the folder or it does not exist.
  bool GetSpecialFolderPath(int folder, std::string& path);
  // True when the shortcut exists as a file; a folder of that name is none.
  bool ShortCutExists(const std::string& name, int folder);
  // True when the shortcut file was deleted.
  bool DeleteShortCut(const std::string& name, int folder);
};

}  // namespace installer
