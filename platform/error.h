// Windows-style error reporting for the platform layer.
//
// Calls that Windows reports through a result and GetLastError do the same
// here: they return false (or an invalid value) and leave a Windows error code
// in a per-thread slot. Calls that the class library reported by raising an
// error raise one of the Exception classes below with the library's message.
// This header knows nothing about files or processes; it only names codes.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace win {

using DWORD = std::uint32_t;

inline constexpr DWORD ERROR_SUCCESS = 0;
inline constexpr DWORD ERROR_INVALID_FUNCTION = 1;
inline constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
inline constexpr DWORD ERROR_PATH_NOT_FOUND = 3;
inline constexpr DWORD ERROR_TOO_MANY_OPEN_FILES = 4;
inline constexpr DWORD ERROR_ACCESS_DENIED = 5;
inline constexpr DWORD ERROR_INVALID_HANDLE = 6;
inline constexpr DWORD ERROR_NOT_ENOUGH_MEMORY = 8;
inline constexpr DWORD ERROR_INVALID_DATA = 13;
inline constexpr DWORD ERROR_NOT_SAME_DEVICE = 17;
inline constexpr DWORD ERROR_NO_MORE_FILES = 18;
inline constexpr DWORD ERROR_WRITE_FAULT = 29;
inline constexpr DWORD ERROR_READ_FAULT = 30;
inline constexpr DWORD ERROR_SHARING_VIOLATION = 32;
inline constexpr DWORD ERROR_NOT_SUPPORTED = 50;
inline constexpr DWORD ERROR_BAD_NETPATH = 53;
inline constexpr DWORD ERROR_BAD_NET_NAME = 67;
inline constexpr DWORD ERROR_FILE_EXISTS = 80;
inline constexpr DWORD ERROR_INVALID_PARAMETER = 87;
inline constexpr DWORD ERROR_BROKEN_PIPE = 109;
inline constexpr DWORD ERROR_DISK_FULL = 112;
inline constexpr DWORD ERROR_INSUFFICIENT_BUFFER = 122;
inline constexpr DWORD ERROR_INVALID_NAME = 123;
inline constexpr DWORD ERROR_DIR_NOT_EMPTY = 145;
inline constexpr DWORD ERROR_BAD_PATHNAME = 161;
inline constexpr DWORD ERROR_ALREADY_EXISTS = 183;
inline constexpr DWORD ERROR_FILENAME_EXCED_RANGE = 206;
inline constexpr DWORD ERROR_MORE_DATA = 234;
inline constexpr DWORD ERROR_WAIT_TIMEOUT = 258;
inline constexpr DWORD ERROR_NO_MORE_ITEMS = 259;
inline constexpr DWORD ERROR_DIRECTORY = 267;
inline constexpr DWORD ERROR_NO_TOKEN = 1008;
inline constexpr DWORD ERROR_BAD_DEVICE = 1200;
inline constexpr DWORD ERROR_CONNECTION_UNAVAIL = 1201;
inline constexpr DWORD ERROR_NO_NETWORK = 1222;
inline constexpr DWORD ERROR_PRIVILEGE_NOT_HELD = 1314;
inline constexpr DWORD ERROR_BAD_FORMAT = 11;
inline constexpr DWORD ERROR_NOT_CONNECTED = 2250;
inline constexpr DWORD ERROR_BUFFER_OVERFLOW = 111;

// The calling thread's last error, as GetLastError / SetLastError.
DWORD GetLastError();
void SetLastError(DWORD code);

// The Windows code for an errno value. ENOENT is "file not found" unless the
// caller knows that a folder on the way is missing (then "path not found");
// env.h's FailFromErrnoAt finds that out for a call on a file.
DWORD WinErrorFromErrno(int err, bool folderMissing = false);

// True for the two codes of a missing file or folder (ERROR_FILE_NOT_FOUND,
// ERROR_PATH_NOT_FOUND): what a reader that takes "missing" for "empty" asks.
inline bool IsNotFound(DWORD code) {
  return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND;
}

// Record `code` as the last error and return false, so that a failing call
// site is one line: `return win::Fail(ERROR_FILE_EXISTS);`.
bool Fail(DWORD code);
// The same for the current errno.
bool FailFromErrno();

// The system's text for a Windows error code ("The system cannot find the
// file specified"), as SysErrorMessage gives it.
std::string SysErrorMessage(DWORD code);

// An error raised by the class library's stand-ins; what() is the message.
class Exception : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
  std::string Message() const { return what(); }
};

// Input/output errors of file operations, with the Windows code that caused
// them (0 when none applies).
class EInOutError : public Exception {
 public:
  EInOutError(const std::string& message, DWORD code) : Exception(message), ErrorCode(code) {}
  DWORD ErrorCode;
};

// A file that could not be created: "Cannot create file "%s". %s".
class EFCreateError : public Exception {
 public:
  using Exception::Exception;
};

}  // namespace win
