#include "platform/hivetext.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <optional>

#include "platform/prefix.h"
#include "platform/text.h"

namespace win {

namespace {

constexpr std::string_view kRoot = "HKEY_LOCAL_MACHINE";
constexpr std::size_t kHexLineWidth = 79;

bool StartsWithName(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && SameText(text.substr(0, prefix.size()), prefix);
}

bool IsLineBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view TrimLineLeft(std::string_view s) {
  std::size_t first = 0;
  while (first < s.size() && IsLineBlank(s[first])) ++first;
  return s.substr(first);
}

std::string_view TrimLineRight(std::string_view s) {
  std::size_t end = s.size();
  while (end > 0 && IsLineBlank(s[end - 1])) --end;
  return s.substr(0, end);
}

std::string_view TrimLine(std::string_view s) { return TrimLineRight(TrimLineLeft(s)); }

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
  constexpr char kDigits[] = "0123456789abcdef";
  out.reserve(out.size() + bytes.size() * 3 + bytes.size() / 24 * (lineEnd.size() + 3));
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    const char piece[3] = {kDigits[byte >> 4], kDigits[byte & 0xF], ','};
    const std::size_t length = i + 1 < bytes.size() ? 3 : 2;
    if (out.size() - lineStart + length + 1 > kHexLineWidth && i + 1 < bytes.size()) {
      out += "\\" + lineEnd + "  ";
      lineStart = out.size() - 2;
    }
    out.append(piece, length);
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = LowerChar(c);
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

THiveTextReader::THiveTextReader(std::string_view text, const std::string& source)
    : FRest(text), FSource(source) {
  TLine first;
  ReadLine(first);
  std::string_view content = first.Content;
  if (content.starts_with("\xFF\xFE") || content.starts_with("\xFE\xFF")) {
    Fail(1, "UTF-16 text is not supported; save the file as single-byte text");
  }
  if (content.starts_with("\xEF\xBB\xBF")) content.remove_prefix(3);
  if (TrimLineRight(content) != kRegistryHeader) {
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
  const std::string_view content = TrimLineLeft(line.Content);
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
  const std::string_view line = TrimLine(content);
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
  std::string_view rest = TrimLineLeft(line.substr(pos));
  if (rest.empty() || rest.front() != '=') Fail(first, "expected '=' after the value name");
  rest = TrimLineLeft(rest.substr(1));

  if (rest.starts_with("\"")) {
    std::size_t end = 0;
    std::string text;
    if (!ReadQuoted(rest, end, text)) Fail(first, "the text has no closing quotation mark");
    if (!TrimLine(rest.substr(end)).empty())
      Fail(first, "unexpected text after the closing quotation mark");
    value.Type = REG_SZ;
    value.Data = text + '\0';
    return;
  }
  if (StartsWithName(rest, "dword:")) {
    const auto number = ParseHexNumber(TrimLine(rest.substr(6)), 8);
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
  std::string joined(TrimLineRight(rest));
  while (!joined.empty() && joined.back() == '\\') {
    joined.pop_back();
    TLine line;
    if (!ReadLine(line)) Fail(FLineNumber, "the data go on past the end of the file");
    joined += TrimLine(line.Content);
    while (!joined.empty() && IsLineBlank(joined.back())) joined.pop_back();
  }
  return joined;
}

// Items between commas, each one or two hex digits with blanks around; a
// trailing comma ends the list. One pass: the lists run to megabytes.
std::string THiveTextReader::ParseHexBytes(std::string_view list, std::size_t lineNumber) const {
  std::string bytes;
  bytes.reserve(list.size() / 3 + 1);
  list = TrimLine(list);
  std::size_t at = 0;
  while (at < list.size()) {
    std::size_t end = at;
    while (end < list.size() && list[end] != ',') ++end;
    const std::string_view item = TrimLine(list.substr(at, end - at));
    const int high = item.empty() ? -1 : HexDigit(item[0]);
    const int low = item.size() == 2 ? HexDigit(item[1]) : 0;
    if (high < 0 || low < 0 || item.size() > 2) {
      Fail(lineNumber, "bad hex byte \"" + std::string(item) + "\"");
    }
    bytes += static_cast<char>(item.size() == 2 ? high << 4 | low : high);
    at = end + 1;
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
  text = TrimLineRight(text);
  return text.empty() || text.back() == '\n';
}

}  // namespace win
