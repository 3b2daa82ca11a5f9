// Case-insensitive name lookup in a host folder, for host mapping
// (hostpath.h), in constant time per lookup once a folder has been read.
//
// A folder's names are read once and then kept current by the kernel's change
// notifications (inotify), which report every entry created, deleted or
// renamed before the call that changed it returns; so an entry made by
// another process is seen at the next lookup, just as by reading the folder
// again. Folders on file systems whose changes may come from elsewhere
// without notice (network and user-space ones), and every lookup in a forked
// child or where notifications are unavailable, read the folder each time.
//
// Letter case is ASCII letter case.
#pragma once

#include <filesystem>
#include <string>

namespace win {

// The entry of `folder` whose name equals `name` ignoring case; the smallest
// (in byte order) when several differ only in case, so that the choice is
// stable. False when there is none or the folder cannot be read.
bool FindNameIgnoringCase(const std::filesystem::path& folder, const std::string& name,
                          std::string& found);

}  // namespace win
