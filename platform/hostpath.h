// Host mapping: where a full Windows path lives on the host, and the Windows
// form of a host path.
//
// Drive X: is the link <prefix>/dosdevices/x: (lower-case, as Wine names
// them); \\server\share is the host folder that the network provider's share
// table gives (network.h). Below that root every component is looked up
// exactly first and then, when missing, case-insensitively in its folder
// (foldernames.h), because the system's code changes letter case freely. Components
// from the first one that does not exist on are kept as spelled, so a new
// file or folder gets the case it was given.
//
// Only full paths are mapped here; files.h resolves relative ones against the
// process's current directory first.
#pragma once

#include <filesystem>
#include <string>

namespace win {

// The host path of `fullPath` ("C:\CFG\MY.INI" -> <prefix>/dosdevices/c:/cfg/my.ini
// when that file exists in lower case). Returns false with
// ERROR_PATH_NOT_FOUND for a drive that has no link, ERROR_BAD_NETPATH for a
// UNC path without a share name, ERROR_BAD_NET_NAME for a share the table
// does not know (ERROR_NO_NETWORK when the hive cannot be read), and ERROR_INVALID_NAME for a path
// that is not full or whose components hold ".", "..", a "/", a zero byte or other
// characters Windows forbids in names.
bool HostPathFromWindows(const std::string& fullPath, std::filesystem::path& hostPath);

// The Windows form of the absolute host path `hostPath`: the drive whose link
// target is the longest prefix of it wins, so "/" is Z: in a default prefix.
// Returns false with ERROR_PATH_NOT_FOUND when no drive covers it.
bool WindowsPathFromHost(const std::filesystem::path& hostPath, std::string& windowsPath);

}  // namespace win
