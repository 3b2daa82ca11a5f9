// Queued UNC paths are handed to a run through the drive letter their share
// is connected as.
#include <optional>
#include <vector>

#include "platform/network.h"
#include "platform/path.h"
#include "platform/text.h"
#include "splitter/ui/fselect_paths.h"

namespace splitter {

void TFSelectPaths::EnumConnectedDrives() {
  constexpr std::size_t kEnumBufferSize = 16384;
  constexpr win::DWORD kAsManyAsFit = 0xFFFFFFFF;
  RemoteToLocal = std::make_unique<win::TStringList>();
  win::HANDLE enumHandle = nullptr;
  if (win::WNetOpenEnum(win::RESOURCE_CONNECTED, win::RESOURCETYPE_DISK, 0, nullptr, enumHandle) !=
      win::NO_ERROR) {
    return;
  }
  // One batch is enough for any real set of connections; a read that fails
  // delivers no entries, so its result needs no look.
  win::DWORD count = kAsManyAsFit;
  std::vector<win::TNetResource> entries;
  win::WNetEnumResource(enumHandle, count, entries, kEnumBufferSize);
  // A connection without a drive letter (an empty local name) removes the
  // share's line.
  for (const win::TNetResource& entry : entries) {
    RemoteToLocal->SetValues(entry.RemoteName, entry.LocalName);
  }
  win::WNetCloseEnum(enumHandle);
}

std::string TFSelectPaths::MapToLocalDrive(const std::string& path) {
  constexpr long long kLongestRest = 999;
  if (!RemoteToLocal) EnumConnectedDrives();
  std::optional<std::string> mapped;
  for (int i = 0; i < RemoteToLocal->Count(); ++i) {
    const std::string remote = RemoteToLocal->Names(i);
    const std::size_t n = remote.size();
    if (n == 0 || !win::SameText(win::Copy(path, 1, static_cast<long long>(n)), remote)) continue;
    // \\srv\data is no prefix of \\srv\database\x.
    if (path.size() > n && path[n] != '\\') continue;
    mapped = win::IncludeTrailingBackslash(RemoteToLocal->ValueFromIndex(i)) +
             std::string(win::Copy(path, static_cast<long long>(n) + 2, kLongestRest));
  }
  return mapped.value_or(path);
}

}  // namespace splitter
