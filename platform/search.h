// Wildcard search over one folder: FindFirst / FindNext / FindClose with a
// TSearchRec, as the class library offers them.
//
// Masks match names as Windows does, ignoring letter case: "*" any run of
// characters ("*.*" every name, "*." names without an extension), "?" one
// character other than a dot, or nothing just before a dot or at the end of
// the name ("SPLIT???.BAD" also finds SPLIT1.BAD). "." and ".." are never
// returned. Entries come in the byte order of their host names.
//
// Hidden, system and directory entries are found only when the attribute
// filter asks for them; read-only and archive files are always found, so a
// filter of 0 gives the plain files and faAnyFile everything.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/datetime.h"

namespace win {

inline constexpr int faReadOnly = 0x01;
inline constexpr int faHidden = 0x02;
inline constexpr int faSysFile = 0x04;
inline constexpr int faDirectory = 0x10;
inline constexpr int faArchive = 0x20;
inline constexpr int faAnyFile = 0x3F;

struct TSearchRec {
  std::string Name;  // the name as it is on disk, without folder
  std::int64_t Size = 0;
  int Attr = 0;        // fa... bits
  TDateTime Time = 0;  // last write, local time, two-second resolution

  // The entries still to come; filled by FindFirst, emptied by FindClose.
  std::vector<TSearchRec> Pending;
};

// True when `name` matches the Windows mask `mask`.
bool MatchesMask(const std::string& name, const std::string& mask);

// Starts a search for `path` (a folder part and a mask, "C:\Jobs\*.RUZ")
// and fills `found` with the first entry. Returns 0, ERROR_FILE_NOT_FOUND
// when nothing matches, ERROR_PATH_NOT_FOUND when the folder is missing, or
// another Windows code; the code is also left in GetLastError.
int FindFirst(const std::string& path, int attr, TSearchRec& found);
// The next entry: 0, or ERROR_NO_MORE_FILES at the end.
int FindNext(TSearchRec& found);
// Ends the search.
void FindClose(TSearchRec& found);

}  // namespace win
