#include "platform/inifile.h"

#include <cctype>
#include <charconv>
#include <cstdint>
#include <memory>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/files.h"
#include "platform/text.h"

namespace win {

namespace {

std::string Trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
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

TIniLine ParseLine(std::string text) {
  TIniLine line;
  const std::string trimmed = Trimmed(text);
  if (!trimmed.empty() && trimmed.front() == '[') {
    line.Kind = TLineKind::Section;
    line.Name = Trimmed(trimmed.substr(1, trimmed.find(']') - 1));
  } else if (const std::size_t equals = trimmed.find('='); equals != std::string::npos) {
    line.Kind = TLineKind::Key;
    line.Name = Trimmed(trimmed.substr(0, equals));
    line.Value = Unquoted(Trimmed(trimmed.substr(equals + 1)));
  }
  line.Text = std::move(text);
  return line;
}

// A section header with the lines up to the next one; the lines before the
// first header form a block of their own, which no section name finds.
struct TIniBlock {
  std::vector<TIniLine> Lines;
  // The first key line of each name (folded), as lookups find keys.
  std::unordered_map<std::string, std::size_t> FirstKey;
  // Where a new key goes: one past the last key line, or after the header.
  std::size_t KeyEnd = 1;

  void Add(TIniLine line) {
    if (line.Kind == TLineKind::Key) {
      FirstKey.try_emplace(LowerCase(line.Name), Lines.size());
      KeyEnd = Lines.size() + 1;
    }
    Lines.push_back(std::move(line));
  }
};

// The file's lines, indexed by section and key, so that finding a section or
// a key costs the same whatever the file's size.
class TIniContent {
 public:
  TIniContent() : FBlocks(1) {}

  explicit TIniContent(const std::string& data) : TIniContent() {
    TStringList lines;
    lines.SetText(data);
    for (int i = 0; i < lines.Count(); ++i) AddLine(ParseLine(lines[i]));
  }

  // The first section named `section`; null when there is none.
  const TIniBlock* FindSection(const std::string& section) const {
    const auto found = FSections.find(LowerCase(Trimmed(section)));
    return found != FSections.end() ? &FBlocks[found->second] : nullptr;
  }

  const TIniLine* FindKey(const std::string& section, const std::string& ident) const {
    const TIniBlock* block = FindSection(section);
    if (block == nullptr) return nullptr;
    const auto found = block->FirstKey.find(LowerCase(Trimmed(ident)));
    return found != block->FirstKey.end() ? &block->Lines[found->second] : nullptr;
  }

  // Replaces the first key of the name in place, or adds the key after the
  // last key of its section, or adds the section at the end.
  void Write(const std::string& section, const std::string& ident, const std::string& value) {
    const auto found = FSections.find(LowerCase(Trimmed(section)));
    if (found == FSections.end()) {
      AddLine(ParseLine("[" + section + "]"));
      AddLine(ParseLine(ident + "=" + value));
      return;
    }
    TIniBlock& block = FBlocks[found->second];
    const std::string name = LowerCase(Trimmed(ident));
    if (const auto key = block.FirstKey.find(name); key != block.FirstKey.end()) {
      TIniLine& line = block.Lines[key->second];
      line = ParseLine(line.Name + "=" + value);
      return;
    }
    const std::size_t at = block.KeyEnd;
    block.Lines.insert(block.Lines.begin() + static_cast<std::ptrdiff_t>(at),
                       ParseLine(ident + "=" + value));
    block.FirstKey.emplace(name, at);
    block.KeyEnd = at + 1;
  }

  std::string Serialised() const {
    std::size_t size = 0;
    for (const TIniBlock& block : FBlocks) {
      for (const TIniLine& line : block.Lines) size += line.Text.size() + 2;
    }
    std::string data;
    data.reserve(size);
    for (const TIniBlock& block : FBlocks) {
      for (const TIniLine& line : block.Lines) data.append(line.Text).append("\r\n");
    }
    return data;
  }

 private:
  void AddLine(TIniLine line) {
    if (line.Kind == TLineKind::Section) {
      FSections.try_emplace(LowerCase(line.Name), FBlocks.size());
      FBlocks.emplace_back();
    }
    FBlocks.back().Add(std::move(line));
  }

