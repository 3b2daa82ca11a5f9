// The print path through a real CUPS server: lp -> cupsd -> the zerurud
// backend -> VAVavidi -> the follow-up program. The server is the private one
// of tools/testcups/with-server (CUPS_SERVER); the installer makes the queue.
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "capture/tests/converter_harness.h"
#include "platform/hostpath.h"
#include "tests/support/recorder/record.h"
#include "tests/support/refusing_port.h"
#include "tests/support/scoped_variable.h"
#include "tests/support/temp_prefix.h"
#include "tools/jobgen/job_generator.h"

namespace fs = std::filesystem;
using namespace converter_testing;
using testing_support::ReadFile;
using testing_support::TempPrefix;
using testing_support::TRecorderRecord;
using testing_support::TScopedVariable;
using testing_support::WriteFile;

namespace {

constexpr char kQueue[] = "Zerurud_Printer";
constexpr char kDriverDirectory[] = "C:\\Windows\\System32\\spool\\drivers\\w32x86";
const char* const kDriverFiles[] = {"PSCRIPT5.DLL", "ZERURUD.PPD",  "PS5UI.DLL",   "PSCRIPT.HLP",
                                    "PSCRIPT.NTF",  "VAVAVIDI.INI", "VAVAVIDI.DLL"};
constexpr auto kTimeout = std::chrono::seconds(60);

struct TRun {
  int ExitCode = -1;
  std::string Output;  // standard output and standard error
};

// A shell command line's run; ExitCode -1 when it did not end by exit.
TRun Shell(const std::string& command) {
  TRun run;
  FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[4096];
  for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
    run.Output.append(buffer, got);
  }
  const int status = ::pclose(pipe);
  run.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

bool WaitFor(const std::function<bool()>& done) {
  const auto end = std::chrono::steady_clock::now() + kTimeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

std::string CheckRun(const std::string& account, int pages) {
  jobgen::TJobOptions options;
  options.FAccounts = {account};
  options.FPagesPerAccount = pages;
  return jobgen::GenerateJob(options).FText;
}

std::string WindowsPath(const fs::path& host) {
  std::string path;
  if (!win::WindowsPathFromHost(host, path)) throw std::runtime_error("no Windows path");
  return path;
}

// A machine installed by the real installer, with the queue pointing at it,
// a capture folder, a throw-away user with a session, and a follow-up
// program that records each start in a file of its own.
class PrintPathTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::getenv("CUPS_SERVER") == nullptr) {
      GTEST_SKIP() << "needs a CUPS server: run under tools/testcups/with-server";
    }
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to create a throw-away user";
    if (::access("/usr/sbin/useradd", X_OK) != 0) {
      GTEST_SKIP() << "needs /usr/sbin/useradd to create a throw-away user";
    }
    static int serial = 0;
    FUser = "zpp" + std::to_string(::getpid()) + "x" + std::to_string(++serial);
    if (std::system(("/usr/sbin/useradd -M -U -s /usr/sbin/nologin -d /home/" + FUser + " " +
                     FUser + " >/dev/null 2>&1")
                        .c_str()) != 0) {
      GTEST_SKIP() << "useradd could not create the throw-away user " << FUser;
    }
    FCreated = true;
    const passwd* user = ::getpwnam(FUser.c_str());
    ASSERT_NE(user, nullptr);
    FUid = user->pw_uid;

