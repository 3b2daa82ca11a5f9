#include "printing/device_uri.h"

#include <sys/stat.h>

#include <system_error>

namespace printing {

namespace fs = std::filesystem;

namespace {

// Writable by someone other than root: the owner is not root, or the group
// (other than root's) or everybody may write.
bool OthersMayWrite(const struct stat& st) {
  if (st.st_uid != 0) return true;
  if ((st.st_mode & S_IWOTH) != 0) return true;
  return (st.st_mode & S_IWGRP) != 0 && st.st_gid != 0;
}

// In a sticky folder only an entry's owner may rename or remove it.
bool OthersMayReplaceEntries(const struct stat& st) {
  return OthersMayWrite(st) && (st.st_uid != 0 || (st.st_mode & S_ISVTX) == 0);
}

}  // namespace

bool PrefixOfDeviceUri(const std::string& uri, fs::path& prefix) {
  const std::string scheme = kScheme;
  if (uri.compare(0, scheme.size(), scheme) != 0) return false;
  prefix = uri.substr(scheme.size());
  return prefix.is_absolute();
}

bool PrefixIsSafeForRoot(fs::path& prefix, std::string& reason) {
  std::error_code error;
  const fs::path folder = fs::canonical(prefix, error);
  struct stat st {};
  if (error || ::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    reason = "the prefix folder " + prefix.string() + " does not exist";
    return false;
  }
  if (OthersMayWrite(st)) {
    reason = "the prefix folder " + folder.string() + " is writable by other users than root";
    return false;
  }
  const fs::path hive = folder / "system.reg";
  if (::lstat(hive.c_str(), &st) == 0 && (!S_ISREG(st.st_mode) || OthersMayWrite(st))) {
    reason = hive.string() + " is not a file that only root may write";
    return false;
  }
  for (fs::path above = folder.parent_path();; above = above.parent_path()) {
    if (::stat(above.c_str(), &st) != 0 || OthersMayReplaceEntries(st)) {
      reason = "the folder " + above.string() +
               " above the prefix folder is writable by other users than root";
      return false;
    }
    if (above == above.root_path()) break;
  }
  prefix = folder;
  return true;
}

}  // namespace printing
