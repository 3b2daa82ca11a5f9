#include "splitter/engine/utilities.h"

#include "platform/files.h"
#include "platform/params.h"
#include "platform/path.h"
#include "platform/text.h"

namespace splitter {

std::string IniFileName;
std::uint8_t IniParamIndex = 0;

std::string PadToWidth(const std::string& text, std::uint8_t width) {
  std::string padded = text;
  padded.resize(width, ' ');
  return padded;
}

std::uint8_t LastCharPos(char c, const std::string& text) {
  for (std::uint8_t pos = static_cast<std::uint8_t>(text.size() % 256); pos >= 1; --pos) {
    if (text[pos - 1] == c) return pos;
  }
  return 0;
}

void SelectIniFile(std::uint8_t index) {
  IniParamIndex = index;
  if (win::ParamCount() > index) {
    IniFileName = win::UpperCase(win::ParamStr(index + 1));
  } else {
    IniFileName = win::ChangeFileExt(win::ParamStr(0), ".INI");
  }
  if (IniFileName.find_first_of("\\:") == std::string::npos) {
    IniFileName = win::ExtractFilePath(win::ParamStr(0)) + IniFileName;
  }
}

std::string StripTrailingBackslash(const std::string& text) {
  if (text.size() > 1 && text.back() == '\\') return text.substr(0, text.size() - 1);
  return text;
}

std::string ShortPathName(const std::string& path) {
  constexpr std::size_t kBufferSize = 1024;
  if (path.size() > kBufferSize) return path;
  std::string shortPath;
  if (!win::GetShortPathName(path, shortPath)) return path;
  return shortPath;
}

}  // namespace splitter
