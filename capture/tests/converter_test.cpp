// The converter program end to end: sample jobs on its standard input, the
// capture file it writes, the follow-up program it starts and the lines it
// leaves on standard error.
#include <pwd.h>
#include <signal.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <optional>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "capture/printer_config.h"
#include "capture/tests/converter_harness.h"
#include "platform/text.h"
#include "tests/support/recorder/record.h"
#include "tests/support/temp_prefix.h"
#include "tools/jobgen/job_generator.h"

namespace fs = std::filesystem;
using namespace converter_testing;
using testing_support::TempPrefix;
using testing_support::TRecorderRecord;
using testing_support::TScopedVariable;

namespace {

std::string OwnUserName() {
  const passwd* user = ::getpwuid(::geteuid());
  return user != nullptr ? user->pw_name : "";
}

// A fresh machine named PC7 whose console session belongs to the user the
// tests run as, with the follow-up record in the prefix.
struct TMachine {
  TMachine() {
    SetComputerName("PC7");
    SetSessions({{"0", OwnUserName()}});
  }

  // The follow-up program's record, once every program it started has ended.
  std::optional<TRecorderRecord> FollowUp() {
    orphans.WaitForOrphans();
    TRecorderRecord record;
    if (!testing_support::ReadRecorderRecord(recordFile, record)) return std::nullopt;
    return record;
  }

  TempPrefix prefix;
  fs::path recordFile = prefix.root() / "follow-up.record";
  TScopedVariable recorderOut{"ARGV_RECORDER_OUT", recordFile.string()};
  TOrphans orphans;
};

std::string CheckRun(std::int32_t pages = 3) {
  jobgen::TJobOptions options;
  options.FAccounts = {"A100", "B200", "A100"};
  options.FPages = pages;
  return jobgen::GenerateJob(options).FText;
}

TConverterResult Convert(const std::string& job, std::vector<std::string> args = {},
                         fs::path workingDirectory = {}) {
  TConverterStart start;
  start.FInput = job;
  start.FArgs = std::move(args);
  start.FWorkingDirectory = std::move(workingDirectory);
  TConverterResult result = RunConverter(start);
  EXPECT_EQ(result.FExitCode, 0) << result.FStderr;
  return result;
}

std::string Capitalised(const std::string& name) {
  return win::UpperCase(win::Copy(name, 1, 1)) + std::string(win::Copy(name, 2, name.size()));
}

std::string Box(const std::string& text) { return kStderrPrefix + text + "\n"; }

// The only capture file in `folder`, checked against the expected rows.
void ExpectCaptureFile(const fs::path& folder, const std::vector<std::string>& rows,
                       const std::string& where) {
  const std::vector<fs::path> files = CaptureFilesIn(folder);
  ASSERT_EQ(files.size(), 1u) << where << ": in " << folder;
  EXPECT_TRUE(std::regex_match(files[0].filename().string(),
                               std::regex(R"(TL-PC7-\d{5,8}-\d{4,9}-\d{1,5}\.ruz)")))
      << where << ": " << files[0];
  EXPECT_EQ(testing_support::ReadFile(files[0]), EncodedFile(rows)) << where;
}

}  // namespace

TEST(Converter, WritesTheEncodedRowsIntoFilePath) {
  const struct {
    std::optional<std::string> filePath;  // nothing: no value; the key is missing
    const char* expectedFolder;           // below drive C:, the run starting in C:\Work
  } cases[] = {
      {"C:\\Capture", "Capture"},
      {"C:\\Capture\\", "Capture"},
      {"c:\\CAPTURE", "CAPTURE"},
      // An empty value becomes "\", the root of the current drive.
      {"", ""},
      // Without the key the file goes to the current folder.
      {std::nullopt, "Work"},
  };
  const std::string job = CheckRun();
  const std::vector<std::string> rows = ExtractRows(job, 70);
  ASSERT_EQ(rows.size(), 3u * 70);
  for (const auto& c : cases) {
    const std::string where = c.filePath ? "FilePath \"" + *c.filePath + "\"" : "no key";
    TMachine machine;
    fs::create_directory(machine.prefix.driveC() / "Work");
    if (c.filePath) WritePrinterString("FilePath", *c.filePath);
    const TConverterResult result = Convert(job, {}, machine.prefix.driveC() / "Work");
    EXPECT_EQ(result.FStderr, "") << where;
    ExpectCaptureFile(machine.prefix.driveC() / c.expectedFolder, rows, where);
  }
}

