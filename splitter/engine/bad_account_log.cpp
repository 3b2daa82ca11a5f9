// The bad-account log's file format: its header and its entry lines.
#include "splitter/engine/bad_account_log.h"

#include "platform/stringlist.h"
#include "platform/text.h"
#include "splitter/engine/utilities.h"

namespace splitter {

namespace {

// The path column holds up to 255 characters, as a Windows path does.
constexpr int kBadAccountPathWidth = 255;

}  // namespace

std::string BadAccountLogHeaderText() {
  std::string text;
  for (std::string_view line : kBadAccountLogHeader) {
    text += line;
    text += "\r\n";
  }
  return text;
}

std::string FormatBadAccountEntry(const std::string& accountId, const std::string& path) {
  return PadToWidth(accountId.substr(0, kBadAccountIdWidth), kBadAccountPathColumn) + path + "\r\n";
}

std::optional<TBadAccountEntry> ParseBadAccountEntry(std::string_view line) {
  if (line.size() < static_cast<std::size_t>(kBadAccountPathColumn)) return std::nullopt;
  return TBadAccountEntry{
      std::string(win::Trim(win::Copy(line, 1, kBadAccountIdWidth))),
      std::string(win::Trim(win::Copy(line, kBadAccountPathColumn, kBadAccountPathWidth))),
  };
}

bool StartsWithBadAccountLogHeader(std::string_view text) {
  win::TStringList lines;
  lines.SetText(std::string(text));
  if (lines.Count() < static_cast<int>(kBadAccountLogHeader.size())) return false;
  for (std::size_t i = 0; i < kBadAccountLogHeader.size(); ++i) {
    if (lines[static_cast<int>(i)] != kBadAccountLogHeader[i]) return false;
  }
  return true;
}

}  // namespace splitter
