// The INI reader and writer: any file reads without harm, and every key that
// a write accepted reads back as written (less its surrounding blanks and
// one pair of enclosing quotation marks), while the keys written before it
// keep their values.
#include "platform/inifile.h"

#include <map>
#include <string>
#include <utility>

#include "fuzz/support/fuzz_support.h"
#include "platform/stringlist.h"
#include "platform/text.h"

namespace {

constexpr const char* kIniFile = "C:\\fuzz\\TEST.INI";
constexpr int kMostWrites = 4;

std::string WithoutBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return std::string(text);
}

// A value as it reads back.
std::string ReadBack(const std::string& value) {
  std::string text = WithoutBlanks(value);
  if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') &&
      text.back() == text.front()) {
    text = text.substr(1, text.size() - 2);
  }
  return text;
}

// Sections and keys are found by their trimmed names, ignoring case.
using TKey = std::pair<std::string, std::string>;
TKey KeyOf(const std::string& section, const std::string& ident) {
  return {win::UpperCase(WithoutBlanks(section)), win::UpperCase(WithoutBlanks(ident))};
}

// Reads of every kind over whatever the file holds.
void ReadEverything(const win::TIniFile& ini, const std::string& section,
                    const std::string& ident) {
  ini.ReadInteger(section, ident, 7);
  ini.ReadFloat(section, ident, 0.5);
  ini.ReadBool(section, ident, true);
  win::TStringList list;
  ini.ReadSection(section, list);
  ini.ReadSectionValues(section, list);
  fuzz::Check(ini.SectionExists(section) == (list.Count() > 0),
              "SectionExists disagrees with ReadSectionValues for [" + section + "]");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::filesystem::path folder = fuzz::MachineDriveC() / "fuzz";
  fuzz::EmptyFolder(folder);
  fuzz::TInput input(data, size);
  // The file's first content, then section, key and value triples, each
  // part ended by a zero byte.
  fuzz::WriteHostFile(folder / "TEST.INI", input.Part());
  win::TIniFile ini(kIniFile);

  std::map<TKey, std::string> written;
  for (int n = 0; n < kMostWrites && !input.Empty(); ++n) {
    const std::string section(input.Part());
    const std::string ident(input.Part());
    const std::string value(input.Part());
    ReadEverything(ini, section, ident);
    try {
      ini.WriteString(section, ident, value);
    } catch (const win::EIniFileException& error) {
      fuzz::Check(error.Message() == std::string("Unable to write to ") + kIniFile,
                  "write error \"" + error.Message() + "\"");
      continue;
    }
    written[KeyOf(section, ident)] = ReadBack(value);
    fuzz::Check(ini.ValueExists(section, ident), "[" + section + "] " + ident + " not found");
    for (const auto& [key, expected] : written) {
      const std::string got = ini.ReadString(key.first, key.second, "\x01missing");
      fuzz::Check(got == expected, "[" + key.first + "] " + key.second + " reads \"" + got +
                                       "\", not \"" + expected + "\"");
    }
  }
  return 0;
}