TEST(Converter, PagesHaveSeventyRowsWithoutExpandTo) {
  TMachine machine;
  WritePrinterString("FilePath", "C:\\Capture");
  const std::string job =
      "%!PS-Adobe-3.0\n"
      "%%Title: Test\n"
      "/F0S100 F0 [100 0 0 -100 0 0 ] mFS\n"
      "F0S100 sf\n"
      "300 1003 M (HELLO) s\n"
      "851 2005 M (WORLD) s\n"
      "%%SowPage\n"
      "%%EOF\n";
  std::vector<std::string> rows(70, std::string(110, ' '));
  rows[10].replace(0, 5, "HELLO");
  rows[20].replace(9, 5, "WORLD");
  EXPECT_EQ(Convert(job).FStderr, "");
  ExpectCaptureFile(machine.prefix.driveC() / "Capture", rows, "one page");
}

TEST(Converter, LineEndsAndTheEndOfInput) {
  const std::string job = CheckRun(2);
  const std::vector<std::string> both = ExtractRows(job, 70);
  const std::vector<std::string> first(both.begin(), both.begin() + 70);
  const std::size_t firstPageEnd = job.find("%%SowPage");
  // A text-drawing line in the middle of the second page.
  const std::size_t inSecondPage = job.find(" M (", firstPageEnd) + 2;
  std::string crlf;
  for (const char c : job) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);

  const struct {
    const char* what;
    std::string input;
    const std::vector<std::string>& rows;
  } cases[] = {
      {"line feeds", job, both},
      {"carriage returns and line feeds", crlf, both},
      {"no line feed after the last line", job.substr(0, job.size() - 1), both},
      {"a whole page after the end of the job", job + CheckRun(1), both},
      {"a byte 26 in the second page",
       job.substr(0, inSecondPage) + "\x1A" + job.substr(inSecondPage), first},
  };
  for (const auto& c : cases) {
    TMachine machine;
    WritePrinterString("FilePath", "C:\\Capture");
    EXPECT_EQ(Convert(c.input).FStderr, "") << c.what;
    ExpectCaptureFile(machine.prefix.driveC() / "Capture", c.rows, c.what);
  }
}

TEST(Converter, NoCompletedPageMeansNoFileNoFollowUpAndNoMessage) {
  const std::string job = CheckRun(1);
  std::string withoutPageEnds = job;
  for (std::size_t at; (at = withoutPageEnds.find("%%SowPage")) != std::string::npos;) {
    withoutPageEnds.replace(at, 9, "%%NoPage");
  }
  const struct {
    const char* what;
    std::string input;
  } cases[] = {
      {"empty input", ""},
      {"pages that never end", withoutPageEnds},
      {"the end of the job first", "%%EOF\n" + job},
      {"a byte 26 first", "\x1A" + job},
  };
  for (const auto& c : cases) {
    TMachine machine;
    WritePrinterString("FilePath", "C:\\Capture");
    WritePrinterString("Chain", RecorderChain());
    EXPECT_EQ(Convert(c.input).FStderr, "") << c.what;
    EXPECT_EQ(CaptureFilesIn(machine.prefix.driveC() / "Capture").size(), 0u) << c.what;
    EXPECT_FALSE(machine.FollowUp()) << c.what;
  }
}

TEST(Converter, FollowUpGetsTheQuotedChainAndFileAndIsNotWaitedFor) {
  TMachine machine;
  WritePrinterString("FilePath", "C:\\Capture");
  WritePrinterString("Chain", RecorderChain());
  TGate gate(machine.prefix.root() / "gate");
  const TScopedVariable waitFifo("ARGV_RECORDER_WAIT_FIFO", gate.Path().string());

  EXPECT_EQ(Convert(CheckRun()).FStderr, "");
  // The converter has ended while its follow-up program still waits.
  EXPECT_FALSE(fs::exists(machine.recordFile));
  gate.Release();

  const std::optional<TRecorderRecord> followUp = machine.FollowUp();
  ASSERT_TRUE(followUp);
  const std::vector<fs::path> files = CaptureFilesIn(machine.prefix.driveC() / "Capture");
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(followUp->Argv, (std::vector<std::string>{
                                RecorderChain(), "C:\\Capture\\" + files[0].filename().string()}));
  EXPECT_EQ(fs::path((*followUp)["cwd"]), fs::canonical(machine.prefix.driveC()));
  EXPECT_EQ((*followUp)["uid"], std::to_string(::geteuid()));
}

