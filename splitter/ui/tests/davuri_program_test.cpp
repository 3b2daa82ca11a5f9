// The DAVURI program itself, started as a child process without a display
// on a fresh machine: a capture file on its command line is split, checked
// against the test database, handed to the stand-in "VEZ7.EXE" and cleaned
// up without a click, and the program ends; with the database down it shows
// its one message and processes nothing.
#include <filesystem>
#include <string>
#include <vector>

#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

#include "platform/prefix.h"
#include "tests/support/captured_job.h"
#include "tests/support/refusing_port.h"
#include "tests/support/temp_prefix.h"
#include "tests/support/test_database.h"
#include "tools/jobgen/job_generator.h"

namespace splitter {
namespace {

constexpr int kRows = 70;
using TCapture = testing_support::TCapturedJob;
const std::string kCaptureFile = "C:\\Jobs\\TL-PC7-202435-97432-811.ruz";

// A generated check run for `accounts`, one page each, as the converter captures it.
TCapture Capture(const std::vector<std::string>& accounts) {
  jobgen::TJobOptions options;
  options.FAccounts = accounts;
  options.FAccountLine = 2;
  options.FRowCount = kRows;
  return testing_support::CaptureJob(jobgen::GenerateJob(options), kRows);
}

std::string PrintedPages(const std::vector<std::string>& rows, const std::vector<int>& pages) {
  return testing_support::PrintedPages(rows, pages, kRows);
}

struct TRun {
  int ExitCode = -1;
  std::string Errors;              // stderr
  std::vector<std::string> Boxes;  // its lines that are message boxes
};

class DavuriProgram : public ::testing::Test {
 protected:
  DavuriProgram() {
    Install("C:\\Apps\\DAVURI.EXE", DAVURI_PROGRAM);
    Install("C:\\VEZ\\VEZ7.EXE", CHECKWRITER_PROGRAM);
    Write("C:\\VEZ\\VEZ7.INI", "[Printing]\r\nPageLines=70\r\n");
    Write("C:\\Apps\\RUN.INI",
          "[Configuration]\r\nDurEDOPath=C:\\VEZ\r\nNumLines=70\r\nAction=AP\r\n"
          "Account:Line=2\r\nAccount:Col=1\r\nAccount:Width=8\r\nHandleBadAcct=continue\r\n"
          "[OrigFile]\r\nDeleteOrigFiles=1\r\nNumberOfDays=0\r\n");
    testing_support::WriteFile(win::HivePath(),
                               "Windows Registry Editor Version 5.00\r\n\r\n"
                               "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Zerurud\\Ruvuduzer]\r\n"
                               "\"Directory\"=\"C:\\\\VEZ\"\r\n"
                               "\"Host\"=\"127.0.0.1\"\r\n");
  }

  std::filesystem::path Host(const std::string& path) const { return prefix_.OnDriveC(path); }
  void Write(const std::string& path, const std::string& data) const {
    testing_support::WriteFile(Host(path), data);
  }
  std::string Read(const std::string& path) const { return testing_support::ReadFile(Host(path)); }
  bool Exists(const std::string& path) const { return std::filesystem::exists(Host(path)); }
  void Install(const std::string& path, const std::filesystem::path& program) const {
    std::filesystem::create_directories(Host(path).parent_path());
    std::filesystem::copy_file(program, Host(path),
                               std::filesystem::copy_options::overwrite_existing);
  }

  // Runs C:\Apps\DAVURI.EXE with `arguments` as a script would: no display,
  // no choice of boxes, no Qt platform named.
  TRun Run(const QStringList& arguments, const QString& dbPort = {}) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "ZERURUD_DIALOGS"}) {
      environment.remove(name);
    }
    if (!dbPort.isEmpty()) environment.insert("ZERURUD_DB_PORT", dbPort);
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(QString::fromStdString(prefix_.driveC().string()));
    process.start(QString::fromStdString(Host("C:\\Apps\\DAVURI.EXE").string()), arguments);
    EXPECT_TRUE(process.waitForFinished(120000));
    TRun run;
    run.ExitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.Errors = process.readAllStandardError().toStdString();
    std::size_t start = 0;
    while (start < run.Errors.size()) {
      const std::size_t end = run.Errors.find('\n', start);
      const std::string line = run.Errors.substr(start, end - start);
      if (line.rfind("Multiple Account Processing: ", 0) == 0) run.Boxes.push_back(line);
      if (end == std::string::npos) break;
      start = end + 1;
    }
    return run;
  }

  testing_support::TempPrefix prefix_;
};

