#include "platform/hostfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/error.h"

namespace win {

namespace {

namespace fs = std::filesystem;

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t written = ::write(fd, data.data(), data.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}

mode_t NewFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// Writes `data` into a fresh temporary file beside `file`; returns its path,
// or an empty path with the last error set.
fs::path WriteTemporaryBeside(const fs::path& file, std::string_view data, mode_t mode) {
  std::string pattern = (file.parent_path() / ("." + file.filename().string() + ".XXXXXX")).string();
  const int fd = ::mkstemp(pattern.data());
  if (fd < 0) {
    FailFromErrnoAt(file);
    return {};
  }
  const bool ok = ::fchmod(fd, mode) == 0 && WriteAll(fd, data);
  const int err = errno;
  if (::close(fd) != 0 || !ok) {
    ::unlink(pattern.c_str());
    Fail(WinErrorFromErrno(ok ? errno : err));
    return {};
  }
  return fs::path(pattern);
}

}  // namespace

bool FailFromErrnoAt(const fs::path& file) {
  const int err = errno;
  struct stat st {};
  const bool folderMissing = err == ENOENT && ::stat(file.parent_path().c_str(), &st) != 0;
  return Fail(WinErrorFromErrno(err, folderMissing));
}

bool ReadHostFile(const fs::path& file, std::string& data) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return FailFromErrnoAt(file);
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd);
    return Fail(ERROR_ACCESS_DENIED);
  }
  std::string result;
  if (st.st_size > 0) result.reserve(static_cast<size_t>(st.st_size));
  char buffer[65536];
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      const int err = errno;
      ::close(fd);
      return Fail(WinErrorFromErrno(err));
    }
    result.append(buffer, static_cast<size_t>(got));
  }
  ::close(fd);
  data = std::move(result);
  return true;
}

bool WriteHostFileAtomic(const fs::path& file, std::string_view data) {
  struct stat st {};
  mode_t mode = NewFileMode();
  if (::stat(file.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return Fail(ERROR_ACCESS_DENIED);
    // Writing a file one may not write must fail even where the folder would
    // allow the rename; the effective ids count, since callers impersonate.
    if (::faccessat(AT_FDCWD, file.c_str(), W_OK, AT_EACCESS) != 0) {
      return Fail(ERROR_ACCESS_DENIED);
    }
    mode = st.st_mode & 07777;
  }
  const fs::path temporary = WriteTemporaryBeside(file, data, mode);
  if (temporary.empty()) return false;
  if (::rename(temporary.c_str(), file.c_str()) != 0) {
    const int err = errno;
    ::unlink(temporary.c_str());
    return Fail(WinErrorFromErrno(err));
  }
  return true;
}

bool AppendHostFile(const fs::path& file, std::string_view data) {
  const int fd = ::open(file.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return FailFromErrnoAt(file);
  const bool ok = WriteAll(fd, data);
  const int err = errno;
  if (::close(fd) != 0 || !ok) return Fail(WinErrorFromErrno(ok ? errno : err));
  return true;
}

bool CreateHostFileExclusive(const fs::path& file, std::string_view data) {
  const fs::path temporary = WriteTemporaryBeside(file, data, NewFileMode());
  if (temporary.empty()) return false;
  // link() fails when the name is taken, so two creators never both win.
  const int linked = ::link(temporary.c_str(), file.c_str());
  const int err = errno;
  ::unlink(temporary.c_str());
  if (linked != 0) return Fail(err == EEXIST ? ERROR_FILE_EXISTS : WinErrorFromErrno(err));
  return true;
}

}  // namespace win
