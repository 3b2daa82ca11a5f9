// The prefix: the host folder that plays one Windows machine for all three
// programs of an installation, like a Wine prefix.
//
// It is named by ZERURUD_PREFIX (default ~/.zerurud) and read again at every
// call, so that tests can point a process at a fresh machine. On first use
// the prefix is created with its defaults: dosdevices/c: -> ../drive_c,
// dosdevices/z: -> /, an empty drive_c/ and a system.reg holding only the
// registry file header. Existing parts are never overwritten.
//
// It does not map paths (see hostpath.h) or parse the hive (see registry.h).
#pragma once

#include <filesystem>
#include <string_view>

namespace win {

// The first line of every hive file.
inline constexpr std::string_view kRegistryHeader = "Windows Registry Editor Version 5.00";

// The prefix folder, created with its defaults when missing. Throws
// win::Exception when it cannot be created.
std::filesystem::path PrefixRoot();

// <prefix>/system.reg, the HKEY_LOCAL_MACHINE hive.
std::filesystem::path HivePath();

// <prefix>/dosdevices, the drive-letter links.
std::filesystem::path DosDevicesPath();

}  // namespace win
