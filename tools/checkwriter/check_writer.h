// The stand-in for the check-writing program "VEZ7.EXE": it accepts the
// three command lines the splitter starts it with, reads what they hand
// over, and instead of printing writes the pages as plain text into the
// folder "printed" of the product folder (its working directory):
//
//   -Q "queue file"      an AP job: every account of the queue file with the
//                        split files it lists
//   -A 2 "hand-off file" a payroll job, one batch named "PR"
//   -A 3 "hand-off file" an other-forms job, one batch named "OT"
//
// Paths are Windows paths on the machine of ZERURUD_PREFIX. Files may be
// plain or enciphered with the hand-off variant of the cipher; which one is
// told from the bytes. A page is "PageLines" lines ([Printing] of VEZ7.INI
// in the product folder, default 42), the last one of a file may be shorter.
//
// "printed" then holds one file per batch, its name being the account ID
// with every byte other than a letter, digit, "-" or "_" written as %XX
// (an empty ID as "%"), plus ".txt": its lines end with a line feed, and a
// form feed starts every page after the first. "summary.txt" has one line
// per batch: the ID, ": ", the page count and " page" or " pages". The folder
// is replaced as a whole, so it only ever shows one complete job.
#pragma once

#include <filesystem>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace checkwriter {

// Malformed input or a file that cannot be read or written; the message is
// one line.
class ECheckWriterError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct TPrintedBatch {
  std::string Name;  // the account ID, or "PR" / "OT"
  std::vector<std::vector<std::string>> Pages;
};

inline constexpr int kDefaultPageLines = 42;

// The plain text of one file handed over: lines without their line ends.
// Raises ECheckWriterError when it is neither text nor enciphered text.
std::vector<std::string> HandedOverLines(const std::string& bytes, const std::string& fileName);

// The batches of the job that `arguments` (without the program) name.
std::vector<TPrintedBatch> ReadJob(const std::vector<std::string>& arguments, int pageLines);

// Replaces `productFolder`/printed with the batches' files and summary.
void WritePrinted(const std::filesystem::path& productFolder,
                  const std::vector<TPrintedBatch>& batches);

// The whole program: 0 when the job was "printed"; 1 after a one-line
// message on `errors`, with nothing written.
int RunStandIn(const std::vector<std::string>& arguments,
               const std::filesystem::path& productFolder, std::ostream& errors);

}  // namespace checkwriter
