#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "platform/error.h"
#include "tests/support/temp_prefix.h"

namespace {

namespace fs = std::filesystem;
using testing_support::ReadFile;
using testing_support::TempPrefix;
using testing_support::WriteFile;

class FilesTest : public ::testing::Test {
 protected:
  fs::path C(const std::string& relative) const { return prefix_.driveC() / relative; }

  TempPrefix prefix_;
};

TEST_F(FilesTest, TheCurrentDirectoryStartsAtTheHostOneAndMovesIt) {
  fs::create_directories(C("Jobs/In"));
  EXPECT_EQ(win::GetCurrentDir(), "C:\\");
  ASSERT_TRUE(win::SetCurrentDir("jobs"));
  EXPECT_EQ(win::GetCurrentDir(), "C:\\jobs");
  EXPECT_TRUE(fs::equivalent(fs::current_path(), C("Jobs")));
  ASSERT_TRUE(win::SetCurrentDir("In\\"));
  EXPECT_EQ(win::GetCurrentDir(), "C:\\jobs\\In");
  std::string full;
  ASSERT_TRUE(win::GetFullPathName("..\\a.ruz", full));
  EXPECT_EQ(full, "C:\\jobs\\a.ruz");
  ASSERT_TRUE(win::SetCurrentDir("\\"));
  EXPECT_EQ(win::GetCurrentDir(), "C:\\");
}

TEST_F(FilesTest, EachDriveRemembersItsFolder) {
  fs::create_directories(C("Jobs"));
  fs::create_directories(prefix_.root() / "drive_d" / "Data");
  fs::create_directory_symlink("../drive_d", prefix_.root() / "dosdevices" / "d:");
  ASSERT_TRUE(win::SetCurrentDir("D:\\Data"));
  ASSERT_TRUE(win::SetCurrentDir("C:\\Jobs"));
  std::string full;
  ASSERT_TRUE(win::GetFullPathName("D:x.txt", full));
  EXPECT_EQ(full, "D:\\Data\\x.txt");
  ASSERT_TRUE(win::SetCurrentDir("D:"));
  EXPECT_EQ(win::GetCurrentDir(), "D:\\Data");
}

TEST_F(FilesTest, TheCurrentDirectoryFollowsAHostChangeMadeElsewhere) {
  fs::create_directories(C("Other"));
  fs::current_path(C("Other"));
  EXPECT_EQ(win::GetCurrentDir(), "C:\\Other");
}

TEST_F(FilesTest, SettingTheCurrentDirectoryCanFail) {
  WriteFile(C("file.txt"), "x");
  const struct {
    const char* path;
    win::DWORD code;
  } cases[] = {
      {"C:\\missing", win::ERROR_FILE_NOT_FOUND},
      {"C:\\missing\\deeper", win::ERROR_PATH_NOT_FOUND},
      {"C:\\file.txt", win::ERROR_DIRECTORY},
      {"Q:\\", win::ERROR_PATH_NOT_FOUND},
  };
  for (const auto& c : cases) {
    EXPECT_FALSE(win::SetCurrentDir(c.path)) << c.path;
    EXPECT_EQ(win::GetLastError(), c.code) << c.path;
  }
  EXPECT_EQ(win::GetCurrentDir(), "C:\\");
}

TEST_F(FilesTest, ExistenceOfFilesAndFolders) {
  WriteFile(C("cfg/my.ini"), "x");
  EXPECT_TRUE(win::FileExists("C:\\CFG\\MY.INI"));
  EXPECT_TRUE(win::FileExists("cfg/my.ini"));
  EXPECT_FALSE(win::FileExists("C:\\CFG"));
  EXPECT_FALSE(win::FileExists("C:\\CFG\\other.ini"));
  EXPECT_TRUE(win::DirectoryExists("C:\\Cfg\\"));
  EXPECT_TRUE(win::DirectoryExists("C:\\"));
  EXPECT_FALSE(win::DirectoryExists("C:\\cfg\\my.ini"));
  EXPECT_FALSE(win::DirectoryExists("C:\\nothing"));
}

TEST_F(FilesTest, FailuresGiveTheWindowsCodes) {
  WriteFile(C("a.txt"), "a");
  WriteFile(C("b.txt"), "b");
  fs::create_directories(C("dir"));
  std::string data;
  const struct {
    const char* what;
    std::function<bool()> call;
    win::DWORD code;
  } cases[] = {
      {"delete missing file", [] { return win::DeleteFile("C:\\none.txt"); },
       win::ERROR_FILE_NOT_FOUND},
      {"delete in missing folder", [] { return win::DeleteFile("C:\\no\\a.txt"); },
       win::ERROR_PATH_NOT_FOUND},
      {"delete a folder", [] { return win::DeleteFile("C:\\dir"); }, win::ERROR_ACCESS_DENIED},
      {"create existing", [] { return win::CreateDir("C:\\DIR"); }, win::ERROR_ALREADY_EXISTS},
      {"create two levels", [] { return win::CreateDir("C:\\x\\y"); }, win::ERROR_PATH_NOT_FOUND},
      {"rename onto existing", [] { return win::RenameFile("C:\\a.txt", "C:\\B.TXT"); },
       win::ERROR_ALREADY_EXISTS},
      {"rename missing", [] { return win::RenameFile("C:\\none.txt", "C:\\c.txt"); },
       win::ERROR_FILE_NOT_FOUND},
      {"read missing file", [&] { return win::ReadWholeFile("C:\\none.txt", data); },
       win::ERROR_FILE_NOT_FOUND},
      {"read in missing folder", [&] { return win::ReadWholeFile("C:\\no\\a.txt", data); },
       win::ERROR_PATH_NOT_FOUND},
      {"write into missing folder", [] { return win::WriteWholeFile("C:\\no\\a.txt", "x"); },
       win::ERROR_PATH_NOT_FOUND},
      {"attributes of missing file",
       [] { return win::GetFileAttributes("C:\\none") != win::INVALID_FILE_ATTRIBUTES; },
       win::ERROR_FILE_NOT_FOUND},
      {"drive without link", [] { return win::FileExists("Q:\\a.txt"); },
       win::ERROR_PATH_NOT_FOUND},
      // A drive root is the machine's own link, never a file to move or remove.
      {"delete a drive root", [] { return win::DeleteFile("C:\\"); }, win::ERROR_ACCESS_DENIED},
      {"rename a drive root", [] { return win::RenameFile("C:", "C:\\moved"); },
       win::ERROR_ACCESS_DENIED},
      {"rename onto a drive root", [] { return win::RenameFile("C:\\a.txt", "Z:\\"); },
       win::ERROR_ACCESS_DENIED},
  };
  for (const auto& c : cases) {
    EXPECT_FALSE(c.call()) << c.what;
    EXPECT_EQ(win::GetLastError(), c.code) << c.what;
  }
  EXPECT_EQ(ReadFile(C("a.txt")), "a");
  EXPECT_EQ(ReadFile(C("b.txt")), "b");
  EXPECT_TRUE(win::DirectoryExists("C:\\"));
}

TEST_F(FilesTest, ForceDirectoriesCreatesEveryMissingLevel) {
  fs::create_directories(C("Apps"));
  ASSERT_TRUE(win::ForceDirectories("C:\\APPS\\Vez\\Work\\"));
  EXPECT_TRUE(fs::is_directory(C("Apps/Vez/Work")));
  EXPECT_TRUE(win::ForceDirectories("c:\\apps\\vez"));
  WriteFile(C("file"), "x");
  EXPECT_FALSE(win::ForceDirectories("C:\\file\\sub"));
  EXPECT_FALSE(win::ForceDirectories("Q:\\a"));
}

TEST_F(FilesTest, RenamingKeepsContentAndMayChangeCaseOnly) {
  WriteFile(C("Jobs/x.txt"), "x");
  ASSERT_TRUE(win::RenameFile("C:\\JOBS\\X.TXT", "C:\\Jobs\\X.TXT"));
  EXPECT_EQ(ReadFile(C("Jobs/X.TXT")), "x");
  EXPECT_FALSE(fs::exists(C("Jobs/x.txt")));
  ASSERT_TRUE(win::RenameFile("C:\\Jobs\\X.TXT", "C:\\jobs\\Done.txt"));
  EXPECT_EQ(ReadFile(C("Jobs/Done.txt")), "x");
}

TEST_F(FilesTest, WholeFileReadWriteAppendThroughFoldedNames) {
  WriteFile(C("cfg/my.ini"), "old");
  ASSERT_TRUE(win::WriteWholeFile("C:\\CFG\\MY.INI", "new"));
  ASSERT_TRUE(win::AppendToFile("C:\\Cfg\\My.Ini", "+more"));
  std::string data;
  ASSERT_TRUE(win::ReadWholeFile("c:\\cfg\\MY.ini", data));
  EXPECT_EQ(data, "new+more");
  EXPECT_EQ(ReadFile(C("cfg/my.ini")), "new+more");
  ASSERT_TRUE(win::AppendToFile("C:\\cfg\\Log.TXT", "line"));
  EXPECT_EQ(ReadFile(C("cfg/Log.TXT")), "line");
  ASSERT_TRUE(win::DeleteFile("C:\\CFG\\LOG.txt"));
  EXPECT_FALSE(fs::exists(C("cfg/Log.TXT")));
}

TEST_F(FilesTest, ReplacingAFileNeverShowsAPartOfIt) {
  const std::string first(1 << 20, 'a');
  const std::string second(1 << 20, 'b');
  ASSERT_TRUE(win::WriteWholeFile("C:\\big.dat", first));
  std::atomic<bool> done{false};
  std::atomic<int> torn{0};
  std::thread reader([&] {
    while (!done) {
      std::string seen;
      if (win::ReadWholeFile("C:\\BIG.DAT", seen) && seen != first && seen != second) ++torn;
    }
  });
  for (int i = 0; i < 20; ++i)
    ASSERT_TRUE(win::WriteWholeFile("C:\\big.dat", i % 2 ? first : second));
  done = true;
  reader.join();
  EXPECT_EQ(torn, 0);
}

TEST_F(FilesTest, LastWriteTimeIsLocalAtTwoSeconds) {
  WriteFile(C("a.ruz"), "x");
  struct tm local {};
  local.tm_year = 2024 - 1900;
  local.tm_mon = 2;
  local.tm_mday = 5;
  local.tm_hour = 10;
  local.tm_min = 20;
  local.tm_sec = 31;
  local.tm_isdst = -1;
  const struct timespec times[2] = {{::mktime(&local), 0}, {::mktime(&local), 900000000}};
  ASSERT_EQ(::utimensat(AT_FDCWD, C("a.ruz").c_str(), times, 0), 0);
  win::TDateTime time = 0;
  ASSERT_TRUE(win::FileLastWriteTime("C:\\A.RUZ", time));
  EXPECT_NEAR(time, win::EncodeDateTime(2024, 3, 5, 10, 20, 30), 1e-9);
  // 2024-03-05 is day 45356 of TDateTime.
  EXPECT_NEAR(win::EncodeDateTime(2024, 3, 5, 12, 0, 0), 45356.5, 1e-9);
}

TEST_F(FilesTest, Attributes) {
  WriteFile(C("plain.txt"), "x");
  WriteFile(C(".hidden"), "x");
  fs::create_directories(C("dir"));
  EXPECT_EQ(win::GetFileAttributes("C:\\PLAIN.TXT"), win::FILE_ATTRIBUTE_ARCHIVE);
  EXPECT_EQ(win::GetFileAttributes("C:\\.hidden"),
            win::FILE_ATTRIBUTE_ARCHIVE | win::FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(win::GetFileAttributes("C:\\dir"), win::FILE_ATTRIBUTE_DIRECTORY);
}

TEST_F(FilesTest, ReadOnlyMeansNotWritableForTheEffectiveUser) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to take on another user's ids";
  WriteFile(C("owned-by-root.txt"), "x");
  ::chmod(C("owned-by-root.txt").c_str(), 0644);
  ::chmod(prefix_.root().c_str(), 0755);
  ASSERT_EQ(::seteuid(65534), 0);
  const win::DWORD asNobody = win::GetFileAttributes("C:\\owned-by-root.txt");
  ASSERT_EQ(::seteuid(0), 0);
  EXPECT_EQ(asNobody, win::FILE_ATTRIBUTE_ARCHIVE | win::FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(win::GetFileAttributes("C:\\owned-by-root.txt"), win::FILE_ATTRIBUTE_ARCHIVE);

  // A read-only file stays, even in a folder where anyone may delete.
  WriteFile(C("open/owned-by-root.txt"), "x");
  ::chmod(C("open/owned-by-root.txt").c_str(), 0644);
  ::chmod(C("open").c_str(), 0777);
  ASSERT_EQ(::seteuid(65534), 0);
  const bool deletedAsNobody = win::DeleteFile("C:\\open\\owned-by-root.txt");
  const win::DWORD code = win::GetLastError();
  ASSERT_EQ(::seteuid(0), 0);
  EXPECT_FALSE(deletedAsNobody);
  EXPECT_EQ(code, win::ERROR_ACCESS_DENIED);
  EXPECT_TRUE(fs::exists(C("open/owned-by-root.txt")));
}

TEST_F(FilesTest, FileIdsTellWhetherTwoPathsNameOneFile) {
  WriteFile(C("Jobs/SPLIT000.DAT"), "x");
  WriteFile(C("Jobs/SPLIT001.DAT"), "x");
  fs::create_directory_symlink("../drive_c/Jobs", prefix_.root() / "dosdevices" / "j:");
  fs::create_symlink("SPLIT000.DAT", C("Jobs/LINK.DAT"));
  ASSERT_TRUE(win::SetCurrentDir("C:\\Jobs"));
  win::TFileId id;
  ASSERT_TRUE(win::GetFileId("C:\\Jobs\\SPLIT000.DAT", id));
  struct {
    const char* path;
    bool same;
  } const cases[] = {
      // Other spellings of the file
      {"c:\\jobs\\split000.dat", true},
      {"SPLIT000.DAT", true},
      {"J:\\SPLIT000.DAT", true},
      // Other entries, a link to the file among them
      {"C:\\Jobs\\SPLIT001.DAT", false},
      {"C:\\Jobs\\LINK.DAT", false},
      {"C:\\Jobs", false},
  };
  for (const auto& row : cases) {
    win::TFileId other;
    ASSERT_TRUE(win::GetFileId(row.path, other)) << row.path;
    EXPECT_EQ(other == id, row.same) << row.path;
  }
  EXPECT_FALSE(win::GetFileId("C:\\Jobs\\MISSING.DAT", id));
  EXPECT_EQ(win::GetLastError(), win::ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(win::GetFileId("C:\\Missing\\SPLIT000.DAT", id));
  EXPECT_EQ(win::GetLastError(), win::ERROR_PATH_NOT_FOUND);
}

TEST_F(FilesTest, ShortPathNamesAreTheLongOnes) {
  WriteFile(C("Long Folder Name/a long file.txt"), "x");
  std::string shortPath;
  ASSERT_TRUE(win::GetShortPathName("C:\\Long Folder Name\\a long file.txt", shortPath));
  EXPECT_EQ(shortPath, "C:\\Long Folder Name\\a long file.txt");
  EXPECT_FALSE(win::GetShortPathName("C:\\Long Folder Name\\missing.txt", shortPath));
  EXPECT_EQ(win::GetLastError(), win::ERROR_FILE_NOT_FOUND);
}

}  // namespace
