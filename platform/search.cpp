#include "platform/search.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>

#include "platform/env.h"
#include "platform/error.h"
#include "platform/files.h"
#include "platform/path.h"
#include "platform/text.h"

namespace win {

namespace {

namespace fs = std::filesystem;

// The wildcards as the file system sees them once Windows has translated a
// mask: "*" before a dot stops short of the name's last dot, "." before a
// wildcard or at the end also matches the end of the name.
enum class TMaskToken { Literal, Star, StarBeforeDot, Question, DotOrEnd };

struct TMaskItem {
  TMaskToken Token;
  char Literal;
};

std::vector<TMaskItem> ParseMask(const std::string& mask) {
  std::vector<TMaskItem> items;
  for (std::size_t i = 0; i < mask.size(); ++i) {
    const char next = i + 1 < mask.size() ? mask[i + 1] : '\0';
    const bool atEnd = i + 1 == mask.size();
    switch (mask[i]) {
      case '*':
        items.push_back({next == '.' ? TMaskToken::StarBeforeDot : TMaskToken::Star, 0});
        break;
      case '?':
        items.push_back({TMaskToken::Question, 0});
        break;
      case '.':
        if (atEnd || next == '*' || next == '?') {
          items.push_back({TMaskToken::DotOrEnd, 0});
        } else {
          items.push_back({TMaskToken::Literal, '.'});
        }
        break;
      default:
        items.push_back({TMaskToken::Literal, mask[i]});
    }
  }
  return items;
}

bool SameLetter(char a, char b) { return LowerChar(a) == LowerChar(b); }

int Finish(int code) {
  SetLastError(static_cast<DWORD>(code));
  return code;
}

void TakeNext(TSearchRec& found) {
  TSearchRec next = std::move(found.Pending.back());
  found.Pending.pop_back();
  found.Name = std::move(next.Name);
  found.Size = next.Size;
  found.Attr = next.Attr;
  found.Time = next.Time;
}

}  // namespace

bool MatchesMask(const std::string& name, const std::string& mask) {
  const std::vector<TMaskItem> items = ParseMask(mask);
  const std::size_t n = name.size();
  const std::size_t lastDot = name.rfind('.');
  // matches[j]: the items from the current one on match name[j..]; filled
  // from the last item backwards, so the work is items x name length.
  std::vector<char> after(n + 1, 0);
  after[n] = 1;
  std::vector<char> matches(n + 1, 0);
  for (std::size_t i = items.size(); i-- > 0;) {
    const TMaskItem& item = items[i];
    for (std::size_t j = n + 1; j-- > 0;) {
      const bool more = j < n;
      bool result = false;
      switch (item.Token) {
        case TMaskToken::Literal:
          result = more && SameLetter(name[j], item.Literal) && after[j + 1];
          break;
        case TMaskToken::Star:
          result = after[j] || (more && matches[j + 1]);
          break;
        case TMaskToken::StarBeforeDot:
          result = after[j] || (more && j != lastDot && matches[j + 1]);
          break;
        case TMaskToken::Question:
          result =
              (more && name[j] != '.' && after[j + 1]) || ((!more || name[j] == '.') && after[j]);
          break;
        case TMaskToken::DotOrEnd:
          result = (more && name[j] == '.' && after[j + 1]) || (!more && after[j]);
          break;
      }
      matches[j] = result ? 1 : 0;
    }
    after.swap(matches);
  }
  return after[0] != 0;
}

int FindFirst(const std::string& path, int attr, TSearchRec& found) {
  FindClose(found);
  const std::string folder = ExtractFilePath(path);
  const std::string mask = ExtractFileName(path);
  fs::path host;
  if (!HostPathOf(folder.empty() ? "." : folder, host))
    return Finish(static_cast<int>(GetLastError()));
  struct stat st {};
  if (::stat(host.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return Finish(ERROR_PATH_NOT_FOUND);
  std::vector<std::string> names;
  if (!Env().ListFolder(host, names)) return Finish(static_cast<int>(GetLastError()));

  const int excluded = ~attr & (faHidden | faSysFile | faDirectory);
  std::vector<TSearchRec> entries;
  for (const std::string& name : names) {
    if (!MatchesMask(name, mask)) continue;
    const fs::path entryPath = host / name;
    const DWORD attributes = GetHostFileAttributes(entryPath);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & excluded) != 0) continue;
    struct stat entryStat {};
    if (::stat(entryPath.c_str(), &entryStat) != 0) ::lstat(entryPath.c_str(), &entryStat);
    TSearchRec record;
    record.Name = name;
    record.Attr = static_cast<int>(attributes);
    record.Size = S_ISDIR(entryStat.st_mode) ? 0 : entryStat.st_size;
    record.Time = HostFileTimeToDateTime(entryStat.st_mtim.tv_sec);
    entries.push_back(std::move(record));
  }
  if (entries.empty()) return Finish(ERROR_FILE_NOT_FOUND);

  // Kept last-first, so that each FindNext takes from the back.
  std::sort(entries.begin(), entries.end(),
            [](const TSearchRec& a, const TSearchRec& b) { return a.Name > b.Name; });
  found.Pending = std::move(entries);
  TakeNext(found);
  return Finish(0);
}

int FindNext(TSearchRec& found) {
  if (found.Pending.empty()) return Finish(ERROR_NO_MORE_FILES);
  TakeNext(found);
  return Finish(0);
}

void FindClose(TSearchRec& found) { found.Pending.clear(); }

}  // namespace win
