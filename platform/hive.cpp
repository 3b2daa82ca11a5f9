#include "platform/hive.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <optional>

#include "platform/hostfile.h"
#include "platform/prefix.h"

namespace win {

namespace {

constexpr std::string_view kRoot = "HKEY_LOCAL_MACHINE";
constexpr std::string_view kWhitespace = " \t\r";
constexpr std::size_t kHexLineWidth = 79;

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool StartsWithName(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && SameRegistryName(text.substr(0, prefix.size()), prefix);
}

std::string_view TrimLeft(std::string_view s) {
  const std::size_t first = s.find_first_not_of(kWhitespace);
  return first == std::string_view::npos ? std::string_view() : s.substr(first);
}

std::string_view TrimRight(std::string_view s) {
  const std::size_t last = s.find_last_not_of(kWhitespace);
  return last == std::string_view::npos ? std::string_view() : s.substr(0, last + 1);
}

std::string_view Trim(std::string_view s) { return TrimRight(TrimLeft(s)); }

std::string_view StripSlashes(std::string_view path) {
  while (!path.empty() && path.front() == '\\') path.remove_prefix(1);
  while (!path.empty() && path.back() == '\\') path.remove_suffix(1);
  return path;
}

// `path` is `key` or lies below it.
bool IsSameOrBelow(std::string_view path, std::string_view key) {
  if (key.empty()) return true;
  if (!StartsWithName(path, key)) return false;
  return path.size() == key.size() || path[key.size()] == '\\';
}

std::string_view ParentPath(std::string_view path) {
  const std::size_t slash = path.rfind('\\');
  return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash);
}

bool EndsWithBlankLine(std::string_view text) {
  if (text.empty() || text.back() != '\n') return false;
  text.remove_suffix(1);
  text = TrimRight(text);
  return text.empty() || text.back() == '\n';
}

std::string Quote(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out + "\"";
}

// A REG_SZ that the quoted form can hold: one text, one terminating zero.
bool IsPlainText(std::string_view data) {
  if (data.empty() || data.back() != '\0') return false;
  data.remove_suffix(1);
  return data.find_first_of(std::string_view("\0\r\n", 3)) == std::string_view::npos;
}

bool IsUtf16Type(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

std::string Widen(std::string_view narrow) {
  std::string wide;
  wide.reserve(narrow.size() * 2);
  for (const char c : narrow) {
    wide += c;
    wide += '\0';
  }
  return wide;
}

// Characters beyond the single-byte range have no narrow form.
std::string Narrow(std::string_view wide) {
  std::string narrow;
  for (std::size_t i = 0; i + 1 < wide.size(); i += 2) {
    narrow += wide[i + 1] == '\0' ? wide[i] : '?';
  }
  return narrow;
}

std::string HexList(std::string out, std::string_view bytes, const std::string& lineEnd) {
  std::size_t lineStart = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    char item[4];
    std::snprintf(item, sizeof item, "%02x", static_cast<unsigned char>(bytes[i]));
    std::string piece = item;
    if (i + 1 < bytes.size()) piece += ',';
    if (out.size() - lineStart + piece.size() + 1 > kHexLineWidth && i + 1 < bytes.size()) {
      out += "\\" + lineEnd + "  ";
      lineStart = out.size() - 2;
    }
    out += piece;
  }
  return out;
}

std::string FormatValue(const THiveValue& value, const std::string& lineEnd) {
  std::string text = (value.Name.empty() ? std::string("@") : Quote(value.Name)) + "=";
  if (value.Type == REG_SZ && IsPlainText(value.Data)) {
    return text + Quote(std::string_view(value.Data).substr(0, value.Data.size() - 1)) + lineEnd;
  }
  if (value.Type == REG_DWORD && value.Data.size() == 4) {
    std::uint32_t number = 0;
    for (int i = 3; i >= 0; --i) number = number << 8 | static_cast<unsigned char>(value.Data[i]);
    char digits[16];
    std::snprintf(digits, sizeof digits, "%08x", number);
    return text + "dword:" + digits + lineEnd;
  }
  if (value.Type == REG_BINARY) {
    text += "hex:";
  } else {
    char type[24];
    std::snprintf(type, sizeof type, "hex(%x):", value.Type);
    text += type;
  }
  const std::string bytes = IsUtf16Type(value.Type) ? Widen(value.Data) : value.Data;
  return HexList(std::move(text), bytes, lineEnd) + lineEnd;
}

struct TLine {
  std::string_view Content;  // without the line end
  std::string_view Whole;
};

std::vector<TLine> SplitLines(std::string_view text) {
  std::vector<TLine> lines;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::size_t length = end == std::string_view::npos ? text.size() : end + 1;
    std::string_view whole = text.substr(0, length);
    std::string_view content = whole;
    if (!content.empty() && content.back() == '\n') content.remove_suffix(1);
    if (!content.empty() && content.back() == '\r') content.remove_suffix(1);
    lines.push_back({content, whole});
    text.remove_prefix(length);
  }
  return lines;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = LowerAscii(c);
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::optional<std::uint32_t> ParseHexNumber(std::string_view digits, std::size_t maxDigits) {
  if (digits.empty() || digits.size() > maxDigits) return std::nullopt;
  std::uint32_t number = 0;
  for (const char c : digits) {
    const int digit = HexDigit(c);
    if (digit < 0) return std::nullopt;
    number = number << 4 | static_cast<std::uint32_t>(digit);
  }
  return number;
}

// Reads a quoted text whose opening quotation mark is at `pos`; only \\ and
// \" are escapes, as regedit writes them. False when it is not closed.
bool ReadQuoted(std::string_view s, std::size_t& pos, std::string& out) {
  for (++pos; pos < s.size(); ++pos) {
    const char c = s[pos];
    if (c == '\\' && pos + 1 < s.size() && (s[pos + 1] == '\\' || s[pos + 1] == '"')) {
      out += s[++pos];
    } else if (c == '"') {
      ++pos;
      return true;
    } else {
      out += c;
    }
  }
  return false;
}

class THiveParser {
 public:
  THiveParser(std::string_view text, const std::string& source)
      : FLines(SplitLines(text)), FSource(source) {}