TEST(Converter, ChainTextIsUsedUnchanged) {
  const struct {
    const char* what;
    std::string chain;
    std::vector<std::string> argsBeforeFile;  // after the program
  } cases[] = {
      {"arguments inside the quotation marks",
       RecorderChain() + "\" --first \"second word",
       {"--first", "second word"}},
      // Its own quotation marks stay, doubled up, and only group.
      {"a chain already in quotation marks", "\"" + RecorderChain() + "\"", {}},
  };
  for (const auto& c : cases) {
    TMachine machine;
    WritePrinterString("Chain", c.chain);
    EXPECT_EQ(Convert(CheckRun(1)).FStderr, "") << c.what;
    const std::optional<TRecorderRecord> followUp = machine.FollowUp();
    ASSERT_TRUE(followUp) << c.what;
    const std::vector<fs::path> files = CaptureFilesIn(machine.prefix.driveC());
    ASSERT_EQ(files.size(), 1u) << c.what;
    std::vector<std::string> expected{RecorderChain()};
    expected.insert(expected.end(), c.argsBeforeFile.begin(), c.argsBeforeFile.end());
    // The key holds no FilePath: the file is in the root of the current drive.
    expected.push_back("\\" + files[0].filename().string());
    EXPECT_EQ(followUp->Argv, expected) << c.what;
  }
}

TEST(Converter, MissingFollowUpProgramGoesUnreported) {
  TMachine machine;
  WritePrinterString("FilePath", "C:\\Capture");
  WritePrinterString("Chain", "C:\\Apps\\Missing.exe");
  EXPECT_EQ(Convert(CheckRun(1)).FStderr, "");
  EXPECT_EQ(CaptureFilesIn(machine.prefix.driveC() / "Capture").size(), 1u);
}

TEST(Converter, UnwritableFilePathStillStartsTheFollowUpWithTheMissingFile) {
  const struct {
    const char* filePath;
    const char* why;
  } cases[] = {
      {"C:\\No\\Such", "only the last level is created"},
      {"Q:\\Capture", "the drive does not exist"},
      {"C:\\Plain.txt", "a file stands there"},
  };
  for (const auto& c : cases) {
    TMachine machine;
    testing_support::WriteFile(machine.prefix.driveC() / "Plain.txt", "x");
    WritePrinterString("FilePath", c.filePath);
    WritePrinterString("Chain", RecorderChain());
    EXPECT_EQ(Convert(CheckRun(1)).FStderr, Box("1 - SaveToFile failed")) << c.why;
    const std::optional<TRecorderRecord> followUp = machine.FollowUp();
    ASSERT_TRUE(followUp) << c.why;
    ASSERT_EQ(followUp->Argv.size(), 2u) << c.why;
    const std::string folder = std::string(c.filePath) + "\\";
    EXPECT_TRUE(followUp->Argv[1].starts_with(folder + "TL-PC7-")) << followUp->Argv[1];
    for (const auto& entry : fs::recursive_directory_iterator(machine.prefix.root())) {
      EXPECT_NE(entry.path().extension(), ".ruz") << c.why << ": " << entry.path();
    }
  }
}

TEST(Converter, SessionOfTheCommandLineOnlyOnATerminalServer) {
  const std::string me = OwnUserName();
  const std::vector<std::string> ts{"Terminal Server"};
  // The user's name in another case is listed first, and nobody is on the
  // console.
  const TSessions consoleEmpty{{"0", ""}, {"1", Capitalised(me)}, {"2", me}};
  const std::string noToken = Box("Failed to find user token: Error Code [1008]");
  const struct {
    const char* what;
    const char* type;
    std::vector<std::string> suite;
    TSessions sessions;
    std::vector<std::string> args;
    bool written;
  } cases[] = {
      // clang-format off
      {"terminal server, the user's session", "ServerNT", ts, consoleEmpty, {me}, true},
      {"terminal server, name in other case", "ServerNT", ts, consoleEmpty, {win::UpperCase(me)}, false},
      {"terminal server, trailing blank", "ServerNT", ts, consoleEmpty, {me + " "}, false},
      {"terminal server, no command line: a session nobody is on",
       "ServerNT", ts, {{"0", me}, {"4", ""}}, {}, false},
      {"terminal server, no command line, console taken", "ServerNT", ts, {{"0", me}}, {}, true},
      {"server without terminal services", "ServerNT", {}, consoleEmpty, {me}, false},
      {"domain controller", "LanmanNT", ts, consoleEmpty, {me}, false},
      {"workstation", "WinNT", ts, consoleEmpty, {me}, false},
      {"workstation, command line not read", "WinNT", {}, {{"0", me}}, {"nobody-here"}, true},
      {"no session 0 at all", "WinNT", {}, {{"1", me}}, {me}, false},
      // clang-format on
  };
  for (const auto& c : cases) {
    TMachine machine;
    SetProduct(c.type, c.suite);
    SetSessions(c.sessions);
    WritePrinterString("Chain", RecorderChain());
    const TConverterResult result = Convert(CheckRun(1), c.args);
    EXPECT_EQ(result.FStderr, c.written ? "" : noToken) << c.what;
    EXPECT_EQ(CaptureFilesIn(machine.prefix.driveC()).size(), c.written ? 1u : 0u) << c.what;
    EXPECT_EQ(machine.FollowUp().has_value(), c.written) << c.what;
  }
}

