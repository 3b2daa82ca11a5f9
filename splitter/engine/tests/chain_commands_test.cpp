// Chain commands: each runs once per capture file, in file order, with its
// macros expanded, each run watched by the timer until its process ends.
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/params.h"
#include "platform/stringlist.h"
#include "platform/text.h"
#include "splitter/engine/main_form/main.h"
#include "splitter/engine/tests/handoff_fixture.h"

namespace splitter {

namespace {

using Argv = std::vector<std::string>;

// The recorder installed beside the splitter as C:\Apps\CONV.EXE; the run is
// at step 2 with the capture files C:\Jobs\a.ruz, C:\Jobs\b.ruz ...
class ChainCommands : public HandOffTest {
 protected:
  ChainCommands() {
    InstallProgram("C:\\Apps\\CONV.EXE", ARGV_RECORDER_PATH);
    FForm.ChainInputFiles = std::make_unique<win::TStringList>();
    FForm.PreChainCommands = std::make_unique<win::TStringList>();
    FForm.ChainFileIndex = 1;
    FForm.ChainDelay = 250;
  }

  void UseFiles(const std::vector<std::string>& names) {
    for (const std::string& name : names) {
      WriteFile("C:\\Jobs\\" + name, "capture");
      FForm.ChainInputFiles->Add("C:\\Jobs\\" + name);
    }
  }
  void UseCommands(const std::vector<std::string>& commands) {
    for (const std::string& command : commands) FForm.PreChainCommands->Add(command);
  }

