#include "platform/hivetext.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <optional>

#include "platform/prefix.h"

namespace win {

namespace {

constexpr std::string_view kRoot = "HKEY_LOCAL_MACHINE";
// The blanks around the parts of a line; a line end is not one of them.
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

bool IsUtf16Type(DWORD type) {
  return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

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

THiveTextReader::THiveTextReader(std::string_view text, const std::string& source)
    : FRest(text), FSource(source) {
  TLine first;
  ReadLine(first);
  std::string_view content = first.Content;
  if (content.starts_with("\xFF\xFE") || content.starts_with("\xFE\xFF")) {
    Fail(1, "UTF-16 text is not supported; save the file as single-byte text");
  }
  if (content.starts_with("\xEF\xBB\xBF")) content.remove_prefix(3);
  if (TrimRight(content) != kRegistryHeader) {
    Fail(1, "expected the header \"" + std::string(kRegistryHeader) + "\"");
  }
  FHeader = first.Whole;
}

bool THiveTextReader::ReadLine(TLine& line) {
  if (FRest.empty()) return false;
  const std::size_t end = FRest.find('\n');
  const std::size_t length = end == std::string_view::npos ? FRest.size() : end + 1;
  line.Whole = FRest.substr(0, length);
  line.Content = line.Whole;
  if (!line.Content.empty() && line.Content.back() == '\n') line.Content.remove_suffix(1);
  if (!line.Content.empty() && line.Content.back() == '\r') line.Content.remove_suffix(1);
  FRest.remove_prefix(length);
  ++FLineNumber;
  return true;
}

void THiveTextReader::Fail(std::size_t lineNumber, const std::string& reason) const {
  throw EHiveFormatError(FSource, static_cast<int>(lineNumber), reason);
}

bool THiveTextReader::Next(THiveItem& item) {
  const char* start = FRest.data();
  TLine line;
  if (!ReadLine(line)) return false;
  const std::string_view content = TrimLeft(line.Content);
  if (content.empty() || content.front() == ';') {
    item.Kind = THiveItem::TKind::Other;
  } else if (content.front() == '[') {
    item.Kind = THiveItem::TKind::Key;
    item.Path = ParseKeyPath(line.Content);
    FKeySeen = true;
  } else {
    if (!FKeySeen) Fail(FLineNumber, "a value before the first key");
    item.Kind = THiveItem::TKind::Value;
    item.Value = THiveValue{};
    ParseValue(content, item.Value);
  }
  item.Text = std::string_view(start, static_cast<std::size_t>(FRest.data() - start));
  return true;
}

std::string THiveTextReader::ParseKeyPath(std::string_view content) const {
  const std::string_view line = Trim(content);
  if (line.size() < 2 || line.back() != ']') Fail(FLineNumber, "a key line must end with ']'");
  const std::string_view inner = line.substr(1, line.size() - 2);
  if (inner.starts_with("-")) Fail(FLineNumber, "deleting keys is not supported");
  if (!StartsWithName(inner, kRoot) ||
      (inner.size() > kRoot.size() && inner[kRoot.size()] != '\\')) {
    Fail(FLineNumber, "only HKEY_LOCAL_MACHINE keys are supported");
  }
  const std::string_view path = inner.substr(std::min(inner.size(), kRoot.size() + 1));
  if (inner.size() > kRoot.size() && (path.empty() || path.front() == '\\' || path.back() == '\\' ||
                                      path.find("\\\\") != std::string_view::npos)) {
    Fail(FLineNumber, "empty key name in the path");
  }
  return std::string(path);
}

// The value may continue on the following lines, which are read with it.
void THiveTextReader::ParseValue(std::string_view line, THiveValue& value) {
  const std::size_t first = FLineNumber;
  std::size_t pos = 0;
  if (line.front() == '@') {
    pos = 1;
  } else if (line.front() == '"') {
    if (!ReadQuoted(line, pos, value.Name))
      Fail(first, "the value name has no closing quotation mark");
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
    if (!Trim(rest.substr(end)).empty())
      Fail(first, "unexpected text after the closing quotation mark");
    value.Type = REG_SZ;
    value.Data = text + '\0';
    return;
  }
  if (StartsWithName(rest, "dword:")) {
    const auto number = ParseHexNumber(Trim(rest.substr(6)), 8);
    if (!number) Fail(first, "dword data must be 1 to 8 hex digits");
    value.Type = REG_DWORD;
    for (int i = 0; i < 4; ++i) value.Data += static_cast<char>(*number >> (8 * i) & 0xFF);
    return;
  }
  if (StartsWithName(rest, "hex")) {
    const std::string joined = JoinContinuation(rest);
    std::string_view data = joined;
    data.remove_prefix(3);
    value.Type = REG_BINARY;
    if (data.starts_with("(")) {
      const std::size_t close = data.find(')');
      const auto type = close == std::string_view::npos
                            ? std::nullopt
                            : ParseHexNumber(data.substr(1, close - 1), 8);
      if (!type) Fail(first, "hex(n) needs a hex type number");
      value.Type = *type;
      data.remove_prefix(close + 1);
    }
    if (!data.starts_with(":")) Fail(first, "expected ':' after hex");
    value.Data = ParseHexBytes(data.substr(1), first);
    if (IsUtf16Type(value.Type)) {
      if (value.Data.size() % 2 != 0)
        Fail(first, "UTF-16 text data must have an even number of bytes");
      value.Data = Narrow(value.Data);
    }
    return;
  }
  if (rest.starts_with("-")) Fail(first, "deleting values is not supported");
  Fail(first, "unknown data; expected \"text\", dword:, hex: or hex(n):");
}

// A hex list goes on while a line ends with a backslash. Blanks before the
// backslash go with it, so trailing blanks are taken off the joined text
// where it grows, never by copying it.
std::string THiveTextReader::JoinContinuation(std::string_view rest) {
  std::string joined(TrimRight(rest));
  while (!joined.empty() && joined.back() == '\\') {
    joined.pop_back();
    TLine line;
    if (!ReadLine(line)) Fail(FLineNumber, "the data go on past the end of the file");
    joined += Trim(line.Content);
    while (!joined.empty() && kWhitespace.find(joined.back()) != std::string_view::npos)
      joined.pop_back();
  }
  return joined;
}

std::string THiveTextReader::ParseHexBytes(std::string_view list, std::size_t lineNumber) const {
  std::string bytes;
  list = Trim(list);
  while (!list.empty()) {
    const std::size_t comma = list.find(',');
    const std::string_view item = Trim(list.substr(0, comma));
    const auto byte = ParseHexNumber(item, 2);
    if (!byte) Fail(lineNumber, "bad hex byte \"" + std::string(item) + "\"");
    bytes += static_cast<char>(*byte);
    if (comma == std::string_view::npos) break;
    list = Trim(list.substr(comma + 1));
  }
  return bytes;
}

std::string FormatHiveValue(const THiveValue& value, const std::string& lineEnd) {
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

std::string FormatHiveKeyLine(std::string_view path, const std::string& lineEnd) {
  return "[" + std::string(kRoot) + (path.empty() ? "" : "\\") + std::string(path) + "]" + lineEnd;
}

bool EndsWithBlankLine(std::string_view text) {
  if (text.empty() || text.back() != '\n') return false;
  text.remove_suffix(1);
  text = TrimRight(text);
  return text.empty() || text.back() == '\n';
}

}  // namespace win
