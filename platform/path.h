// Windows path algebra: pure text functions over Windows paths ("C:\dir\a.txt",
// "\\srv\share\dir"), as the class library and GetFullPathName treat them.
//
// Nothing here touches the disk or the process: the full-path expansion takes
// the current-directory state as an argument (files.h holds the process's
// own). Mapping to host paths lives in hostpath.h.
#pragma once

#include <cstddef>
#include <map>
#include <string>

namespace win {

// The size of the path buffers of the Windows API, terminating zero included.
inline constexpr std::size_t MAX_PATH = 260;

// "C:" for "C:\dir\a.txt", "\\srv\share" for "\\srv\share\dir\a.txt",
// empty when the path names neither a drive nor a share.
std::string ExtractFileDrive(const std::string& path);

// Everything up to and including the last backslash or colon ("C:\dir\").
std::string ExtractFilePath(const std::string& path);

// Everything after the last backslash or colon ("a.txt").
std::string ExtractFileName(const std::string& path);

// The extension with its dot (".txt"); empty when the name has none.
std::string ExtractFileExt(const std::string& path);

// The path with its extension replaced by `extension` (which brings its own
// dot), or with `extension` appended when the name has none.
std::string ChangeFileExt(const std::string& path, const std::string& extension);

// The path ending with exactly the backslash it had or one appended.
std::string IncludeTrailingBackslash(const std::string& path);

// The path without its one trailing backslash, if it has one.
std::string ExcludeTrailingBackslash(const std::string& path);

// What a relative path is resolved against: the current directory (a full
// path such as "C:\Work" or "\\srv\share\in") and the folder each other drive
// last had as its current one. A drive never entered has its root.
struct TCurrentDirectories {
  std::string Current = "C:\\";
  std::map<char, std::string> PerDrive;  // upper-case letter -> "D:\Data"

  // The current folder of `drive` (any case).
  std::string DirectoryOfDrive(char drive) const;
  // Makes the full path `folder` the current directory and its drive's own.
  void Enter(const std::string& folder);
};

// GetFullPathName: `path` made absolute against `dirs` ("D:foo" against D:'s
// folder, "\foo" against the current root, "foo" against the current
// directory), forward slashes read as backslashes, empty, "." and ".."
// components resolved without ever climbing above the drive root or the
// \\server\share of a UNC path. A trailing backslash is kept. Returns false
// with ERROR_INVALID_NAME for an empty path or a UNC path without a server,
// and with ERROR_FILENAME_EXCED_RANGE when the result and its terminating zero
// need more than `bufferLength` characters (nothing is cut).
bool ResolveFullPath(const std::string& path, const TCurrentDirectories& dirs,
                     std::string& fullPath, std::size_t bufferLength = MAX_PATH);

}  // namespace win
