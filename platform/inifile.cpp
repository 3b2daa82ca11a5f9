#include "platform/inifile.h"

#include <cctype>
#include <charconv>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/files.h"

namespace win {

namespace {

std::string Trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool SameIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

std::string Unquoted(const std::string& value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

enum class TLineKind { Other, Section, Key };

struct TIniLine {
  std::string Text;
  TLineKind Kind = TLineKind::Other;
  std::string Name;   // section name or key, trimmed
  std::string Value;  // a key's value, trimmed and unquoted
};

// The file's lines; a missing or unreadable file has none.
class TIniContent {
 public:
  explicit TIniContent(const std::string& data) {
    TStringList lines;
    lines.SetText(data);
    for (int i = 0; i < lines.Count(); ++i) FLines.push_back(Parse(lines[i]));
  }

  std::vector<TIniLine>& Lines() { return FLines; }

  // The header line of the first section named `section`, or npos.
  std::size_t FindSection(const std::string& section) const {
    const std::string name = Trimmed(section);
    for (std::size_t i = 0; i < FLines.size(); ++i) {
      if (FLines[i].Kind == TLineKind::Section && SameIgnoringCase(FLines[i].Name, name)) return i;
    }
    return std::string::npos;
  }

  // One past the last line of the section whose header is at `header`.
  std::size_t SectionEnd(std::size_t header) const {
    std::size_t end = header + 1;
    while (end < FLines.size() && FLines[end].Kind != TLineKind::Section) ++end;
    return end;
  }

  // The indexes of the section's key lines, in file order.
  std::vector<std::size_t> Keys(const std::string& section) const {
    std::vector<std::size_t> keys;
    const std::size_t header = FindSection(section);
    if (header == std::string::npos) return keys;
    for (std::size_t i = header + 1; i < SectionEnd(header); ++i) {
      if (FLines[i].Kind == TLineKind::Key) keys.push_back(i);
    }
    return keys;
  }

  const TIniLine* FindKey(const std::string& section, const std::string& ident) const {
    const std::string name = Trimmed(ident);
    for (const std::size_t i : Keys(section)) {
      if (SameIgnoringCase(FLines[i].Name, name)) return &FLines[i];
    }
    return nullptr;
  }

  std::string Serialised() const {
    std::string data;
    for (const TIniLine& line : FLines) data += line.Text + "\r\n";
    return data;
  }

  static TIniLine Parse(const std::string& text) {
    TIniLine line;
    line.Text = text;
    const std::string trimmed = Trimmed(text);
    if (!trimmed.empty() && trimmed.front() == '[') {
      line.Kind = TLineKind::Section;
      line.Name = Trimmed(trimmed.substr(1, trimmed.find(']') - 1));
    } else if (const std::size_t equals = trimmed.find('='); equals != std::string::npos) {
      line.Kind = TLineKind::Key;
      line.Name = Trimmed(trimmed.substr(0, equals));
      line.Value = Unquoted(Trimmed(trimmed.substr(equals + 1)));
    }
    return line;
  }

 private:
  std::vector<TIniLine> FLines;
};

TIniContent Load(const std::string& fileName) {
  std::string data;
  if (!ReadWholeFile(fileName, data)) data.clear();
  return TIniContent(data);
}

std::optional<std::uint64_t> ParseDigits(const std::string& digits, unsigned base,
                                         std::uint64_t limit) {
  if (digits.empty()) return std::nullopt;
  std::uint64_t value = 0;
  for (const char c : digits) {
    const int digit = std::isdigit(static_cast<unsigned char>(c))
                          ? c - '0'
                          : (base == 16 && std::isxdigit(static_cast<unsigned char>(c))
                                 ? std::tolower(static_cast<unsigned char>(c)) - 'a' + 10
                                 : -1);
    if (digit < 0) return std::nullopt;
    value = value * base + static_cast<unsigned>(digit);
    if (value > limit) return std::nullopt;
  }
  return value;
}

std::optional<int> ParseInteger(const std::string& text) {
  std::size_t position = 0;
  const bool negative = !text.empty() && text[0] == '-';
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) position = 1;
  std::optional<std::uint64_t> value;
  if (text.compare(position, 1, "$") == 0) {
    value = ParseDigits(text.substr(position + 1), 16, 0xFFFFFFFFu);
  } else if (text.compare(position, 2, "0x") == 0 || text.compare(position, 2, "0X") == 0) {
    value = ParseDigits(text.substr(position + 2), 16, 0xFFFFFFFFu);
  } else {
    value = ParseDigits(text.substr(position), 10, negative ? 2147483648u : 2147483647u);
  }
  if (!value) return std::nullopt;
  // Hexadecimal numbers use all 32 bits: $FFFFFFFF is -1.
  std::uint32_t bits = static_cast<std::uint32_t>(*value);
  if (negative) bits = 0u - bits;
  return static_cast<std::int32_t>(bits);
}

// [sign] digits [. digits] [e [sign] digits], with digits on at least one side
// of the point.
bool IsDecimalNumber(const std::string& text) {
  std::size_t i = 0;
  const auto digits = [&] {
    const std::size_t start = i;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) ++i;
    return i - start;
  };
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  std::size_t mantissa = digits();
  if (i < text.size() && text[i] == '.') {
    ++i;
    mantissa += digits();
  }
  if (mantissa == 0) return false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    if (digits() == 0) return false;
  }
  return i == text.size();
}

