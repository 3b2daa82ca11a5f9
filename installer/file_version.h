// TVersion: the version text of a program file, for the printer's comment.
//
// The text is "Version " and the file's FileVersion string of the English
// (United States, code page 1252) string table, exactly as the file's author
// wrote it; any other translation, and the numeric version, are not looked
// at. A file without that string, or one that cannot be read, gives
// "Version 0.0.0.0".
#pragma once

#include <string>

namespace installer {

class TVersion {
 public:
  std::string GetVersionString(const std::string& path);
};

}  // namespace installer
