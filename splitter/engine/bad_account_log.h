// The bad-account log: a text file for the user that lists the accounts set
// aside by a run and the files that hold their pages, and that a later run
// can take back. This is its file format; writing and taking it back are
// Tform_Main's (main_form/bad_accounts.cpp).
//
// Layout: four header lines, then one entry per line, every line ending in
// CRLF. An entry is the account ID padded with blanks to 11 characters and
// directly followed by the file's full path.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace splitter {

inline constexpr std::array<std::string_view, 4> kBadAccountLogHeader = {
    "Split process aborted account log",
    "---------------------------------",
    "Account   File Name",
    "========  ======================================================================",
};

// The column the file's path starts in, 1-based, after the padded ID.
inline constexpr int kBadAccountPathColumn = 11;
// The longest account ID an entry keeps: one blank always separates it from
// the path, so the path column stays where readers expect it.
inline constexpr int kBadAccountIdWidth = kBadAccountPathColumn - 1;

// The four header lines, each with its CRLF, that start a new log.
std::string BadAccountLogHeaderText();

struct TBadAccountEntry {
  std::string AccountId;
  std::string File;
};

// The entry line for `accountId` and `path`, with its CRLF. A longer ID is
// cut to kBadAccountIdWidth characters.
std::string FormatBadAccountEntry(const std::string& accountId, const std::string& path);

// The entry of one line (without its line end); nothing for a line shorter
// than kBadAccountPathColumn characters. The ID is read from the first
// kBadAccountIdWidth characters, so logs whose IDs hold up to 8 characters
// read as they always did, and longer ones come back whole.
std::optional<TBadAccountEntry> ParseBadAccountEntry(std::string_view line);

// Whether `text` (a file's beginning) starts with the four header lines,
// each ended by CRLF, CR or LF (the last one also by the end of the text).
bool StartsWithBadAccountLogHeader(std::string_view text);

}  // namespace splitter
