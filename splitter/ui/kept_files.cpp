#include "splitter/ui/kept_files.h"

#include <sys/stat.h>

#include <filesystem>
#include <optional>

#include "platform/error.h"
#include "platform/files.h"
#include "platform/stringlist.h"
#include "splitter/engine/bad_account_log.h"

namespace splitter {

namespace {

// The host file that `path` names; the entry itself when it is a link, as
// an erase removes the entry.
std::optional<std::pair<dev_t, ino_t>> HostFileIdentity(const std::string& path) {
  std::filesystem::path hostPath;
  struct stat st {};
  if (!win::HostPathOf(path, hostPath) || ::lstat(hostPath.c_str(), &st) != 0) return std::nullopt;
  return std::pair(st.st_dev, st.st_ino);
}

}  // namespace

void TKeptFiles::Add(const std::string& path) {
  if (const auto file = HostFileIdentity(path)) FFiles.insert(*file);
}

bool TKeptFiles::Contains(const std::string& path) const {
  if (FFiles.empty()) return false;
  const auto file = HostFileIdentity(path);
  return file && FFiles.contains(*file);
}

TKeptFiles ReadBadAccountLogFiles(const std::string& logPath) {
  TKeptFiles kept;
  if (!win::FileExists(logPath) && !win::DirectoryExists(logPath)) return kept;
  std::string text;
  if (!win::ReadWholeFile(logPath, text)) {
    const win::DWORD code = win::GetLastError();
    throw win::EInOutError("Cannot open file \"" + logPath + "\". " + win::SysErrorMessage(code),
                           code);
  }
  kept.Add(logPath);
  win::TStringList lines;
  lines.SetText(text);
  const int first =
      StartsWithBadAccountLogHeader(text) ? static_cast<int>(kBadAccountLogHeader.size()) : 0;
  for (int i = first; i < lines.Count(); ++i) {
    const std::optional<TBadAccountEntry> entry = ParseBadAccountEntry(lines[i]);
    if (entry && !entry->File.empty()) kept.Add(entry->File);
  }
  return kept;
}

}  // namespace splitter
