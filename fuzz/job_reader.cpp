// The converter's job reader: the job's bytes read as lines by the job input
// (carriage returns dropped, Ctrl-Z ends it), extracted onto a page grid of
// the chosen height. Every completed page gives exactly its rows, each at
// least a grid row wide; dropped strings are counted on real pages; and the
// capture file made of the rows decodes back to the page text.
#include <sys/mman.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "capture/check_record.h"
#include "capture/job_input.h"
#include "capture/text_extraction.h"
#include "capturefile/capture_codec.h"
#include "capturefile/capture_text.h"
#include "capturefile/crypt.h"
#include "fuzz/support/fuzz_support.h"

namespace {

// The lines the job input must give: up to the first Ctrl-Z, without
// carriage returns, cut at line feeds; a last line without one counts.
std::vector<std::string> ExpectedLines(std::string_view job) {
  job = job.substr(0, job.find('\x1a'));
  std::vector<std::string> lines;
  std::string line;
  for (const char c : job) {
    if (c == '\n') {
      lines.push_back(std::move(line));
      line.clear();
    } else if (c != '\r') {
      line += c;
    }
  }
  if (!job.empty() && job.back() != '\n') lines.push_back(std::move(line));
  return lines;
}

// The job's lines as the converter reads them from its standard input.
std::vector<std::string> ReadJobLines(std::string_view job) {
  const int fd = ::memfd_create("job", MFD_CLOEXEC);
  if (fd < 0) fuzz::Fail("memfd_create failed");
  if (::write(fd, job.data(), job.size()) != static_cast<ssize_t>(job.size()) ||
      ::lseek(fd, 0, SEEK_SET) != 0) {
    fuzz::Fail("cannot stage the job");
  }
  std::vector<std::string> lines;
  {
    capture::TJobInput input(fd);
    std::string line;
    while (input.ReadLine(line)) lines.push_back(line);
  }
  ::close(fd);
  return lines;
}

// Pages the markers end: a "%%SowPage" line, up to the end-of-job line. A
// font selection line (starting with "F0S") is only that, and so is a
// "DeviceGray dup" line once a font is selected, whatever else they hold.
int PagesOf(const std::vector<std::string>& lines) {
  int pages = 0;
  bool fontSelected = false;
  for (const std::string& line : lines) {
    if (line.starts_with("F0S")) {
      fontSelected = true;
      continue;
    }
    if (line.find("%%SowPage") != std::string::npos) ++pages;
    if (fontSelected && line.find("DeviceGray dup") != std::string::npos) continue;
    if (line.find("%%EOF") != std::string::npos) break;
  }
  return pages;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::TInput input(data, size);
  // The grid's height (ExpandTo); 0 and small ones included.
  const std::int32_t rowCount = input.Below(99);
  const std::string_view job = input.Rest();

  const std::vector<std::string> lines = ReadJobLines(job);
  fuzz::Check(lines == ExpectedLines(job), "the job input read other lines");

  capture::TCheckRecord grid(rowCount);
  capturefile::TCaptureText pageLines;
  capture::TTextExtraction extraction(grid, pageLines);
  for (const std::string& line : lines) {
    if (extraction.EndOfJob()) break;
    extraction.ProcessLine(line);
  }

  const int pages = PagesOf(lines);
  fuzz::Check(pageLines.LineCount() == static_cast<std::size_t>(pages) * rowCount,
              std::to_string(pages) + " page(s) of " + std::to_string(rowCount) + " rows gave " +
                  std::to_string(pageLines.LineCount()) + " rows");
  const std::vector<std::string> rows = pageLines.Lines();
  fuzz::Check(rows.size() == pageLines.LineCount(), "the rows do not match their count");
  std::string text;
  for (const std::string& row : rows) {
    fuzz::Check(row.size() >= capture::TCheckRecord::kRowWidth, "a row shorter than the grid");
    text += row + "\r\n";
  }
  fuzz::Check(std::string(pageLines.Content()) == text, "the page text is not its rows");

  std::int32_t lastPage = 0;
  for (const capture::TDroppedStrings& dropped : extraction.DroppedStrings()) {
    fuzz::Check(dropped.FPage > lastPage && dropped.FPage <= pages && dropped.FCount > 0,
                "dropped strings counted on page " + std::to_string(dropped.FPage));
    lastPage = dropped.FPage;
  }

  capturefile::TCrypt crypt;
  pageLines.Encipher(crypt);
  fuzz::Check(capturefile::DecodeCaptureFile(pageLines.Content()) == text,
              "the capture file does not decode to the page text");
  capturefile::TCrypt fresh;
  fuzz::Check(capturefile::EncodeCaptureFile(rows, fresh) == pageLines.Content(),
              "the two capture encoders disagree");
  return 0;
}
