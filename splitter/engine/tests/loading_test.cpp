#include <cctype>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/error.h"
#include "platform/text.h"
#include "splitter/engine/tests/capture_files.h"
#include "splitter/engine/tests/engine_fixture.h"
#include "tests/support/expect_raises.h"
#include "tests/support/processing_window.h"

namespace splitter {

using testing_support::ExpectRaises;

namespace {

const std::string kTestPageLine = std::string(23, ' ') + "Printer Test Page" + std::string(96, ' ');

class Loading : public EngineTest {
 protected:
  void SetUp() override {
    FForm.NumLines = 42;
    FForm.AccountLine = 1;
    FForm.AccountCol = 1;
    FForm.AccountWidth = 8;
    FForm.EncDec = true;
    FForm.Action = "AP";
    FForm.ProductFolder = "C:\\VEZ\\";
    FForm.DocumentDefinitions = std::make_unique<win::TStringList>();
    FForm.DocumentDefinitions->Add("DD");
  }

  void Queue(const std::string& path, const std::vector<std::string>& lines) {
    WriteFile(path, FForm.EncDec ? CaptureBytes(lines) : PlainBytes(lines));
    FSelectedFiles.Add(path);
  }

  void SetDefinitions(const std::vector<std::string>& entries) {
    FForm.DocumentDefinitions->Clear();
    for (const std::string& entry : entries) FForm.DocumentDefinitions->Add(entry);
  }
};

TEST_F(Loading, JoinsEveryFileAndEmptiesTheQueue) {
  FForm.NumLines = 70;
  const auto first = PageLines({"A100", "B200"}, 70);
  const auto second = PageLines({"A100", "C300", "B200"}, 70);
  Queue("C:\\Jobs\\one.ruz", first);
  Queue("C:\\Later\\two.ruz", second);
  ASSERT_TRUE(FForm.LoadCaptures());
  EXPECT_EQ(FSelectedFiles.Count(), 0);
  EXPECT_EQ(FView.Labels.front(), "Decrypting...");
  EXPECT_EQ(FView.ProgressMax, 350) << "the range is the joined text's line count";
  EXPECT_EQ(FView.ProgressPosition, 0);

  // The split shows what was joined: the files' pages, and the folder of
  // the last file loaded.
  FForm.CurrentFile = "C:\\Jobs\\one.ruz";
  FForm.EncDec = false;
  WriteFile("C:\\Jobs\\one.ruz", PlainBytes(first));
  WriteFile("C:\\Later\\two.ruz", PlainBytes(second));
  FSelectedFiles.Add("C:\\Jobs\\one.ruz");
  FSelectedFiles.Add("C:\\Later\\two.ruz");
  FForm.SplitCaptures();
  ASSERT_EQ(FWrittenFiles.Count(), 3);
  EXPECT_EQ(FWrittenFiles[0], "C:\\Later\\one000.DAT");
  EXPECT_EQ(ReadFile(FWrittenFiles[0]), PlainBytes({first.begin(), first.begin() + 70}) +
                                            PlainBytes({second.begin(), second.begin() + 70}));
}

TEST_F(Loading, DecipheringMovesTheBarOverTheBytesWithoutCallingPerByte) {
  const std::string bytes = CaptureBytes(PageLines(std::vector<std::string>(60, "A100"), 42));
  WriteFile("C:\\Jobs\\big.ruz", bytes);
  FSelectedFiles.Add("C:\\Jobs\\big.ruz");
  int rangeAtFirstTurn = -1, positionAtLastTurn = -1;
  FView.OnProcessMessages = [&] {
    if (rangeAtFirstTurn < 0) rangeAtFirstTurn = FView.ProgressMax;
    positionAtLastTurn = FView.ProgressPosition;
  };
  ASSERT_TRUE(FForm.LoadCaptures());
  EXPECT_EQ(rangeAtFirstTurn, static_cast<int>(bytes.size()));
  EXPECT_EQ(positionAtLastTurn, static_cast<int>(bytes.size()) - 1)
      << "every byte after the first moves the bar";
  EXPECT_GE(FView.MessageTurns, 1);
  EXPECT_LE(FView.MessageTurns, static_cast<int>(bytes.size() / 65536) + 1);
}

TEST_F(Loading, PlainFilesLeaveTheBarAlone) {
  FForm.EncDec = false;
  Queue("C:\\Jobs\\plain.ruz", {"A100", "body"});
  ASSERT_TRUE(FForm.LoadCaptures());
  EXPECT_EQ(FView.ProgressCalls, (std::vector<std::string>{"range 2", "range 2", "position 0"}));
  EXPECT_EQ(FView.MessageTurns, 0);
}

TEST_F(Loading, UnreadableFile) {
  FSelectedFiles.Add("C:\\Jobs\\missing.ruz");
  ExpectRaises<win::EInOutError>(
      [&] { FForm.LoadCaptures(); },
      ::testing::StartsWith("Cannot open file \"C:\\Jobs\\missing.ruz\". "));
}

TEST_F(Loading, PrinterTestPage) {
  struct TCase {
    std::size_t at;
    std::string line;
    bool found;
  };
  const std::string lowerCase = win::LowerCase(kTestPageLine);
  const TCase cases[] = {
      {0, kTestPageLine, false},  // the very first line does not count
      {1, kTestPageLine, true},
      {50, kTestPageLine, true},
      {1, lowerCase, true},
      {1, kTestPageLine + " ", false},
      {1, kTestPageLine.substr(1), false},
      {1, kTestPageLine.substr(0, 110), false},  // a capture row: same words, shorter
  };
  for (const TCase& c : cases) {
    TFakeMainView view;
    testing_support::TProcessingWindow window(view);
    Tform_Main& form = window.Form;
    form.EncDec = true;
    form.Action = "AP";
    form.CurrentFile = "C:\\Jobs\\t.ruz";
    auto lines = PageLines({"A100", "B200"}, 42);
    lines[c.at] = c.line;
    WriteFile("C:\\Jobs\\t.ruz", CaptureBytes(lines));
    window.SelectedFiles.Add("C:\\Jobs\\t.ruz");
    form.NumLines = 42;
    form.AccountLine = 1;
    form.AccountCol = 1;
    form.AccountWidth = 8;
    form.SplitCaptures();
    EXPECT_EQ(form.TestPageFound(), c.found) << c.at << " [" << c.line << "]";
    if (c.found) {
      EXPECT_EQ(view.Labels.back(), "Printer Test Page Found!\rAborting Printing.");
      EXPECT_EQ(view.Pauses, std::vector<unsigned>{3000});
      EXPECT_FALSE(view.ProgressVisible);
      EXPECT_EQ(window.WrittenFiles.Count(), 0) << "nothing is split";
    } else {
      EXPECT_TRUE(view.Pauses.empty());
      EXPECT_GE(window.WrittenFiles.Count(), 1);
    }
  }
}

TEST_F(Loading, DocumentKindNeedsMoreThan51Lines) {
  SetDefinitions({"1", "A100", "DD"});
  for (int count : {51, 52}) {
    FForm.Action = "??";
    std::vector<std::string> lines(count, "body");
    lines[0] = "A100";
    Queue("C:\\Jobs\\k.ruz", lines);
    ASSERT_TRUE(FForm.LoadCaptures());
    EXPECT_EQ(FForm.Action, count == 51 ? "??" : "PR") << count;
  }
}

TEST_F(Loading, DetectDocumentKind) {
  struct TCase {
    std::vector<std::string> definitions;
    std::string line5;
    const char* action;
  };
  const std::string fortyOne = "  " + std::string(41, 'x') + "   ";
  const std::string forty = " " + std::string(40, 'x') + " ";
  const TCase cases[] = {
      {{"5", ">40", "DD"}, fortyOne, "PR"},
      {{"5", ">40", "DD"}, forty, "AP"},
      {{"DD", "5", ">40"}, fortyOne, "OT"},
      {{"DD", "5", "DEPOSIT"}, "Deposit slip", "AP"},  // letter case counts
      {{"DD", "5", "DEPOSIT"}, "Bank DEPOSIT slip", "OT"},
      {{"5", "PAY", "DD", "5", "SLIP"}, "PAY SLIP", "PR"},  // payroll first
      {{"5", "PAY", "DD", "5", "SLIP"}, "PAYMENT SLIP", "PR"},
      {{"5", "NONE", "DD", "5", "SLIP"}, "PAY SLIP", "OT"},
      {{"5", "NONE", "DD"}, "PAY SLIP", "AP"},  // nothing after the marker
      {{"DD"}, "PAY SLIP", "AP"},
      {{"5", "", "DD"}, "PAY SLIP", "AP"},  // an empty tag matches nothing
      {{"$5", "PAY", "DD"}, "PAY SLIP", "PR"},
  };
  for (const TCase& c : cases) {
    SetDefinitions(c.definitions);
    FForm.Action = "??";
    std::vector<std::string> lines(60, "body");
    lines[4] = c.line5;
    Queue("C:\\Jobs\\d.ruz", lines);
    ASSERT_TRUE(FForm.LoadCaptures());
    EXPECT_EQ(FForm.Action, c.action) << testing::PrintToString(c.definitions) << " " << c.line5;
  }
}

TEST_F(Loading, DefinitionsThatCannotBeRead) {
  const std::pair<std::vector<std::string>, const char*> cases[] = {
      {{"five", "PAY", "DD"}, "'five' is not a valid integer value"},
      {{"5", ">4x", "DD"}, "'4x' is not a valid integer value"},
      {{"61", "PAY", "DD"}, "List index out of bounds (60)"},
      {{"0", "PAY", "DD"}, "List index out of bounds (-1)"},
      {{"DD", "DD", "PAY"}, "'DD' is not a valid integer value"},  // a deposit Line0 of DD
  };
  for (const auto& [definitions, message] : cases) {
    SetDefinitions(definitions);
    FForm.Action = "??";
    Queue("C:\\Jobs\\d.ruz", std::vector<std::string>(60, "body"));
    ExpectRaises<win::Exception>([&] { FForm.LoadCaptures(); }, message);
  }
}

}  // namespace

}  // namespace splitter
