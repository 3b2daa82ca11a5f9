// The processing sequence driven by its paints: steps 0, 2, 4, 6 and 8 with
// their labels, the jumps to clean-up, and the re-entry guard.
#include <deque>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/stringlist.h"
#include "platform/text.h"
#include "splitter/engine/bad_account_log.h"
#include "splitter/engine/main_form/main.h"
#include "splitter/engine/tests/capture_files.h"
#include "splitter/engine/tests/handoff_fixture.h"
#include "tests/support/fault_env.h"
#include "tests/support/processing_window.h"

namespace splitter {

namespace {

using Argv = std::vector<std::string>;
using Labels = std::vector<std::string>;

const std::string kPrinterTestPageLine =
    std::string(23, ' ') + "Printer Test Page" + std::string(96, ' ');

// A machine with the product in C:\VEZ\ (the recorder as its program), the
// splitter's configuration in C:\Apps\DAVURI.INI, pages of four lines with
// the account on line 1, and the capture C:\Jobs\tl-x.ruz queued.
class Sequence : public HandOffDbTest {
 protected:
  void SetUp() override {
    HandOffDbTest::SetUp();
    if (IsSkipped()) return;
    InstallProgram("C:\\VEZ\\VEZ7.EXE", ARGV_RECORDER_PATH);
    UseSettings("AP", "");
    WriteFile(kCapture, CaptureBytes(PageLines({"A100", "B200", "A100"}, 4)));
    FSelectedFiles.Add(kCapture);
    FForm.BadIDFileName = "SPLIT???.BAD";
    FForm.BadAcctFile = "SPLITW.LOG";
    FForm.TempFile = "SPLITW.$$$";
    FForm.HandleBadAcct = 1;
    FForm.StripAcctID = true;
  }

  void UseSettings(const std::string& action, const std::string& more) {
    WriteFile(
        "C:\\Apps\\DAVURI.INI",
        "[Configuration]\r\nDurEDOPath=C:\\VEZ\r\nNumLines=4\r\nAction=" + action + "\r\n" + more);
  }

  // Creates and shows the window, then plays its messages until it closes
  // or has nothing more to do.
  void Run(const std::function<void()>& onProcessEnded = {}) {
    FForm.formCreate();
    FForm.formShow();
    FView.RunEvents(FForm, onProcessEnded);
  }

  // The files named by the bad-account logs anywhere on drive C:, leaving
  // out the "*.$$$" files that the clean-up removes.
  std::set<std::string> FilesNamedByKeptLogs() const {
    std::set<std::string> named;
    for (const auto& item : std::filesystem::recursive_directory_iterator(HostPath("C:\\"))) {
      if (!item.is_regular_file() || win::SameText(item.path().extension().string(), ".$$$")) {
        continue;
      }
      const std::string text = testing_support::ReadFile(item.path());
      if (!StartsWithBadAccountLogHeader(text)) continue;
      win::TStringList lines;
      lines.SetText(text);
      for (int i = static_cast<int>(kBadAccountLogHeader.size()); i < lines.Count(); ++i) {
        if (const auto entry = ParseBadAccountEntry(lines[i])) named.insert(entry->File);
      }
    }
    return named;
  }

