// Capture files for the engine's tests: pages of text lines with the account
// ID on a chosen line, enciphered as the converter writes them.
#pragma once

#include <string>
#include <vector>

#include "capturefile/capture_codec.h"

namespace splitter {

// `numLines` lines per account; line `accountLine` holds the account alone.
inline std::vector<std::string> PageLines(const std::vector<std::string>& accounts, int numLines,
                                          int accountLine = 1) {
  std::vector<std::string> lines;
  for (std::size_t page = 0; page < accounts.size(); ++page) {
    for (int line = 1; line <= numLines; ++line) {
      lines.push_back(line == accountLine
                          ? accounts[page]
                          : "page " + std::to_string(page + 1) + " line " + std::to_string(line));
    }
  }
  return lines;
}

inline std::string CaptureBytes(const std::vector<std::string>& lines) {
  capturefile::TCrypt crypt;
  return capturefile::EncodeCaptureFile(lines, crypt);
}

inline std::string PlainBytes(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

}  // namespace splitter
