#include "platform/hostpath.h"

#include <sys/stat.h>

#include <cctype>
#include <cstring>
#include <system_error>
#include <vector>

#include "platform/error.h"
#include "platform/foldernames.h"
#include "platform/network.h"
#include "platform/prefix.h"
#include "platform/text.h"

namespace win {

namespace {

namespace fs = std::filesystem;

// A "/" is a separator to the host, so a component holding one could climb
// out of its folder ("x/../../etc").
bool IsValidComponent(const std::string& component) {
  if (component == "." || component == "..") return false;
  for (const char c : component) {
    if (static_cast<unsigned char>(c) < 32 || std::strchr("<>:\"/|?*", c) != nullptr) return false;
  }
  return true;
}

std::vector<std::string> SplitComponents(const std::string& rest) {
  std::vector<std::string> components;
  std::size_t start = 0;
  while (start < rest.size()) {
    std::size_t end = rest.find('\\', start);
    if (end == std::string::npos) end = rest.size();
    if (end > start) components.push_back(rest.substr(start, end - start));
    start = end + 1;
  }
  return components;
}

// The host folder and the part below it of a full Windows path.
bool SplitRoot(const std::string& fullPath, fs::path& root, std::string& rest) {
  if (fullPath.size() >= 2 && fullPath[0] == '\\' && fullPath[1] == '\\') {
    const std::size_t serverEnd = fullPath.find('\\', 2);
    if (serverEnd == std::string::npos || serverEnd == 2) return Fail(ERROR_BAD_NETPATH);
    const std::size_t shareEnd = fullPath.find('\\', serverEnd + 1);
    const std::string share = fullPath.substr(0, shareEnd);
    if (share.size() == serverEnd + 1) return Fail(ERROR_BAD_NETPATH);
    if (!FindShareHostFolder(share, root)) return false;
    rest = shareEnd == std::string::npos ? std::string() : fullPath.substr(shareEnd);
    return true;
  }
  if (fullPath.size() < 3 || !std::isalpha(static_cast<unsigned char>(fullPath[0])) ||
      fullPath[1] != ':' || fullPath[2] != '\\') {
    return Fail(ERROR_INVALID_NAME);
  }
  const char letter = LowerChar(fullPath[0]);
  root = DosDevicesPath() / (std::string(1, letter) + ":");
  struct stat st {};
  if (::lstat(root.c_str(), &st) != 0) return Fail(ERROR_PATH_NOT_FOUND);
  rest = fullPath.substr(2);
  return true;
}

}  // namespace

bool HostPathFromWindows(const std::string& fullPath, fs::path& hostPath) {
  fs::path result;
  std::string rest;
  if (!SplitRoot(fullPath, result, rest)) return false;
  const std::vector<std::string> components = SplitComponents(rest);
  for (const std::string& component : components) {
    if (!IsValidComponent(component)) return Fail(ERROR_INVALID_NAME);
  }
  bool existing = true;
  for (const std::string& component : components) {
    struct stat st {};
    std::string found;
    if (existing && ::lstat((result / component).c_str(), &st) != 0) {
      existing = FindNameIgnoringCase(result, component, found);
    }
    result /= found.empty() ? component : found;
  }
  hostPath = std::move(result);
  return true;
}

bool WindowsPathFromHost(const fs::path& hostPath, std::string& windowsPath) {
  std::error_code ec;
  const std::string host = fs::weakly_canonical(hostPath, ec).string();
  if (ec) return Fail(ERROR_PATH_NOT_FOUND);
  char bestDrive = 0;
  std::size_t bestLength = 0;
  for (char letter = 'a'; letter <= 'z'; ++letter) {
    const fs::path link = DosDevicesPath() / (std::string(1, letter) + ":");
    const std::string target = fs::canonical(link, ec).string();
    if (ec) continue;
    const bool covers = host == target || target == "/" ||
                        (host.compare(0, target.size(), target) == 0 && host[target.size()] == '/');
    if (covers && (bestDrive == 0 || target.size() > bestLength)) {
      bestDrive = letter;
      bestLength = target.size();
    }
  }
  if (bestDrive == 0) return Fail(ERROR_PATH_NOT_FOUND);
  std::string rest = host.substr(bestLength == 1 ? 0 : bestLength);
  for (char& c : rest) {
    if (c == '/') c = '\\';
  }
  windowsPath = std::string(1, UpperChar(bestDrive)) + ":" + (rest.empty() ? "\\" : rest);
  return true;
}

}  // namespace win