TEST(Converter, SettingsOfTheWrongTypeTakeTheirDefaults) {
  const struct {
    const char* what;
    void (*configure)();
    const char* warning;
    const char* folder;  // below drive C:
  } cases[] = {
      {"FilePath a number", [] { WritePrinterInteger("FilePath", 5); },
       "WARNING: the printer setting FilePath is not a text; its default is used\n", ""},
      {"ExpandTo a text",
       [] {
         WritePrinterString("FilePath", "C:\\Capture");
         WritePrinterString("ExpandTo", "42");
       },
       "WARNING: the printer setting ExpandTo is not an integer; its default is used\n", "Capture"},
      {"ExpandTo 0",
       [] {
         WritePrinterString("FilePath", "C:\\Capture");
         WritePrinterInteger("ExpandTo", 0);
       },
       "WARNING: the printer setting ExpandTo is 0, but a page needs at least one row; 70 rows "
       "are used\n",
       "Capture"},
      {"ExpandTo negative",
       [] {
         WritePrinterString("FilePath", "C:\\Capture");
         WritePrinterInteger("ExpandTo", -3);
       },
       "WARNING: the printer setting ExpandTo is -3, but a page needs at least one row; 70 "
       "rows are used\n",
       "Capture"},
  };
  const std::string job = CheckRun();
  for (const auto& c : cases) {
    TMachine machine;
    c.configure();
    EXPECT_EQ(Convert(job).FStderr, c.warning) << c.what;
    ExpectCaptureFile(machine.prefix.driveC() / c.folder, ExtractRows(job, 70), c.what);
  }

  TMachine machine;
  WritePrinterInteger("Chain", 1);
  EXPECT_EQ(Convert(job).FStderr,
            "WARNING: the printer setting Chain is not a text; its default is used\n");
  EXPECT_EQ(CaptureFilesIn(machine.prefix.driveC()).size(), 1u);
  EXPECT_FALSE(machine.FollowUp());
}

TEST(Converter, StringsBelowTooFewRowsAreDroppedAndReported) {
  TMachine machine;
  WritePrinterString("FilePath", "C:\\Capture");
  WritePrinterInteger("ExpandTo", 30);
  // Laid out for 70 rows: the account line and the stub fall below row 30.
  jobgen::TJobOptions options;
  options.FAccounts = {"A100", "B200"};
  options.FAccountLine = 60;
  const std::string job = jobgen::GenerateJob(options).FText;

  const TConverterResult result = Convert(job);
  std::vector<capture::TDroppedStrings> dropped;
  const std::vector<std::string> rows = ExtractRows(job, 30, &dropped);
  ASSERT_EQ(rows.size(), 2u * 30);
  ExpectCaptureFile(machine.prefix.driveC() / "Capture", rows, "30 rows");
  ASSERT_EQ(dropped.size(), 2u);
  std::string report;
  for (const capture::TDroppedStrings& page : dropped) {
    EXPECT_GT(page.FCount, 0);
    report += "ERROR: page " + std::to_string(page.FPage) + " lost " + std::to_string(page.FCount) +
              " string(s) placed outside its 30 rows (ExpandTo)\n";
  }
  EXPECT_EQ(result.FStderr, report);
}

