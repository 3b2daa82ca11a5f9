// File operations on Windows paths, and the process's current directory.
//
// Every path may be relative: it is resolved against the process's current
// directory (GetFullPathName below), then mapped to the host (hostpath.h).
// Calls that return bool give false on failure and leave the Windows code in
// GetLastError: ERROR_FILE_NOT_FOUND for a missing file, ERROR_PATH_NOT_FOUND
// when a folder on the way is missing, ERROR_ACCESS_DENIED, ERROR_ALREADY_EXISTS
// and so on (error.h).
//
// The current directory starts as the Windows form of the host working
// directory, and setting it moves the host working directory too. When
// something else moves the host working directory, the Windows one follows it
// (and the other drives' folders are forgotten).
#pragma once

#include <compare>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/datetime.h"
#include "platform/error.h"

namespace win {

inline constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x01;
inline constexpr DWORD FILE_ATTRIBUTE_HIDDEN = 0x02;
inline constexpr DWORD FILE_ATTRIBUTE_SYSTEM = 0x04;
inline constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
inline constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x20;
inline constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;

// The process's current directory ("C:\Work", a drive root keeps its
// backslash: "C:\").
std::string GetCurrentDir();
// Makes `path` the current directory (and its drive's own).
bool SetCurrentDir(const std::string& path);

// `path` as a full path against the process's current directories; see
// ResolveFullPath (path.h) for the rules and the 260-character limit.
bool GetFullPathName(const std::string& path, std::string& fullPath);

// The host path of `path`, relative or full (hostpath.h).
bool HostPathOf(const std::string& path, std::filesystem::path& hostPath);

// True for an existing file; a directory does not count.
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);

// Creates one folder; its parent must exist (ERROR_PATH_NOT_FOUND) and the
// name must be free (ERROR_ALREADY_EXISTS).
bool CreateDir(const std::string& path);
// CreateDir for a folder that others are to use: it takes the group and
// permission bits of the folder it lies in, as a Windows folder takes its
// parent's rights. They are set on the new folder through a handle, so a
// caller with more rights than the folder's users (root) never changes what
// a user has put in its place meanwhile (ERROR_ACCESS_DENIED then).
bool CreateDirTakingParentRights(const std::string& path);
// Creates the folder and every missing one above it. True when it exists.
bool ForceDirectories(const std::string& path);

// Deletes a file; a directory or a read-only file is ERROR_ACCESS_DENIED.
bool DeleteFile(const std::string& path);
// Renames a file or folder; an existing target is ERROR_ALREADY_EXISTS and is
// left alone. A change of letter case only is a rename too.
bool RenameFile(const std::string& oldPath, const std::string& newPath);

bool ReadWholeFile(const std::string& path, std::string& data);
// Replaces (or creates) the file in one step: readers see the old content or
// the new, never a part.
bool WriteWholeFile(const std::string& path, std::string_view data);
// Appends, creating the file when missing.
bool AppendToFile(const std::string& path, std::string_view data);

// The last-write time in local time at two-second resolution (odd seconds
// count down), as file ages are measured.
bool FileLastWriteTime(const std::string& path, TDateTime& time);

// GetFileAttributes: FILE_ATTRIBUTE_DIRECTORY for folders, _ARCHIVE for
// plain files, _SYSTEM for devices, pipes and sockets, _HIDDEN for names
// beginning with ".", _READONLY for files the caller's effective ids may not
// write. INVALID_FILE_ATTRIBUTES (and the last error) on failure.
DWORD GetFileAttributes(const std::string& path);
// The same for a host entry (search.h uses it for every entry it finds).
DWORD GetHostFileAttributes(const std::filesystem::path& hostPath);

// Which file a path names, as GetFileInformationByHandle tells it: the
// volume's serial number and the file's index on that volume. Two paths
// name one file exactly when their ids are equal, whatever their spelling
// (letter case, drive letter or share, relative or full). A link is an
// entry of its own, not its target, as deleting it removes the link.
struct TFileId {
  std::uint64_t VolumeSerialNumber = 0;
  std::uint64_t FileIndex = 0;
  auto operator<=>(const TFileId&) const = default;
};
bool GetFileId(const std::string& path, TFileId& id);

// GetShortPathName: names have no separate short form here, so this is the
// path itself where it exists, and false (2 or 3) where it does not.
bool GetShortPathName(const std::string& path, std::string& shortPath);

}  // namespace win
