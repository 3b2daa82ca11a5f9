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
#include "platform/handle.h"

namespace win {

// What the network provider's calls return on success.
inline constexpr DWORD NO_ERROR = 0;

// One connected disk, as a network-resource enumeration returns it.
struct TNetResource {
  std::string LocalName;   // "X:"
  std::string RemoteName;  // "\\srv\data"
};

// The connected network drives in stored order. An empty list when none is
// connected; false (GetLastError ERROR_NO_NETWORK) when the hive cannot be
// read.
bool EnumConnectedDisks(std::vector<TNetResource>& resources);

// The network-resource enumeration as the network provider offers it: open,
// read batches that fit a caller's buffer, close. Only the connected disks
// are known here.
inline constexpr DWORD RESOURCE_CONNECTED = 0x00000001;
inline constexpr DWORD RESOURCETYPE_ANY = 0x00000000;
inline constexpr DWORD RESOURCETYPE_DISK = 0x00000001;
// What one entry takes of an enumeration buffer besides its two names and
// their terminating zeros: the record of eight 32-bit fields.
inline constexpr std::size_t kNetResourceRecordSize = 32;

// Starts an enumeration of the connections as they are now (later changes
// are not seen by it). `scope` must be RESOURCE_CONNECTED
// (ERROR_NOT_SUPPORTED otherwise) and `container` null
// (ERROR_INVALID_PARAMETER otherwise); `usage` does not apply to
// connections. RESOURCETYPE_DISK and RESOURCETYPE_ANY enumerate the
// connected disks, other types nothing. Connections come in stored order,
// those without a remote name left out, remote names without a trailing
// backslash. ERROR_NO_NETWORK when the hive cannot be read. `enumHandle` is
// set only on NO_ERROR.
DWORD WNetOpenEnum(DWORD scope, DWORD type, DWORD usage, const TNetResource* container,
                   HANDLE& enumHandle);
// The next batch: at most `count` entries (0xFFFFFFFF: as many as fit) whose
// records and names fit `bufferSize` bytes. NO_ERROR with `count` and
// `entries` set to the batch; ERROR_NO_MORE_ITEMS when nothing is left;
// ERROR_MORE_DATA when not even the next entry fits; ERROR_INVALID_HANDLE for
// a handle that is no open enumeration. On failure `count` is 0 and
// `entries` empty.
DWORD WNetEnumResource(HANDLE enumHandle, DWORD& count, std::vector<TNetResource>& entries,
                       std::size_t bufferSize);
// Ends an enumeration: NO_ERROR, or ERROR_INVALID_HANDLE.
DWORD WNetCloseEnum(HANDLE enumHandle);

// The universal name of a path on a connected drive: "X:\in\a.ruz" with X:
// connected to \\srv\data gives "\\srv\data\in\a.ruz". Returns NO_ERROR,
// ERROR_BAD_DEVICE for a path that does not begin with a drive letter,
// ERROR_NOT_CONNECTED for a letter that is not connected (local drives
// included), ERROR_MORE_DATA when the name and its terminating zero need
// more than `bufferSize` characters, ERROR_NO_NETWORK when the hive cannot
// be read. `universalName` is set only on success.
DWORD WNetGetUniversalName(const std::string& localPath, std::string& universalName,
                           std::size_t bufferSize);

// The host folder where the share `remoteName` ("\\srv\data", any letter
// case) lives; false when it is not in the share table or the hive cannot be
// read.
bool FindShareHostFolder(const std::string& remoteName, std::filesystem::path& hostFolder);

}  // namespace win
