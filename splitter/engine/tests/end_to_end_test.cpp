// One check run from the print job to what the check-writing program prints:
// a generated job is extracted and enciphered as the converter does it, a
// whole processing run splits it and checks its accounts against the test
// database (one account is unknown and set aside), and the stand-in
// "VEZ7.EXE" prints every valid account's pages.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/stringlist.h"
#include "splitter/engine/settings.h"
#include "splitter/engine/tests/handoff_fixture.h"
#include "tests/support/captured_job.h"
#include "tools/jobgen/job_generator.h"

namespace splitter {

namespace {

constexpr int kRows = 70;

std::string PrintedPages(const std::vector<std::string>& rows, const std::vector<int>& pages) {
  return testing_support::PrintedPages(rows, pages, kRows);
}

using EndToEnd = HandOffDbTest;

TEST_F(EndToEnd, ACheckRunIsSplitCheckedAndPrintedPerAccount) {
  jobgen::TJobOptions options;
  options.FAccounts = {"A100", "B200", "Z999", "A100"};
  options.FAccountLine = 2;
  options.FRowCount = kRows;
  const testing_support::TCapturedJob capture =
      testing_support::CaptureJob(jobgen::GenerateJob(options), kRows);
  ASSERT_EQ(capture.Rows.size(), options.FAccounts.size() * kRows);
  const std::string file = "C:\\Jobs\\TL-PC7-202435-97432-811.ruz";
  WriteFile(file, capture.Bytes);

  InstallProgram("C:\\VEZ\\VEZ7.EXE", CHECKWRITER_PROGRAM);
  WriteFile("C:\\VEZ\\VEZ7.INI", "[Printing]\r\nPageLines=70\r\n");
  WriteFile("C:\\Apps\\DAVURI.INI",
            "[Configuration]\r\nDurEDOPath=C:\\VEZ\r\nNumLines=70\r\nAction=AP\r\n"
            "Account:Line=2\r\nAccount:Col=1\r\nAccount:Width=8\r\n");
  FSelectedFiles.Add(file);
  FForm.BadIDFileName = kDefaultBadIDFileName;
  FForm.BadAcctFile = kDefaultBadAcctFile;
  FForm.TempFile = kDefaultTempFile;
  FForm.HandleBadAcct = HandleBadAcctMode("CONTINUE");
  FForm.StripAcctID = true;

  FForm.formCreate();
  FForm.formShow();
  FView.RunEvents(FForm);

  ASSERT_TRUE(FView.Errors.empty()) << FView.Errors.front();
  EXPECT_TRUE(FView.Closed);
  EXPECT_EQ(FForm.PrintNotRun, 0);
  EXPECT_EQ(FView.Informations,
            (std::vector<std::string>{"The information for account Z999 is now located in the file "
                                      "C:\\Jobs\\SPLIT000.BAD, and may be printed by selecting "
                                      "SPLITW.LOG."}));
  EXPECT_EQ(ReadFile("C:\\Jobs\\TL-PC7-202435-97432-811.QUE"),
            "[Options]\r\nKeepFileOnClose=1\r\nAction=AP\r\n"
            "[Accounts Used]\r\nAccount 1:=A100\r\nAccount 2:=B200\r\n"
            "[Account:A100]\r\nFile 1:=C:\\Jobs\\TL-PC7-202435-97432-811000.DAT\r\n"
            "[Account:B200]\r\nFile 1:=C:\\Jobs\\TL-PC7-202435-97432-811001.DAT\r\n");
  EXPECT_TRUE(Exists("C:\\Jobs\\TL-PC7-202435-97432-811000.DAT"));
  EXPECT_TRUE(Exists("C:\\Jobs\\TL-PC7-202435-97432-811001.DAT"));
  EXPECT_FALSE(Exists("C:\\Jobs\\TL-PC7-202435-97432-811002.DAT")) << "set aside";
  EXPECT_TRUE(Exists("C:\\Jobs\\SPLIT000.BAD"));
  EXPECT_EQ(ReadFile("C:\\SPLITW.LOG"),
            "Split process aborted account log\r\n"
            "---------------------------------\r\n"
            "Account   File Name\r\n"
            "========  ======================================================================\r\n"
            "Z999       C:\\Jobs\\SPLIT000.BAD\r\n");

  EXPECT_EQ(ReadFile("C:\\VEZ\\printed\\A100.txt"), PrintedPages(capture.Rows, {0, 3}));
  EXPECT_EQ(ReadFile("C:\\VEZ\\printed\\B200.txt"), PrintedPages(capture.Rows, {1}));
  EXPECT_EQ(ReadFile("C:\\VEZ\\printed\\summary.txt"), "A100: 2 pages\nB200: 1 page\n");
  EXPECT_FALSE(Exists("C:\\VEZ\\printed\\Z999.txt"));
}

}  // namespace

}  // namespace splitter
