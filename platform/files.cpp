#include "platform/files.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <system_error>

#include "platform/env.h"
#include "platform/hostpath.h"
#include "platform/path.h"

namespace win {

namespace {

namespace fs = std::filesystem;

// The Windows current directories and the host working directory they were
// last in step with.
struct TProcessDirectory {
  std::mutex Lock;
  TCurrentDirectories Dirs;
  std::string HostCwd;
};

TProcessDirectory& ProcessDirectory() {
  static TProcessDirectory process;
  return process;
}

// Brings the Windows state in line with a host working directory that was
// set behind our back (or not yet seen). The caller holds the lock.
void FollowHostWorkingDirectory(TProcessDirectory& process) {
  std::error_code ec;
  const std::string cwd = fs::current_path(ec).string();
  if (ec || cwd == process.HostCwd) return;
  std::string windows;
  if (!WindowsPathFromHost(cwd, windows)) windows = "C:\\";
  process.Dirs = TCurrentDirectories{};
  process.Dirs.Enter(windows);
  process.HostCwd = cwd;
}

bool StatOf(const std::string& path, struct stat& st) {
  fs::path host;
  if (!HostPathOf(path, host)) return false;
  if (::stat(host.c_str(), &st) != 0) return FailFromErrnoAt(host);
  return true;
}

// The parent folder of a full path, or empty for a drive or share root.
std::string ParentFolder(const std::string& fullPath) {
  const std::string folder = ExcludeTrailingBackslash(fullPath);
  const std::string drive = ExtractFileDrive(folder);
  if (folder.size() <= drive.size()) return {};
  const std::string parent = ExcludeTrailingBackslash(ExtractFilePath(folder));
  return parent.size() <= drive.size() ? drive + '\\' : parent;
}

bool ForceFullDirectories(const std::string& fullPath) {
  if (DirectoryExists(fullPath)) return true;
  const std::string parent = ParentFolder(fullPath);
  if (parent.empty()) return false;
  // Someone else may create the folder between our check and our mkdir.
  return ForceFullDirectories(parent) && (CreateDir(fullPath) || DirectoryExists(fullPath));
}

bool RenameHostNoReplace(const fs::path& from, const fs::path& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
    return true;
  }
  if (errno != EINVAL && errno != ENOSYS) return false;
  // File systems without RENAME_NOREPLACE: link() refuses an existing name.
  if (::link(from.c_str(), to.c_str()) != 0) return false;
  ::unlink(from.c_str());
  return true;
}

}  // namespace

std::string GetCurrentDir() {
  TProcessDirectory& process = ProcessDirectory();
  std::lock_guard<std::mutex> guard(process.Lock);
  FollowHostWorkingDirectory(process);
  return process.Dirs.Current;
}

bool SetCurrentDir(const std::string& path) {
  TProcessDirectory& process = ProcessDirectory();
  std::lock_guard<std::mutex> guard(process.Lock);
  FollowHostWorkingDirectory(process);
  std::string full;
  fs::path host;
  if (!ResolveFullPath(path, process.Dirs, full) || !HostPathFromWindows(full, host)) return false;
  if (::chdir(host.c_str()) != 0) {
    struct stat st {};
    if (errno == ENOTDIR && ::stat(host.c_str(), &st) == 0) return Fail(ERROR_DIRECTORY);
    return FailFromErrnoAt(host);
  }
  std::error_code ec;
  process.HostCwd = fs::current_path(ec).string();
  const bool driveRoot = full.size() == 3 && full[1] == ':';
  process.Dirs.Enter(driveRoot ? full : ExcludeTrailingBackslash(full));
  return true;
}

bool GetFullPathName(const std::string& path, std::string& fullPath) {
  TProcessDirectory& process = ProcessDirectory();
  std::lock_guard<std::mutex> guard(process.Lock);
  FollowHostWorkingDirectory(process);
  return ResolveFullPath(path, process.Dirs, fullPath);
}

bool HostPathOf(const std::string& path, fs::path& hostPath) {
  std::string full;
  return GetFullPathName(path, full) && HostPathFromWindows(full, hostPath);
}

namespace {

// The host entry that deleting or renaming `path` would touch. A drive or
// share root maps to the machine's own drive link or share folder, which is
// never the caller's to delete or move.
bool HostEntryOf(const std::string& path, fs::path& hostPath, std::string& full) {
  if (!GetFullPathName(path, full)) return false;
  const std::string drive = ExtractFileDrive(full);
  if (ExcludeTrailingBackslash(full).size() <= drive.size()) return Fail(ERROR_ACCESS_DENIED);
  return HostPathFromWindows(full, hostPath);
}

}  // namespace

bool FileExists(const std::string& path) {
  struct stat st {};
  if (!StatOf(path, st)) return false;
  if (S_ISDIR(st.st_mode)) return Fail(ERROR_FILE_NOT_FOUND);
  return true;
}

