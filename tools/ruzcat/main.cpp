// ruzcat: shows a capture file (or a hand-off file) as plain text, or turns
// plain text into one. It is how a person looks into capture and split files.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "capturefile/capture_codec.h"
#include "platform/env.h"
#include "platform/error.h"

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

const char kHelp[] =
    "usage: ruzcat [--handoff] [FILE]\n"
    "       ruzcat --encode [--handoff] [FILE]\n"
    "Prints a capture file (.ruz) as plain text, lines ended by carriage return\n"
    "and line feed. With --encode, reads plain text instead and writes the\n"
    "capture file. FILE \"-\" or none is standard input; the result goes to\n"
    "standard output.\n"
    "  --handoff  read or write the file given to the check-writing program\n"
    "             (split files, DMKPRDD.PRN). Reading one cannot undo the\n"
    "             writer's substitution of 255 for 1: where that happened (only\n"
    "             possible at the second byte, or where the key falls below\n"
    "             65536) one byte in 256 reads back wrong.\n";

bool ReadStandardInput(std::string& data) {
  char buffer[65536];
  std::size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, stdin)) > 0) data.append(buffer, got);
  return !std::ferror(stdin);
}

// Lines end at a line feed, with a carriage return before it dropped; a last
// line without a line feed still counts.
std::vector<std::string> SplitPlainLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t feed = text.find('\n', start);
    std::size_t end = feed == std::string_view::npos ? text.size() : feed;
    const std::size_t next = feed == std::string_view::npos ? text.size() : feed + 1;
    if (end > start && text[end - 1] == '\r') --end;
    lines.emplace_back(text.substr(start, end - start));
    start = next;
  }
  return lines;
}

}  // namespace

int main(int argc, char** argv) {
  bool encode = false;
  bool handOff = false;
  std::string input = "-";
  bool inputGiven = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help") {
      std::fputs(kHelp, stdout);
      return 0;
    }
    if (arg == "--encode") {
      encode = true;
    } else if (arg == "--handoff") {
      handOff = true;
    } else if (arg.starts_with("--") || inputGiven) {
      std::fprintf(stderr, "ruzcat: unexpected argument %s\n%s", arg.c_str(), kHelp);
      return kExitUsage;
    } else {
      input = arg;
      inputGiven = true;
    }
  }

  std::string data;
  const bool read = input == "-" ? ReadStandardInput(data) : win::Env().ReadFile(input, data);
  if (!read) {
    const std::string reason =
        input == "-" ? "read error" : win::SysErrorMessage(win::GetLastError());
    std::fprintf(stderr, "ruzcat: cannot read %s: %s\n", input.c_str(), reason.c_str());
    return kExitFailure;
  }

  std::string output;
  if (encode) {
    const std::vector<std::string> lines = SplitPlainLines(data);
    capturefile::TCrypt crypt;
    output = handOff ? capturefile::EncodeHandOffFile(lines)
                     : capturefile::EncodeCaptureFile(lines, crypt);
  } else {
    output = handOff ? capturefile::DecodeHandOffFile(data) : capturefile::DecodeCaptureFile(data);
  }
  if (std::fwrite(output.data(), 1, output.size(), stdout) != output.size() ||
      std::fflush(stdout) != 0) {
    std::fprintf(stderr, "ruzcat: cannot write to standard output\n");
    return kExitFailure;
  }
  return 0;
}
