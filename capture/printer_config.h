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
#pragma once

#include <cstdint>
#include <string>

namespace capture {

inline constexpr char kPrinterKey[] = "SOFTWARE\\Zerurud\\Printer";
inline constexpr std::int32_t kDefaultRowCount = 70;

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
