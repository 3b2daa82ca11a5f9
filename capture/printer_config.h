// The printer configuration the converter reads from the key
// "SOFTWARE\Zerurud\Printer" of HKEY_LOCAL_MACHINE: the folder of capture
// files, the follow-up program and the rows per page. The key is opened with
// full access, never created and never written; other values of it, such as
// "Command Line", are not read.
//
// A value of the wrong type (FilePath or Chain not a text, ExpandTo not an
// integer) takes its default and is reported by one warning line, as is an
// ExpandTo below 1, which gives 70: every page of a capture file must have
// the same positive number of rows, because the splitter cuts pages by it.
// An ExpandTo above kMaxRowCount is used as kMaxRowCount, with a warning.
#pragma once

#include <cstdint>
#include <string>

namespace capture {

inline constexpr char kPrinterKey[] = "SOFTWARE\\Zerurud\\Printer";
inline constexpr std::int32_t kDefaultRowCount = 70;
// The most rows a page can have. The extraction's finest row scale gives
// about 0.011 rows per device unit, 600 to the inch: a 14-inch legal page
// then holds some 93 rows and the tallest common sheet (A0, 46.8 inches)
// about 310. A thousand rows leave room for any page and a scale of its own,
// while every page of the capture file stays 110 KB at most, where an
// unbounded value would make a one-page job take gigabytes.
inline constexpr std::int32_t kMaxRowCount = 1000;

struct TPrinterConfig {
  // With its trailing backslash when the key opened ("\" for an empty value);
  // empty, without one, when it did not.
  std::string FFilePath;
  std::string FChain;
  std::int32_t FExpandTo = kDefaultRowCount;
};

TPrinterConfig ReadPrinterConfig();

// Creates the last level of `folder` when it is missing, with the group and
// permission bits of the folder above it. A failure is not reported: the
// write of the capture file fails then, and says so.
void PrepareCaptureFolder(const std::string& folder);

}  // namespace capture
