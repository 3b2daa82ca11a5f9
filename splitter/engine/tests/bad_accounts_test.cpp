#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/error.h"
#include "splitter/engine/bad_account_log.h"
#include "splitter/engine/settings.h"
#include "splitter/engine/tests/engine_fixture.h"
#include "tests/support/expect_raises.h"
#include "tests/support/fault_env.h"

namespace splitter {

using testing_support::ExpectRaises;

namespace {

const std::string kHeader =
    "Split process aborted account log\r\n"
    "---------------------------------\r\n"
    "Account   File Name\r\n"
    "========  ======================================================================\r\n";

TEST(BadAccountEntries, RoundTrip) {
  struct Case {
    std::string id;
    std::string line;
  };
  const Case cases[] = {
      {"B200", "B200       C:\\Jobs\\SPLIT000.BAD"},
      {"", "           C:\\Jobs\\SPLIT000.BAD"},
      {"ABCDEFGH", "ABCDEFGH   C:\\Jobs\\SPLIT000.BAD"},
      // Nine and ten characters come back whole; a blank still separates
      // them from the path.
      {"ABCDEFGHI", "ABCDEFGHI  C:\\Jobs\\SPLIT000.BAD"},
      {"ABCDEFGHIJ", "ABCDEFGHIJ C:\\Jobs\\SPLIT000.BAD"},
  };
  for (const Case& c : cases) {
    const std::string written = FormatBadAccountEntry(c.id, "C:\\Jobs\\SPLIT000.BAD");
    EXPECT_EQ(written, c.line + "\r\n") << "[" << c.id << "]";
    const std::optional<TBadAccountEntry> entry = ParseBadAccountEntry(c.line);
    ASSERT_TRUE(entry) << "[" << c.id << "]";
    EXPECT_EQ(entry->AccountId, c.id);
    EXPECT_EQ(entry->File, "C:\\Jobs\\SPLIT000.BAD") << "[" << c.id << "]";
  }
  // A longer ID loses its end, never the path.
  EXPECT_EQ(FormatBadAccountEntry("ABCDEFGHIJKLM", "C:\\x"), "ABCDEFGHIJ C:\\x\r\n");
}

TEST(BadAccountEntries, LinesAsEarlierLogsHoldThem) {
  struct Case {
    std::string line;
    bool entry;
    std::string id;
    std::string file;
  };
  const Case cases[] = {
      {"A100       C:\\Jobs\\SPLIT001.BAD", true, "A100", "C:\\Jobs\\SPLIT001.BAD"},
      // Blanks and control characters around either part are trimmed.
      {"\tA100\t    C:\\Jobs\\x.BAD \t", true, "A100", "C:\\Jobs\\x.BAD"},
      {"A100      ", false, "", ""},  // 10 characters: skipped
      {"A100       ", true, "A100", ""},
      {"", false, "", ""},
      // The path column takes 255 characters.
      {"A100      " + std::string(300, 'p'), true, "A100", std::string(255, 'p')},
  };
  for (const Case& c : cases) {
    const std::optional<TBadAccountEntry> entry = ParseBadAccountEntry(c.line);
    ASSERT_EQ(entry.has_value(), c.entry) << "[" << c.line << "]";
    if (!entry) continue;
    EXPECT_EQ(entry->AccountId, c.id) << "[" << c.line << "]";
    EXPECT_EQ(entry->File, c.file) << "[" << c.line << "]";
  }
}

TEST(BadAccountEntries, HeaderRecognition) {
  struct Case {
    std::string text;
    bool log;
  };
  const Case cases[] = {
      {kHeader, true},
      {kHeader + "A100       C:\\x\r\n", true},
      {kHeader.substr(0, kHeader.size() - 2), true},  // no line end after line 4
      {"Split process aborted account log\n---------------------------------\nAccount   File "
       "Name\n========  ======================================================================\n",
       true},
      {"split process aborted account log\r\n" + kHeader.substr(35), false},
      {"Split process aborted account log\r\n---------------------------------\r\n"
       "Account   File Name\r\n",
       false},
      {"Split process aborted account log \r\n" + kHeader.substr(35), false},
      {kHeader.substr(0, kHeader.size() - 2) + "=\r\n", false},
      {"", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(StartsWithBadAccountLogHeader(c.text), c.log) << "[" << c.text << "]";
  }
}

class BadAccounts : public EngineTest {
 protected:
  BadAccounts() {
    FForm.BadIDFileName = kDefaultBadIDFileName;
    FForm.BadAcctFile = kDefaultBadAcctFile;
    FForm.TempFile = kDefaultTempFile;
  }

  void AddSplitFile(const std::string& file, const std::string& account, std::intptr_t mark = 0) {
    WriteFile(file, "pages of " + account);
    FWrittenFiles.AddObject(file, mark);
    FWrittenAccounts.AddObject(account, mark);
  }
  bool Exists(const std::string& windowsPath) const {
    return std::filesystem::exists(HostPath(windowsPath));
  }
  static std::vector<std::intptr_t> Marks(const win::TStringList& list) {
    std::vector<std::intptr_t> marks;
    for (int i = 0; i < list.Count(); ++i) marks.push_back(list.Objects(i));
    return marks;
  }
};

TEST_F(BadAccounts, LogStartsWithItsHeaderOnce) {
  FForm.LogBadAccount("B200", "C:\\Jobs\\SPLIT000.BAD");
  EXPECT_EQ(ReadFile("C:\\SPLITW.LOG"), kHeader + "B200       C:\\Jobs\\SPLIT000.BAD\r\n");
  FForm.LogBadAccount("C300", "C:\\Jobs\\SPLIT001.BAD");
  EXPECT_EQ(ReadFile("C:\\SPLITW.LOG"), kHeader +
                                            "B200       C:\\Jobs\\SPLIT000.BAD\r\n"
                                            "C300       C:\\Jobs\\SPLIT001.BAD\r\n");
  EXPECT_TRUE(FView.Informations.empty());
  EXPECT_TRUE(Tform_Main::IsBadAccountLog("C:\\SPLITW.LOG"));
}

TEST_F(BadAccounts, LogThatCannotBeOpened) {
  FForm.BadAcctFile = "C:\\Missing\\SPLITW.LOG";
  FForm.LogBadAccount("B200", "C:\\Jobs\\SPLIT000.BAD");
  FForm.BadAcctFile = "C:\\Jobs";
  std::filesystem::create_directories(HostPath("C:\\Jobs"));
  FForm.LogBadAccount("B200", "C:\\Jobs\\SPLIT000.BAD");
  EXPECT_EQ(FView.Informations, (std::vector<std::string>{
                                    "Error opening bad account ID log file C:\\Missing\\SPLITW.LOG",
                                    "Error opening bad account ID log file C:\\Jobs"}));
}

TEST_F(BadAccounts, LogThatCannotBeWritten) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full on this host";
  FForm.BadAcctFile = "Z:\\dev\\full";
  FForm.LogBadAccount("B200", "C:\\Jobs\\SPLIT000.BAD");
  EXPECT_EQ(FView.Informations,
            std::vector<std::string>{"Error writing to bad account ID log file Z:\\dev\\full"});
}

TEST_F(BadAccounts, ALogThatRunsOutOfSpaceKeepsTheMovedFileAndSaysSo) {
  AddSplitFile("C:\\Jobs\\tl-x002.DAT", "B200");
  testing_support::TFaultEnv env;
  // Room for part of the header only.
  env.LimitSpace(40);
  env.AppliesTo = [](const std::filesystem::path& file) { return file.filename() == "SPLITW.LOG"; };
  FForm.MoveToBadFile(0);
  EXPECT_EQ(ReadFile("C:\\Jobs\\SPLIT000.BAD"), "pages of B200");
  EXPECT_EQ(FView.Informations,
            (std::vector<std::string>{
                "Error writing to bad account ID log file SPLITW.LOG",
                "The information for account B200 is now located in the file "
                "C:\\Jobs\\SPLIT000.BAD, and may be printed by selecting SPLITW.LOG."}));
  EXPECT_EQ(FWrittenFiles.Count(), 0);
}

TEST_F(BadAccounts, MovedAsideInTurn) {
  AddSplitFile("C:\\Jobs\\tl-x001.DAT", "A100");
  AddSplitFile("C:\\Jobs\\tl-x002.DAT", "B200");
  AddSplitFile("C:\\Jobs\\tl-x003.DAT", "C300");
  AddSplitFile("C:\\Jobs\\tl-x004.DAT", "");
  FForm.MoveToBadFile(1);
  FForm.MoveToBadFile(1);
  FForm.MoveToBadFile(1);

  EXPECT_EQ(Entries(FWrittenFiles), std::vector<std::string>{"C:\\Jobs\\tl-x001.DAT"});
  EXPECT_EQ(Entries(FWrittenAccounts), std::vector<std::string>{"A100"});
  EXPECT_EQ(ReadFile("C:\\Jobs\\SPLIT000.BAD"), "pages of B200");
  EXPECT_EQ(ReadFile("C:\\Jobs\\SPLIT001.BAD"), "pages of C300");
  EXPECT_EQ(ReadFile("C:\\Jobs\\SPLIT002.BAD"), "pages of ");
  EXPECT_FALSE(Exists("C:\\Jobs\\tl-x002.DAT"));
  // The entry without an account is moved but not logged.
  EXPECT_EQ(ReadFile("C:\\SPLITW.LOG"), kHeader +
                                            "B200       C:\\Jobs\\SPLIT000.BAD\r\n"
                                            "C300       C:\\Jobs\\SPLIT001.BAD\r\n");
  EXPECT_EQ(FView.Informations,
            (std::vector<std::string>{
                "The information for account B200 is now located in the file "
                "C:\\Jobs\\SPLIT000.BAD, and may be printed by selecting SPLITW.LOG.",
                "The information for account C300 is now located in the file "
                "C:\\Jobs\\SPLIT001.BAD, and may be printed by selecting SPLITW.LOG.",
                "The information not associated with an account is now located in the file "
                "C:\\Jobs\\SPLIT002.BAD, and may be printed by manually printing the file."}));
}

TEST_F(BadAccounts, PatternWithItsOwnFolder) {
  std::filesystem::create_directories(HostPath("C:\\Bad"));
  FForm.BadIDFileName = "C:\\Bad\\X??.BAD";
  WriteFile("C:\\Bad\\X00.BAD", "taken");
  AddSplitFile("C:\\Jobs\\tl-x002.DAT", "B200");
  FForm.MoveToBadFile(0);
  EXPECT_EQ(ReadFile("C:\\Bad\\X01.BAD"), "pages of B200");
  EXPECT_EQ(ReadFile("C:\\Bad\\X00.BAD"), "taken");
}

// When the file cannot be moved, it stays, and the log and the message name
// the place where it is.
TEST_F(BadAccounts, FileThatCannotBeMoved) {
  FForm.BadIDFileName = "C:\\Missing\\SPLIT???.BAD";
  AddSplitFile("C:\\Jobs\\tl-x002.DAT", "B200");
  FForm.MoveToBadFile(0);
  EXPECT_EQ(ReadFile("C:\\Jobs\\tl-x002.DAT"), "pages of B200");
  EXPECT_EQ(ReadFile("C:\\SPLITW.LOG"), kHeader + "B200       C:\\Jobs\\tl-x002.DAT\r\n");
  EXPECT_EQ(FView.Informations,
            std::vector<std::string>{"The information for account B200 is now located in the file "
                                     "C:\\Jobs\\tl-x002.DAT, and may be printed by selecting "
                                     "SPLITW.LOG."});
  EXPECT_EQ(FWrittenFiles.Count(), 0);
}

TEST_F(BadAccounts, EveryBadNameTaken) {
  FForm.BadIDFileName = "SPLIT?.BAD";
  const std::string digits = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  for (char digit : digits) WriteFile(std::string("C:\\Jobs\\SPLIT") + digit + ".BAD", "older");
  AddSplitFile("C:\\Jobs\\tl-x002.DAT", "B200");
  AddSplitFile("C:\\Jobs\\tl-x003.DAT", "");
  FForm.MoveToBadFile(0);
  FForm.MoveToBadFile(0);

  EXPECT_EQ(ReadFile("C:\\Jobs\\tl-x002.DAT"), "pages of B200");
  EXPECT_EQ(ReadFile("C:\\Jobs\\SPLIT0.BAD"), "older");
  EXPECT_EQ(ReadFile("C:\\SPLITW.LOG"), kHeader + "B200       C:\\Jobs\\tl-x002.DAT\r\n");
  EXPECT_EQ(FView.Informations,
            (std::vector<std::string>{
                "The information for account B200 remains in the file C:\\Jobs\\tl-x002.DAT "
                "(every name of the form C:\\Jobs\\SPLIT?.BAD is taken), and may be printed by "
                "selecting SPLITW.LOG.",
                "The information not associated with an account remains in the file "
                "C:\\Jobs\\tl-x003.DAT (every name of the form C:\\Jobs\\SPLIT?.BAD is taken), "
                "and may be printed by manually printing the file."}));
  EXPECT_EQ(FWrittenFiles.Count(), 0);
}

TEST_F(BadAccounts, AbortKeepsTakenBackEntries) {
  AddSplitFile("C:\\Old\\SPLIT000.BAD", "A100", Tform_Main::kTakenBackMark);
  AddSplitFile("C:\\Jobs\\tl-x000.DAT", "B200");
  FForm.AbortSplit();

  EXPECT_FALSE(Exists("C:\\Jobs\\tl-x000.DAT"));
  EXPECT_EQ(ReadFile("C:\\Old\\SPLIT000.BAD"), "pages of A100");
  EXPECT_EQ(ReadFile("C:\\SPLITW.LOG"), kHeader + "A100       C:\\Old\\SPLIT000.BAD\r\n");
  EXPECT_EQ(FWrittenFiles.Count(), 0);
  EXPECT_EQ(FWrittenAccounts.Count(), 0);
  EXPECT_EQ(FForm.Step, 8);
  EXPECT_EQ(FView.Invalidations, 1);
}

TEST_F(BadAccounts, RecognisedByContentInExactCase) {
  WriteFile("C:\\Jobs\\queued.txt", kHeader);
  WriteFile("C:\\Jobs\\upper.log", "SPLIT PROCESS ABORTED ACCOUNT LOG\r\n" + kHeader.substr(35));
  WriteFile("C:\\Jobs\\capture.ruz", std::string(5000, 'x'));
  std::filesystem::create_directories(HostPath("C:\\Jobs\\folder.log"));
  EXPECT_TRUE(Tform_Main::IsBadAccountLog("C:\\Jobs\\queued.txt"));
  EXPECT_FALSE(Tform_Main::IsBadAccountLog("C:\\Jobs\\upper.log"));
  EXPECT_FALSE(Tform_Main::IsBadAccountLog("C:\\Jobs\\capture.ruz"));
  EXPECT_FALSE(Tform_Main::IsBadAccountLog("C:\\Jobs\\folder.log"));
  EXPECT_FALSE(Tform_Main::IsBadAccountLog("C:\\Jobs\\missing.log"));
  // Links that lead nowhere but to each other.
  const std::filesystem::path loop1 = HostPath("C:\\Jobs\\loop1.log");
  const std::filesystem::path loop2 = HostPath("C:\\Jobs\\loop2.log");
  std::filesystem::create_symlink(loop2, loop1);
  std::filesystem::create_symlink(loop1, loop2);
  EXPECT_FALSE(Tform_Main::IsBadAccountLog("C:\\Jobs\\loop1.log"));
}

TEST_F(BadAccounts, TakenBackWithMarks) {
  WriteFile("C:\\Jobs\\SPLIT000.BAD", "pages of B200");
  WriteFile("C:\\Jobs\\SPLIT001.BAD", "pages of LONGID9999");
  WriteFile("C:\\SPLITW.$$$", "an older log");
  // One entry the user wrote by hand, one from a log with a ten-character ID.
  WriteFile("C:\\SPLITW.LOG", kHeader +
                                  "B200       C:\\Jobs\\SPLIT000.BAD\r\n"
                                  "short\r\n" +
                                  FormatBadAccountEntry("LONGID9999", "C:\\Jobs\\SPLIT001.BAD"));
  const std::string log = ReadFile("C:\\SPLITW.LOG");
  FForm.ReloadBadAccountLog("C:\\SPLITW.LOG");

  EXPECT_EQ(Entries(FWrittenAccounts), (std::vector<std::string>{"B200", "LONGID9999"}));
  EXPECT_EQ(Entries(FWrittenFiles),
            (std::vector<std::string>{"C:\\Jobs\\SPLIT000.BAD", "C:\\Jobs\\SPLIT001.BAD"}));
  const std::vector<std::intptr_t> marked(2, Tform_Main::kTakenBackMark);
  EXPECT_EQ(Marks(FWrittenFiles), marked);
  EXPECT_EQ(Marks(FWrittenAccounts), marked);
  EXPECT_FALSE(Exists("C:\\SPLITW.LOG"));
  EXPECT_EQ(ReadFile("C:\\SPLITW.$$$"), log);
  EXPECT_TRUE(FView.Confirmations.empty());
}

TEST_F(BadAccounts, MissingEntryFile) {
  const std::string log = kHeader +
                          "A100       C:\\Jobs\\SPLIT000.BAD\r\n"
                          "B200       C:\\Jobs\\gone.BAD\r\n";
  const std::string question =
      "The file C:\\Jobs\\gone.BAD associated with account ID B200 could not be found.  "
      "Continue processing anyway?";
  WriteFile("C:\\Jobs\\SPLIT000.BAD", "pages of A100");

  // Cancel: the run is aborted and the log keeps its name and content.
  WriteFile("C:\\Jobs\\taken.LOG", log);
  FView.ConfirmAnswers = {false};
  ExpectRaises<EAbort>([&] { FForm.ReloadBadAccountLog("C:\\Jobs\\taken.LOG"); },
                       "File C:\\Jobs\\gone.BAD not found");
  EXPECT_EQ(FView.Confirmations, std::vector<std::string>{question});
  EXPECT_EQ(FView.ConfirmButtonsSeen, std::vector<TConfirmButtons>{TConfirmButtons::YesCancel});
  EXPECT_EQ(ReadFile("C:\\Jobs\\taken.LOG"), log);
  EXPECT_FALSE(Exists("C:\\SPLITW.$$$"));

  // Yes: the entry goes into the current log.
  FWrittenFiles.Clear();
  FWrittenAccounts.Clear();
  FView.ConfirmAnswers = {true};
  FForm.ReloadBadAccountLog("C:\\Jobs\\taken.LOG");
  EXPECT_EQ(Entries(FWrittenAccounts), std::vector<std::string>{"A100"});
  EXPECT_EQ(ReadFile("C:\\SPLITW.LOG"), kHeader + "B200       C:\\Jobs\\gone.BAD\r\n");
  EXPECT_EQ(ReadFile("C:\\SPLITW.$$$"), log);
}

// Taking back the current log itself, then cancelling after an entry was
// logged again: the new log under the old name gives way to the old log.
TEST_F(BadAccounts, CancelAfterAnEntryWasLoggedAgain) {
  const std::string log = kHeader +
                          "B200       C:\\Jobs\\gone1.BAD\r\n"
                          "C300       C:\\Jobs\\gone2.BAD\r\n";
  WriteFile("C:\\SPLITW.LOG", log);
  FView.ConfirmAnswers = {true, false};
  EXPECT_THROW(FForm.ReloadBadAccountLog("SPLITW.LOG"), EAbort);
  EXPECT_EQ(ReadFile("C:\\SPLITW.LOG"), log);
  EXPECT_FALSE(Exists("C:\\SPLITW.$$$"));
  EXPECT_TRUE(FView.Informations.empty());
}

TEST_F(BadAccounts, LogThatCannotBeTakenBack) {
  std::filesystem::create_directories(HostPath("C:\\Jobs\\SPLITW.$$$"));
  WriteFile("C:\\Jobs\\SPLITW.LOG", kHeader);
  struct Case {
    std::string log;
    std::string tempFile;
    std::string message;
  };
  const Case cases[] = {
      {"C:\\Jobs\\missing.LOG", "SPLITW.$$$", "Error opening input file C:\\Jobs\\missing.LOG."},
      {"C:\\Jobs\\SPLITW.LOG", "C:\\Jobs\\SPLITW.$$$",
       "Error renaming file C:\\Jobs\\SPLITW.LOG to C:\\Jobs\\SPLITW.$$$"},
  };
  for (const Case& c : cases) {
    FForm.TempFile = c.tempFile;
    SCOPED_TRACE(c.log);
    ExpectRaises<win::Exception>([&] { FForm.ReloadBadAccountLog(c.log); }, c.message);
  }
  EXPECT_EQ(ReadFile("C:\\Jobs\\SPLITW.LOG"), kHeader);
}

// Set aside in one run, taken back in the next.
TEST_F(BadAccounts, SetAsideAndTakenBack) {
  AddSplitFile("C:\\Jobs\\tl-x002.DAT", "ACCOUNT910");
  FForm.MoveToBadFile(0);
  FForm.ReloadBadAccountLog("SPLITW.LOG");
  EXPECT_EQ(Entries(FWrittenAccounts), std::vector<std::string>{"ACCOUNT910"});
  EXPECT_EQ(Entries(FWrittenFiles), std::vector<std::string>{"C:\\Jobs\\SPLIT000.BAD"});
  EXPECT_EQ(ReadFile("C:\\Jobs\\SPLIT000.BAD"), "pages of ACCOUNT910");
}

}  // namespace

}  // namespace splitter
