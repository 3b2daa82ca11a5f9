// The conversion on a machine that fails it, through the host seam: what a
// full disk does to the capture file needs neither root nor a full disk.
// TProcess runs in this process, with the job on standard input and its
// lines taken from standard error.
#include <pwd.h>
#include <sys/mman.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "capture/capture_run.h"
#include "capture/tests/converter_harness.h"
#include "platform/impersonation.h"
#include "tests/support/fault_env.h"
#include "tests/support/recorder/record.h"
#include "tests/support/temp_prefix.h"
#include "tools/jobgen/job_generator.h"

namespace fs = std::filesystem;
using namespace converter_testing;
using testing_support::TempPrefix;
using testing_support::TFaultEnv;
using testing_support::TRecorderRecord;
using testing_support::TScopedVariable;

namespace {

// Standard input reads `input` and standard error is collected while the
// object lives.
class TStandardStreams {
 public:
  explicit TStandardStreams(const std::string& input)
      : FInput(::dup(STDIN_FILENO)), FError(::dup(STDERR_FILENO)) {
    const int job = ::memfd_create("job", MFD_CLOEXEC);
    FCollected = ::memfd_create("stderr", MFD_CLOEXEC);
    if (job < 0 || FCollected < 0 ||
        ::write(job, input.data(), input.size()) != static_cast<ssize_t>(input.size()) ||
        ::lseek(job, 0, SEEK_SET) != 0 || ::dup2(job, STDIN_FILENO) < 0 ||
        ::dup2(FCollected, STDERR_FILENO) < 0) {
      throw std::runtime_error("cannot redirect the standard streams");
    }
    ::close(job);
  }
  ~TStandardStreams() {
    ::dup2(FInput, STDIN_FILENO);
    ::dup2(FError, STDERR_FILENO);
    ::close(FInput);
    ::close(FError);
    ::close(FCollected);
  }
  TStandardStreams(const TStandardStreams&) = delete;
  TStandardStreams& operator=(const TStandardStreams&) = delete;

  std::string Collected() const {
    std::string text;
    char buffer[4096];
    ssize_t got;
    for (off_t at = 0; (got = ::pread(FCollected, buffer, sizeof buffer, at)) > 0; at += got) {
      text.append(buffer, static_cast<std::size_t>(got));
    }
    return text;
  }

 private:
  int FInput;
  int FError;
  int FCollected = -1;
};

std::string OwnUserName() {
  const passwd* user = ::getpwuid(::geteuid());
  return user != nullptr ? user->pw_name : "";
}

// What TProcess wrote to standard error for `job`.
std::string Convert(const std::string& job, const std::string& chain,
                    const std::string& outputPath) {
  TStandardStreams streams(job);
  capture::TProcess process(chain, 70);
  process.Run(outputPath, "");
  win::RevertToSelf();
  return streams.Collected();
}

std::string OneCheck() {
  jobgen::TJobOptions options;
  options.FAccounts = {"A100"};
  return jobgen::GenerateJob(options).FText;
}

}  // namespace

TEST(CaptureRunFaults, ACaptureFileThatDoesNotFitLeavesNoFileAndSaysSo) {
  TempPrefix prefix;
  SetComputerName("PC7");
  SetSessions({{"0", OwnUserName()}});
  const fs::path folder = prefix.driveC() / "Capture";
  fs::create_directory(folder);
  const fs::path record = prefix.root() / "follow-up.record";
  const TScopedVariable recorderOut("ARGV_RECORDER_OUT", record.string());
  TOrphans orphans;
  {
    TFaultEnv env;
    env.LimitSpace(1000);
    env.AppliesTo = [](const fs::path& file) { return file.extension() == ".ruz"; };
    EXPECT_EQ(Convert(OneCheck(), RecorderChain(), "C:\\Capture\\TL-PC7-1.ruz"),
              std::string(kStderrPrefix) + "1 - SaveToFile failed\n");
  }
  EXPECT_TRUE(fs::is_empty(folder));
  // The follow-up program still starts, with the path of the missing file.
  orphans.WaitForOrphans();
  TRecorderRecord followUp;
  ASSERT_TRUE(testing_support::ReadRecorderRecord(record, followUp));
  EXPECT_EQ(followUp.Argv.at(1), "C:\\Capture\\TL-PC7-1.ruz");
}
