// The converter with a real second user: the capture file belongs to the
// session's user and the follow-up program runs as that user; a converter
// that is no administrator gets only its own session's token.
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "capture/tests/converter_harness.h"
#include "tests/support/recorder/record.h"
#include "tests/support/temp_prefix.h"
#include "tools/jobgen/job_generator.h"

namespace fs = std::filesystem;
using namespace converter_testing;
using testing_support::TempPrefix;
using testing_support::TRecorderRecord;
using testing_support::TScopedVariable;

namespace {

std::string OneCheck() {
  jobgen::TJobOptions options;
  options.FAccounts = {"A100"};
  return jobgen::GenerateJob(options).FText;
}

// A user created for one test and removed afterwards, and a machine that the
// user may read, with a capture folder and a record folder it may write to.
class ConverterAsUserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to create a throw-away user";
    if (::access("/usr/sbin/useradd", X_OK) != 0) {
      GTEST_SKIP() << "needs /usr/sbin/useradd to create a throw-away user";
    }
    static int serial = 0;
    FName = "vvd" + std::to_string(::getpid()) + "x" + std::to_string(++serial);
    const std::string command = "/usr/sbin/useradd -M -U -s /usr/sbin/nologin -d /home/" + FName +
                                " " + FName + " >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) {
      GTEST_SKIP() << "useradd could not create the throw-away user " << FName;
    }
    FCreated = true;
    const passwd* user = ::getpwnam(FName.c_str());
    ASSERT_NE(user, nullptr);
    FUid = user->pw_uid;
    FGid = user->pw_gid;

    FPrefix = std::make_unique<TempPrefix>();
    ASSERT_EQ(::chmod(FPrefix->root().c_str(), 0755), 0);
    FCaptureFolder = FPrefix->driveC() / "Capture";
    FRecordFolder = FPrefix->root() / "records";
    for (const fs::path& folder : {FCaptureFolder, FRecordFolder}) {
      fs::create_directory(folder);
      ASSERT_EQ(::chmod(folder.c_str(), 0777), 0);
    }
    FRecordFile = FRecordFolder / "follow-up.record";
    FRecorderOut.emplace("ARGV_RECORDER_OUT", FRecordFile.string());
    SetComputerName("PC7");
  }

  void TearDown() override {
    FRecorderOut.reset();
    FPrefix.reset();
    if (FCreated) {
      const std::string command = "/usr/sbin/userdel " + FName + " >/dev/null 2>&1";
      EXPECT_EQ(std::system(command.c_str()), 0) << "the throw-away user " << FName << " is left";
    }
  }

  std::optional<TRecorderRecord> FollowUp() {
    FOrphans.WaitForOrphans();
    TRecorderRecord record;
    if (!testing_support::ReadRecorderRecord(FRecordFile, record)) return std::nullopt;
    return record;
  }

  std::string FName;
  bool FCreated = false;
  uid_t FUid = 0;
  gid_t FGid = 0;
  std::unique_ptr<TempPrefix> FPrefix;
  fs::path FCaptureFolder;
  fs::path FRecordFolder;
  fs::path FRecordFile;
  std::optional<TScopedVariable> FRecorderOut;
  TOrphans FOrphans;
};

}  // namespace

