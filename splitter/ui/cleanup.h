// The file selection window's clean-up after a run: the processed capture
// files, old capture, split and queue files by their age, and the backup
// and temporary files that a run leaves in the capture folders and the
// product folder.
//
// Every search accepts every attribute, so hidden, system and read-only
// entries and directories whose names match are found too; erasing one that
// cannot be erased raises win::EInOutError ("Cannot delete file "%s". %s")
// and nothing after it is done. A missing folder or a mask that matches
// nothing is no error. Files the kept set names are never erased.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/datetime.h"
#include "splitter/ui/kept_files.h"

namespace splitter {

class TFileCleanUp {
 public:
  // The present moment, against which ages are measured.
  using TClock = std::function<win::TDateTime()>;

  explicit TFileCleanUp(TKeptFiles kept = {}, TClock now = win::Now);

  // After a run that reached the check-writing program, for one processed
  // capture file (a full path). With `deleteOrigFiles` the file itself goes
  // when `numberOfDays` is 0, else capture ("*.RUZ"), split ("*.DAT") and
  // queue ("*.QUE") files of its folder older than `numberOfDays` days (a
  // negative limit takes them all). Then the folder's split files, the
  // backup files ("*.BAK") of `productFolder` and the folder, and the
  // temporary files ("*.$$$") of the folder and `productFolder`.
  void CleanUpProcessedFile(const std::string& processedFile, const std::string& productFolder,
                            bool deleteOrigFiles, double numberOfDays) const;
  // At the end of every Print: the backup, then the split files of
  // `productFolder`.
  void CleanUpProductFolder(const std::string& productFolder) const;

  // Erases every entry that `folder` + `mask` finds. `folder` is used as
  // given, so it ends with a backslash; an empty folder erases nothing.
  void DeleteMatching(const std::string& mask, const std::string& folder) const;
  // The same for the entries whose last write lies more than `days` days
  // (with fractions, in local time) from now, either way; an entry exactly
  // `days` old stays.
  void DeleteOlderThan(const std::string& mask, const std::string& folder, double days) const;

 private:
  void Erase(const std::string& path) const;
  // Erases what `folder` + `mask` finds, of age above `days` when given.
  void DeleteFound(const std::string& mask, const std::string& folder,
                   std::optional<double> days) const;

  TKeptFiles FKept;
  TClock FNow;
};

}  // namespace splitter