TEST_F(DavuriProgram, ACommandLineCaptureIsPrintedUnattendedAndTheProgramEnds) {
  if (!testing_support::test_database::HaveServer())
    GTEST_SKIP() << testing_support::test_database::kNoServer;
  const TCapture capture = Capture({"A100", "B200", "Z999", "A100"});
  Write(kCaptureFile, capture.Bytes);

  const TRun run = Run({QString::fromStdString(kCaptureFile), "C:\\Apps\\RUN.INI"});

  EXPECT_EQ(run.ExitCode, 0) << run.Errors;
  EXPECT_EQ(run.Boxes,
            (std::vector<std::string>{
                "Multiple Account Processing: Information: The information for account Z999 is "
                "now located in the file C:\\Jobs\\SPLIT000.BAD, and may be printed by selecting "
                "SPLITW.LOG."}))
      << run.Errors;
  EXPECT_EQ(Read("C:\\VEZ\\printed\\A100.txt"), PrintedPages(capture.Rows, {0, 3}));
  EXPECT_EQ(Read("C:\\VEZ\\printed\\B200.txt"), PrintedPages(capture.Rows, {1}));
  EXPECT_FALSE(Exists("C:\\VEZ\\printed\\Z999.txt"));
  EXPECT_EQ(Read("C:\\SPLITW.LOG"),
            "Split process aborted account log\r\n"
            "---------------------------------\r\n"
            "Account   File Name\r\n"
            "========  ======================================================================\r\n"
            "Z999       C:\\Jobs\\SPLIT000.BAD\r\n");
  // The clean-up: the processed capture and the split files are gone, the
  // rejected batch that the log names stays.
  EXPECT_FALSE(Exists(kCaptureFile));
  EXPECT_FALSE(Exists("C:\\Jobs\\TL-PC7-202435-97432-811000.DAT"));
  EXPECT_FALSE(Exists("C:\\Jobs\\TL-PC7-202435-97432-811001.DAT"));
  EXPECT_TRUE(Exists("C:\\Jobs\\SPLIT000.BAD"));
}

TEST_F(DavuriProgram, WithTheDatabaseDownOneMessageAndNothingIsProcessed) {
  const TCapture capture = Capture({"A100"});
  Write(kCaptureFile, capture.Bytes);
  testing_support::TRefusingPort refusing;

  const TRun run = Run({QString::fromStdString(kCaptureFile), "C:\\Apps\\RUN.INI"},
                       QString::number(refusing.Port()));

  EXPECT_EQ(run.ExitCode, 0) << run.Errors;
  ASSERT_EQ(run.Boxes.size(), 1u) << run.Errors;
  EXPECT_EQ(run.Boxes[0].rfind("Multiple Account Processing: Information: Database Connection "
                               "Error [",
                               0),
            0u)
      << run.Boxes[0];
  EXPECT_EQ(run.Boxes[0].back(), ']');
  EXPECT_EQ(Read(kCaptureFile), capture.Bytes) << "not processed";
  EXPECT_FALSE(Exists("C:\\Jobs\\TL-PC7-202435-97432-811000.DAT"));
  EXPECT_FALSE(Exists("C:\\VEZ\\printed"));
}

TEST_F(DavuriProgram, AProductFolderNobodyCanBrowseToEndsTheProgramWithItsMessage) {
  testing_support::WriteFile(win::HivePath(), "Windows Registry Editor Version 5.00\r\n");
  Write("C:\\Apps\\RUN.INI", "[Configuration]\r\nDurEDOPath=C:\\Missing\r\n");

  const TRun run = Run({".", "C:\\Apps\\RUN.INI"});

  EXPECT_EQ(run.ExitCode, 1) << run.Errors;
  ASSERT_FALSE(run.Boxes.empty()) << run.Errors;
  EXPECT_NE(run.Boxes.back().find("Please Browse to Vez Location"), std::string::npos)
      << run.Boxes.back();
}

}  // namespace
}  // namespace splitter