  std::size_t LineCount() const { return FLines.size(); }
  const TLine& Line(std::size_t index) const { return FLines[index]; }

  [[noreturn]] void Fail(std::size_t index, const std::string& reason) const {
    throw EHiveFormatError(FSource, static_cast<int>(index + 1), reason);
  }

  void CheckHeader() const {
    std::string_view first = FLines[0].Content;
    if (first.starts_with("\xFF\xFE") || first.starts_with("\xFE\xFF")) {
      Fail(0, "UTF-16 text is not supported; save the file as single-byte text");
    }
    if (first.starts_with("\xEF\xBB\xBF")) first.remove_prefix(3);
    if (TrimRight(first) != kRegistryHeader) {
      Fail(0, "expected the header \"" + std::string(kRegistryHeader) + "\"");
    }
  }

  std::string ParseKeyPath(std::size_t index) const {
    const std::string_view line = Trim(FLines[index].Content);
    if (line.size() < 2 || line.back() != ']') Fail(index, "a key line must end with ']'");
    const std::string_view inner = line.substr(1, line.size() - 2);
    if (inner.starts_with("-")) Fail(index, "deleting keys is not supported");
    if (!IsSameOrBelow(inner, kRoot)) Fail(index, "only HKEY_LOCAL_MACHINE keys are supported");
    const std::string_view path = inner.substr(std::min(inner.size(), kRoot.size() + 1));
    if (inner.size() > kRoot.size() &&
        (path.empty() || path.front() == '\\' || path.back() == '\\' ||
         path.find("\\\\") != std::string_view::npos)) {
      Fail(index, "empty key name in the path");
    }
    return std::string(path);
  }

