// The backend's device URI, "zerurud:<prefix folder>", and whether a prefix
// folder may be trusted by a backend that runs as root.
#pragma once

#include <filesystem>
#include <string>

namespace printing {

inline constexpr char kScheme[] = "zerurud:";

// The prefix folder that `uri` names; false unless it is "zerurud:" followed
// by an absolute path.
bool PrefixOfDeviceUri(const std::string& uri, std::filesystem::path& prefix);

// Root starts the follow-up program the prefix's hive names, so the folder,
// its system.reg and every folder above must be beyond other users' reach:
// owned by root and writable by nobody else (a folder above may be a sticky
// one, like /tmp). `prefix` becomes the real path that was checked, so that
// no link can be turned elsewhere afterwards. False with the reason otherwise.
bool PrefixIsSafeForRoot(std::filesystem::path& prefix, std::string& reason);

}  // namespace printing
