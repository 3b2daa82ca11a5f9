// Version resources: GetFileVersionInfoSize, GetFileVersionInfo and
// VerQueryValue in their single-byte forms.
//
// The file is a Windows path, resolved and mapped as files.h does. Host
// programs carry no ".exe": when no file has the given name and the name
// ends in ".exe" (any letter case), the file of the same name without it is
// read, so that "C:\Zerurud\VAVavidi.exe" finds the host program VAVavidi.
// The version block is found as version_image.h describes and must be sound
// at its root (version_block.h); a file that is neither a PE nor an ELF
// program, or whose block is damaged, has no version information.
//
// The information a caller gets is the block followed by room of the same
// size, where VerQueryValue puts a text value narrowed to single bytes, as
// the single-byte calls of Windows do.
#pragma once

#include <string>

#include "platform/error.h"

namespace win {

using UINT = unsigned int;

// The size of the file's version information; 0 on failure, with the code
// of the file's read (ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND,
// ERROR_ACCESS_DENIED), of version_image.h, or ERROR_INVALID_DATA for a
// damaged block. `*handle` (when given) is set to 0.
DWORD GetFileVersionInfoSize(const std::string& fileName, DWORD* handle);

// Reads the version information into `data`, which has room for `length`
// bytes; `handle` is ignored. False with the codes above, and with
// ERROR_INSUFFICIENT_BUFFER when `length` is below the size that
// GetFileVersionInfoSize gives (nothing is cut).
bool GetFileVersionInfo(const std::string& fileName, DWORD handle, DWORD length, void* data);

// The value that `subBlock` names in information read by GetFileVersionInfo:
// "\" the fixed part (VS_FIXEDFILEINFO, version_block.h),
// "\VarFileInfo\Translation" the language and code page pairs,
// "\StringFileInfo\<translation>\<name>" a text, narrowed and ended by a
// zero byte, `*length` then counting its characters with the zero. Keys
// compare without regard to letter case. False when the value is missing or
// the block is damaged on the way to it.
bool VerQueryValue(const void* block, const std::string& subBlock, void** buffer, UINT* length);

}  // namespace win
