// Sample print jobs for the capture converter: PostScript text in the shape
// the printer driver delivers it (job title, prologue, the first font's
// definition with its matrix, a font selection, one "DeviceGray dup" line and
// "%%SowPage" per page, one "x y M (text) s" line per string, "%%EOF"), with
// the page furniture of a real driver around it.
//
// Every page is one check of a check run: the account ID at the left margin of
// a chosen line, then check number, date, payee, amount in figures and in
// words ("... dollars and 45/100"), memo, MICR line and a stub of invoice
// lines, drawn over the check form's rules and security pattern, with the
// signature as a bitmap image in hexadecimal, as drivers send it with every
// page. Coordinates are chosen so that, after the converter's calibration,
// every string lands at its intended column and row. The same options and
// seed always give the same bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace jobgen {

struct TJobOptions {
  std::uint64_t FSeed = 1;
  std::vector<std::string> FAccounts;  // empty: three IDs drawn from the seed
  std::int32_t FAccountLine = 1;       // 1-based line of the page holding the account ID
  std::int32_t FRowCount = 70;         // rows per page the layout must fit
  std::int32_t FFontSize = 83;         // the first font's matrix is [size 0 0 -size 0 0 ]
  std::int32_t FPagesPerAccount = 1;
  std::int32_t FPages = 0;  // total pages; 0: every account once, FPagesPerAccount pages each
  std::int32_t FSignatureBytes = 1500;  // bytes of the signature bitmap on every page
  bool FCrlf = false;
  std::string FTitle = "Check Run";
  std::string FOutput;  // file to write; empty: standard output
  bool FShowHelp = false;
};

inline constexpr std::size_t kMaxAccountLength = 8;

struct TGeneratedJob {
  std::string FText;
  std::vector<std::string> FPageAccounts;  // the account ID of every page, in order
};

TGeneratedJob GenerateJob(const TJobOptions& options);

// Options from a command line (without the program name). On a mistake,
// returns nothing and sets `error` to a one-line message.
std::optional<TJobOptions> ParseJobOptions(const std::vector<std::string>& args,
                                           std::string& error);

// The command-line help.
std::string JobOptionsHelp();

}  // namespace jobgen
