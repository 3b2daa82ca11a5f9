// The hand-off: the queue file of an AP run and the check-writing program's
// command lines, seen by a recording stand-in installed as the program.
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/error.h"
#include "splitter/engine/main_form/main.h"
#include "splitter/engine/tests/handoff_fixture.h"
#include "tests/support/expect_raises.h"

namespace splitter {

using testing_support::ExpectRaises;

namespace {

namespace fs = std::filesystem;
using Argv = std::vector<std::string>;

// The product in C:\VEZ\ with the recorder as its program; the run's first
// capture file is C:\Jobs\tl-x.ruz.
class HandOff : public HandOffDbTest {
 protected:
  void SetUp() override {
    HandOffDbTest::SetUp();
    if (IsSkipped()) return;
    UseProductFolder("C:\\VEZ\\");
    fs::create_directories(HostPath("C:\\Jobs"));
    FForm.CurrentFile = "C:\\Jobs\\tl-x.ruz";
    FForm.Action = "AP";
  }

  void UseProductFolder(const std::string& folder) {
    FForm.ProductFolder = folder;
    FForm.ProductExe = folder + "VEZ7.EXE";
    InstallProgram(FForm.ProductExe, ARGV_RECORDER_PATH);
  }
  void Written(const std::vector<std::pair<std::string, std::string>>& filesAndAccounts) {
    for (const auto& [file, account] : filesAndAccounts) {
      FWrittenFiles.Add(file);
      FWrittenAccounts.Add(account);
    }
  }
  std::string HostFolder(const std::string& windowsFolder) const {
    return fs::canonical(HostPath(windowsFolder)).string();
  }
};

TEST_F(HandOff, QueueFileListsTheAccountsThenTheProgramIsStartedWithIt) {
  WriteFile("C:\\Jobs\\tl-x.QUE", "[Account:OLD]\r\nFile 1:=C:\\Jobs\\old.DAT\r\n");
  Written({{"C:\\Jobs\\tl-x000.DAT", "A100"},
           {"C:\\Jobs\\tl-x001.DAT", "B200"},
           {"C:\\Jobs\\tl-x002.DAT", "A100"}});
  FForm.WriteQueueAndPrint();

  EXPECT_EQ(FForm.QueueFileName, "C:\\Jobs\\tl-x.QUE");
  EXPECT_EQ(ReadFile("C:\\Jobs\\tl-x.QUE"),
            "[Options]\r\nKeepFileOnClose=1\r\nAction=AP\r\n"
            "[Accounts Used]\r\nAccount 1:=A100\r\nAccount 2:=B200\r\n"
            "[Account:A100]\r\nFile 1:=C:\\Jobs\\tl-x000.DAT\r\nFile 2:=C:\\Jobs\\tl-x002.DAT\r\n"
            "[Account:B200]\r\nFile 1:=C:\\Jobs\\tl-x001.DAT\r\n");
  const testing_support::TRecorderRecord record = TakeRecord();
  EXPECT_EQ(record.Argv, (Argv{"C:\\VEZ\\VEZ7.EXE", "-Q", "C:\\Jobs\\tl-x.QUE"}));
  EXPECT_EQ(record["cwd"], HostFolder("C:\\VEZ"));
  EXPECT_EQ(LatePreProcess(), "True");
  EXPECT_EQ(FForm.Step, 8);
  EXPECT_GE(FView.Invalidations, 1);
  EXPECT_EQ(FForm.ChainProcess, nullptr);
}

TEST_F(HandOff, AccountsThatDifferInLetterCaseShareOneSectionWithAllTheirFiles) {
  // "a100" came through AccountCodes; its batch and A100's are one account.
  Written({{"C:\\Jobs\\tl-x000.DAT", "a100"},
           {"C:\\Jobs\\tl-x001.DAT", "B200"},
           {"C:\\Jobs\\tl-x002.DAT", "A100"}});
  FForm.WriteQueueAndPrint();
  EXPECT_EQ(ReadFile("C:\\Jobs\\tl-x.QUE"),
            "[Options]\r\nKeepFileOnClose=1\r\nAction=AP\r\n"
            "[Accounts Used]\r\nAccount 1:=a100\r\nAccount 2:=B200\r\n"
            "[Account:a100]\r\nFile 1:=C:\\Jobs\\tl-x000.DAT\r\nFile 2:=C:\\Jobs\\tl-x002.DAT\r\n"
            "[Account:B200]\r\nFile 1:=C:\\Jobs\\tl-x001.DAT\r\n");
}

TEST_F(HandOff, PayrollAndOtherFormsHandOverTheHandOffFile) {
  struct Case {
    const char* action;
    Argv expected;
  };
  const Case cases[] = {
      {"PR", {"C:\\VEZ\\VEZ7.EXE", "-A", "2", "C:\\VEZ\\DMKPRDD.PRN"}},
      {"OT", {"C:\\VEZ\\VEZ7.EXE", "-A", "3", "C:\\VEZ\\DMKPRDD.PRN"}},
  };
  for (const Case& c : cases) {
    FForm.Action = c.action;
    FForm.Step = 7;
    FForm.WriteQueueAndPrint();
    const testing_support::TRecorderRecord record = TakeRecord();
    EXPECT_EQ(record.Argv, c.expected) << c.action;
    EXPECT_EQ(record["cwd"], HostFolder("C:\\VEZ")) << c.action;
    EXPECT_EQ(FForm.Step, 8) << c.action;
    EXPECT_FALSE(Exists("C:\\Jobs\\tl-x.QUE")) << c.action << ": no queue file";
  }
}

TEST_F(HandOff, EachPartOfTheCommandLineIsCutTo255Characters) {
  // The queue file's path has 258 characters, the parameters 263.
  const std::string folder =
      "C:\\Jobs\\" + std::string(120, 'a') + "\\" + std::string(120, 'b') + "\\";
  fs::create_directories(HostPath(folder));
  FForm.CurrentFile = folder + "tl-x.ruz";
  Written({{folder + "tl-x000.DAT", "A100"}});
  FForm.WriteQueueAndPrint();
  const std::string queueFile = folder + "tl-x.QUE";
  EXPECT_TRUE(Exists(queueFile)) << "the queue file keeps its whole name";
  // -Q, a blank and the opening quotation mark leave 251 characters of it.
  EXPECT_EQ(TakeRecord().Argv, (Argv{"C:\\VEZ\\VEZ7.EXE", "-Q", queueFile.substr(0, 251)}));
}

TEST_F(HandOff, AProgramPathWithBlanksIsStartedThroughTheShell) {
  UseProductFolder("C:\\Program Files\\VEZ\\");
  FForm.Action = "PR";
  FForm.WriteQueueAndPrint();
  const testing_support::TRecorderRecord record = TakeRecord();
  ASSERT_EQ(record.Argv.size(), 4u) << "the program did not run";
  EXPECT_EQ(Argv(record.Argv.begin() + 1, record.Argv.end()),
            (Argv{"-A", "2", "C:\\Program Files\\VEZ\\DMKPRDD.PRN"}));
  EXPECT_EQ(record["cwd"], HostFolder("C:\\Program Files\\VEZ"));
  EXPECT_EQ(FForm.Step, 8) << "the shell's process is waited for like any other";
}

TEST_F(HandOff, AProgramThatCannotBeStartedStopsTheRun) {
  fs::remove(HostPath(FForm.ProductExe));
  FForm.Action = "PR";
  FForm.Step = 7;
  ExpectRaises<win::Exception>([&] { FForm.RunCheckWriter(); },
                               "Error #2 executing C:\\VEZ\\VEZ7.EXE");
  EXPECT_EQ(FForm.Step, 8) << "FatalStop sends the run to clean-up";
}

TEST_F(HandOff, ProgramIsNotStartedWhenTheConfigurationRowCannotBeSet) {
  FDb.Disconnect();
  FForm.Action = "PR";
  FForm.Step = 7;
  EXPECT_THROW(FForm.RunCheckWriter(), win::Exception);
  EXPECT_TRUE(TakeRecord().Argv.empty());
  EXPECT_EQ(FForm.Step, 7) << "the run stops where it is";
}

TEST_F(HandOff, TheWaitKeepsMessagesFlowingUntilTheProgramEnds) {
  // The program ends once the test has written a line into a pipe it reads.
  const fs::path pipe = FOut.path() / "release";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  testing_support::TScopedVariable pipeVariable("HANDOFF_RELEASE", pipe.string());
  InstallScript(FForm.ProductExe, "read line < \"$HANDOFF_RELEASE\"\n");
  const auto release = [&] { std::ofstream(pipe) << "go" << std::endl; };
  FForm.Action = "PR";
  FForm.Step = 7;
  int turns = 0;
  FView.OnProcessMessages = [&] {
    EXPECT_EQ(FForm.Step, 7) << "the wait is still on";
    if (++turns == 1) release();
  };
  FForm.RunCheckWriter();
  EXPECT_GE(turns, 1);
  EXPECT_EQ(FForm.Step, 8);

  // An application that is ending stops waiting; the program runs on.
  FForm.Step = 7;
  FView.OnProcessMessages = [&] { FForm.ApplicationTerminated = true; };
  FForm.RunCheckWriter();
  EXPECT_EQ(FForm.Step, 8);
  EXPECT_EQ(FForm.ChainProcess, nullptr);
  release();
}

}  // namespace

}  // namespace splitter
