// The files the clean-up must leave wherever its masks match them: the
// current bad-account log and every file it names. A rejected account's
// batch can stay under its split-file name (".DAT") when it could not be
// moved aside, and the log's entry is then its only record.
#pragma once

#include <set>
#include <string>

#include "platform/files.h"

namespace splitter {

// Kept files are known by their file ids (files.h), so that every
// Windows name of one file counts: any letter case, a relative path, a drive
// letter, a share that lives in the same folder.
class TKeptFiles {
 public:
  // Keeps the file that `path` names now (relative paths against the current
  // directory); a path that names no file keeps nothing.
  void Add(const std::string& path);
  // Whether `path` names a kept file.
  bool Contains(const std::string& path) const;
  bool Empty() const { return FFiles.empty(); }

 private:
  std::set<win::TFileId> FFiles;
};

// The log `logPath` and the file of each of its entries. A missing log keeps
// nothing. A file without the log's header lines is read as entries from
// its first line, since new entries are appended to whatever file has the
// log's name. Raises win::EInOutError when the log exists but cannot be
// read, so that no clean-up runs without knowing what to keep.
TKeptFiles ReadBadAccountLogFiles(const std::string& logPath);

}  // namespace splitter