  // Plays step 2 until the chain phase ends (Step 4): the argv of every run.
  std::vector<Argv> RunChain() {
    std::vector<Argv> runs;
    for (int guard = 0; guard < 20; ++guard) {
      FForm.Step = 3;
      FForm.RunNextPreChain();
      if (FForm.Step == 4) return runs;
      if (FForm.Step == 2) continue;  // a program that could not be started
      EXPECT_TRUE(FView.TimerEnabled);
      EXPECT_EQ(win::WaitForSingleObject(FForm.ChainProcess, win::INFINITE), win::WAIT_OBJECT_0);
      runs.push_back(TakeRecord().Argv);
      FForm.Timer_ExecuteTimer();
      EXPECT_EQ(FForm.Step, 2) << "the timer brings the run back to step 2";
    }
    ADD_FAILURE() << "the chain phase does not end";
    return runs;
  }
};

TEST_F(ChainCommands, OneRunPerFileWithTheFilesShortPathAndNoOutputYet) {
  UseFiles({"a.ruz", "b.ruz"});
  UseCommands({"CONV.EXE /in=<INFILE> /out=<OUTFILE>"});
  EXPECT_EQ(RunChain(), (std::vector<Argv>{
                            {"C:\\Apps\\CONV.EXE", "/in=C:\\Jobs\\a.ruz", "/out="},
                            {"C:\\Apps\\CONV.EXE", "/in=C:\\Jobs\\b.ruz", "/out="},
                        }));
  EXPECT_EQ(FView.TimerInterval, 250u);
  EXPECT_EQ(FForm.PreChainCommands->Count(), 0);
  EXPECT_EQ(FForm.ChainProcess, nullptr) << "an ended run's handle is closed";
}

TEST_F(ChainCommands, EachCommandRunsOnEveryFileBeforeTheNextCommand) {
  UseFiles({"a.ruz", "b.ruz", "c.ruz"});
  UseCommands({"C:\\Apps\\CONV.EXE one <INFILE>", "CONV.EXE two <infile>"});
  std::vector<Argv> expected;
  for (const char* command : {"one", "two"}) {
    for (const char* file : {"a", "b", "c"}) {
      expected.push_back(
          {"C:\\Apps\\CONV.EXE", command, "C:\\Jobs\\" + std::string(file) + ".ruz"});
    }
  }
  EXPECT_EQ(RunChain(), expected);
}

TEST_F(ChainCommands, MacrosAreExpandedOnceEach) {
  struct Case {
    std::string parameters;
    Argv expected;  // after the program
  };
  // The splitter's own parameters hold macro brackets themselves: inserted
  // text is never searched again.
  win::SetCommandLine("C:\\Apps\\DAVURI.EXE", {"<PARAMSTR(1)>", "X.INI", "a<b"});
  const Case cases[] = {
      {"<PARAMSTR(1)>", {"<PARAMSTR(1)>"}},
      {"<paramstr(2)> <Infile>", {"X.INI", "C:\\Jobs\\a.ruz"}},
      {"<PARAMSTR(0)>", {"C:\\Apps\\DAVURI.EXE"}},
      {"<PARAMSTR(3)>x", {"a<bx"}},
      {"[<PARAMSTR(9)>]", {"[]"}},
      {"-o<UNKNOWN>-p", {"-o-p"}},
      {"<> end", {"end"}},
      {"keep a<b", {"keep", "a"}},
      {"  padded\t<OUTFILE>  ", {"padded"}},
  };
  UseFiles({"a.ruz"});
  for (const Case& c : cases) {
    UseCommands({"CONV.EXE " + c.parameters});
    Argv expected = {"C:\\Apps\\CONV.EXE"};
    expected.insert(expected.end(), c.expected.begin(), c.expected.end());
    EXPECT_EQ(RunChain(), std::vector<Argv>{expected}) << c.parameters;
  }
  EXPECT_TRUE(FView.Warnings.empty());
}

TEST_F(ChainCommands, ParamStrWithoutANumberWarnsAndTheCommandStillRuns) {
  UseFiles({"a.ruz"});
  UseCommands({"CONV.EXE x<PARAMSTR(one)>y <PARAMSTR>"});
  FView.WarnAnswers = {true, true};
  EXPECT_EQ(RunChain(), (std::vector<Argv>{{"C:\\Apps\\CONV.EXE", "xy"}}));
  EXPECT_EQ(FView.Warnings, (std::vector<std::string>{"Invalid chain command PARAMSTR(one)!",
                                                      "Invalid chain command PARAMSTR!"}));

  UseCommands({"CONV.EXE <PARAMSTR(x)>"});
  FView.WarnAnswers = {false};
  FForm.Step = 3;
  EXPECT_THROW(FForm.RunNextPreChain(), TFakeMainView::TQuit) << "Cancel ends the program";
  EXPECT_EQ(FForm.ChainProcess, nullptr);
}

TEST_F(ChainCommands, AMissingProgramOrACommandWithoutBlankEndsTheChainPhase) {
  struct Case {
    std::string command;
    std::vector<std::string> warnings;
  };
  const Case cases[] = {
      {"MISSING.EXE <INFILE>", {"Chain conversion MISSING.EXE not found!"}},
      {"C:\\Tools\\CONV.EXE <INFILE>", {"Chain conversion C:\\Tools\\CONV.EXE not found!"}},
      {"CONV.EXE", {}},
      {" CONV.EXE <INFILE>", {}},
  };
  UseFiles({"a.ruz", "b.ruz"});
  for (const Case& c : cases) {
    FForm.PreChainCommands->Clear();
    FForm.ChainFileIndex = 1;
    FView.Warnings.clear();
    FView.WarnAnswers = {true};
    UseCommands({c.command, "CONV.EXE later"});
    EXPECT_EQ(RunChain(), std::vector<Argv>{}) << c.command << ": the later command does not run";
    EXPECT_EQ(FView.Warnings, c.warnings) << c.command;
    EXPECT_EQ(FForm.ChainProgram, "") << c.command;
  }

  FForm.PreChainCommands->Clear();
  UseCommands({"MISSING.EXE x"});
  FView.WarnAnswers = {false};
  FForm.Step = 3;
  EXPECT_THROW(FForm.RunNextPreChain(), TFakeMainView::TQuit);
}

TEST_F(ChainCommands, AProgramThatCannotStartIsReportedAndTheNextRunFollows) {
  // Executable, but not a program the host can run.
  InstallScript("C:\\Apps\\BROKEN.EXE", "");
  WriteFile("C:\\Apps\\BROKEN.EXE",
            "\x7f"
            "ELF but not really");
  UseFiles({"a.ruz", "b.ruz"});
  UseCommands({"BROKEN.EXE <INFILE>", "CONV.EXE <INFILE>"});
  FView.WarnAnswers = {true, true};
  EXPECT_EQ(RunChain(), (std::vector<Argv>{{"C:\\Apps\\CONV.EXE", "C:\\Jobs\\a.ruz"},
                                           {"C:\\Apps\\CONV.EXE", "C:\\Jobs\\b.ruz"}}));
  ASSERT_EQ(FView.Warnings.size(), 2u);
  for (const std::string& warning : FView.Warnings) {
    EXPECT_TRUE(warning.starts_with("Error #") &&
                warning.ends_with(" executing C:\\Apps\\BROKEN.EXE"))
        << warning;
    const int code = win::StrToInt(warning.substr(7, warning.find(' ', 7) - 7));
    EXPECT_TRUE(code >= 0 && code < 32) << warning;
  }
}

TEST_F(ChainCommands, NoRunStartsOnceTheWindowWasAskedToClose) {
  UseFiles({"a.ruz"});
  UseCommands({"CONV.EXE <INFILE>"});
  FForm.CloseRequested = true;
  EXPECT_EQ(RunChain(), std::vector<Argv>{});
}

TEST_F(ChainCommands, AChainDelayOfZeroPollsAtTheTimersDesignInterval) {
  UseFiles({"a.ruz"});
  UseCommands({"CONV.EXE <INFILE>"});
  FForm.ChainDelay = 0;
  EXPECT_EQ(RunChain().size(), 1u);
  EXPECT_EQ(FView.TimerInterval, 100u);
}

TEST_F(ChainCommands, TheTimerActsOnlyOnceTheProcessHasEnded) {
  // Ends once the test has written a line into a pipe it reads.
  const std::filesystem::path pipe = FOut.path() / "release";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  testing_support::TScopedVariable pipeVariable("CHAIN_RELEASE", pipe.string());
  InstallScript("C:\\Apps\\WAIT.EXE", "read line < \"$CHAIN_RELEASE\"\n");
  UseFiles({"a.ruz"});
  UseCommands({"WAIT.EXE <INFILE>"});
  FForm.Step = 3;
  FForm.RunNextPreChain();
  ASSERT_NE(FForm.ChainProcess, nullptr);
  const int invalidations = FView.Invalidations;
  FForm.Timer_ExecuteTimer();
  EXPECT_EQ(FForm.Step, 3);
  EXPECT_EQ(FView.Invalidations, invalidations);

  std::ofstream(pipe) << "go" << std::endl;
  ASSERT_EQ(win::WaitForSingleObject(FForm.ChainProcess, win::INFINITE), win::WAIT_OBJECT_0);
  FForm.Timer_ExecuteTimer();
  EXPECT_EQ(FForm.Step, 2);
  EXPECT_EQ(FView.Invalidations, invalidations + 1);
  FForm.Timer_ExecuteTimer();
  EXPECT_EQ(FView.Invalidations, invalidations + 1) << "nothing left to watch";

  // The check-writing program's step moves on to clean-up the same way.
  UseCommands({"CONV.EXE <INFILE>"});
  FForm.Step = 3;
  FForm.RunNextPreChain();
  ASSERT_EQ(win::WaitForSingleObject(FForm.ChainProcess, win::INFINITE), win::WAIT_OBJECT_0);
  FForm.Step = 7;
  FForm.Timer_ExecuteTimer();
  EXPECT_EQ(FForm.Step, 8);
}

}  // namespace

}  // namespace splitter