  const std::string kCapture = "C:\\Jobs\\tl-x.ruz";
};

const Labels kApRunLabels = {
    "Backing up files...",
    "Converting...",
    "Decrypting...",
    "Multiple Account Processing...",
    "Multiple Account Processing...",
    "Starting Print Process...",
    "Cleaning up...",
};

TEST_F(Sequence, AnApRunPassesEveryStepAndRepaintsDuringItsStepsDoNothing) {
  // Every message turn inside a step lets a paint through.
  std::vector<int> stepsRepainted;
  FView.OnProcessMessages = [&] {
    stepsRepainted.push_back(FForm.Step);
    FForm.formPaint();
  };
  Run();

  EXPECT_EQ(FView.Labels, kApRunLabels);
  EXPECT_TRUE(FView.Closed);
  EXPECT_EQ(FForm.Step, 9);
  EXPECT_EQ(FForm.PrintNotRun, 0);
  EXPECT_TRUE(FView.Errors.empty()) << FView.Errors.front();
  EXPECT_EQ(FView.Caption(), "Account File Generation v5.0");
  EXPECT_EQ(TakeRecord().Argv, (Argv{"C:\\VEZ\\VEZ7.EXE", "-Q", "C:\\Jobs\\tl-x.QUE"}));
  EXPECT_EQ(Entries(FWrittenAccounts), (std::vector<std::string>{"A100", "B200"})) << "split once";
  EXPECT_EQ(FSelectedFiles.Count(), 0);
  EXPECT_EQ(FForm.ChainInputFiles, nullptr);
  ASSERT_FALSE(stepsRepainted.empty());
  for (int step : stepsRepainted) EXPECT_TRUE(step == 5 || step == 7) << step;
}

TEST_F(Sequence, ActionAndTestPageDecideWhetherTheCheckWriterRuns) {
  struct Case {
    std::string action;
    bool testPage;
    Argv expected;  // empty: the program is not started
  };
  const Case cases[] = {
      {"PR", false, {"C:\\VEZ\\VEZ7.EXE", "-A", "2", "C:\\VEZ\\DMKPRDD.PRN"}},
      {"OT", false, {"C:\\VEZ\\VEZ7.EXE", "-A", "3", "C:\\VEZ\\DMKPRDD.PRN"}},
      {"PR", true, {}},
      {"ap", false, {}},
  };
  for (const Case& c : cases) {
    const std::string name = c.action + (c.testPage ? " with a test page" : "");
    TPaintingView view;
    testing_support::TProcessingWindow window(view);
    Tform_Main& form = window.Form;
    form.Database = &FDb;
    std::vector<std::string> lines = PageLines({"A100", "B200"}, 4);
    if (c.testPage) lines[2] = kPrinterTestPageLine;
    WriteFile(kCapture, CaptureBytes(lines));
    window.SelectedFiles.Add(kCapture);
    UseSettings(c.action, "");

    form.formCreate();
    form.formShow();
    view.RunEvents(form);
    EXPECT_EQ(TakeRecord().Argv, c.expected) << name;
    EXPECT_EQ(form.PrintNotRun, c.expected.empty() ? 2 : 0) << name;
    EXPECT_TRUE(view.Closed) << name;
    EXPECT_EQ(view.Labels.back(), "Cleaning up...") << name;
    EXPECT_TRUE(view.Errors.empty()) << name;
    EXPECT_EQ(window.WrittenAccounts.Count(), 0) << name << ": no account check, no split files";
  }
}

TEST_F(Sequence, AMissingCheckWriterIsOneErrorBoxAndTheWindowCloses) {
  std::filesystem::remove(HostPath("C:\\VEZ\\VEZ7.EXE"));
  Run();
  EXPECT_EQ(FView.Errors,
            (std::vector<std::string>{"DurEDO Executable not found! (C:\\VEZ\\VEZ7.EXE)"}));
  EXPECT_EQ(FView.Labels, (Labels{"Cleaning up..."}));
  EXPECT_TRUE(FView.Closed);
  EXPECT_EQ(FForm.PrintNotRun, 2);
  EXPECT_EQ(FSelectedFiles.Count(), 1) << "nothing was loaded";
}

TEST_F(Sequence, MissingListsStopTheRunAndTheWindowStays) {
  struct Case {
    win::TStringList* Tform_Main::*list;
    const char* message;
  };
  const Case cases[] = {
      {&Tform_Main::WrittenFiles, "Written files list not initialialized!"},
      {&Tform_Main::WrittenAccounts, "Written account list not initialized!"},
  };
  for (const Case& c : cases) {
    TPaintingView view;
    testing_support::TProcessingWindow window(view);
    Tform_Main& form = window.Form;
    form.*c.list = nullptr;
    window.SelectedFiles.Add(kCapture);
    form.formCreate();
    form.formShow();
    view.RunEvents(form);
    EXPECT_EQ(view.Errors, (std::vector<std::string>{c.message})) << c.message;
    EXPECT_FALSE(view.Closed) << c.message;
    EXPECT_EQ(form.Step, 1) << c.message;
    EXPECT_TRUE(view.Labels.empty()) << c.message;
  }
}

TEST_F(Sequence, ACheckWriterTheSystemCannotStartGivesItsErrorBox) {
  // The program is there, but no process can be made for it (out of
  // memory or of process slots): neither the start nor the shell's open
  // succeeds.
  testing_support::TFaultEnv env;
  env.RefuseStarts(win::ERROR_NOT_ENOUGH_MEMORY);
  Run();
  EXPECT_EQ(FView.Errors, (std::vector<std::string>{"Error #8 executing C:\\VEZ\\VEZ7.EXE"}));
  // The fatal stop sends the run to its clean-up, which ends it.
  EXPECT_TRUE(FView.Closed);
  EXPECT_EQ(FForm.Step, kStepFinished);
}

TEST_F(Sequence, AFirstSelectedFileThatIsGoneStopsTheRun) {
  FSelectedFiles.Insert(0, "C:\\Jobs\\gone.ruz");
  Run();
  EXPECT_EQ(FView.Errors, (std::vector<std::string>{"Error opening file C:\\Jobs\\gone.ruz"}));
  EXPECT_FALSE(FView.Closed);
  EXPECT_EQ(FForm.Step, 5);
}

TEST_F(Sequence, AChainCommandRunsOnTheCaptureBeforeItIsLoaded) {
  InstallProgram("C:\\Apps\\CONV.EXE", ARGV_RECORDER_PATH);
  UseSettings("AP", "PreChain:1=CONV.EXE /in=<INFILE>\r\nChainDelay=50\r\n");
  std::vector<Argv> chainRuns;
  Labels labelsAtChainEnd;
  Run([&] {
    chainRuns.push_back(TakeRecord().Argv);
    labelsAtChainEnd = FView.Labels;
  });
  EXPECT_EQ(chainRuns, (std::vector<Argv>{{"C:\\Apps\\CONV.EXE", "/in=C:\\Jobs\\tl-x.ruz"}}));
  EXPECT_EQ(labelsAtChainEnd, (Labels{"Backing up files..."}));
  EXPECT_EQ(FView.TimerInterval, 50u);
  EXPECT_FALSE(FView.TimerEnabled);
  EXPECT_EQ(FView.Labels, kApRunLabels);
  EXPECT_EQ(TakeRecord().Argv, (Argv{"C:\\VEZ\\VEZ7.EXE", "-Q", "C:\\Jobs\\tl-x.QUE"}));
}

// A bad-account log in C:\Jobs holding `entries` (account, file).
std::string LogText(const std::vector<std::pair<std::string, std::string>>& entries) {
  std::string text;
  for (std::string_view line : kBadAccountLogHeader) text += std::string(line) + "\r\n";
  for (const auto& [account, file] : entries) text += FormatBadAccountEntry(account, file);
  return text;
}

TEST_F(Sequence, OnlyBadAccountLogsQueuedPrintsTheirEntriesUnderTheFirstLogsName) {
  WriteFile("C:\\Jobs\\SPLIT000.BAD", "pages of A100\r\n");
  WriteFile("C:\\Jobs\\SPLITW.LOG", LogText({{"A100", "C:\\Jobs\\SPLIT000.BAD"}}));
  FSelectedFiles.Clear();
  FSelectedFiles.Add("C:\\Jobs\\SPLITW.LOG");
  UseSettings("PR", "");
  Run();
  EXPECT_TRUE(FView.Errors.empty()) << FView.Errors.front();
  EXPECT_EQ(TakeRecord().Argv, (Argv{"C:\\VEZ\\VEZ7.EXE", "-Q", "C:\\Jobs\\SPLITW.QUE"}));
  EXPECT_EQ(ReadFile("C:\\Jobs\\SPLITW.QUE"),
            "[Options]\r\nKeepFileOnClose=1\r\nAction=AP\r\n"
            "[Accounts Used]\r\nAccount 1:=A100\r\n"
            "[Account:A100]\r\nFile 1:=C:\\Jobs\\SPLIT000.BAD\r\n");
  EXPECT_EQ(FForm.PrintNotRun, 0);
  EXPECT_TRUE(FView.Closed);
}

TEST_F(Sequence, CancellingWhileALogIsTakenBackGoesStraightToCleanUp) {
  WriteFile("C:\\Jobs\\SPLITW.LOG", LogText({{"A100", "C:\\Jobs\\gone.BAD"}}));
  FSelectedFiles.Insert(0, "C:\\Jobs\\SPLITW.LOG");
  FView.ConfirmAnswers = {false};
  Run();
  EXPECT_EQ(FView.Labels, (Labels{"Backing up files...", "Converting...", "Cleaning up..."}));
  EXPECT_TRUE(FView.Closed);
  EXPECT_TRUE(FView.Errors.empty());
  EXPECT_TRUE(TakeRecord().Argv.empty());
  EXPECT_EQ(FForm.PrintNotRun, 2);
  EXPECT_EQ(FSelectedFiles.Count(), 2) << "nothing was split";
  EXPECT_TRUE(Exists("C:\\Jobs\\SPLITW.LOG")) << "the log keeps its name";
}

// However the run ends without printing them, the taken-back entries are
// in a log again that the clean-up keeps, and their files are still there.
TEST_F(Sequence, TakenBackEntriesThatAreNotPrintedEndInAKeptLog) {
  struct Case {
    const char* name;
    std::vector<std::string> queued;  // before the capture
    std::string action;
    std::deque<bool> answers;
    std::vector<std::string> errors;
  };
  const Case cases[] = {
      {"a second log cancelled", {"C:\\Jobs\\SPLITW.LOG", "C:\\Jobs\\OLD.LOG"}, "AP", {false}, {}},
      {"the split stops on an error",
       {"C:\\Jobs\\SPLITW.LOG", "C:\\Jobs\\gone.ruz"},
       "AP",
       {},
       {"Error opening file C:\\Jobs\\gone.ruz"}},
      {"a PR run", {"C:\\Jobs\\SPLITW.LOG"}, "PR", {}, {}},
      {"an OT run", {"C:\\Jobs\\SPLITW.LOG"}, "OT", {}, {}},
      {"the temporary file queued, then cancelled",
       {"C:\\SPLITW.$$$", "C:\\Jobs\\OLD.LOG"},
       "AP",
       {false},
       {}},
  };
  for (const Case& c : cases) {
    std::filesystem::remove_all(HostPath("C:\\Jobs"));
    std::filesystem::remove(HostPath("C:\\SPLITW.LOG"));
    std::filesystem::remove(HostPath("C:\\SPLITW.$$$"));
    WriteFile(kCapture, CaptureBytes(PageLines({"A100", "B200"}, 4)));
    WriteFile("C:\\Jobs\\SPLIT000.BAD", "pages of A100\r\n");
    WriteFile("C:\\Jobs\\SPLIT001.BAD", "pages of B200\r\n");
    const std::string entries =
        LogText({{"A100", "C:\\Jobs\\SPLIT000.BAD"}, {"B200", "C:\\Jobs\\SPLIT001.BAD"}});
    WriteFile(c.queued[0] == "C:\\SPLITW.$$$" ? "C:\\SPLITW.$$$" : "C:\\Jobs\\SPLITW.LOG", entries);
    WriteFile("C:\\Jobs\\OLD.LOG", LogText({{"C300", "C:\\Jobs\\gone.BAD"}}));
    UseSettings(c.action, "");

    TPaintingView view;
    testing_support::TProcessingWindow window(view);
    Tform_Main& form = window.Form;
    form.Database = &FDb;
    form.BadIDFileName = "SPLIT???.BAD";
    form.BadAcctFile = "SPLITW.LOG";
    form.TempFile = "SPLITW.$$$";
    form.HandleBadAcct = 1;
    for (const std::string& file : c.queued) window.SelectedFiles.Add(file);
    window.SelectedFiles.Add(kCapture);
    view.ConfirmAnswers = c.answers;
    form.formCreate();
    form.formShow();
    view.RunEvents(form);
    TakeRecord();

    EXPECT_EQ(view.Errors, c.errors) << c.name;
    const std::set<std::string> named = FilesNamedByKeptLogs();
    for (const char* file : {"C:\\Jobs\\SPLIT000.BAD", "C:\\Jobs\\SPLIT001.BAD"}) {
      EXPECT_TRUE(named.count(file)) << c.name << ": " << file;
      EXPECT_TRUE(Exists(file)) << c.name << ": " << file;
    }
    EXPECT_EQ(window.WrittenFiles.Count(), 0) << c.name << ": nothing left to log twice";
  }
}

TEST_F(Sequence, TheTemporaryFileQueuedAsALogIsPrintedFromWhereItIs) {
  const std::string log = LogText({{"A100", "C:\\Jobs\\SPLIT000.BAD"}});
  WriteFile("C:\\Jobs\\SPLIT000.BAD", "pages of A100\r\n");
  WriteFile("C:\\SPLITW.$$$", log);
  FSelectedFiles.Clear();
  FSelectedFiles.Add("C:\\SPLITW.$$$");
  Run();
  EXPECT_TRUE(FView.Errors.empty()) << FView.Errors.front();
  EXPECT_EQ(TakeRecord().Argv, (Argv{"C:\\VEZ\\VEZ7.EXE", "-Q", "C:\\SPLITW.QUE"}));
  EXPECT_EQ(ReadFile("C:\\SPLITW.QUE"),
            "[Options]\r\nKeepFileOnClose=1\r\nAction=AP\r\n"
            "[Accounts Used]\r\nAccount 1:=A100\r\n"
            "[Account:A100]\r\nFile 1:=C:\\Jobs\\SPLIT000.BAD\r\n");
  EXPECT_EQ(ReadFile("C:\\SPLITW.$$$"), log) << "the log is kept until the clean-up";
}

}  // namespace

}  // namespace splitter
