#include "splitter/ui/cleanup.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/datetime.h"
#include "platform/error.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "splitter/engine/bad_account_log.h"
#include "splitter/ui/kept_files.h"
#include "tests/support/expect_raises.h"
#include "tests/support/temp_prefix.h"

namespace splitter {

namespace {

namespace fs = std::filesystem;

constexpr double kHour = 1.0 / 24;
constexpr uid_t kNobody = 65534;

// Gives `file` the last-write time `days` days before now.
void SetAge(const fs::path& file, double days) {
  const std::time_t when = std::time(nullptr) - static_cast<std::time_t>(days * 86400);
  const timespec times[2] = {{when, 0}, {when, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0) << file;
}

// Gives `file` the last-write time of the local moment given.
void SetLocalTime(const fs::path& file, int year, int month, int day) {
  std::tm parts{};
  parts.tm_year = year - 1900;
  parts.tm_mon = month - 1;
  parts.tm_mday = day;
  parts.tm_isdst = -1;
  const std::time_t when = std::mktime(&parts);
  const timespec times[2] = {{when, 0}, {when, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0) << file;
}

// The names of the entries in a host folder.
std::set<std::string> Names(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

// Takes on the ids of the user nobody while it lives, for tests that need a
// file its caller may not write (none is read-only for root).
class TEffectiveUser {
 public:
  explicit TEffectiveUser(uid_t uid) : FSaved(::geteuid()) { FSwitched = ::seteuid(uid) == 0; }
  ~TEffectiveUser() {
    if (FSwitched && ::seteuid(FSaved) != 0) std::abort();
  }
  TEffectiveUser(const TEffectiveUser&) = delete;
  TEffectiveUser& operator=(const TEffectiveUser&) = delete;
  bool Switched() const { return FSwitched; }

 private:
  uid_t FSaved;
  bool FSwitched = false;
};

class CleanUp : public ::testing::Test {
 public:
  fs::path Jobs() const { return FPrefix.OnDriveC("C:\\Jobs"); }
  fs::path Vez() const { return FPrefix.OnDriveC("C:\\VEZ"); }

  // A file in C:\Jobs of the given age in days; a minute old by default,
  // so its age is above 0 however fast the test runs.
  void Job(const std::string& name, double days = 1.0 / 1440) {
    testing_support::WriteFile(Jobs() / name, "x");
    SetAge(Jobs() / name, days);
  }
  void Product(const std::string& name) { testing_support::WriteFile(Vez() / name, "x"); }

  testing_support::TempPrefix FPrefix;
};

// The rows of the deletion table for one processed file, over a capture
// folder that holds files of every kind and age and a product folder.
TEST_F(CleanUp, ProcessedFile) {
  struct TCase {
    bool deleteOrigFiles;
    double numberOfDays;
    std::set<std::string> jobsLeft;
  };
  const std::set<std::string> unaged = {"NEW.RUZ", "OTHER.RUZ", "NEW.QUE"};
  const std::set<std::string> allCaptureAndQueue = {
      "NEW.RUZ", "OTHER.RUZ", "NEW.QUE", "OLD.RUZ", "OLD.QUE", "EDGE_OLD.RUZ", "EDGE_NEW.RUZ",
  };
  const TCase cases[] = {
      // Exactly the processed file goes; the split files go anyway.
      {true, 0, {"OTHER.RUZ", "NEW.QUE", "OLD.RUZ", "OLD.QUE", "EDGE_OLD.RUZ", "EDGE_NEW.RUZ"}},
      // Older than 72 hours; the processed file is new and stays.
      {true, 3, {"NEW.RUZ", "OTHER.RUZ", "NEW.QUE", "EDGE_NEW.RUZ"}},
      // Fractions of days count.
      {true, 0.5, {"NEW.RUZ", "OTHER.RUZ"}},
      // A negative limit takes every capture and queue file.
      {true, -1, {}},
      // No capture or queue file goes without DeleteOrigFiles.
      {false, 3, allCaptureAndQueue},
      {false, 0, allCaptureAndQueue},
  };
  for (const TCase& c : cases) {
    fs::remove_all(Jobs());
    fs::remove_all(Vez());
    Job("NEW.RUZ");
    Job("OTHER.RUZ");
    Job("NEW.QUE", 1);
    Job("OLD.RUZ", 4);
    Job("OLD.QUE", 4);
    Job("EDGE_OLD.RUZ", 3 + 2 * kHour);
    Job("EDGE_NEW.RUZ", 3 - 2 * kHour);
    Job("SPLIT000.DAT");
    Job("OLD.DAT", 4);
    Job("lower.dat");
    Job(".hidden.BAK");
    Job("SPLITW.$$$");
    Product("P.BAK");
    Product("P.$$$");
    Product("P.DAT");
    Product("VEZ7.EXE");

    TFileCleanUp().CleanUpProcessedFile("C:\\Jobs\\NEW.RUZ", "C:\\VEZ\\", c.deleteOrigFiles,
                                        c.numberOfDays);
    EXPECT_EQ(Names(Jobs()), c.jobsLeft) << c.deleteOrigFiles << " " << c.numberOfDays;
    EXPECT_EQ(Names(Vez()), (std::set<std::string>{"P.DAT", "VEZ7.EXE"}))
        << "the product folder loses its backup and temporary files; its split files wait for "
           "the end of the Print";
  }
}

TEST_F(CleanUp, ProductFolderAtTheEndOfEveryPrint) {
  Product("P.BAK");
  Product("P.DAT");
  Product("p2.dat");
  Product("P.$$$");
  Product("DMKPRDD.PRN");
  Product("VEZ7.EXE");
  Job("SPLIT000.DAT");
  TFileCleanUp().CleanUpProductFolder("C:\\VEZ\\");
  EXPECT_EQ(Names(Vez()), (std::set<std::string>{"P.$$$", "DMKPRDD.PRN", "VEZ7.EXE"}));
  EXPECT_EQ(Names(Jobs()), (std::set<std::string>{"SPLIT000.DAT"}));
}

// Ages against a fixed present: a file exactly as old as the limit stays,
// and a last write after the present counts as an age too.
TEST_F(CleanUp, AgeIsStrictlyAboveTheLimitEitherWay) {
  const win::TDateTime written = win::EncodeDateTime(2026, 12, 1, 0, 0, 0);
  struct TCase {
    win::TDateTime now;
    double days;
    bool deleted;
  };
  const TCase cases[] = {
      {written + 3, 3, false},
      {written + 3, 3 - 1.0 / 86400, true},
      {written + 3 + 2.0 / 86400, 3, true},
      {written - 3, 3, false},
      {written - 4, 3, true},
      {written, 0, false},
      {written, -0.001, true},
  };
  for (const TCase& c : cases) {
    Job("A.RUZ");
    SetLocalTime(Jobs() / "A.RUZ", 2026, 12, 1);
    TFileCleanUp(TKeptFiles(), [&c] {
      return c.now;
    }).DeleteOlderThan("*.RUZ", "C:\\Jobs\\", c.days);
    EXPECT_EQ(!fs::exists(Jobs() / "A.RUZ"), c.deleted) << c.now - written << " " << c.days;
  }
}

TEST_F(CleanUp, NothingToFindIsNoError) {
  // An empty folder would search the current directory, which holds one.
  testing_support::WriteFile(FPrefix.driveC() / "X.BAK", "x");
  ASSERT_TRUE(win::SetCurrentDir("C:\\"));
  const TFileCleanUp cleanUp;
  EXPECT_NO_THROW(cleanUp.DeleteMatching("*.BAK", "C:\\Missing\\"));
  EXPECT_NO_THROW(cleanUp.DeleteOlderThan("*.RUZ", "C:\\Missing\\", -1));
  EXPECT_NO_THROW(cleanUp.DeleteMatching("*.BAK", ""));
  EXPECT_NO_THROW(cleanUp.CleanUpProcessedFile("C:\\Missing\\A.RUZ", "", true, 3));
  EXPECT_NO_THROW(cleanUp.CleanUpProductFolder(""));
  EXPECT_TRUE(fs::exists(FPrefix.driveC() / "X.BAK"));
}

// The first erase that fails raises, and nothing after it is done.
TEST_F(CleanUp, AFailingEraseEndsTheCleanUp) {
  struct TCase {
    const char* what;
    void (*prepare)(CleanUp&);
    double numberOfDays;
    std::string message;
    win::DWORD code;
    std::set<std::string> jobsLeft;
  };
  const TCase cases[] = {
      {"a folder among the split files",
       [](CleanUp& t) { fs::create_directories(t.Jobs() / "B.DAT"); },
       3,
       "Cannot delete file \"C:\\Jobs\\B.DAT\". Access is denied",
       win::ERROR_ACCESS_DENIED,
       {"NEW.RUZ", "B.DAT", "C.DAT", "J.BAK"}},
      {"the processed file gone already",
       [](CleanUp& t) { fs::remove(t.Jobs() / "NEW.RUZ"); },
       0,
       "Cannot delete file \"C:\\Jobs\\NEW.RUZ\". The system cannot find the file specified",
       win::ERROR_FILE_NOT_FOUND,
       {"A.DAT", "C.DAT", "J.BAK"}},
  };
  for (const TCase& c : cases) {
    fs::remove_all(Jobs());
    fs::remove_all(Vez());
    Job("NEW.RUZ");
    Job("A.DAT");
    Job("C.DAT");
    Job("J.BAK");
    Product("P.BAK");
    c.prepare(*this);
    SCOPED_TRACE(c.what);
    if (const auto error = testing_support::ExpectRaises<win::EInOutError>(
            [&] {
              TFileCleanUp().CleanUpProcessedFile("C:\\Jobs\\NEW.RUZ", "C:\\VEZ\\", true,
                                                  c.numberOfDays);
            },
            c.message)) {
      EXPECT_EQ(error->ErrorCode, c.code);
    }
    EXPECT_EQ(Names(Jobs()), c.jobsLeft) << c.what;
    EXPECT_EQ(Names(Vez()), (std::set<std::string>{"P.BAK"})) << c.what;
  }
}

TEST_F(CleanUp, AReadOnlyFileStopsTheSearch) {
  Job("A.BAK");
  Job("B.BAK");
  Job("C.BAK");
  ASSERT_EQ(::chmod((Jobs() / "B.BAK").c_str(), 0444), 0);
  const bool asRoot = ::geteuid() == 0;
  if (asRoot) {
    // As nobody, in a folder anyone may change, B.BAK is the one file
    // nobody may write.
    ::chmod(FPrefix.root().c_str(), 0755);
    ::chmod(Jobs().c_str(), 0777);
    ASSERT_EQ(::chown((Jobs() / "A.BAK").c_str(), kNobody, kNobody), 0);
    ASSERT_EQ(::chown((Jobs() / "C.BAK").c_str(), kNobody, kNobody), 0);
  }
  {
    TEffectiveUser nobody(asRoot ? kNobody : ::geteuid());
    ASSERT_TRUE(nobody.Switched());
    testing_support::ExpectRaises<win::EInOutError>(
        [] { TFileCleanUp().DeleteMatching("*.BAK", "C:\\Jobs\\"); },
        "Cannot delete file \"C:\\Jobs\\B.BAK\". Access is denied");
  }
  EXPECT_EQ(Names(Jobs()), (std::set<std::string>{"B.BAK", "C.BAK"}));
}

// The batches of rejected accounts that the current bad-account log names
// stay, in any letter case and through a mapped drive; the log stays even
// where a mask matches it.
TEST_F(CleanUp, FilesTheBadAccountLogNamesStay) {
  {
    win::TRegistry registry;
    ASSERT_TRUE(registry.OpenKey("SOFTWARE\\Zerurud\\Platform\\Network\\Connections", true));
    registry.WriteString("X:", "\\\\srv\\data");
    ASSERT_TRUE(registry.OpenKey("\\SOFTWARE\\Zerurud\\Platform\\Network\\Shares", true));
    registry.WriteString("\\\\srv\\data", Jobs().string());
  }
  fs::create_directory_symlink(Jobs(), FPrefix.root() / "dosdevices" / "x:");
  std::string log = BadAccountLogHeaderText();
  log += FormatBadAccountEntry("A100", "C:\\Jobs\\SPLIT000.DAT");
  log += FormatBadAccountEntry("B200", "c:\\jobs\\split001.dat");
  log += FormatBadAccountEntry("C300", "X:\\SPLIT002.DAT");
  log += FormatBadAccountEntry("D400", "C:\\VEZ\\SPLIT000.DAT");
  testing_support::WriteFile(Jobs() / "SPLITW.BAK", log);
  for (const char* name : {"SPLIT000.DAT", "SPLIT001.DAT", "SPLIT002.DAT", "SPLIT003.DAT"}) {
    Job(name);
  }
  Product("SPLIT000.DAT");
  Product("SPLIT001.DAT");

  const TFileCleanUp cleanUp(ReadBadAccountLogFiles("C:\\Jobs\\SPLITW.BAK"));
  cleanUp.CleanUpProcessedFile("\\\\srv\\data\\NEW.RUZ", "C:\\VEZ\\", true, -1);
  cleanUp.CleanUpProductFolder("C:\\VEZ\\");
  EXPECT_EQ(Names(Jobs()),
            (std::set<std::string>{"SPLITW.BAK", "SPLIT000.DAT", "SPLIT001.DAT", "SPLIT002.DAT"}));
  EXPECT_EQ(Names(Vez()), (std::set<std::string>{"SPLIT000.DAT"}));
}

TEST(BadAccountLogFiles, WhatALogKeeps) {
  testing_support::TempPrefix prefix;
  ASSERT_TRUE(win::SetCurrentDir("C:\\"));
  const std::string header = BadAccountLogHeaderText();
  struct TCase {
    const char* what;
    std::string text;
    std::vector<std::string> kept;
    std::vector<std::string> notKept;
  };
  const TCase cases[] = {
      {"entries after the header",
       header + FormatBadAccountEntry("A100", "C:\\J\\SPLIT000.DAT"),
       {"C:\\J\\SPLIT000.DAT", "c:\\j\\split000.dat", "c:\\SPLITW.LOG"},
       {"C:\\J\\SPLIT001.DAT"}},
      {"no header: every line is an entry",
       FormatBadAccountEntry("A100", "C:\\J\\A.DAT") + "B200       C:\\J\\B.DAT",
       {"C:\\J\\A.DAT", "C:\\J\\B.DAT"},
       {"C:\\J\\SPLIT001.DAT"}},
      {"short lines name nothing",
       header + "C:\\J\\A.DAT\r\n",
       {"C:\\SPLITW.LOG"},
       {"C:\\J\\A.DAT"}},
      {"relative entries are taken against the current directory",
       header + FormatBadAccountEntry("A100", "J\\SPLIT000.BAD"),
       {"C:\\J\\SPLIT000.BAD"},
       {"C:\\J\\A.DAT"}},
  };
  for (const TCase& c : cases) {
    fs::remove_all(prefix.driveC() / "J");
    for (const char* name : {"SPLIT000.DAT", "SPLIT001.DAT", "A.DAT", "B.DAT", "SPLIT000.BAD"}) {
      testing_support::WriteFile(prefix.driveC() / "J" / name, "x");
    }
    testing_support::WriteFile(prefix.driveC() / "SPLITW.LOG", c.text);
    const TKeptFiles kept = ReadBadAccountLogFiles("SPLITW.LOG");
    for (const std::string& path : c.kept)
      EXPECT_TRUE(kept.Contains(path)) << c.what << " " << path;
    for (const std::string& path : c.notKept) {
      EXPECT_FALSE(kept.Contains(path)) << c.what << " " << path;
    }
  }

  fs::remove(prefix.driveC() / "SPLITW.LOG");
  EXPECT_TRUE(ReadBadAccountLogFiles("SPLITW.LOG").Empty());

  fs::create_directories(prefix.driveC() / "SPLITW.LOG");
  // A log that cannot be read keeps nothing safe.
  testing_support::ExpectRaises<win::EInOutError>(
      [] { ReadBadAccountLogFiles("SPLITW.LOG"); },
      "Cannot open file \"SPLITW.LOG\". Access is denied");
}

}  // namespace

}  // namespace splitter