  // Parses the value starting at line `index`, which may continue on the
  // following lines; `index` ends at its last line.
  THiveValue ParseValue(std::size_t& index) const {
    const std::size_t first = index;
    const std::string_view line = TrimLeft(FLines[index].Content);
    THiveValue value;
    std::size_t pos = 0;
    if (line.front() == '@') {
      pos = 1;
    } else if (line.front() == '"') {
      if (!ReadQuoted(line, pos, value.Name)) Fail(first, "the value name has no closing quotation mark");
    } else {
      Fail(first, "expected \"name\"=data or @=data");
    }
    std::string_view rest = TrimLeft(line.substr(pos));
    if (rest.empty() || rest.front() != '=') Fail(first, "expected '=' after the value name");
    rest = TrimLeft(rest.substr(1));

    if (rest.starts_with("\"")) {
      std::size_t end = 0;
      std::string text;
      if (!ReadQuoted(rest, end, text)) Fail(first, "the text has no closing quotation mark");
      if (!Trim(rest.substr(end)).empty()) Fail(first, "unexpected text after the closing quotation mark");
      value.Type = REG_SZ;
      value.Data = text + '\0';
      return value;
    }
    if (StartsWithName(rest, "dword:")) {
      const auto number = ParseHexNumber(Trim(rest.substr(6)), 8);
      if (!number) Fail(first, "dword data must be 1 to 8 hex digits");
      value.Type = REG_DWORD;
      for (int i = 0; i < 4; ++i) value.Data += static_cast<char>(*number >> (8 * i) & 0xFF);
      return value;
    }
    if (StartsWithName(rest, "hex")) {
      const std::string joined = JoinContinuation(rest, index);
      std::string_view data = joined;
      data.remove_prefix(3);
      value.Type = REG_BINARY;
      if (data.starts_with("(")) {
        const std::size_t close = data.find(')');
        const auto type = close == std::string_view::npos ? std::nullopt : ParseHexNumber(data.substr(1, close - 1), 8);
        if (!type) Fail(first, "hex(n) needs a hex type number");
        value.Type = *type;
        data.remove_prefix(close + 1);
      }
      if (!data.starts_with(":")) Fail(first, "expected ':' after hex");
      value.Data = ParseHexBytes(data.substr(1), first);
      if (IsUtf16Type(value.Type)) {
        if (value.Data.size() % 2 != 0) Fail(first, "UTF-16 text data must have an even number of bytes");
        value.Data = Narrow(value.Data);
      }
      return value;
    }
    if (rest.starts_with("-")) Fail(first, "deleting values is not supported");
    Fail(first, "unknown data; expected \"text\", dword:, hex: or hex(n):");
  }

 private:
  // A hex list goes on while a line ends with a backslash.
  std::string JoinContinuation(std::string_view rest, std::size_t& index) const {
    std::string joined(TrimRight(rest));
    while (!joined.empty() && joined.back() == '\\') {
      joined.pop_back();
      if (++index >= FLines.size()) Fail(index - 1, "the data go on past the end of the file");
      joined += Trim(FLines[index].Content);
      joined = std::string(TrimRight(joined));
    }
    return joined;
  }

  std::string ParseHexBytes(std::string_view list, std::size_t index) const {
    std::string bytes;
    list = Trim(list);
    while (!list.empty()) {
      const std::size_t comma = list.find(',');
      const std::string_view item = Trim(list.substr(0, comma));
      const auto byte = ParseHexNumber(item, 2);
      if (!byte) Fail(index, "bad hex byte \"" + std::string(item) + "\"");
      bytes += static_cast<char>(*byte);
      if (comma == std::string_view::npos) break;
      list = Trim(list.substr(comma + 1));
    }
    return bytes;
  }

  std::vector<TLine> FLines;
  const std::string& FSource;
};

class TLockFile {
 public:
  explicit TLockFile(const std::filesystem::path& file) {
    const std::filesystem::path lock = file.string() + ".lock";
    FDescriptor = ::open(lock.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0666);
    if (FDescriptor < 0) {
      FailFromErrno();
      throw Exception("Cannot lock the registry file " + file.string() + ": " +
                      SysErrorMessage(GetLastError()));
    }
    while (::flock(FDescriptor, LOCK_EX) != 0 && errno == EINTR) {
    }
  }
  ~TLockFile() { ::close(FDescriptor); }
  TLockFile(const TLockFile&) = delete;
  TLockFile& operator=(const TLockFile&) = delete;

 private:
  int FDescriptor;
};

}  // namespace

EHiveFormatError::EHiveFormatError(const std::string& source, int line, const std::string& reason)
    : Exception(source + ", line " + std::to_string(line) + ": " + reason), Line(line) {}

bool SameRegistryName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

bool IsStorableKeyPath(std::string_view path) {
  path = StripSlashes(path);
  return path.find('\n') == std::string_view::npos && path.find("\\\\") == std::string_view::npos;
}

bool IsStorableValueName(std::string_view name) { return name.find('\n') == std::string_view::npos; }

THive::THive() : FHead(std::string(kRegistryHeader) + "\r\n\r\n") {}