    ASSERT_EQ(::chmod(FPrefix.root().c_str(), 0755), 0);
    for (const fs::path& folder : {FCaptureFolder, FRecordFolder}) {
      fs::create_directories(folder);
      ASSERT_EQ(::chmod(folder.c_str(), 0777), 0);
    }
    SetComputerName("PC7");
    SetSessions({{"0", FUser}});
    const fs::path chain = FPrefix.driveC() / "follow-up";
    WriteFile(chain, "#!/bin/sh\nARGV_RECORDER_OUT=" + FRecordFolder.string() +
                         "/follow-up-$$.record exec " + ARGV_RECORDER_PATH + " \"$@\"\n");
    ASSERT_EQ(::chmod(chain.c_str(), 0755), 0);
    WritePrinterString("FilePath", "C:\\Capture");
    WritePrinterString("Chain", WindowsPath(chain));
    Install(FPrefix);
  }

  void TearDown() override {
    // The follow-up programs of the last jobs may still be ending, and
    // userdel refuses a user with processes.
    if (FCreated) {
      const std::string command = "/usr/sbin/userdel " + FUser + " >/dev/null 2>&1";
      EXPECT_TRUE(WaitFor([&] { return std::system(command.c_str()) == 0; }))
          << "the throw-away user " << FUser << " is left";
    }
  }

  static void Install(const TempPrefix& prefix) {
    const fs::path folder = prefix.OnDriveC("C:\\Zerurud");
    fs::create_directories(folder);
    fs::copy_file(INSTALLER_PATH, folder / "RorudazIDOrezade",
                  fs::copy_options::overwrite_existing);
    fs::copy_file(VAVAVIDI_PATH, folder / "VAVavidi", fs::copy_options::overwrite_existing);
    for (const char* name : kDriverFiles) {
      const fs::path target = prefix.OnDriveC(std::string(kDriverDirectory) + "\\" + name);
      fs::create_directories(target.parent_path());
      fs::copy_file(fs::path(DRIVER_FILES_DIR) / name, target,
                    fs::copy_options::overwrite_existing);
    }
    const TRun run = Shell((folder / "RorudazIDOrezade").string());
    ASSERT_EQ(run.ExitCode, 0) << run.Output;
    ASSERT_EQ(run.Output, "");
  }

  // Prints `job` as `user`; the CUPS job's id.
  std::string Print(const std::string& job, const std::string& user) {
    const fs::path file = FRecordFolder / ("job-" + std::to_string(++FJobs) + ".ps");
    WriteFile(file, job);
    const TRun run = Shell("lp -U " + user + " -d " + kQueue + " " + file.string());
    EXPECT_EQ(run.ExitCode, 0) << run.Output;
    const std::string marker = std::string("request id is ") + kQueue + "-";
    const std::size_t at = run.Output.find(marker);
    if (at == std::string::npos) return "";
    const std::size_t start = at + marker.size();
    return run.Output.substr(start, run.Output.find(' ', start) - start);
  }

  static bool QueueIsIdle() {
    const TRun run = Shell(std::string("lpstat -o ") + kQueue);
    return run.ExitCode == 0 && run.Output.empty();
  }

  std::vector<fs::path> FollowUpRecords() const {
    std::vector<fs::path> records;
    for (const auto& entry : fs::directory_iterator(FRecordFolder)) {
      if (entry.path().extension() == ".record") records.push_back(entry.path());
    }
    return records;
  }

  std::string FUser;
  bool FCreated = false;
  uid_t FUid = 0;
  int FJobs = 0;
  TempPrefix FPrefix;
  const fs::path FCaptureFolder = FPrefix.driveC() / "Capture";
  const fs::path FRecordFolder = FPrefix.root() / "records";
};

TEST_F(PrintPathTest, TheInstallerMakesTheQueueOfThisPrefix) {
  const TRun run = Shell(std::string("lpstat -v ") + kQueue);
  EXPECT_EQ(run.ExitCode, 0);
  EXPECT_EQ(run.Output,
            std::string("device for ") + kQueue + ": zerurud:" + FPrefix.root().string() + "\n");
  EXPECT_EQ(Shell(std::string("lpstat -a ") + kQueue).Output.find("not accepting"),
            std::string::npos);
}