  std::vector<TIniBlock> FBlocks;
  std::unordered_map<std::string, std::size_t> FSections;
};

// What reads see: the batch's content while one is open, else the file's,
// read into `loaded`.
const TIniContent& ContentOf(const TIniContent* pending, const std::string& fileName,
                             TIniContent& loaded) {
  if (pending != nullptr) return *pending;
  std::string data;
  if (ReadWholeFile(fileName, data)) loaded = TIniContent(data);
  return loaded;
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

// The writes gathered between BeginUpdate and EndUpdate, on the content the
// file had at BeginUpdate.
struct TIniFile::TBatch {
  TIniContent Content;
  bool Unreadable = false;  // the file exists but could not be read
  bool Changed = false;
  int Depth = 1;
};

TIniFile::TIniFile(const std::string& fileName) : FFileName(fileName) {}

TIniFile::~TIniFile() = default;

void TIniFile::BeginUpdate() {
  if (FBatch) {
    ++FBatch->Depth;
    return;
  }
  auto batch = std::make_unique<TBatch>();
  std::string data;
  if (ReadWholeFile(FFileName, data)) {
    batch->Content = TIniContent(data);
  } else {
    batch->Unreadable = !IsNotFound(GetLastError());
  }
  FBatch = std::move(batch);
}

void TIniFile::EndUpdate() {
  if (!FBatch || --FBatch->Depth > 0) return;
  const std::unique_ptr<TBatch> batch = std::move(FBatch);
  if (batch->Changed && !WriteWholeFile(FFileName, batch->Content.Serialised())) {
    throw EIniFileException("Unable to write to " + FFileName);
  }
}

std::string TIniFile::ReadString(const std::string& section, const std::string& ident,
                                 const std::string& defaultValue) const {
  TIniContent loaded;
  const TIniLine* key =
      ContentOf(FBatch ? &FBatch->Content : nullptr, FFileName, loaded).FindKey(section, ident);
  return key != nullptr ? key->Value : defaultValue;
}

int TIniFile::ReadInteger(const std::string& section, const std::string& ident,
                          int defaultValue) const {
  return TryStrToInt(ReadString(section, ident, "")).value_or(defaultValue);
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
  if (FBatch) {
    if (FBatch->Unreadable) throw failure;
    FBatch->Content.Write(section, ident, value);
    FBatch->Changed = true;
    return;
  }
  std::string data;
  if (!ReadWholeFile(FFileName, data)) {
    // A file that exists but cannot be read must not be replaced by one
    // holding only the new key.
    if (!IsNotFound(GetLastError())) throw failure;
    data.clear();
  }
  TIniContent content(data);
  content.Write(section, ident, value);
  if (!WriteWholeFile(FFileName, content.Serialised())) throw failure;
}

void TIniFile::WriteInteger(const std::string& section, const std::string& ident, int value) {
  WriteString(section, ident, std::to_string(value));
}

void TIniFile::ReadSection(const std::string& section, TStringList& idents) const {
  idents.Clear();
  TIniContent loaded;
  const TIniBlock* block =
      ContentOf(FBatch ? &FBatch->Content : nullptr, FFileName, loaded).FindSection(section);
  if (block == nullptr) return;
  for (const TIniLine& line : block->Lines) {
    if (line.Kind == TLineKind::Key) idents.Add(line.Name);
  }
}

void TIniFile::ReadSectionValues(const std::string& section, TStringList& values) const {
  values.Clear();
  TIniContent loaded;
  const TIniBlock* block =
      ContentOf(FBatch ? &FBatch->Content : nullptr, FFileName, loaded).FindSection(section);
  if (block == nullptr) return;
  for (const TIniLine& line : block->Lines) {
    if (line.Kind != TLineKind::Key) continue;
    const TIniLine& first = block->Lines[block->FirstKey.at(LowerCase(line.Name))];
    values.Add(line.Name + "=" + first.Value);
  }
}

bool TIniFile::SectionExists(const std::string& section) const {
  TIniContent loaded;
  const TIniBlock* block =
      ContentOf(FBatch ? &FBatch->Content : nullptr, FFileName, loaded).FindSection(section);
  return block != nullptr && !block->FirstKey.empty();
}

bool TIniFile::ValueExists(const std::string& section, const std::string& ident) const {
  TIniContent loaded;
  return ContentOf(FBatch ? &FBatch->Content : nullptr, FFileName, loaded)
             .FindKey(section, ident) != nullptr;
}

}  // namespace win