THive THive::Parse(std::string_view text, const std::string& source) {
  THive hive;
  if (text.find_first_not_of(" \t\r\n") == std::string_view::npos) return hive;
  const THiveParser parser(text, source);
  parser.CheckHeader();
  const std::string_view firstLine = parser.Line(0).Whole;
  hive.FLineEnd = firstLine.ends_with("\n") && !firstLine.ends_with("\r\n") ? "\n" : "\r\n";
  hive.FHead = std::string(firstLine);
  for (std::size_t i = 1; i < parser.LineCount(); ++i) {
    const std::string_view content = TrimLeft(parser.Line(i).Content);
    if (content.empty() || content.front() == ';') {
      if (hive.FSections.empty()) {
        hive.FHead += parser.Line(i).Whole;
      } else {
        hive.FSections.back().Entries.push_back({false, std::string(parser.Line(i).Whole), {}});
      }
    } else if (content.front() == '[') {
      hive.FSections.push_back({parser.ParseKeyPath(i), std::string(parser.Line(i).Whole), {}});
    } else {
      if (hive.FSections.empty()) parser.Fail(i, "a value before the first key");
      const std::size_t first = i;
      THiveValue value = parser.ParseValue(i);
      std::string whole;
      for (std::size_t line = first; line <= i; ++line) whole += parser.Line(line).Whole;
      hive.FSections.back().Entries.push_back({true, std::move(whole), std::move(value)});
    }
  }
  return hive;
}

std::string THive::Serialise() const {
  std::string text = FHead;
  const auto append = [&](const std::string& piece) {
    if (!text.empty() && text.back() != '\n') text += FLineEnd;
    text += piece;
  };
  for (const TSection& section : FSections) {
    append(section.Text);
    for (const TEntry& entry : section.Entries) append(entry.Text);
  }
  return text;
}

int THive::SectionOf(std::string_view path, bool last) const {
  int found = -1;
  for (std::size_t i = 0; i < FSections.size(); ++i) {
    if (SameRegistryName(FSections[i].Path, path)) {
      found = static_cast<int>(i);
      if (!last) break;
    }
  }
  return found;
}

bool THive::KeyExists(std::string_view path) const {
  path = StripSlashes(path);
  if (path.empty()) return true;
  for (const TSection& section : FSections) {
    if (IsSameOrBelow(section.Path, path)) return true;
  }
  return false;
}

std::string THive::StoredPath(std::string_view path) const {
  path = StripSlashes(path);
  for (const TSection& section : FSections) {
    if (IsSameOrBelow(section.Path, path)) return section.Path.substr(0, path.size());
  }
  return std::string(path);
}

std::vector<std::string> THive::KeyPaths() const {
  std::vector<std::string> paths;
  for (const TSection& section : FSections) {
    bool seen = false;
    for (const std::string& path : paths) seen = seen || SameRegistryName(path, section.Path);
    if (!seen) paths.push_back(section.Path);
  }
  return paths;
}

std::vector<std::string> THive::SubkeyNames(std::string_view path) const {
  path = StripSlashes(path);
  std::vector<std::string> names;
  for (const TSection& section : FSections) {
    if (!IsSameOrBelow(section.Path, path) || section.Path.size() == path.size()) continue;
    std::string_view below = std::string_view(section.Path).substr(path.empty() ? 0 : path.size() + 1);
    below = below.substr(0, below.find('\\'));
    bool seen = false;
    for (const std::string& name : names) seen = seen || SameRegistryName(name, below);
    if (!seen) names.emplace_back(below);
  }
  return names;
}

std::vector<THiveValue> THive::Values(std::string_view path) const {
  path = StripSlashes(path);
  std::vector<THiveValue> values;
  for (const TSection& section : FSections) {
    if (!SameRegistryName(section.Path, path)) continue;
    for (const TEntry& entry : section.Entries) {
      if (!entry.IsValue) continue;
      bool replaced = false;
      for (THiveValue& value : values) {
        if (SameRegistryName(value.Name, entry.Value.Name)) {
          value.Type = entry.Value.Type;
          value.Data = entry.Value.Data;
          replaced = true;
        }
      }
      if (!replaced) values.push_back(entry.Value);
    }
  }
  return values;
}

const THiveValue* THive::FindValue(std::string_view path, std::string_view name) const {
  path = StripSlashes(path);
  const THiveValue* found = nullptr;
  for (const TSection& section : FSections) {
    if (!SameRegistryName(section.Path, path)) continue;
    for (const TEntry& entry : section.Entries) {
      if (entry.IsValue && SameRegistryName(entry.Value.Name, name)) found = &entry.Value;
    }
  }
  return found;
}