bool DirectoryExists(const std::string& path) {
  struct stat st {};
  if (!StatOf(path, st)) return false;
  if (!S_ISDIR(st.st_mode)) return Fail(ERROR_PATH_NOT_FOUND);
  return true;
}

bool CreateDir(const std::string& path) {
  fs::path host;
  if (!HostPathOf(path, host)) return false;
  if (::mkdir(host.c_str(), 0777) != 0) return FailFromErrnoAt(host);
  return true;
}

bool CreateDirTakingParentRights(const std::string& path) {
  fs::path host;
  return HostPathOf(path, host) && Env().CreateFolderTakingParentRights(host);
}

bool ForceDirectories(const std::string& path) {
  std::string full;
  return GetFullPathName(path, full) && ForceFullDirectories(full);
}

bool DeleteFile(const std::string& path) {
  fs::path host;
  std::string full;
  if (!HostEntryOf(path, host, full)) return false;
  // Windows refuses to delete a read-only file even where its folder would
  // allow it, and callers rely on that failure.
  const DWORD attributes = GetHostFileAttributes(host);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    return Fail(ERROR_ACCESS_DENIED);
  }
  if (::unlink(host.c_str()) != 0) return FailFromErrnoAt(host);
  return true;
}

bool RenameFile(const std::string& oldPath, const std::string& newPath) {
  std::string oldFull;
  std::string newFull;
  fs::path from;
  fs::path to;
  if (!HostEntryOf(oldPath, from, oldFull) || !HostEntryOf(newPath, to, newFull)) return false;
  struct stat st {};
  if (::lstat(from.c_str(), &st) != 0) return FailFromErrnoAt(from);
  if (to == from) {
    // The target's name was folded onto the source itself: only its case
    // changes.
    to = from.parent_path() / ExtractFileName(ExcludeTrailingBackslash(newFull));
    if (to == from) return true;
  }
  if (!RenameHostNoReplace(from, to)) {
    if (errno == EEXIST) return Fail(ERROR_ALREADY_EXISTS);
    return FailFromErrnoAt(to);
  }
  return true;
}

bool ReadWholeFile(const std::string& path, std::string& data) {
  fs::path host;
  return HostPathOf(path, host) && Env().ReadFile(host, data);
}

bool WriteWholeFile(const std::string& path, std::string_view data) {
  fs::path host;
  return HostPathOf(path, host) && Env().WriteFileAtomic(host, data);
}

bool AppendToFile(const std::string& path, std::string_view data) {
  fs::path host;
  return HostPathOf(path, host) && Env().AppendFile(host, data);
}

bool FileLastWriteTime(const std::string& path, TDateTime& time) {
  struct stat st {};
  if (!StatOf(path, st)) return false;
  time = HostFileTimeToDateTime(st.st_mtim.tv_sec);
  return true;
}

DWORD GetHostFileAttributes(const fs::path& hostPath) {
  struct stat st {};
  if (::stat(hostPath.c_str(), &st) != 0 && ::lstat(hostPath.c_str(), &st) != 0) {
    FailFromErrnoAt(hostPath);
    return INVALID_FILE_ATTRIBUTES;
  }
  DWORD attributes = 0;
  if (S_ISDIR(st.st_mode)) {
    attributes = FILE_ATTRIBUTE_DIRECTORY;
  } else {
    attributes = S_ISREG(st.st_mode) ? FILE_ATTRIBUTE_ARCHIVE : FILE_ATTRIBUTE_SYSTEM;
    // Effective ids, because a caller that impersonates a user must see that
    // user's rights.
    if (::faccessat(AT_FDCWD, hostPath.c_str(), W_OK, AT_EACCESS) != 0) {
      attributes |= FILE_ATTRIBUTE_READONLY;
    }
  }
  if (hostPath.filename().string().starts_with('.')) attributes |= FILE_ATTRIBUTE_HIDDEN;
  return attributes;
}

DWORD GetFileAttributes(const std::string& path) {
  fs::path host;
  if (!HostPathOf(path, host)) return INVALID_FILE_ATTRIBUTES;
  return GetHostFileAttributes(host);
}

bool GetFileId(const std::string& path, TFileId& id) {
  fs::path host;
  if (!HostPathOf(path, host)) return false;
  struct stat st {};
  if (::lstat(host.c_str(), &st) != 0) return FailFromErrnoAt(host);
  id = {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
  return true;
}

bool GetShortPathName(const std::string& path, std::string& shortPath) {
  fs::path host;
  if (!HostPathOf(path, host)) return false;
  struct stat st {};
  if (::lstat(host.c_str(), &st) != 0) return FailFromErrnoAt(host);
  shortPath = path;
  return true;
}

}  // namespace win
