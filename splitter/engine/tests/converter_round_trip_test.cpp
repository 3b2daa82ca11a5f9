// The splitter reads back exactly what the converter writes: a generated
// print job, extracted and enciphered as the converter does it, is split by
// the engine into one file per account holding that account's pages.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "capture/check_record.h"
#include "capture/text_extraction.h"
#include "capturefile/capture_codec.h"
#include "capturefile/capture_text.h"
#include "splitter/engine/tests/capture_files.h"
#include "splitter/engine/tests/engine_fixture.h"
#include "tools/jobgen/job_generator.h"

namespace splitter {

namespace {

using ConverterRoundTrip = EngineTest;

TEST_F(ConverterRoundTrip, OneSplitFilePerAccountWithItsPages) {
  constexpr int kRows = 70;
  jobgen::TJobOptions options;
  options.FAccounts = {"A100", "B200", "A100", "C300", "B200"};
  // A line that holds the account alone: the split compares the whole line.
  options.FAccountLine = 2;
  options.FRowCount = kRows;
  const jobgen::TGeneratedJob job = jobgen::GenerateJob(options);

  capture::TCheckRecord grid(kRows);
  capturefile::TCaptureText pageLines;
  capture::TTextExtraction extraction(grid, pageLines);
  std::string line;
  for (char c : job.FText) {
    if (c == '\n') {
      extraction.ProcessLine(line);
      line.clear();
    } else if (c != '\r') {
      line += c;
    }
  }
  const std::vector<std::string> rows = pageLines.Lines();
  ASSERT_EQ(rows.size(), options.FAccounts.size() * kRows);
  capturefile::TCrypt crypt;
  pageLines.Encipher(crypt);
  const std::string capture = "C:\\Jobs\\TL-PC7-202435-97432-811.ruz";
  WriteFile(capture, std::string(pageLines.Content()));

  InstallProduct();
  FSelectedFiles.Add(capture);
  FForm.CurrentFile = capture;
  FForm.NumLines = kRows;
  FForm.AccountLine = options.FAccountLine;
  FForm.AccountCol = 1;
  FForm.AccountWidth = 8;
  FForm.EncDec = true;
  FForm.StripAcctID = true;
  FForm.Action = "AP";
  FForm.SplitCaptures();

  ASSERT_EQ(Entries(FWrittenAccounts), (std::vector<std::string>{"A100", "B200", "C300"}));
  const std::vector<std::vector<int>> pagesOfAccount = {{0, 2}, {1, 4}, {3}};
  for (std::size_t account = 0; account < pagesOfAccount.size(); ++account) {
    std::vector<std::string> expected;
    for (int page : pagesOfAccount[account]) {
      expected.insert(expected.end(), rows.begin() + page * kRows,
                      rows.begin() + (page + 1) * kRows);
    }
    EXPECT_EQ(FWrittenFiles[static_cast<int>(account)],
              "C:\\Jobs\\TL-PC7-202435-97432-81100" + std::to_string(account) + ".DAT");
    EXPECT_EQ(capturefile::DecodeHandOffFile(ReadFile(FWrittenFiles[static_cast<int>(account)])),
              PlainBytes(expected))
        << FWrittenAccounts[static_cast<int>(account)];
  }
}

}  // namespace

}  // namespace splitter
