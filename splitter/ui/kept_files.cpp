#include "splitter/ui/kept_files.h"

#include <optional>

#include "platform/error.h"
#include "platform/files.h"
#include "platform/stringlist.h"
#include "splitter/engine/bad_account_log.h"

namespace splitter {

void TKeptFiles::Add(const std::string& path) {
  win::TFileId file;
  if (win::GetFileId(path, file)) FFiles.insert(file);
}

bool TKeptFiles::Contains(const std::string& path) const {
  win::TFileId file;
  return !FFiles.empty() && win::GetFileId(path, file) && FFiles.contains(file);
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
