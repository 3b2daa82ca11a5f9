#include "platform/path.h"

#include <cctype>
#include <vector>

#include "platform/error.h"
#include "platform/text.h"

namespace win {

namespace {

bool IsDelimiter(char c) { return c == '\\' || c == ':'; }

bool IsDriveLetter(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }

bool HasDrive(const std::string& path) {
  return path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == ':';
}

std::size_t LastDelimiter(const std::string& path) {
  for (std::size_t i = path.size(); i > 0; --i) {
    if (IsDelimiter(path[i - 1])) return i - 1;
  }
  return std::string::npos;
}

// Where the extension's dot is, or npos.
std::size_t ExtensionDot(const std::string& path) {
  const std::size_t dot = path.rfind('.');
  const std::size_t delimiter = LastDelimiter(path);
  if (dot == std::string::npos) return dot;
  if (delimiter != std::string::npos && dot < delimiter) return std::string::npos;
  return dot;
}

// An absolute path cut into its root ("C:" or "\\srv\share") and the rest
// below it; false for anything relative.
bool SplitAbsolute(const std::string& path, std::string& root, std::string& rest) {
  if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
    const std::size_t serverEnd = path.find('\\', 2);
    if (serverEnd == 2 || path.size() == 2) return false;
    if (serverEnd == std::string::npos) {
      root = path;
      rest.clear();
      return true;
    }
    const std::size_t shareEnd = path.find('\\', serverEnd + 1);
    root = path.substr(0, shareEnd);
    rest = shareEnd == std::string::npos ? std::string() : path.substr(shareEnd);
    return true;
  }
  if (HasDrive(path) && path.size() >= 3 && path[2] == '\\') {
    root = path.substr(0, 2);
    rest = path.substr(2);
    return true;
  }
  return false;
}

std::vector<std::string> NormalisedComponents(const std::string& rest) {
  std::vector<std::string> components;
  std::size_t start = 0;
  while (start <= rest.size()) {
    std::size_t end = rest.find('\\', start);
    if (end == std::string::npos) end = rest.size();
    const std::string component = rest.substr(start, end - start);
    if (component == "..") {
      if (!components.empty()) components.pop_back();
    } else if (!component.empty() && component != ".") {
      components.push_back(component);
    }
    start = end + 1;
  }
  return components;
}

}  // namespace

std::string ExtractFileDrive(const std::string& path) {
  if (HasDrive(path)) return path.substr(0, 2);
  if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
    const std::size_t serverEnd = path.find('\\', 2);
    if (serverEnd == std::string::npos) return path;
    return path.substr(0, path.find('\\', serverEnd + 1));
  }
  return {};
}

std::string ExtractFilePath(const std::string& path) {
  const std::size_t delimiter = LastDelimiter(path);
  return delimiter == std::string::npos ? std::string() : path.substr(0, delimiter + 1);
}

std::string ExtractFileName(const std::string& path) {
  const std::size_t delimiter = LastDelimiter(path);
  return delimiter == std::string::npos ? path : path.substr(delimiter + 1);
}

std::string ExtractFileExt(const std::string& path) {
  const std::size_t dot = ExtensionDot(path);
  return dot == std::string::npos ? std::string() : path.substr(dot);
}

std::string ChangeFileExt(const std::string& path, const std::string& extension) {
  const std::size_t dot = ExtensionDot(path);
  return (dot == std::string::npos ? path : path.substr(0, dot)) + extension;
}

std::string IncludeTrailingBackslash(const std::string& path) {
  return !path.empty() && path.back() == '\\' ? path : path + '\\';
}

std::string ExcludeTrailingBackslash(const std::string& path) {
  return !path.empty() && path.back() == '\\' ? path.substr(0, path.size() - 1) : path;
}

std::string TCurrentDirectories::DirectoryOfDrive(char drive) const {
  const char letter = UpperChar(drive);
  if (HasDrive(Current) && UpperChar(Current[0]) == letter) return Current;
  const auto known = PerDrive.find(letter);
  if (known != PerDrive.end()) return known->second;
  return std::string(1, letter) + ":\\";
}

void TCurrentDirectories::Enter(const std::string& folder) {
  Current = folder;
  if (HasDrive(folder)) PerDrive[UpperChar(folder[0])] = folder;
}

bool ResolveFullPath(const std::string& path, const TCurrentDirectories& dirs,
                     std::string& fullPath, std::size_t bufferLength) {
  std::string text = path;
  for (char& c : text) {
    if (c == '/') c = '\\';
  }
  if (text.empty()) return Fail(ERROR_INVALID_NAME);

  std::string root;
  std::string rest;
  const bool unc = text.size() >= 2 && text[0] == '\\' && text[1] == '\\';
  if (unc || (HasDrive(text) && text.size() >= 3 && text[2] == '\\')) {
    if (!SplitAbsolute(text, root, rest)) return Fail(ERROR_INVALID_NAME);
  } else {
    std::string base;
    std::string relative = text;
    if (HasDrive(text)) {
      base = dirs.DirectoryOfDrive(text[0]);
      relative = text.substr(2);
    } else if (text[0] == '\\') {
      std::string currentRest;
      if (!SplitAbsolute(dirs.Current, base, currentRest)) return Fail(ERROR_INVALID_NAME);
    } else {
      base = dirs.Current;
    }
    if (!SplitAbsolute(base + '\\' + relative, root, rest)) return Fail(ERROR_INVALID_NAME);
  }

  const std::vector<std::string> components = NormalisedComponents(rest);
  std::string result = root;
  for (const std::string& component : components) result += '\\' + component;
  const bool driveRoot = components.empty() && HasDrive(root);
  if (driveRoot || (text.back() == '\\' && result.back() != '\\')) result += '\\';

  if (result.size() + 1 > bufferLength) return Fail(ERROR_FILENAME_EXCED_RANGE);
  fullPath = std::move(result);
  return true;
}

}  // namespace win
