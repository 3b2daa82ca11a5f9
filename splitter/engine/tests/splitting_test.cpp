#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "capturefile/capture_codec.h"
#include "splitter/engine/tests/capture_files.h"
#include "splitter/engine/tests/engine_fixture.h"
#include "tests/support/expect_raises.h"
#include "tests/support/fault_env.h"
#include "tests/support/processing_window.h"

namespace splitter {

using testing_support::ExpectRaises;

namespace {

class Splitting : public EngineTest {
 protected:
  void SetUp() override {
    InstallProduct();
    FForm.NumLines = 42;
    FForm.AccountLine = 1;
    FForm.AccountCol = 1;
    FForm.AccountWidth = 8;
    FForm.EncDec = true;
    FForm.StripAcctID = true;
    FForm.Action = "AP";
    FForm.ProductFolder = "C:\\VEZ\\";
    FForm.AccountCodes = std::make_unique<win::TStringList>();
    FForm.CurrentFile = "C:\\Jobs\\tl-x.ruz";
  }

  void Split(const std::vector<std::string>& lines) {
    WriteFile(FForm.CurrentFile, FForm.EncDec ? CaptureBytes(lines) : PlainBytes(lines));
    FSelectedFiles.Add(FForm.CurrentFile);
    FForm.SplitCaptures();
  }

  // The plain text of a written file.
  std::string Plain(const std::string& path) const {
    const std::string bytes = ReadFile(path);
    return FForm.EncDec ? capturefile::DecodeHandOffFile(bytes) : bytes;
  }