TEST_F(PrintPathTest, AJobBecomesTheSessionUsersCaptureFileAsTheConverterMakesIt) {
  const std::string job = CheckRun("A100", 2);
  // A stand-in beside the backend keeps what the converter is given.
  const char* backendDir = std::getenv("ZERURUD_CUPS_BACKEND_DIR");
  ASSERT_NE(backendDir, nullptr) << "with-server names its backend folder";
  const fs::path standIn = fs::path(backendDir) / "VAVavidi";
  const fs::path received = FRecordFolder / "received.ps";
  WriteFile(standIn,
            "#!/bin/sh\ntee " + received.string() + " | exec " + VAVAVIDI_PATH + " \"$@\"\n");
  ASSERT_EQ(::chmod(standIn.c_str(), 0700), 0);
  ASSERT_NE(Print(job, FUser), "");
  const bool idle = WaitFor(QueueIsIdle);
  fs::remove(standIn);
  ASSERT_TRUE(idle);
  EXPECT_EQ(ReadFile(received), job);

  const std::vector<fs::path> files = CaptureFilesIn(FCaptureFolder);
  ASSERT_EQ(files.size(), 1u);
  struct stat st {};
  ASSERT_EQ(::stat(files[0].c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, FUid);

  ASSERT_TRUE(WaitFor([&] { return !FollowUpRecords().empty(); }));
  TRecorderRecord followUp;
  ASSERT_TRUE(testing_support::ReadRecorderRecord(FollowUpRecords().at(0), followUp));
  EXPECT_EQ(followUp["uid"], std::to_string(FUid));
  EXPECT_EQ(followUp.Argv.at(1), "C:\\Capture\\" + files[0].filename().string());

  // The converter run directly on the same job writes the same file.
  TConverterStart direct;
  direct.FInput = job;
  direct.FArgs = {FUser};
  EXPECT_EQ(RunConverter(direct).FStderr, "");
  const std::vector<fs::path> both = CaptureFilesIn(FCaptureFolder);
  ASSERT_EQ(both.size(), 2u);
  EXPECT_EQ(ReadFile(both[0]), ReadFile(both[1]));
}

TEST_F(PrintPathTest, AUserWithoutASessionGetsTheTokenMessageAndTheQueueGoesOn) {
  const char* errorLog = std::getenv("ZERURUD_CUPS_ERROR_LOG");
  ASSERT_NE(errorLog, nullptr) << "with-server names its error log";
  SetSessions({{"0", "somebody-else"}});
  const std::string id = Print(CheckRun("B200", 1), FUser);
  ASSERT_NE(id, "");
  ASSERT_TRUE(WaitFor(QueueIsIdle));
  EXPECT_TRUE(CaptureFilesIn(FCaptureFolder).empty());
  const std::string expected = std::string("[Job ") + id + "] " + (kStderrPrefix + 7) +
                               "Failed to find user token: Error Code [1008]";
  EXPECT_NE(ReadFile(errorLog).find(expected), std::string::npos) << expected;

  EXPECT_EQ(Shell(std::string("lpstat -a ") + kQueue).Output.find("not accepting"),
            std::string::npos);
  EXPECT_EQ(Shell(std::string("lpstat -p ") + kQueue).Output.find("disabled"), std::string::npos);
  SetSessions({{"0", FUser}});
  ASSERT_NE(Print(CheckRun("B200", 1), FUser), "");
  ASSERT_TRUE(WaitFor([&] { return CaptureFilesIn(FCaptureFolder).size() == 1; }));
}

TEST_F(PrintPathTest, TenJobsAtOnceGiveTenCaptureFiles) {
  constexpr int kJobs = 10;
  std::string command;
  std::set<std::string> expected;
  for (int i = 0; i < kJobs; ++i) {
    const std::string job = CheckRun("A" + std::to_string(100 + i), 1 + i % 3);
    const fs::path file = FRecordFolder / ("many-" + std::to_string(i) + ".ps");
    WriteFile(file, job);
    expected.insert(EncodedFile(ExtractRows(job, 70)));
    command += "lp -U " + FUser + " -d " + kQueue + " " + file.string() + " >/dev/null & ";
  }
  ASSERT_EQ(Shell(command + "wait").ExitCode, 0);
  ASSERT_TRUE(WaitFor([&] { return CaptureFilesIn(FCaptureFolder).size() == kJobs; }));
  ASSERT_TRUE(WaitFor(QueueIsIdle));
  std::set<std::string> written;
  for (const fs::path& file : CaptureFilesIn(FCaptureFolder)) written.insert(ReadFile(file));
  EXPECT_EQ(written, expected);
}

TEST_F(PrintPathTest, AServerThatIsNotThereChangesNothingElse) {
  ASSERT_EQ(Shell(std::string("lpadmin -x ") + kQueue).ExitCode, 0);
  {
    testing_support::TRefusingPort port;
    TScopedVariable server("CUPS_SERVER", "127.0.0.1:" + std::to_string(port.Port()));
    TempPrefix other;
    Install(other);
    EXPECT_NE(
        ReadFile(other.root() / "system.reg")
            .find("[HKEY_LOCAL_"
                  "MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\Zerurud Printer]"),
        std::string::npos);
  }
  EXPECT_NE(Shell(std::string("lpstat -v ") + kQueue).ExitCode, 0);
}

}  // namespace
