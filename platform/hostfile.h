// Whole-file reads and writes on host paths, for the platform layer itself
// (the hive, INI files, capture files once their Windows path is mapped).
//
// Writes replace a file atomically: the data goes to a temporary file in the
// same folder, which is then renamed over the target, so a reader sees the old
// file or the new one, never half of one. A replaced file keeps its
// permission bits; a new one gets 0666 less the umask. The new file belongs
// to the effective user of the caller.
//
// Every call returns false on failure and leaves the Windows code in
// GetLastError (error.h).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace win {

// Reads the whole file into `data`.
bool ReadHostFile(const std::filesystem::path& file, std::string& data);

// Replaces (or creates) `file` with `data` in one step.
bool WriteHostFileAtomic(const std::filesystem::path& file, std::string_view data);

// Appends `data` to `file`, creating it when missing.
bool AppendHostFile(const std::filesystem::path& file, std::string_view data);

// Fails (returns false) with the Windows code for the current errno after a
// call on `file` failed: ENOENT is ERROR_PATH_NOT_FOUND when the folder of
// `file` is missing too, ERROR_FILE_NOT_FOUND otherwise, as Windows tells a
// missing folder from a missing file. Call it first, before errno changes.
bool FailFromErrnoAt(const std::filesystem::path& file);

// Creates `file` with `data` only if it does not exist yet
// (ERROR_FILE_EXISTS otherwise); the content appears in one step.
bool CreateHostFileExclusive(const std::filesystem::path& file, std::string_view data);

}  // namespace win