  static std::vector<std::string> Pages(const std::vector<std::string>& lines,
                                        std::vector<int> pages, int numLines = 42) {
    std::vector<std::string> picked;
    for (int page : pages) {
      picked.insert(picked.end(), lines.begin() + (page - 1) * numLines,
                    lines.begin() + page * numLines);
    }
    return picked;
  }
};

TEST_F(Splitting, ACaptureThatCannotBeReadToItsEndWritesNoSplitFile) {
  // The first file reads whole; the second breaks off after its first
  // kilobyte, as a failing disk or a network share that went away would.
  WriteFile("C:\\Jobs\\tl-a.ruz", CaptureBytes(PageLines({"A100"}, 42)));
  FSelectedFiles.Add("C:\\Jobs\\tl-a.ruz");
  WriteFile(FForm.CurrentFile, CaptureBytes(PageLines({"B200", "C300"}, 42)));
  FSelectedFiles.Add(FForm.CurrentFile);
  testing_support::TFaultEnv env;
  env.FailReadsAfter(1024);
  env.AppliesTo = [](const std::filesystem::path& file) { return file.filename() == "tl-x.ruz"; };
  if (auto error = testing_support::ExpectRaises<win::EInOutError>([&] { FForm.SplitCaptures(); },
                                                                   "Stream read error")) {
    EXPECT_EQ(error->ErrorCode, win::ERROR_READ_FAULT);
  }
  EXPECT_EQ(FWrittenFiles.Count(), 0);
  for (const auto& entry : std::filesystem::directory_iterator(HostPath("C:\\Jobs"))) {
    EXPECT_EQ(entry.path().extension(), ".ruz") << entry.path();
  }
}

TEST_F(Splitting, OneFilePerAccountInPageOrder) {
  const auto lines = PageLines({"A100", "B200", "A100"}, 42);
  Split(lines);
  EXPECT_EQ(Entries(FWrittenFiles),
            (std::vector<std::string>{"C:\\Jobs\\tl-x000.DAT", "C:\\Jobs\\tl-x001.DAT"}));
  EXPECT_EQ(Entries(FWrittenAccounts), (std::vector<std::string>{"A100", "B200"}));
  EXPECT_EQ(Plain(FWrittenFiles[0]), PlainBytes(Pages(lines, {1, 3})));
  EXPECT_EQ(Plain(FWrittenFiles[1]), PlainBytes(Pages(lines, {2})));
  EXPECT_EQ(FForm.OutputTemplate, "tl-x???.DAT");
  EXPECT_EQ(FForm.LastOutputName, "tl-x001.DAT");
  EXPECT_EQ(FView.Labels,
            (std::vector<std::string>{"Decrypting...", "Multiple Account Processing...",
                                      "Multiple Account Processing..."}));
  EXPECT_FALSE(std::filesystem::exists(HostPath("C:\\VEZ\\DMKPRDD.PRN")));
}

TEST_F(Splitting, AccountLineInAnyLetterCase) {
  auto lines = PageLines({"a100", "B200", "A100"}, 42, 3);
  FForm.AccountLine = 3;
  Split(lines);
  EXPECT_EQ(Entries(FWrittenAccounts), (std::vector<std::string>{"A100", "B200"}));
  EXPECT_EQ(Plain(FWrittenFiles[0]), PlainBytes(Pages(lines, {1, 3})));
}

TEST_F(Splitting, OutputTemplateFromTheCurrentFile) {
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\Jobs\\tl-pc1-2024-1-5-0.ruz", "tl-pc1-2024-1-5-0000.DAT"},
      {"C:\\Jobs\\a.b.ruz", "a000.DAT"},
      {"C:\\Jobs\\noext", "000.DAT"},
  };
  for (const auto& [current, first] : cases) {
    FWrittenFiles.Clear();
    FForm.CurrentFile = current;
    Split(PageLines({"A100"}, 42));
    ASSERT_EQ(FWrittenFiles.Count(), 1) << current;
    EXPECT_EQ(FWrittenFiles[0], std::string("C:\\Jobs\\") + first);
  }
}

TEST_F(Splitting, AccountIDs) {
  struct TCase {
    std::string accountLine;
    int col, width;
    bool strip;
    std::vector<std::string> codes;
    const char* id;
  };
  const TCase cases[] = {
      {"  12-34 ", 1, 8, true, {}, "1234"},
      {"  12-34 ", 1, 8, false, {}, "12-34"},
      {"XX\t1234\x01 rest", 3, 7, false, {}, "1234"},  // control characters trimmed
      {"a100", 1, 8, true, {}, "A100"},
      {"A100", 3, 8, true, {}, "00"},
      {"1234", 1, 8, true, {"1234=ACME"}, "ACME"},
      {"1234", 1, 8, true, {"1234="}, "1234"},
      {"1234", 1, 8, true, {"1234=", "1234=LATER"}, "1234"},  // the first line counts
      {"abcd", 1, 8, false, {"ABCD=lower"}, "lower"},
  };
  for (const TCase& c : cases) {
    FWrittenAccounts.Clear();
    FForm.AccountCol = c.col;
    FForm.AccountWidth = c.width;
    FForm.StripAcctID = c.strip;
    FForm.AccountCodes->Clear();
    for (const std::string& code : c.codes) FForm.AccountCodes->Add(code);
    Split({c.accountLine, "body"});
    ASSERT_EQ(FWrittenAccounts.Count(), 1) << c.accountLine;
    EXPECT_EQ(FWrittenAccounts[0], c.id) << testing::PrintToString(c.accountLine);
  }
}

TEST_F(Splitting, PayrollAndOtherFormsGoToTheHandOffFile) {
  for (const char* action : {"PR", "OT"}) {
    FForm.Action = action;
    FView.Labels.clear();
    const auto lines = PageLines({"A100", "B200", "A100"}, 42);
    Split(lines);
    EXPECT_EQ(FWrittenFiles.Count(), 0);
    EXPECT_EQ(Plain("C:\\VEZ\\DMKPRDD.PRN"), PlainBytes(lines)) << action;
    EXPECT_EQ(FView.Labels.back(), std::string(action) + " file found, Processing...");
  }
}

TEST_F(Splitting, UnresolvedOrUnknownActionWritesAnEmptyHandOffFile) {
  for (const char* action : {"??", "ap"}) {
    WriteFile("C:\\VEZ\\DMKPRDD.PRN", "old");
    FForm.Action = action;
    Split(PageLines({"A100", "B200"}, 20));
    EXPECT_EQ(FWrittenFiles.Count(), 0) << action;
    EXPECT_EQ(ReadFile("C:\\VEZ\\DMKPRDD.PRN"), "") << action;
  }
}

TEST_F(Splitting, PlainFilesWhenEncDecIsOff) {
  FForm.EncDec = false;
  Split({"A100", "x"});
  EXPECT_EQ(ReadFile(FWrittenFiles[0]), "A100\r\nx\r\n");
}

TEST_F(Splitting, UnreadablePagesEndTheSplit) {
  struct TCase {
    std::vector<std::string> accounts;
    int numLines, accountLine;
    std::vector<std::string> written;  // accounts split before the stop
  };
  const TCase cases[] = {
      {{"   ", "A100"}, 42, 1, {}},               // blank account line first
      {{"A100", "\t", "B200"}, 42, 1, {"A100"}},  // files before the stop stay
      {{"A100", "A100"}, 0, 1, {}},               // no lines per page
      {{"A100", "A100"}, 42, 43, {}},             // account line below the page
      {{"A100", "A100"}, 42, 0, {}},
  };
  for (const TCase& c : cases) {
    TFakeMainView view;
    testing_support::TProcessingWindow window(view);
    Tform_Main& form = window.Form;
    form.EncDec = true;
    form.Action = "AP";
    form.ProductFolder = "C:\\VEZ\\";
    form.CurrentFile = "C:\\Jobs\\bad.ruz";
    form.NumLines = c.numLines;
    form.AccountLine = c.accountLine;
    form.AccountCol = 1;
    form.AccountWidth = 8;
    WriteFile("C:\\VEZ\\DMKPRDD.PRN", "old");
    WriteFile(form.CurrentFile, CaptureBytes(PageLines(c.accounts, 42)));
    window.SelectedFiles.Add(form.CurrentFile);
    form.SplitCaptures();
    const std::string why = testing::PrintToString(c.accounts) + " " + std::to_string(c.numLines) +
                            "/" + std::to_string(c.accountLine);
    EXPECT_EQ(form.Action, "??") << why;
    EXPECT_EQ(view.Labels.back(), "Invalid Page Format Found!\rAborting Printing.") << why;
    EXPECT_EQ(view.Pauses, std::vector<unsigned>{3000}) << why;
    EXPECT_EQ(Entries(window.WrittenAccounts), c.written) << why;
    EXPECT_EQ(window.WrittenFiles.Count(), static_cast<int>(c.written.size())) << why;
    EXPECT_EQ(ReadFile("C:\\VEZ\\DMKPRDD.PRN"), "") << why;
  }
}

TEST_F(Splitting, ShortLastPageIsTakenAsFarAsItGoes) {
  FForm.EncDec = false;
  auto lines = PageLines({"A100", "B200"}, 42);
  lines.resize(42 + 10);
  Split(lines);
  ASSERT_EQ(FWrittenFiles.Count(), 2);
  EXPECT_EQ(ReadFile(FWrittenFiles[1]), PlainBytes({lines.begin() + 42, lines.end()}));
}

TEST_F(Splitting, FileThatCannotBeCreated) {
  FForm.ProductFolder = "C:\\Missing\\";
  FForm.Action = "PR";
  ExpectRaises<win::EFCreateError>(
      [&] { Split({"A100"}); },
      ::testing::StartsWith("Cannot create file \"C:\\Missing\\DMKPRDD.PRN\". "));
}

}  // namespace

}  // namespace splitter
