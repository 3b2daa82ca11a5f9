#include "platform/process.h"

#include <fcntl.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/files.h"
#include "platform/hostpath.h"
#include "tests/support/recorder/record.h"
#include "tests/support/temp_prefix.h"

namespace {

namespace fs = std::filesystem;
using testing_support::ReadRecorderRecord;
using testing_support::TempDir;
using testing_support::TempPrefix;
using testing_support::TRecorderRecord;
using testing_support::TScopedVariable;
using Argv = std::vector<std::string>;

// A fresh machine with the recorder installed as C:\Apps\Next.exe, writing
// its record to a host file the test reads.
class ProgramStartTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(FPrefix.driveC() / "Apps");
    fs::copy_file(ARGV_RECORDER_PATH, FPrefix.driveC() / "Apps" / "Next.exe");
    fs::create_directories(FPrefix.driveC() / "Work");
  }

  // Waits for the started program and reads its record.
  TRecorderRecord RecordOf(const win::TProcessInformation& info) {
    TRecorderRecord record;
    EXPECT_EQ(win::WaitForSingleObject(info.Process, win::INFINITE), win::WAIT_OBJECT_0);
    win::CloseHandle(info.Process);
    EXPECT_TRUE(ReadRecorderRecord(FRecordFile, record)) << "the program did not run";
    return record;
  }

  static std::string WindowsPath(const fs::path& host) {
    std::string windows;
    EXPECT_TRUE(win::WindowsPathFromHost(host, windows)) << host;
    return windows;
  }

  TempPrefix FPrefix;
  TempDir FOut;
  fs::path FRecordFile = FOut.path() / "record";
  TScopedVariable FOutVariable{"ARGV_RECORDER_OUT", FRecordFile.string()};
};

