#include "common/universal_path.h"

#include "platform/files.h"
#include "platform/network.h"

namespace common {

std::string ExpandToUniversalPath(const std::string& path) {
  constexpr std::size_t kUniversalNameBuffer = 1024;
  std::string full;
  if (!win::GetFullPathName(path, full)) return path;
  const bool driveLetter =
      full.size() >= 3 && full[1] == ':' &&
      ((full[0] >= 'A' && full[0] <= 'Z') || (full[0] >= 'a' && full[0] <= 'z'));
  if (driveLetter) {
    std::string universal;
    if (win::WNetGetUniversalName(full, universal, kUniversalNameBuffer) == win::NO_ERROR) {
      return universal;
    }
  }
  return full;
}

}  // namespace common
