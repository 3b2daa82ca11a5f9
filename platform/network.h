// The network provider: which network drives are connected and where each
// UNC share lives on the host.
//
// Both tables are kept in the hive under SOFTWARE\Zerurud\Platform\Network:
// "Connections" (name = local drive "X:", data = remote name "\\srv\data")
// and "Shares" (name = remote name "\\srv\data", data = host folder). It
// connects and disconnects nothing; an administrator fills the tables with
// the reg command.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/error.h"

namespace win {

// One connected disk, as a network-resource enumeration returns it.
struct TNetResource {
  std::string LocalName;   // "X:"
  std::string RemoteName;  // "\\srv\data"
};

// The connected network drives in stored order. An empty list when none is
// connected; false (GetLastError ERROR_NO_NETWORK) when the hive cannot be
// read.
bool EnumConnectedDisks(std::vector<TNetResource>& resources);

// The universal name of a path on a connected drive: "X:\in\a.ruz" with X:
// connected to \\srv\data gives "\\srv\data\in\a.ruz". Returns NO_ERROR,
// ERROR_BAD_DEVICE for a path that does not begin with a drive letter,
// ERROR_NOT_CONNECTED for a letter that is not connected (local drives
// included), ERROR_MORE_DATA when the name and its terminating zero need
// more than `bufferSize` characters, ERROR_NO_NETWORK when the hive cannot
// be read. `universalName` is set only on success.
inline constexpr DWORD NO_ERROR = 0;
DWORD WNetGetUniversalName(const std::string& localPath, std::string& universalName,
                           std::size_t bufferSize);

// The host folder where the share `remoteName` ("\\srv\data", any letter
// case) lives; false when it is not in the share table or the hive cannot be
// read.
bool FindShareHostFolder(const std::string& remoteName, std::filesystem::path& hostFolder);

}  // namespace win
