#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "capture/check_record.h"
#include "capture/text_extraction.h"
#include "capturefile/capture_codec.h"
#include "capturefile/capture_text.h"
#include "tests/support/temp_prefix.h"

namespace fs = std::filesystem;
using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

namespace {

struct TRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// Runs `program` with `args`, standard input from `input` (a file), and
// collects its standard output and error through files in `dir`.
TRun RunProgram(const fs::path& dir, const std::string& program,
                const std::vector<std::string>& args, const fs::path& input = "/dev/null") {
  const fs::path outFile = dir / "stdout";
  const fs::path errFile = dir / "stderr";
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int in = ::open(input.c_str(), O_RDONLY);
    const int out = ::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (in < 0 || out < 0 || err < 0) ::_exit(126);
    ::dup2(in, 0);
    ::dup2(out, 1);
    ::dup2(err, 2);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  TRun run;
  int status = 0;
  if (pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status)) {
    run.exitCode = WEXITSTATUS(status);
  }
  run.out = ReadFile(outFile);
  run.err = ReadFile(errFile);
  return run;
}

std::vector<std::string> CrlfLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      ADD_FAILURE() << "text does not end with a line end";
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

}  // namespace

TEST(Ruzcat, ShowsTheAccountIdsOfAGeneratedJob) {
  TempDir dir;
  const fs::path job = dir.path() / "job.ps";
  const TRun generated = RunProgram(dir.path(), JOBGEN_PROGRAM,
                                    {"--accounts", "A100,B200,A100,ZX-90210", "--account-line", "3",
                                     "--crlf", "--output", job.string()});
  ASSERT_EQ(generated.exitCode, 0) << generated.err;

  // The converter's path: every line without carriage returns to the
  // extraction, the rows into a capture file.
  capture::TCheckRecord grid(70);
  capturefile::TCaptureText pageLines;
  capture::TTextExtraction extraction(grid, pageLines);
  std::string line;
  for (char c : ReadFile(job)) {
    if (c == '\n') {
      extraction.ProcessLine(line);
      line.clear();
    } else if (c != '\r') {
      line += c;
    }
  }
  capturefile::TCrypt crypt;
  pageLines.Encipher(crypt);
  const fs::path capture = dir.path() / "TL-PC7-202435-97432-811.ruz";
  WriteFile(capture, std::string(pageLines.Content()));

  const TRun shown = RunProgram(dir.path(), RUZCAT_PROGRAM, {capture.string()});
  ASSERT_EQ(shown.exitCode, 0) << shown.err;
  const std::vector<std::string> lines = CrlfLines(shown.out);
  ASSERT_EQ(lines.size(), 4u * 70);
  const char* const accounts[] = {"A100", "B200", "A100", "ZX-90210"};
  for (std::size_t page = 0; page < 4; ++page) {
    const std::string& accountLine = lines[page * 70 + 2];
    EXPECT_EQ(accountLine.substr(0, 8), (accounts[page] + std::string(8, ' ')).substr(0, 8))
        << "page " << page + 1;
    EXPECT_EQ(accountLine.size(), 110u);
  }
}

TEST(Ruzcat, EncodesAndShowsBothKindsOfFile) {
  TempDir dir;
  const fs::path plain = dir.path() / "plain.txt";
  // Line feeds with and without carriage returns, and a last line without one.
  WriteFile(plain, std::string("x\xB6st line\r\nsecond\n\nlast", 23));
  const std::vector<std::string> lines{"x\xB6st line", "second", "", "last"};
  const std::string expectedText = "x\xB6st line\r\nsecond\r\n\r\nlast\r\n";
  capturefile::TCrypt crypt;
  const struct {
    const char* name;
    std::vector<std::string> flags;
    std::string bytes;
    std::string shown;
  } cases[] = {
      {"capture file", {}, capturefile::EncodeCaptureFile(lines, crypt), expectedText},
      {"hand-off file",
       {"--handoff"},
       capturefile::EncodeHandOffFile(lines),
       capturefile::DecodeHandOffFile(capturefile::EncodeHandOffFile(lines))},
  };
  for (const auto& c : cases) {
    std::vector<std::string> encodeArgs{"--encode"};
    encodeArgs.insert(encodeArgs.end(), c.flags.begin(), c.flags.end());
    encodeArgs.push_back(plain.string());
    const TRun encoded = RunProgram(dir.path(), RUZCAT_PROGRAM, encodeArgs);
    ASSERT_EQ(encoded.exitCode, 0) << c.name << ": " << encoded.err;
    EXPECT_EQ(encoded.out, c.bytes) << c.name;

    const fs::path file = dir.path() / "file.bin";
    WriteFile(file, encoded.out);
    std::vector<std::string> showArgs = c.flags;
    showArgs.push_back("-");
    const TRun shown = RunProgram(dir.path(), RUZCAT_PROGRAM, showArgs, file);
    ASSERT_EQ(shown.exitCode, 0) << c.name << ": " << shown.err;
    EXPECT_EQ(shown.out, c.shown) << c.name;
  }
  EXPECT_NE(cases[1].shown, expectedText)
      << "a leading 182 cannot be read back from a hand-off file";
}

TEST(Ruzcat, Mistakes) {
  TempDir dir;
  const struct {
    std::vector<std::string> args;
    int exitCode;
    std::string error;
  } cases[] = {
      {{(dir.path() / "missing.ruz").string()},
       1,
       "ruzcat: cannot read " + (dir.path() / "missing.ruz").string() +
           ": The system cannot find the file specified\n"},
      {{"--decode"}, 2, "ruzcat: unexpected argument --decode\n"},
      {{"one.ruz", "two.ruz"}, 2, "ruzcat: unexpected argument two.ruz\n"},
  };
  for (const auto& c : cases) {
    const TRun run = RunProgram(dir.path(), RUZCAT_PROGRAM, c.args);
    EXPECT_EQ(run.exitCode, c.exitCode) << c.args.back();
    EXPECT_TRUE(run.err.starts_with(c.error)) << run.err << " instead of " << c.error;
    EXPECT_TRUE(run.out.empty()) << c.args.back();
  }
}
