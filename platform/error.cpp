#include "platform/error.h"

#include <cerrno>

namespace win {

namespace {
thread_local DWORD lastError = ERROR_SUCCESS;
}

DWORD GetLastError() { return lastError; }

void SetLastError(DWORD code) { lastError = code; }

DWORD WinErrorFromErrno(int err, bool folderMissing) {
  switch (err) {
    case 0:
      return ERROR_SUCCESS;
    case ENOENT:
      return folderMissing ? ERROR_PATH_NOT_FOUND : ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
    case ELOOP:
      return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
      return ERROR_ACCESS_DENIED;
    case EEXIST:
      return ERROR_ALREADY_EXISTS;
    case ENOTEMPTY:
      return ERROR_DIR_NOT_EMPTY;
    case ENAMETOOLONG:
      return ERROR_FILENAME_EXCED_RANGE;
    case ENOSPC:
    case EDQUOT:
      return ERROR_DISK_FULL;
    case EMFILE:
    case ENFILE:
      return ERROR_TOO_MANY_OPEN_FILES;
    case ENOMEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    case EBADF:
      return ERROR_INVALID_HANDLE;
    case EXDEV:
      return ERROR_NOT_SAME_DEVICE;
    case EBUSY:
    case ETXTBSY:
      return ERROR_SHARING_VIOLATION;
    case EINVAL:
      return ERROR_INVALID_PARAMETER;
    case EPIPE:
      return ERROR_BROKEN_PIPE;
    case EIO:
      return ERROR_WRITE_FAULT;
    default:
      return ERROR_INVALID_FUNCTION;
  }
}

bool Fail(DWORD code) {
  SetLastError(code);
  return false;
}

bool FailFromErrno() { return Fail(WinErrorFromErrno(errno)); }

std::string SysErrorMessage(DWORD code) {
  switch (code) {
    case ERROR_SUCCESS:
      return "The operation completed successfully";
    case ERROR_FILE_NOT_FOUND:
      return "The system cannot find the file specified";
    case ERROR_PATH_NOT_FOUND:
      return "The system cannot find the path specified";
    case ERROR_TOO_MANY_OPEN_FILES:
      return "The system cannot open the file";
    case ERROR_ACCESS_DENIED:
      return "Access is denied";
    case ERROR_INVALID_HANDLE:
      return "The handle is invalid";
    case ERROR_NOT_ENOUGH_MEMORY:
      return "Not enough storage is available to process this command";
    case ERROR_SHARING_VIOLATION:
      return "The process cannot access the file because it is being used by another process";
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return "Cannot create a file when that file already exists";
    case ERROR_DISK_FULL:
      return "There is not enough space on the disk";
    case ERROR_INVALID_NAME:
      return "The filename, directory name, or volume label syntax is incorrect";
    case ERROR_DIR_NOT_EMPTY:
      return "The directory is not empty";
    case ERROR_FILENAME_EXCED_RANGE:
      return "The filename or extension is too long";
    case ERROR_NO_TOKEN:
      return "An attempt was made to reference a token that does not exist";
    case ERROR_PRIVILEGE_NOT_HELD:
      return "A required privilege is not held by the client";
    default:
      return "System error " + std::to_string(code);
  }
}

}  // namespace win
