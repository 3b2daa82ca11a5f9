#include "tests/support/recorder/record.h"

#include <stdlib.h>

#include <cstdlib>
#include <fstream>

#include "platform/text.h"

namespace testing_support {

std::string TRecorderRecord::operator[](const std::string& key) const {
  const auto found = Fields.find(key);
  return found == Fields.end() ? "<missing>" : found->second;
}

std::string UnescapeRecorderValue(std::string_view escaped) {
  std::string value;
  for (std::size_t i = 0; i < escaped.size(); ++i) {
    if (escaped[i] != '\\' || i + 1 == escaped.size()) {
      value += escaped[i];
      continue;
    }
    const char code = escaped[++i];
    switch (code) {
      case 'n':
        value += '\n';
        break;
      case 'r':
        value += '\r';
        break;
      case 't':
        value += '\t';
        break;
      case 'x':
        if (i + 2 < escaped.size()) {
          const std::string hex(escaped.substr(i + 1, 2));
          value += static_cast<char>(std::strtol(hex.c_str(), nullptr, 16));
          i += 2;
        }
        break;
      default:
        value += code;
    }
  }
  return value;
}

bool ReadRecorderRecord(const std::filesystem::path& file, TRecorderRecord& record) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return false;
  record = TRecorderRecord{};
  std::string line;
  std::size_t argc = 0;
  bool sawArgc = false;
  while (std::getline(in, line)) {
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos) return false;
    const std::string key = line.substr(0, equals);
    const std::string value = UnescapeRecorderValue(std::string_view(line).substr(equals + 1));
    if (key == "argc") {
      sawArgc = true;
      argc = win::TryStrToUInt(value).value_or(0);
    } else if (key.starts_with("argv[")) {
      record.Argv.push_back(value);
    } else {
      record.Fields[key] = value;
    }
  }
  return sawArgc && argc == record.Argv.size();
}

}  // namespace testing_support
