#include "installer/file_version.h"

#include <vector>

#include "platform/version.h"

namespace installer {

std::string TVersion::GetVersionString(const std::string& path) {
  std::string result = "Version 0.0.0.0";
  if (path.empty()) return result;
  win::DWORD handle = 0;
  const win::DWORD size = win::GetFileVersionInfoSize(path, &handle);
  if (size == 0) return result;
  std::vector<char> block(size);
  if (!win::GetFileVersionInfo(path, 0, size, block.data())) return result;
  void* value = nullptr;
  win::UINT length = 0;
  if (!win::VerQueryValue(block.data(), "\\StringFileInfo\\040904E4\\FileVersion", &value,
                          &length)) {
    return result;
  }
  return "Version " + std::string(static_cast<const char*>(value));
}

}  // namespace installer
