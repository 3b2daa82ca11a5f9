// A generated print job as the converter captures it, and the pages the
// stand-in check writer prints from it: what the end-to-end tests compare.
// Header only, so that test_support needs neither the capture nor jobgen.
#pragma once

#include <string>
#include <vector>

#include "capture/check_record.h"
#include "capture/text_extraction.h"
#include "capturefile/capture_text.h"
#include "capturefile/crypt.h"
#include "tools/jobgen/job_generator.h"

namespace testing_support {

// The rows of a job as the converter extracts them, and its capture file.
struct TCapturedJob {
  std::vector<std::string> Rows;
  std::string Bytes;
};

inline TCapturedJob CaptureJob(const jobgen::TGeneratedJob& job, int rowCount) {
  capture::TCheckRecord grid(rowCount);
  capturefile::TCaptureText text;
  capture::TTextExtraction extraction(grid, text);
  std::string line;
  for (const char c : job.FText) {
    if (c == '\n') {
      extraction.ProcessLine(line);
      line.clear();
    } else if (c != '\r') {
      line += c;
    }
  }
  TCapturedJob captured{text.Lines(), {}};
  capturefile::TCrypt crypt;
  text.Encipher(crypt);
  captured.Bytes = text.Content();
  return captured;
}

// The pages `pages` (0-based) of `rows` as the stand-in prints them.
inline std::string PrintedPages(const std::vector<std::string>& rows, const std::vector<int>& pages,
                                int rowCount) {
  std::string printed;
  for (const int page : pages) {
    if (!printed.empty()) printed += '\f';
    for (int row = 0; row < rowCount; ++row) printed += rows[page * rowCount + row] + "\n";
  }
  return printed;
}

}  // namespace testing_support
