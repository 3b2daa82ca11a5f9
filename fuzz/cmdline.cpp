// Command-line splitting: whatever a line holds, quoting its arguments again
// and splitting gives the same argv; and a program with arguments, quoted as
// the system builds its command lines, splits back into exactly them.
#include "platform/cmdline.h"

#include <string>
#include <vector>

#include "fuzz/support/fuzz_support.h"

namespace {

std::string Shown(const std::vector<std::string>& argv) {
  std::string text;
  for (const std::string& argument : argv) text += "[" + argument + "]";
  return text;
}

// The program part in quotation marks, then every argument quoted.
std::string JoinQuoted(const std::vector<std::string>& argv) {
  std::string line = "\"" + argv[0] + "\"";
  for (std::size_t i = 1; i < argv.size(); ++i) line += " " + win::QuoteArgument(argv[i]);
  return line;
}

void CheckRequotes(const std::vector<std::string>& argv) {
  const std::string line = JoinQuoted(argv);
  const std::vector<std::string> again = win::SplitCommandLine(line);
  fuzz::Check(again == argv, "split of " + line + " gave " + Shown(again) + ", not " + Shown(argv));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::TInput input(data, size);
  const std::string_view raw = input.Part();
  const std::vector<std::string> argv = win::SplitCommandLine(raw);
  fuzz::Check(!argv.empty(), "no program part for " + std::string(raw));
  fuzz::Check(argv[0].find('"') == std::string::npos, "a quotation mark kept in the program");
  CheckRequotes(argv);

  // What follows the first zero byte: a program and arguments, one per
  // line; the program part cannot hold a quotation mark.
  std::vector<std::string> chosen;
  std::string program(input.Part('\n'));
  std::erase(program, '"');
  chosen.push_back(program);
  while (!input.Empty()) chosen.emplace_back(input.Part('\n'));
  CheckRequotes(chosen);
  return 0;
}
