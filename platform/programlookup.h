// Program lookup: the host file a Windows program name stands for, and the
// host folder of a current directory, as CreateProcess and ShellExecute
// find them.
//
// A name with a drive, folder or path separator is a Windows path (relative
// ones against the current directory, files.h) mapped to the host file,
// which may be any host executable; a bare name is looked for in the current
// directory, then in the folders of the host's PATH. No extension is added.
// Found files are given without the prefix's drive links: the user a program
// runs as needs the right to run it, not to read the prefix.
//
// Path mapping raises when the prefix itself cannot be read; these calls
// pass that on.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace win {

// A regular file the effective user may execute.
bool IsRunnable(const std::filesystem::path& host);

// The first runnable `name` in the folders of the host's PATH.
bool FindOnHostPath(const std::string& name, std::filesystem::path& host);

// The host file of `program`. False with ERROR_INVALID_PARAMETER for an
// empty name, ERROR_FILE_NOT_FOUND or ERROR_PATH_NOT_FOUND when it is
// missing.
bool FindProgram(const std::string& program, std::filesystem::path& host);

// The shell's lookup: a relative `file` is looked for in `directory` first,
// then as FindProgram looks.
bool FindShellFile(const std::string& file, std::string_view directory,
                   std::filesystem::path& host);

// The host folder of the Windows folder `directory`; empty for an empty one.
// False with ERROR_DIRECTORY when it is not a folder.
bool FindDirectory(std::string_view directory, std::filesystem::path& host);

}  // namespace win