std::string THive::CreateKey(std::string_view path) {
  if (!IsStorableKeyPath(path)) throw Exception("Invalid key name " + std::string(path));
  path = StripSlashes(path);
  if (const int section = SectionOf(path, false); section >= 0 || path.empty()) {
    return section >= 0 ? FSections[section].Path : std::string();
  }
  std::string_view existing = path;
  while (!existing.empty() && !KeyExists(existing)) existing = ParentPath(existing);
  const std::string stored = StoredPath(existing) + std::string(path.substr(existing.size()));
  InsertSection(stored);
  return stored;
}

// A new key goes after the last key of the nearest existing ancestor's
// subtree, so that related keys stay together.
void THive::InsertSection(const std::string& path) {
  std::string_view ancestor = ParentPath(path);
  while (!ancestor.empty() && !KeyExists(ancestor)) ancestor = ParentPath(ancestor);
  std::size_t at = FSections.size();
  if (!ancestor.empty()) {
    for (std::size_t i = 0; i < FSections.size(); ++i) {
      if (IsSameOrBelow(FSections[i].Path, ancestor)) at = i + 1;
    }
  }
  std::string before = FHead;
  if (at > 0) {
    const TSection& previous = FSections[at - 1];
    before = previous.Entries.empty() ? previous.Text : previous.Entries.back().Text;
  }
  TSection section;
  section.Path = path;
  section.Text = (EndsWithBlankLine(before) ? "" : FLineEnd) + "[" + std::string(kRoot) +
                 (path.empty() ? "" : "\\") + path + "]" + FLineEnd;
  section.Entries.push_back({false, FLineEnd, {}});
  FSections.insert(FSections.begin() + static_cast<std::ptrdiff_t>(at), std::move(section));
}

bool THive::DeleteKey(std::string_view path) {
  path = StripSlashes(path);
  if (path.empty() || !KeyExists(path)) return false;
  std::erase_if(FSections, [&](const TSection& section) { return IsSameOrBelow(section.Path, path); });
  return true;
}

bool THive::SetValue(std::string_view path, const THiveValue& value) {
  path = StripSlashes(path);
  if (!KeyExists(path) || !IsStorableValueName(value.Name)) return false;
  if (SectionOf(path, true) < 0) InsertSection(StoredPath(path));
  bool stored = false;
  for (TSection& section : FSections) {
    if (!SameRegistryName(section.Path, path)) continue;
    std::erase_if(section.Entries, [&](TEntry& entry) {
      if (!entry.IsValue || !SameRegistryName(entry.Value.Name, value.Name)) return false;
      if (stored) return true;
      entry.Value.Type = value.Type;
      entry.Value.Data = value.Data;
      entry.Text = FormatValue(entry.Value, FLineEnd);
      stored = true;
      return false;
    });
  }
  if (stored) return true;
  TSection& section = FSections[SectionOf(path, true)];
  std::size_t at = 0;
  for (std::size_t i = 0; i < section.Entries.size(); ++i) {
    if (section.Entries[i].IsValue) at = i + 1;
  }
  section.Entries.insert(section.Entries.begin() + static_cast<std::ptrdiff_t>(at),
                         {true, FormatValue(value, FLineEnd), value});
  return true;
}

bool THive::DeleteValue(std::string_view path, std::string_view name) {
  path = StripSlashes(path);
  std::size_t removed = 0;
  for (TSection& section : FSections) {
    if (!SameRegistryName(section.Path, path)) continue;
    removed += std::erase_if(section.Entries, [&](const TEntry& entry) {
      return entry.IsValue && SameRegistryName(entry.Value.Name, name);
    });
  }
  return removed > 0;
}

THive LoadHive(const std::filesystem::path& file) {
  std::string text;
  if (!ReadHostFile(file, text)) {
    const DWORD code = GetLastError();
    if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) return THive();
    throw Exception("Cannot read the registry file " + file.string() + ": " + SysErrorMessage(code));
  }
  return THive::Parse(text, file.string());
}

void UpdateHive(const std::filesystem::path& file, const std::function<bool(THive&)>& change) {
  const TLockFile lock(file);
  THive hive = LoadHive(file);
  if (!change(hive)) return;
  if (!WriteHostFileAtomic(file, hive.Serialise())) {
    const DWORD code = GetLastError();
    throw Exception("Cannot write the registry file " + file.string() + ": " + SysErrorMessage(code));
  }
}

}  // namespace win