bool BreaksTheFile(const std::string& text, const char* forbidden) {
  return text.find_first_of(forbidden) != std::string::npos;
}

}  // namespace

std::string TIniFile::ReadString(const std::string& section, const std::string& ident,
                                 const std::string& defaultValue) const {
  const TIniContent content = Load(FFileName);
  const TIniLine* key = content.FindKey(section, ident);
  return key != nullptr ? key->Value : defaultValue;
}

int TIniFile::ReadInteger(const std::string& section, const std::string& ident,
                          int defaultValue) const {
  return ParseInteger(ReadString(section, ident, "")).value_or(defaultValue);
}

bool TIniFile::ReadBool(const std::string& section, const std::string& ident,
                        bool defaultValue) const {
  return ReadInteger(section, ident, defaultValue ? 1 : 0) != 0;
}

double TIniFile::ReadFloat(const std::string& section, const std::string& ident,
                           double defaultValue) const {
  const std::string text = ReadString(section, ident, "");
  if (!IsDecimalNumber(text)) return defaultValue;
  const std::size_t start = text[0] == '+' ? 1 : 0;
  double value = 0;
  const auto [end, error] = std::from_chars(text.data() + start, text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return defaultValue;
  return value;
}

void TIniFile::WriteString(const std::string& section, const std::string& ident,
                           const std::string& value) {
  const EIniFileException failure("Unable to write to " + FFileName);
  // A key starting with "[" would read back as a section header.
  if (BreaksTheFile(section, "\r\n]") || BreaksTheFile(ident, "\r\n=") ||
      Trimmed(ident).starts_with('[') || BreaksTheFile(value, "\r\n")) {
    throw failure;
  }
  std::string data;
  if (!ReadWholeFile(FFileName, data)) {
    // A file that exists but cannot be read must not be replaced by one
    // holding only the new key.
    if (GetLastError() != ERROR_FILE_NOT_FOUND && GetLastError() != ERROR_PATH_NOT_FOUND) {
      throw failure;
    }
    data.clear();
  }
  TIniContent content(data);
  std::vector<TIniLine>& lines = content.Lines();
  const std::size_t header = content.FindSection(section);
  if (header == std::string::npos) {
    lines.push_back(TIniContent::Parse("[" + section + "]"));
    lines.push_back(TIniContent::Parse(ident + "=" + value));
  } else {
    const std::string name = Trimmed(ident);
    std::size_t insertAt = header + 1;
    bool replaced = false;
    for (const std::size_t i : content.Keys(section)) {
      if (SameIgnoringCase(lines[i].Name, name)) {
        lines[i] = TIniContent::Parse(lines[i].Name + "=" + value);
        replaced = true;
        break;
      }
      insertAt = i + 1;
    }
    if (!replaced) {
      lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt),
                   TIniContent::Parse(ident + "=" + value));
    }
  }
  if (!WriteWholeFile(FFileName, content.Serialised())) throw failure;
}

void TIniFile::WriteInteger(const std::string& section, const std::string& ident, int value) {
  WriteString(section, ident, std::to_string(value));
}

void TIniFile::ReadSection(const std::string& section, TStringList& idents) const {
  idents.Clear();
  TIniContent content = Load(FFileName);
  for (const std::size_t i : content.Keys(section)) idents.Add(content.Lines()[i].Name);
}

void TIniFile::ReadSectionValues(const std::string& section, TStringList& values) const {
  values.Clear();
  TIniContent content = Load(FFileName);
  for (const std::size_t i : content.Keys(section)) {
    const std::string& name = content.Lines()[i].Name;
    values.Add(name + "=" + content.FindKey(section, name)->Value);
  }
}

bool TIniFile::SectionExists(const std::string& section) const {
  return !Load(FFileName).Keys(section).empty();
}

bool TIniFile::ValueExists(const std::string& section, const std::string& ident) const {
  return Load(FFileName).FindKey(section, ident) != nullptr;
}

}  // namespace win