TEST_F(ProgramStartTest, ProgramGetsTheSplitArgvInTheGivenFolder) {
  TScopedVariable mark("ZZ_MARK", "from the caller");
  TScopedVariable recorded("ARGV_RECORDER_ENV", "ZZ_MARK");
  win::TProcessInformation info;
  ASSERT_TRUE(win::CreateProcess(
      R"("C:\Apps\Next.exe" "C:\Capture\TL-PC7-202435-97432-811.ruz" -Q "two words" a\"b "C:\Dir\\" "")",
      false, "c:\\work", {}, info))
      << win::GetLastError();
  EXPECT_NE(info.ProcessId, 0u);
  const TRecorderRecord record = RecordOf(info);
  EXPECT_EQ(record.Argv, (Argv{R"(C:\Apps\Next.exe)", R"(C:\Capture\TL-PC7-202435-97432-811.ruz)",
                               "-Q", "two words", R"(a"b)", R"(C:\Dir\)", ""}));
  EXPECT_EQ(record["cwd"], fs::canonical(FPrefix.driveC() / "Work").string());
  EXPECT_EQ(record["pid"], std::to_string(info.ProcessId));
  EXPECT_EQ(record["env.ZZ_MARK"], "from the caller");
  EXPECT_EQ(record["fds"], "") << "no descriptor is inherited unless asked for";
}

TEST_F(ProgramStartTest, ProgramsAreFoundAsWindowsFindsThem) {
  TempDir bin;
  fs::copy_file(ARGV_RECORDER_PATH, bin.path() / "on-path-recorder");
  TScopedVariable path("PATH", "/nonexistent:" + bin.path().string());
  ASSERT_TRUE(win::SetCurrentDir("C:\\Apps"));
  const std::string otherDrive = WindowsPath(fs::path(ARGV_RECORDER_PATH));
  struct Case {
    std::string commandLine;
    Argv argv;
  };
  const Case cases[] = {
      {"next.exe", {"next.exe"}},                                   // current directory
      {R"(..\Apps\Next.exe one)", {R"(..\Apps\Next.exe)", "one"}},  // relative with a folder
      {R"(\APPS\NEXT.EXE)", {R"(\APPS\NEXT.EXE)"}},                 // the current root
      {"on-path-recorder", {"on-path-recorder"}},                   // the host's PATH
      {otherDrive + " z", {otherDrive, "z"}},                       // another drive
  };
  for (const Case& c : cases) {
    fs::remove(FRecordFile);
    win::TProcessInformation info;
    ASSERT_TRUE(win::CreateProcess(c.commandLine, false, "", {}, info))
        << c.commandLine << ": error " << win::GetLastError();
    const TRecorderRecord record = RecordOf(info);
    EXPECT_EQ(record.Argv, c.argv) << c.commandLine;
    EXPECT_EQ(record["cwd"], fs::canonical(FPrefix.driveC() / "Apps").string()) << c.commandLine;
  }
}

TEST_F(ProgramStartTest, StartFailuresAreReportedBeforeReturning) {
  const fs::path apps = FPrefix.driveC() / "Apps";
  testing_support::WriteFile(apps / "plain.txt", "text\n");
  testing_support::WriteFile(apps / "garbage.exe", "no program\n");
  fs::permissions(apps / "garbage.exe", fs::perms::owner_all | fs::perms::group_exec);
  testing_support::WriteFile(apps / "script.exe", "#!/nonexistent/interpreter\n");
  fs::permissions(apps / "script.exe", fs::perms::owner_all);
  struct Case {
    const char* commandLine;
    const char* directory;
    win::DWORD error;
  };
  const Case cases[] = {
      {R"(C:\Apps\Missing.exe a)", "", win::ERROR_FILE_NOT_FOUND},
      {R"("C:\No Folder\Next.exe")", "", win::ERROR_PATH_NOT_FOUND},
      {"missing-everywhere-zz", "", win::ERROR_FILE_NOT_FOUND},
      {R"(C:\Apps\plain.txt)", "", win::ERROR_ACCESS_DENIED},
      {R"(C:\Apps)", "", win::ERROR_ACCESS_DENIED},
      {R"(C:\Apps\garbage.exe)", "", win::ERROR_BAD_FORMAT},
      {R"(C:\Apps\script.exe)", "", win::ERROR_FILE_NOT_FOUND},
      {R"(Q:\Next.exe)", "", win::ERROR_PATH_NOT_FOUND},
      {"", "", win::ERROR_INVALID_PARAMETER},
      {R"(C:\Apps\Next.exe)", R"(C:\Missing)", win::ERROR_DIRECTORY},
      {R"(C:\Apps\Next.exe)", R"(C:\Apps\plain.txt)", win::ERROR_DIRECTORY},
  };
  for (const Case& c : cases) {
    win::TProcessInformation info;
    win::SetLastError(0);
    EXPECT_FALSE(win::CreateProcess(c.commandLine, false, c.directory, {}, info)) << c.commandLine;
    EXPECT_EQ(win::GetLastError(), c.error) << c.commandLine << " in [" << c.directory << "]";
    EXPECT_EQ(info.Process, nullptr) << c.commandLine;
  }
  EXPECT_FALSE(fs::exists(FRecordFile)) << "no program ran";
}

// A pipe whose read end the started program inherits and reads to its end:
// the program cannot end while the test holds the write end.
class Gate {
 public:
  Gate() {
    int fds[2];
    EXPECT_EQ(::pipe(fds), 0);
    FRead = fds[0];
    FWrite = fds[1];
    ::fcntl(FWrite, F_SETFD, FD_CLOEXEC);
  }
  ~Gate() {
    Open();
    ::close(FRead);
  }
  int ReadEnd() const { return FRead; }
  void Open() {
    if (FWrite >= 0) ::close(FWrite);
    FWrite = -1;
  }

 private:
  int FRead;
  int FWrite;
};

TEST_F(ProgramStartTest, ReturnsWhileTheProgramRunsAndWaitsWithTimeouts) {
  Gate gate;
  TScopedVariable wait("ARGV_RECORDER_WAIT_FD", std::to_string(gate.ReadEnd()));
  TScopedVariable exitCode("ARGV_RECORDER_EXIT", "7");
  win::TProcessInformation info;
  ASSERT_TRUE(win::CreateProcess(R"("C:\Apps\Next.exe")", true, "", {}, info));

  EXPECT_EQ(win::WaitForSingleObject(info.Process, 0), win::WAIT_TIMEOUT);
  EXPECT_EQ(win::WaitForSingleObject(info.Process, 20), win::WAIT_TIMEOUT);
  win::DWORD code = 0;
  ASSERT_TRUE(win::GetExitCodeProcess(info.Process, code));
  EXPECT_EQ(code, win::STILL_ACTIVE);
  EXPECT_FALSE(fs::exists(FRecordFile));

  gate.Open();
  EXPECT_EQ(win::WaitForSingleObject(info.Process, win::INFINITE), win::WAIT_OBJECT_0);
  EXPECT_EQ(win::WaitForSingleObject(info.Process, 0), win::WAIT_OBJECT_0) << "ended stays ended";
  ASSERT_TRUE(win::GetExitCodeProcess(info.Process, code));
  EXPECT_EQ(code, 7u);
  TRecorderRecord record;
  ASSERT_TRUE(ReadRecorderRecord(FRecordFile, record));
  EXPECT_NE(("," + record["fds"] + ",").find("," + std::to_string(gate.ReadEnd()) + ","),
            std::string::npos)
      << "inherited: " << record["fds"];

  ASSERT_TRUE(win::CloseHandle(info.Process));
  win::SetLastError(0);
  EXPECT_EQ(win::WaitForSingleObject(info.Process, 0), win::WAIT_FAILED);
  EXPECT_EQ(win::GetLastError(), win::ERROR_INVALID_HANDLE);
  EXPECT_FALSE(win::GetExitCodeProcess(info.Process, code));
}

TEST_F(ProgramStartTest, WaitingPollsTheRunningProgramUntilItEnds) {
  Gate gate;
  TScopedVariable wait("ARGV_RECORDER_WAIT_FD", std::to_string(gate.ReadEnd()));
  win::TProcessInformation info;
  ASSERT_TRUE(win::CreateProcess(R"("C:\Apps\Next.exe")", true, "", {}, info));
  // The way a timer polls: nothing until the program can end, then the end.
  for (int poll = 0; poll < 3; ++poll) {
    EXPECT_EQ(win::WaitForSingleObject(info.Process, 0), win::WAIT_TIMEOUT);
  }
  gate.Open();
  win::DWORD result = win::WAIT_TIMEOUT;
  while (result == win::WAIT_TIMEOUT) result = win::WaitForSingleObject(info.Process, 5);
  EXPECT_EQ(result, win::WAIT_OBJECT_0);
  win::DWORD code = 1;
  ASSERT_TRUE(win::GetExitCodeProcess(info.Process, code));
  EXPECT_EQ(code, 0u);
  win::CloseHandle(info.Process);
}

TEST_F(ProgramStartTest, KilledProgramEndsWithTheSignalInItsCode) {
  Gate gate;
  TScopedVariable wait("ARGV_RECORDER_WAIT_FD", std::to_string(gate.ReadEnd()));
  win::TProcessInformation info;
  ASSERT_TRUE(win::CreateProcess(R"("C:\Apps\Next.exe")", true, "", {}, info));
  ASSERT_EQ(::kill(static_cast<pid_t>(info.ProcessId), SIGTERM), 0);
  EXPECT_EQ(win::WaitForSingleObject(info.Process, win::INFINITE), win::WAIT_OBJECT_0);
  win::DWORD code = 0;
  ASSERT_TRUE(win::GetExitCodeProcess(info.Process, code));
  EXPECT_EQ(code, 128u + SIGTERM);
  win::CloseHandle(info.Process);
}

bool IsGone(pid_t pid) { return ::kill(pid, 0) != 0 && errno == ESRCH; }

TEST_F(ProgramStartTest, ClosedHandleLeavesNoZombie) {
  Gate gate;
  TScopedVariable wait("ARGV_RECORDER_WAIT_FD", std::to_string(gate.ReadEnd()));
  win::TProcessInformation info;
  ASSERT_TRUE(win::CreateProcess(R"("C:\Apps\Next.exe")", true, "", {}, info));
  const auto pid = static_cast<pid_t>(info.ProcessId);
  ASSERT_TRUE(win::CloseHandle(info.Process));
  EXPECT_FALSE(IsGone(pid)) << "closing the handle does not end the program";
  gate.Open();
  // Reaping happens on a thread of its own, which signals nothing; a zombie
  // would stay until this test ends, so a generous bound tells them apart.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!IsGone(pid) && std::chrono::steady_clock::now() < deadline) {
    const timespec slice{0, 1000000};
    ::nanosleep(&slice, nullptr);
  }
  EXPECT_TRUE(IsGone(pid)) << "the ended program was not reaped";
}

// ---- The shell's open

TEST_F(ProgramStartTest, ShellOpensAProgramWithParametersInItsDirectory) {
  struct Case {
    const char* file;
    const char* parameters;
    const char* directory;
    Argv argv;
    const char* cwd;
  };
  const Case cases[] = {
      {R"(C:\Apps\Next.exe)",
       R"(-Q "C:\Jobs\tl-x.QUE")",
       R"(C:\Work)",
       {R"(C:\Apps\Next.exe)", "-Q", R"(C:\Jobs\tl-x.QUE)"},
       "Work"},
      {"next.exe", "-A 2", R"(C:\Apps)", {"next.exe", "-A", "2"}, "Apps"},
      {R"(Apps\Next.exe)", "", "", {R"(Apps\Next.exe)"}, ""},
  };
  for (const Case& c : cases) {
    fs::remove(FRecordFile);
    win::HANDLE process = nullptr;
    EXPECT_GT(win::ShellExecute(c.file, c.parameters, c.directory, &process), 32u) << c.file;
    ASSERT_NE(process, nullptr) << c.file;
    const TRecorderRecord record = RecordOf({process, 0});
    EXPECT_EQ(record.Argv, c.argv) << c.file;
    EXPECT_EQ(record["cwd"], fs::canonical(FPrefix.driveC() / c.cwd).string()) << c.file;
  }
}

TEST_F(ProgramStartTest, ShellOpenFailuresGiveShellCodes) {
  testing_support::WriteFile(FPrefix.driveC() / "Docs" / "letter.txt", "text\n");
  TempDir emptyBin;
  TScopedVariable path("PATH", emptyBin.path().string());
  struct Case {
    const char* file;
    const char* directory;
    win::DWORD code;
  };
  const Case cases[] = {
      {R"(C:\Apps\Missing.exe)", "", win::SE_ERR_FNF},
      {"missing-everywhere-zz", R"(C:\Apps)", win::SE_ERR_FNF},
      {R"(C:\Nowhere\Next.exe)", "", win::SE_ERR_PNF},
      {R"(C:\Apps\Next.exe)", R"(C:\Nowhere)", win::SE_ERR_PNF},
      {R"(C:\Docs\letter.txt)", "", win::SE_ERR_NOASSOC},
  };
  for (const Case& c : cases) {
    win::HANDLE process = reinterpret_cast<win::HANDLE>(1);
    EXPECT_EQ(win::ShellExecute(c.file, "", c.directory, &process), c.code) << c.file;
    EXPECT_EQ(process, nullptr) << c.file;
  }
}

TEST_F(ProgramStartTest, ShellOpensDocumentsWithTheHostOpener) {
  testing_support::WriteFile(FPrefix.driveC() / "Docs" / "letter.txt", "text\n");
  TempDir bin;
  fs::copy_file(ARGV_RECORDER_PATH, bin.path() / "xdg-open");
  TScopedVariable path("PATH", bin.path().string());
  win::HANDLE process = nullptr;
  EXPECT_GT(win::ShellExecute(R"(c:\docs\LETTER.TXT)", "ignored", "", &process), 32u);
  const TRecorderRecord record = RecordOf({process, 0});
  EXPECT_EQ(record.Argv,
            (Argv{"xdg-open", fs::canonical(FPrefix.driveC() / "Docs" / "letter.txt").string()}));
}

}  // namespace
