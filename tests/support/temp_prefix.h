// Real folders for tests: a throw-away host folder, and a throw-away machine
// (prefix) that ZERURUD_PREFIX points at while the object lives.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace testing_support {

// A fresh folder under the host's temporary folder, removed with its content.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// A fresh prefix. While it lives, ZERURUD_PREFIX names it and the process's
// working directory is its drive C: root; both are restored afterwards.
class TempPrefix {
 public:
  TempPrefix();
  ~TempPrefix();
  TempPrefix(const TempPrefix&) = delete;
  TempPrefix& operator=(const TempPrefix&) = delete;

  const std::filesystem::path& root() const { return dir_.path(); }
  // The host folder behind C:\.
  std::filesystem::path driveC() const { return dir_.path() / "drive_c"; }
  // The host file behind a path on drive C: as the tests spell it, in the
  // case given ("C:\Jobs\a.ruz" -> <prefix>/drive_c/Jobs/a.ruz).
  std::filesystem::path OnDriveC(const std::string& windowsPath) const;

 private:
  TempDir dir_;
  std::optional<std::string> savedPrefix_;
  std::filesystem::path savedCwd_;
};

// Writes `data` to a host file, creating its folders.
void WriteFile(const std::filesystem::path& file, const std::string& data);
// The whole content of a host file; empty when it cannot be read.
std::string ReadFile(const std::filesystem::path& file);

}  // namespace testing_support
