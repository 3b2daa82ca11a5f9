// Setting rejected accounts aside, undoing a run's split, and writing and
// taking back the bad-account log (its format: bad_account_log.h).
#include <algorithm>
#include <filesystem>
#include <memory>

#include "platform/env.h"
#include "platform/error.h"
#include "platform/files.h"
#include "platform/path.h"
#include "platform/stringlist.h"
#include "splitter/engine/bad_account_log.h"
#include "splitter/engine/main_form/main.h"
#include "splitter/engine/split_names.h"
#include "splitter/engine/utilities.h"

namespace splitter {

namespace {

// Far more than the four header lines with their line ends, so a file whose
// beginning matches them has matched whole lines.
constexpr std::size_t kHeaderProbeBytes = 1024;

// A path the host cannot look at (a loop of links, a folder without search
// rights) counts as no file rather than raising.
bool HostFileOf(const std::string& path, std::filesystem::path& hostPath) {
  if (!win::HostPathOf(path, hostPath)) return false;
  std::error_code error;
  const std::filesystem::file_type type = std::filesystem::status(hostPath, error).type();
  return type == std::filesystem::file_type::not_found ||
         (!error && type != std::filesystem::file_type::directory);
}

// Up to `limit` bytes from the start of `path` (all of it when `limit` is
// 0); false when it cannot be opened, and `readFailed` set when it opened but
// reading broke off.
bool ReadLogText(const std::string& path, std::string& text, bool& readFailed,
                 std::size_t limit = 0) {
  std::filesystem::path hostPath;
  std::unique_ptr<win::TReadableFile> file;
  if (!HostFileOf(path, hostPath) || !win::Env().OpenReadable(hostPath, file)) return false;
  text.clear();
  readFailed = false;
  char buffer[65536];
  for (;;) {
    const std::size_t wanted =
        limit == 0 ? sizeof buffer : std::min(sizeof buffer, limit - text.size());
    std::size_t got = 0;
    if (wanted == 0) break;
    if (!file->Read(buffer, wanted, got)) {
      readFailed = true;
      break;
    }
    if (got == 0) break;
    text.append(buffer, got);
  }
  return true;
}

// Whether both names lead to one existing file.
bool SameFile(const std::string& first, const std::string& second) {
  std::filesystem::path firstHost;
  std::filesystem::path secondHost;
  std::error_code error;
  return win::HostPathOf(first, firstHost) && win::HostPathOf(second, secondHost) &&
         std::filesystem::equivalent(firstHost, secondHost, error) && !error;
}

bool CanOpenForReading(const std::string& path) {
  std::filesystem::path hostPath;
  std::unique_ptr<win::TReadableFile> file;
  return HostFileOf(path, hostPath) && win::Env().OpenReadable(hostPath, file);
}

// The failures of an append that had opened the file: what it wrote did not
// all reach the disk.
bool IsWriteFailure(win::DWORD code) {
  return code == win::ERROR_DISK_FULL || code == win::ERROR_WRITE_FAULT;
}

}  // namespace

void Tform_Main::LogBadAccount(const std::string& accountId, const std::string& path) {
  std::filesystem::path hostPath;
  const bool isNew = !win::FileExists(BadAcctFile);
  const std::string text =
      (isNew ? BadAccountLogHeaderText() : "") + FormatBadAccountEntry(accountId, path);
  const bool opened = HostFileOf(BadAcctFile, hostPath);
  if (opened && win::Env().AppendFile(hostPath, text)) return;
  const bool writeFailed = opened && IsWriteFailure(win::GetLastError());
  FView.ShowInformation((writeFailed ? "Error writing to" : "Error opening") +
                        std::string(" bad account ID log file ") + BadAcctFile);
}

void Tform_Main::MoveToBadFile(int index) {
  const std::string file = WrittenFiles->Strings(index);
  const std::string account = WrittenAccounts->Strings(index);
  const std::string pattern =
      win::ExtractFilePath(BadIDFileName).empty()
          ? StripTrailingBackslash(win::ExtractFilePath(file)) + "\\" + BadIDFileName
          : BadIDFileName;

  // Every name of the pattern is tried once at most; a capacity of 0 means
  // more names than any folder can hold, so a free one turns up.
  const unsigned long long capacity = FileNameCapacity(pattern);
  std::string name = pattern;
  bool nameFree = false;
  for (unsigned long long tried = 0; !nameFree && (capacity == 0 || tried < capacity); ++tried) {
    name = NextFileName(name, pattern);
    nameFree = !win::FileExists(name);
  }

  std::string where;
  if (nameFree) {
    // A file that cannot be moved stays, and is reported where it is.
    if (!win::RenameFile(file, name)) name = file;
    where = " is now located in the file " + name;
  } else {
    name = file;
    where = " remains in the file " + name + " (every name of the form " + pattern + " is taken)";
  }

  if (account.empty()) {
    FView.ShowInformation("The information not associated with an account" + where + ", and may" +
                          " be printed by manually printing the file.");
  } else {
    LogBadAccount(account, name);
    FView.ShowInformation("The information for account " + account + where + ", and may" +
                          " be printed by selecting " + BadAcctFile + ".");
  }
  WrittenAccounts->Delete(index);
  WrittenFiles->Delete(index);
}

void Tform_Main::AbortSplit() {
  while (WrittenFiles->Count() > 0) {
    if (WrittenFiles->Objects(0) == kTakenBackMark) {
      LogBadAccount((*WrittenAccounts)[0], (*WrittenFiles)[0]);
    } else {
      win::DeleteFile((*WrittenFiles)[0]);
    }
    WrittenFiles->Delete(0);
    WrittenAccounts->Delete(0);
  }
  FAccountCheckAborted = true;
  Step = kStepCleanUp;
  FView.Invalidate();
}

void Tform_Main::LogTakenBackAgain() {
  for (int i = 0; i < WrittenFiles->Count();) {
    if (WrittenFiles->Objects(i) != kTakenBackMark) {
      ++i;
      continue;
    }
    LogBadAccount((*WrittenAccounts)[i], (*WrittenFiles)[i]);
    WrittenFiles->Delete(i);
    WrittenAccounts->Delete(i);
  }
}

bool Tform_Main::IsBadAccountLog(const std::string& path) {
  std::string beginning;
  bool readFailed = false;
  return ReadLogText(path, beginning, readFailed, kHeaderProbeBytes) && !readFailed &&
         StartsWithBadAccountLogHeader(beginning);
}

void Tform_Main::ReloadBadAccountLog(const std::string& path) {
  if (!CanOpenForReading(path)) throw win::Exception("Error opening input file " + path + ".");
  // A log queued under the temporary name already has it: deleting it to
  // make room would lose it.
  const bool underTempName = SameFile(path, TempFile);
  if (!underTempName) {
    if (win::FileExists(TempFile) && !win::DeleteFile(TempFile)) {
      throw win::Exception("Error removing temporary file " + TempFile);
    }
    if (!win::RenameFile(path, TempFile)) {
      throw win::Exception("Error renaming file " + path + " to " + TempFile);
    }
  }

  try {
    std::string text;
    bool readFailed = false;
    if (!ReadLogText(TempFile, text, readFailed)) {
      throw win::Exception("Error opening input file " + TempFile + ".");
    }
    if (readFailed) throw win::Exception("Error reading input file " + path + ".");
    win::TStringList lines;
    lines.SetText(text);
    for (int i = static_cast<int>(kBadAccountLogHeader.size()); i < lines.Count(); ++i) {
      const std::optional<TBadAccountEntry> entry = ParseBadAccountEntry(lines[i]);
      if (!entry) continue;
      if (win::FileExists(entry->File)) {
        WrittenAccounts->AddObject(entry->AccountId, kTakenBackMark);
        WrittenFiles->AddObject(entry->File, kTakenBackMark);
      } else if (FView.Confirm("The file " + entry->File + " associated with account ID " +
                                   entry->AccountId +
                                   " could not be found.  Continue processing anyway?",
                               TConfirmButtons::YesCancel)) {
        LogBadAccount(entry->AccountId, entry->File);
      } else {
        throw EAbort("File " + entry->File + " not found");
      }
    }
  } catch (...) {
    // The log keeps its name when it could not be taken back. An entry
    // logged again above may have started a new log under that name.
    if (!underTempName && !win::RenameFile(TempFile, path)) {
      win::DeleteFile(path);
      if (!win::RenameFile(TempFile, path))
        FView.ShowInformation("Error restoring bad Account ID log.");
    }
    throw;
  }
}

}  // namespace splitter