TEST(Converter, ExpandToAboveWhatAPageHoldsIsCutToTheLimit) {
  TMachine machine;
  WritePrinterString("FilePath", "C:\\Capture");
  WritePrinterInteger("ExpandTo", 50000000);
  const std::string job = CheckRun(1);
  EXPECT_EQ(Convert(job).FStderr,
            "WARNING: the printer setting ExpandTo is 50000000, but a page holds at most 1000 "
            "rows; 1000 rows are used\n");
  const std::vector<std::string> rows = ExtractRows(job, capture::kMaxRowCount);
  ASSERT_EQ(rows.size(), 1000u);
  ExpectCaptureFile(machine.prefix.driveC() / "Capture", rows, "ExpandTo 50000000");
}

TEST(Converter, AComputerNameWithSeparatorsStaysInFilePath) {
  TMachine machine;
  SetComputerName("\\..\\..\\E\\X");
  WritePrinterString("FilePath", "C:\\Capture\\Jobs\\");
  fs::create_directories(machine.prefix.driveC() / "Capture" / "Jobs");
  const std::string job = CheckRun(1);
  EXPECT_EQ(Convert(job).FStderr, "");
  std::vector<fs::path> written;
  for (const auto& entry : fs::recursive_directory_iterator(machine.prefix.root())) {
    if (entry.path().extension() == ".ruz") written.push_back(entry.path());
  }
  ASSERT_EQ(written.size(), 1u);
  EXPECT_EQ(written[0].parent_path(), machine.prefix.driveC() / "Capture" / "Jobs");
  EXPECT_TRUE(written[0].filename().string().starts_with("TL-_.._.._E_X-")) << written[0];
  EXPECT_EQ(testing_support::ReadFile(written[0]), EncodedFile(ExtractRows(job, 70)));
}

TEST(Converter, TheFollowUpHoldsNoneOfTheConvertersDescriptors) {
  // The converter runs with the job on a file as standard input and its
  // standard error on another; the follow-up has /dev/null for all three
  // and nothing else open.
  TMachine machine;
  WritePrinterString("Chain", RecorderChain());
  EXPECT_EQ(Convert(CheckRun(1)).FStderr, "");
  const std::optional<TRecorderRecord> followUp = machine.FollowUp();
  ASSERT_TRUE(followUp);
  EXPECT_EQ((*followUp)["fds"], "");
  for (const char* fd : {"fd0", "fd1", "fd2"}) EXPECT_EQ((*followUp)[fd], "/dev/null") << fd;
}

TEST(Converter, AKilledConversionLeavesNoFileOrTheWholeFileAndNothingElse) {
  TMachine machine;
  WritePrinterString("FilePath", "C:\\Capture");
  WritePrinterInteger("ExpandTo", capture::kMaxRowCount);
  const fs::path folder = machine.prefix.driveC() / "Capture";
  fs::create_directory(folder);
  // Some 13 MB, so that the write takes a while.
  const std::string job = CheckRun(120);
  const std::string whole = EncodedFile(ExtractRows(job, capture::kMaxRowCount));

  std::mt19937 random(20240305);
  int complete = 0;
  constexpr int kKills = 25;
  for (int attempt = 0; attempt < kKills; ++attempt) {
    // The kill comes at a random moment after the converter has begun to
    // write its file (it holds a file in the folder open).
    const auto delay =
        std::chrono::microseconds(std::uniform_int_distribution<int>(0, 30000)(random));
    TConverterStart start;
    start.FInput = job;
    start.FWhileRunning = [&](pid_t pid) {
      while (!HoldsFileIn(pid, folder) && !HasEnded(pid)) {
      }
      const auto killAt = std::chrono::steady_clock::now() + delay;
      while (std::chrono::steady_clock::now() < killAt && !HasEnded(pid)) {
      }
      ::kill(pid, SIGKILL);
    };
    RunConverter(start);
    std::vector<fs::path> entries;
    for (const auto& entry : fs::directory_iterator(folder)) entries.push_back(entry.path());
    ASSERT_LE(entries.size(), 1u) << "killed " << delay.count() << " us into the write";
    if (entries.empty()) continue;
    EXPECT_TRUE(entries[0].filename().string().starts_with("TL-PC7-")) << entries[0];
    EXPECT_TRUE(testing_support::ReadFile(entries[0]) == whole)
        << entries[0] << " killed " << delay.count() << " us into the write";
    ++complete;
    fs::remove(entries[0]);
  }
  std::cout << kKills << " kills during the write left " << complete
            << " complete files, no part of one and nothing else\n";
}
