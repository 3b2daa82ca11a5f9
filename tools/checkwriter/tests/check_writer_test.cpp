#include "tools/checkwriter/check_writer.h"

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "capturefile/capture_codec.h"
#include "tests/support/temp_prefix.h"

namespace {

namespace fs = std::filesystem;
using testing_support::ReadFile;
using testing_support::WriteFile;
using Lines = std::vector<std::string>;

std::string Plain(const Lines& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

// A product folder C:\VEZ that prints pages of two lines, and the job's
// files under C:\Jobs.
class CheckWriterTest : public ::testing::Test {
 protected:
  CheckWriterTest() { Write("C:\\VEZ\\VEZ7.INI", "[Printing]\r\nPageLines=2\r\n"); }

  fs::path Host(const std::string& windowsPath) const { return FPrefix.OnDriveC(windowsPath); }
  void Write(const std::string& windowsPath, const std::string& data) const {
    WriteFile(Host(windowsPath), data);
  }
  std::string Printed(const std::string& name) const {
    return ReadFile(Host("C:\\VEZ\\printed\\" + name));
  }
  int Run(const std::vector<std::string>& arguments) {
    FErrors.str("");
    return checkwriter::RunStandIn(arguments, Host("C:\\VEZ"), FErrors);
  }

  testing_support::TempPrefix FPrefix;
  std::ostringstream FErrors;
};

TEST_F(CheckWriterTest, QueueJobPrintsEveryAccountFromPlainAndEncipheredFiles) {
  Write("C:\\Jobs\\x000.DAT", Plain({"A100 p1", "l2", "A100 p2"}));
  Write("C:\\Jobs\\x001.DAT", capturefile::EncodeHandOffFile({"B200 p1", "l2"}));
  Write("C:\\Jobs\\x002.DAT", capturefile::EncodeHandOffFile({"A100 p3", "l2"}));
  Write("C:\\Jobs\\tl-x.QUE",
        "[Options]\r\nKeepFileOnClose=1\r\nAction=AP\r\n"
        "[Accounts Used]\r\nAccount 1:=A100\r\nAccount 2:=B200\r\n"
        "[Account:A100]\r\nFile 1:=C:\\Jobs\\x000.DAT\r\nFile 2:=C:\\Jobs\\x002.DAT\r\n"
        "[Account:B200]\r\nFile 1:=C:\\Jobs\\x001.DAT\r\n");

  ASSERT_EQ(Run({"-Q", "C:\\Jobs\\tl-x.QUE"}), 0) << FErrors.str();
  EXPECT_EQ(FErrors.str(), "");
  // A file's last page may be short; the next file starts a new page.
  EXPECT_EQ(Printed("A100.txt"), "A100 p1\nl2\n\fA100 p2\n\fA100 p3\nl2\n");
  EXPECT_EQ(Printed("B200.txt"), "B200 p1\nl2\n");
  EXPECT_EQ(Printed("summary.txt"), "A100: 3 pages\nB200: 1 page\n");
}

TEST_F(CheckWriterTest, HandOffJobsPrintAsOneBatchOfTheirKind) {
  struct Case {
    const char* kind;
    const char* name;
  };
  for (const Case& c : {Case{"2", "PR"}, Case{"3", "OT"}}) {
    Write("C:\\VEZ\\DMKPRDD.PRN", capturefile::EncodeHandOffFile({"one", "two", "three"}));
    ASSERT_EQ(Run({"-A", c.kind, "C:\\VEZ\\DMKPRDD.PRN"}), 0) << c.kind << ": " << FErrors.str();
    EXPECT_EQ(Printed(std::string(c.name) + ".txt"), "one\ntwo\n\fthree\n") << c.kind;
    EXPECT_EQ(Printed("summary.txt"), std::string(c.name) + ": 2 pages\n") << c.kind;
  }
  EXPECT_FALSE(fs::exists(Host("C:\\VEZ\\printed\\PR.txt"))) << "each job replaces the last";
}

TEST_F(CheckWriterTest, AccountIdsCannotNameFilesOutsideThePrintedFolder) {
  Write("C:\\Jobs\\x000.DAT", Plain({"p"}));
  Write("C:\\Jobs\\q.QUE",
        "[Options]\r\nAction=AP\r\n[Accounts Used]\r\nAccount 1:=../A 1%\r\n"
        "[Account:../A 1%]\r\nFile 1:=C:\\Jobs\\x000.DAT\r\n");
  ASSERT_EQ(Run({"-Q", "C:\\Jobs\\q.QUE"}), 0) << FErrors.str();
  EXPECT_EQ(Printed("%2E%2E%2FA%201%25.txt"), "p\n");
  EXPECT_EQ(Printed("summary.txt"), "../A 1%: 1 page\n");
}

TEST_F(CheckWriterTest, MalformedInputIsOneLineOnStderrAndLeavesTheLastJobAlone) {
  Write("C:\\Jobs\\good.DAT", Plain({"p"}));
  Write("C:\\Jobs\\garbage.DAT", std::string("\x01\x02\x03\x04\x05\x06\x07\x08", 8));
  const std::string options = "[Options]\r\nAction=AP\r\n";
  struct Case {
    std::vector<std::string> arguments;
    std::string queue;  // written to C:\Jobs\q.QUE when not empty
    std::string message;
  };
  const std::string usage =
      "usage: VEZ7.EXE -Q \"queue file\" | -A 2 \"hand-off file\" | -A 3 \"hand-off file\"";
  const Case cases[] = {
      {{}, "", usage},
      {{"-Q"}, "", usage},
      {{"-A", "4", "C:\\VEZ\\DMKPRDD.PRN"}, "", usage},
      {{"-A", "2"}, "", usage},
      {{"-Q", "C:\\Jobs\\q.QUE", "extra"}, "", usage},
      {{"-Q", "C:\\Jobs\\none.QUE"}, "", "cannot open queue file C:\\Jobs\\none.QUE"},
      {{"-Q", "C:\\Jobs\\q.QUE"},
       "[Options]\r\nAction=PR\r\n",
       "queue file C:\\Jobs\\q.QUE is not for an AP job"},
      {{"-Q", "C:\\Jobs\\q.QUE"}, options, "queue file C:\\Jobs\\q.QUE lists no accounts"},
      {{"-Q", "C:\\Jobs\\q.QUE"},
       options + "[Accounts Used]\r\nAccount 1:=A100\r\n",
       "queue file C:\\Jobs\\q.QUE lists no files for account A100"},
      {{"-Q", "C:\\Jobs\\q.QUE"},
       options + "[Accounts Used]\r\nAccount 1:=A100\r\nAccount 2:=A100\r\n"
                 "[Account:A100]\r\nFile 1:=C:\\Jobs\\good.DAT\r\n",
       "queue file C:\\Jobs\\q.QUE lists account A100 twice"},
      {{"-Q", "C:\\Jobs\\q.QUE"},
       options + "[Accounts Used]\r\nAccount 1:=A100\r\nAccount 2:=B200\r\n"
                 "[Account:A100]\r\nFile 1:=C:\\Jobs\\good.DAT\r\n"
                 "[Account:B200]\r\nFile 1:=C:\\Jobs\\gone.DAT\r\n",
       "cannot read C:\\Jobs\\gone.DAT: "},
      {{"-A", "2", "C:\\Jobs\\garbage.DAT"}, "", "C:\\Jobs\\garbage.DAT holds no text to print"},
  };
  Write("C:\\VEZ\\DMKPRDD.PRN", Plain({"last job"}));
  ASSERT_EQ(Run({"-A", "2", "C:\\VEZ\\DMKPRDD.PRN"}), 0);
  for (const Case& c : cases) {
    std::string shown;
    for (const std::string& argument : c.arguments) shown += " " + argument;
    if (!c.queue.empty()) Write("C:\\Jobs\\q.QUE", c.queue);
    EXPECT_EQ(Run(c.arguments), 1) << shown;
    const std::string errors = FErrors.str();
    EXPECT_EQ(errors.rfind("VEZ7.EXE: " + c.message, 0), 0u) << shown << "\n" << errors;
    EXPECT_EQ(errors.find('\n'), errors.size() - 1) << shown << ": one line";
    EXPECT_EQ(Printed("PR.txt"), "last job\n") << shown;
    EXPECT_EQ(Printed("summary.txt"), "PR: 1 page\n") << shown;
    std::vector<std::string> entries;
    for (const auto& entry : fs::directory_iterator(Host("C:\\VEZ"))) {
      entries.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(entries.size(), 3u) << shown << ": nothing staged stays behind";
  }
}

}  // namespace