TEST_F(ConverterAsUserTest, FileAndFollowUpBelongToTheSessionsUser) {
  SetSessions({{"0", FName}});
  WritePrinterString("FilePath", "C:\\Capture");
  WritePrinterString("Chain", RecorderChain());
  TConverterStart start;
  start.FInput = OneCheck();
  const TConverterResult result = RunConverter(start);
  EXPECT_EQ(result.FExitCode, 0);
  EXPECT_EQ(result.FStderr, "");

  const std::vector<fs::path> files = CaptureFilesIn(FCaptureFolder);
  ASSERT_EQ(files.size(), 1u);
  struct stat st {};
  ASSERT_EQ(::stat(files[0].c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, FUid);
  EXPECT_EQ(st.st_gid, FGid);
  EXPECT_EQ(testing_support::ReadFile(files[0]), EncodedFile(ExtractRows(start.FInput, 70)));

  const std::optional<TRecorderRecord> followUp = FollowUp();
  ASSERT_TRUE(followUp);
  for (const char* id : {"uid", "euid"}) EXPECT_EQ((*followUp)[id], std::to_string(FUid)) << id;
  for (const char* id : {"gid", "egid"}) EXPECT_EQ((*followUp)[id], std::to_string(FGid)) << id;
  EXPECT_EQ((*followUp)["env.USER"], FName);
  EXPECT_EQ((*followUp)["env.LOGNAME"], FName);
  EXPECT_EQ((*followUp)["env.HOME"], "/home/" + FName);
  EXPECT_EQ(followUp->Argv.at(1), "C:\\Capture\\" + files[0].filename().string());
}

TEST_F(ConverterAsUserTest, AFolderTheConverterCreatesTakesTheRightsOfItsParent) {
  // Made by root, the folder must still let the session's user write into it.
  SetSessions({{"0", FName}});
  WritePrinterString("FilePath", "C:\\Capture\\Jobs");
  TConverterStart start;
  start.FInput = OneCheck();
  const TConverterResult result = RunConverter(start);
  EXPECT_EQ(result.FStderr, "");
  struct stat st {};
  ASSERT_EQ(::stat((FCaptureFolder / "Jobs").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0777u);
  EXPECT_EQ(CaptureFilesIn(FCaptureFolder / "Jobs").size(), 1u);
}

TEST_F(ConverterAsUserTest, AnOrdinaryUserGetsOnlyItsOwnSessionsToken) {
  // Without the right to write the hive the printer key does not open with
  // full access, so the file goes to the current folder.
  const struct {
    const char* what;
    TSessions sessions;
    std::string stderrText;
    std::size_t files;
  } cases[] = {
      {"its own session", {{"0", FName}}, "", 1},
      {"root's session",
       {{"0", "root"}},
       std::string(kStderrPrefix) + "Failed to find user token: Error Code [1314]\n",
       0},
  };
  for (const auto& c : cases) {
    SetSessions(c.sessions);
    for (const fs::path& file : CaptureFilesIn(FCaptureFolder)) fs::remove(file);
    TConverterStart start;
    start.FInput = OneCheck();
    start.FWorkingDirectory = FCaptureFolder;
    start.FRunAs = TRunAs{FUid, FGid};
    const TConverterResult result = RunConverter(start);
    EXPECT_EQ(result.FExitCode, 0) << c.what;
    EXPECT_EQ(result.FStderr, c.stderrText) << c.what;
    const std::vector<fs::path> files = CaptureFilesIn(FCaptureFolder);
    ASSERT_EQ(files.size(), c.files) << c.what;
    for (const fs::path& file : files) {
      struct stat st {};
      ASSERT_EQ(::stat(file.c_str(), &st), 0);
      EXPECT_EQ(st.st_uid, FUid) << c.what;
    }
  }
}

TEST_F(ConverterAsUserTest, ALinkTheUserSwapsInForTheNewFolderKeepsItsRights) {
  // The user may write the folder above FilePath, and swaps the folder the
  // converter (root) has just made for a link to a file of root's, again and
  // again while the converter runs.
  SetSessions({{"0", FName}});
  WritePrinterString("FilePath", "C:\\Capture\\Jobs");
  const fs::path folder = FCaptureFolder / "Jobs";
  const fs::path victim = FPrefix->root() / "root-only";
  testing_support::WriteFile(victim, "root's own");
  ASSERT_EQ(::chmod(victim.c_str(), 0600), 0);
  const fs::path stop = FRecordFolder / "stop";

  const pid_t swapper = ::fork();
  if (swapper == 0) {
    if (::setgroups(0, nullptr) != 0 || ::setgid(FGid) != 0 || ::setuid(FUid) != 0) ::_exit(1);
    while (::access(stop.c_str(), F_OK) != 0) {
      if (::rmdir(folder.c_str()) == 0) ::symlink(victim.c_str(), folder.c_str());
    }
    ::_exit(0);
  }
  for (int attempt = 0; attempt < 40; ++attempt) {
    ::unlink(folder.c_str());
    ::rmdir(folder.c_str());
    TConverterStart start;
    start.FInput = OneCheck();
    EXPECT_EQ(RunConverter(start).FExitCode, 0);
  }
  testing_support::WriteFile(stop, "");
  int status = 0;
  ::waitpid(swapper, &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the swapper could not run";

  struct stat st {};
  ASSERT_EQ(::stat(victim.c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, 0u);
  EXPECT_EQ(st.st_gid, 0u);
  EXPECT_EQ(st.st_mode & 07777, 0600u);
  EXPECT_EQ(testing_support::ReadFile(victim), "root's own");
}
