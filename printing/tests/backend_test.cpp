// The zerurud backend run directly, as CUPS runs it.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/temp_prefix.h"

namespace fs = std::filesystem;
using testing_support::TempPrefix;

namespace {

struct TRun {
  int ExitCode = -1;
  std::string Output;
};

TRun Shell(const std::string& command) {
  TRun run;
  FILE* pipe = ::popen((command + " 2>&1 </dev/null").c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[4096];
  for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
    run.Output.append(buffer, got);
  }
  const int status = ::pclose(pipe);
  run.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

TEST(BackendTest, WithoutArgumentsItListsItsDevice) {
  const TRun run = Shell(ZERURUD_BACKEND_PATH);
  EXPECT_EQ(run.ExitCode, 0);
  EXPECT_EQ(run.Output,
            "direct zerurud \"Zerurud Printer\" \"Zerurud Printer (capture converter)\"\n");
}

TEST(BackendTest, ItRefusesWrongCallsAndUris) {
  const struct {
    const char* uri;
    const char* args;
    const char* output;
  } cases[] = {
      {"zerurud:/x", "1 user", "Usage: zerurud job-id user title copies options [file]\n"},
      {"ipp://host/x", "1 user title 1 ''",
       "ERROR: zerurud: the device URI ipp://host/x is not zerurud:<prefix folder>\n"},
      {"zerurud:relative", "1 user title 1 ''",
       "ERROR: zerurud: the device URI zerurud:relative is not zerurud:<prefix folder>\n"},
  };
  for (const auto& c : cases) {
    const TRun run =
        Shell(std::string("DEVICE_URI='") + c.uri + "' " + ZERURUD_BACKEND_PATH + " " + c.args);
    EXPECT_EQ(run.ExitCode, 1) << c.uri;
    EXPECT_EQ(run.Output, c.output) << c.uri;
  }
}

// Root would start what the prefix's hive names: a prefix others may change
// is refused before the converter starts.
TEST(BackendTest, AsRootItRefusesAPrefixOthersMayWrite) {
  if (::geteuid() != 0) GTEST_SKIP() << "the check applies to a backend that runs as root";
  TempPrefix prefix;
  const fs::path root = prefix.root();
  const fs::path hive = root / "system.reg";
  const fs::path nested = root / "open" / "machine";
  fs::create_directories(nested);
  const struct {
    const char* what;
    fs::path chmodded;
    mode_t mode;
    fs::path uri;
    std::string reason;
  } cases[] = {
      {"prefix", root, 0777, root,
       "the prefix folder " + root.string() + " is writable by other users than root"},
      {"hive", hive, 0666, root, hive.string() + " is not a file that only root may write"},
      {"folder above", root / "open", 0777, nested,
       "the folder " + (root / "open").string() +
           " above the prefix folder is writable by other users than root"},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(::chmod(root.c_str(), 0755), 0);
    ASSERT_EQ(::chmod((root / "open").c_str(), 0755), 0);
    testing_support::WriteFile(hive, "Windows Registry Editor Version 5.00\n");
    ASSERT_EQ(::chmod(hive.c_str(), 0644), 0);
    ASSERT_EQ(::chmod(c.chmodded.c_str(), c.mode), 0);
    const TRun run = Shell("DEVICE_URI='zerurud:" + c.uri.string() + "' " + ZERURUD_BACKEND_PATH +
                           " 1 user title 1 '' /dev/null");
    EXPECT_EQ(run.ExitCode, 1) << c.what;
    EXPECT_EQ(run.Output, "ERROR: zerurud: refused to run as root: " + c.reason + "\n") << c.what;
  }
}

}  // namespace
