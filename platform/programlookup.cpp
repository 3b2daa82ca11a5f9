#include "platform/programlookup.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <system_error>

#include "platform/error.h"
#include "platform/files.h"
#include "platform/env.h"
#include "platform/path.h"

namespace win {

namespace {

namespace fs = std::filesystem;

bool Exists(const fs::path& host) {
  struct stat st {};
  return ::stat(host.c_str(), &st) == 0;
}

bool FindMappedProgram(const std::string& program, fs::path& host) {
  if (program.find_first_of("\\/:") != std::string::npos) {
    if (!HostPathOf(program, host)) return false;
    struct stat st {};
    return ::stat(host.c_str(), &st) == 0 || FailFromErrnoAt(host);
  }
  if (HostPathOf(program, host) && Exists(host)) return true;
  if (FindOnHostPath(program, host)) return true;
  return Fail(ERROR_FILE_NOT_FOUND);
}

bool WithoutDriveLinks(fs::path& host) {
  std::error_code ec;
  fs::path resolved = fs::canonical(host, ec);
  if (ec) return Fail(WinErrorFromErrno(ec.value()));
  host = std::move(resolved);
  return true;
}

}  // namespace

bool IsRunnable(const fs::path& host) {
  struct stat st {};
  return ::stat(host.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
         ::faccessat(AT_FDCWD, host.c_str(), X_OK, AT_EACCESS) == 0;
}

bool FindOnHostPath(const std::string& name, fs::path& host) {
  const char* path = std::getenv("PATH");
  std::string_view folders = path != nullptr ? path : "";
  while (!folders.empty()) {
    const std::size_t colon = folders.find(':');
    const std::string_view folder = folders.substr(0, colon);
    if (!folder.empty() && IsRunnable(fs::path(folder) / name)) {
      host = fs::path(folder) / name;
      return true;
    }
    if (colon == std::string_view::npos) break;
    folders.remove_prefix(colon + 1);
  }
  return false;
}

bool FindProgram(const std::string& program, fs::path& host) {
  if (program.empty()) return Fail(ERROR_INVALID_PARAMETER);
  return FindMappedProgram(program, host) && WithoutDriveLinks(host);
}

bool FindShellFile(const std::string& file, std::string_view directory, fs::path& host) {
  const bool relative = ExtractFileDrive(file).empty() && !file.starts_with('\\');
  if (relative && !directory.empty() &&
      HostPathOf(IncludeTrailingBackslash(std::string(directory)) + file, host) && Exists(host)) {
    return WithoutDriveLinks(host);
  }
  return FindProgram(file, host);
}

bool FindDirectory(std::string_view directory, fs::path& host) {
  host.clear();
  if (directory.empty()) return true;
  std::error_code ec;
  if (!HostPathOf(std::string(directory), host) || !fs::is_directory(host, ec) ||
      !WithoutDriveLinks(host)) {
    return Fail(ERROR_DIRECTORY);
  }
  return true;
}

}  // namespace win
