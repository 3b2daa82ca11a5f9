#include "platform/cmdline.h"

#include <cstddef>

namespace win {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view commandLine) {
  std::vector<std::string> argv(1);
  std::size_t pos = 0;
  bool inQuotes = false;
  for (; pos < commandLine.size(); ++pos) {
    const char c = commandLine[pos];
    if (c == '"') {
      inQuotes = !inQuotes;
    } else if (IsBlank(c) && !inQuotes) {
      break;
    } else {
      argv[0] += c;
    }
  }

  for (;;) {
    while (pos < commandLine.size() && IsBlank(commandLine[pos])) ++pos;
    if (pos >= commandLine.size()) break;
    std::string argument;
    inQuotes = false;
    while (pos < commandLine.size()) {
      std::size_t backslashes = 0;
      while (pos < commandLine.size() && commandLine[pos] == '\\') {
        ++backslashes;
        ++pos;
      }
      if (pos < commandLine.size() && commandLine[pos] == '"') {
        argument.append(backslashes / 2, '\\');
        if (backslashes % 2 == 1) {
          argument += '"';
        } else if (inQuotes && pos + 1 < commandLine.size() && commandLine[pos + 1] == '"') {
          argument += '"';
          ++pos;
        } else {
          inQuotes = !inQuotes;
        }
        ++pos;
        continue;
      }
      argument.append(backslashes, '\\');
      if (pos >= commandLine.size() || (IsBlank(commandLine[pos]) && !inQuotes)) break;
      argument += commandLine[pos++];
    }
    argv.push_back(std::move(argument));
  }
  return argv;
}

std::string QuoteArgument(std::string_view argument) {
  if (!argument.empty() && argument.find_first_of(" \t\"") == std::string_view::npos) {
    return std::string(argument);
  }
  std::string quoted = "\"";
  std::size_t backslashes = 0;
  for (const char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    // Backslashes only escape when a quotation mark follows them.
    quoted.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(2 * backslashes, '\\');
  quoted += '"';
  return quoted;
}

}  // namespace win
