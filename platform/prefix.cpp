#include "platform/prefix.h"

#include <cstdlib>
#include <mutex>
#include <set>
#include <string>
#include <system_error>

#include "platform/env.h"
#include "platform/error.h"

namespace win {

namespace {

namespace fs = std::filesystem;

fs::path ConfiguredRoot() {
  if (const char* named = std::getenv("ZERURUD_PREFIX"); named != nullptr && *named != '\0') {
    return fs::path(named);
  }
  const char* home = std::getenv("HOME");
  return fs::path(home != nullptr && *home != '\0' ? home : "/root") / ".zerurud";
}

void EnsureLink(const fs::path& link, const fs::path& target) {
  std::error_code ec;
  if (fs::is_symlink(fs::symlink_status(link, ec))) return;
  fs::create_directory_symlink(target, link, ec);
  if (ec && ec != std::errc::file_exists) {
    throw Exception("Cannot create drive link " + link.string() + ": " + ec.message());
  }
}

void CreateDefaults(const fs::path& root) {
  std::error_code ec;
  fs::create_directories(root / "dosdevices", ec);
  if (!ec) fs::create_directories(root / "drive_c", ec);
  if (ec) throw Exception("Cannot create the prefix " + root.string() + ": " + ec.message());
  EnsureLink(root / "dosdevices" / "c:", "../drive_c");
  EnsureLink(root / "dosdevices" / "z:", "/");
  const fs::path hive = root / "system.reg";
  if (!fs::exists(hive, ec)) {
    const std::string header = std::string(kRegistryHeader) + "\r\n\r\n";
    if (!Env().CreateFileExclusive(hive, header) && GetLastError() != ERROR_FILE_EXISTS) {
      throw Exception("Cannot create the registry hive " + hive.string() + ": " +
                      SysErrorMessage(GetLastError()));
    }
  }
}

}  // namespace

fs::path PrefixRoot() {
  static std::mutex lock;
  static std::set<std::string> prepared;
  fs::path root = ConfiguredRoot();
  std::lock_guard<std::mutex> guard(lock);
  // A prefix is checked once per process; one removed behind our back is
  // prepared again as soon as its drive links are gone. A prefix that the
  // (impersonated) caller may not look into counts as prepared: the
  // operations on it report their own errors.
  std::error_code ec;
  const bool present = fs::exists(root / "dosdevices", ec) || ec;
  if (!prepared.contains(root.string()) || !present) {
    CreateDefaults(root);
    prepared.insert(root.string());
  }
  return root;
}

fs::path HivePath() { return PrefixRoot() / "system.reg"; }

fs::path DosDevicesPath() { return PrefixRoot() / "dosdevices"; }

}  // namespace win
