#include "platform/foldernames.h"

#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/temp_prefix.h"

namespace {

namespace fs = std::filesystem;
using testing_support::TempDir;
using testing_support::WriteFile;

// What a lookup answers: the spelling found, or "-" for none.
std::string Lookup(const fs::path& folder, const std::string& name) {
  std::string found;
  return win::FindNameIgnoringCase(folder, name, found) ? found : "-";
}

// Runs `change` in another process, as another program would change the
// folder.
void InAnotherProcess(const std::function<void()>& change) {
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    change();
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST(FolderNames, FindsTheNameWhateverItsCase) {
  const TempDir dir;
  for (const char* name : {"my.ini", "Data", "DATA", "TL-a.ruz"}) WriteFile(dir.path() / name, "x");
  const struct {
    const char* name;
    const char* found;
  } cases[] = {
      {"MY.INI", "my.ini"},
      {"my.ini", "my.ini"},
      {"tl-A.RUZ", "TL-a.ruz"},
      // Several spellings: the smallest in byte order, every time
      {"data", "DATA"},
      {"Data", "DATA"},
      {"my.in", "-"},
      {"my.inix", "-"},
  };
  for (const auto& c : cases) EXPECT_EQ(Lookup(dir.path(), c.name), c.found) << c.name;
  EXPECT_EQ(Lookup(dir.path() / "missing", "a"), "-");
  EXPECT_EQ(Lookup(dir.path() / "my.ini", "a"), "-") << "a file is no folder";
}

TEST(FolderNames, ChangesByOtherProcessesAreSeenAtOnce) {
  const TempDir dir;
  WriteFile(dir.path() / "old.txt", "x");
  ASSERT_EQ(Lookup(dir.path(), "NEW.TXT"), "-");

  InAnotherProcess([&] { std::ofstream(dir.path() / "New.txt") << "x"; });
  EXPECT_EQ(Lookup(dir.path(), "NEW.TXT"), "New.txt");

  InAnotherProcess([&] { fs::rename(dir.path() / "New.txt", dir.path() / "new.TXT"); });
  EXPECT_EQ(Lookup(dir.path(), "NEW.txt"), "new.TXT");

  InAnotherProcess([&] { fs::remove(dir.path() / "old.txt"); });
  EXPECT_EQ(Lookup(dir.path(), "OLD.TXT"), "-");

  InAnotherProcess([&] { fs::create_directory(dir.path() / "Sub"); });
  EXPECT_EQ(Lookup(dir.path(), "sub"), "Sub");
}

TEST(FolderNames, AFolderReplacedUnderItsNameShowsItsOwnNames) {
  const TempDir dir;
  WriteFile(dir.path() / "in" / "first.txt", "x");
  ASSERT_EQ(Lookup(dir.path() / "in", "FIRST.TXT"), "first.txt");
  fs::rename(dir.path() / "in", dir.path() / "gone");
  WriteFile(dir.path() / "in" / "second.txt", "x");
  EXPECT_EQ(Lookup(dir.path() / "in", "FIRST.TXT"), "-");
  EXPECT_EQ(Lookup(dir.path() / "in", "SECOND.TXT"), "second.txt");
  EXPECT_EQ(Lookup(dir.path() / "gone", "FIRST.TXT"), "first.txt");
}

TEST(FolderNames, AForkedChildDoesNotTakeTheParentsNotifications) {
  const TempDir dir;
  ASSERT_EQ(Lookup(dir.path(), "A.TXT"), "-");
  WriteFile(dir.path() / "a.txt", "x");
  InAnotherProcess([&] {
    if (Lookup(dir.path(), "A.TXT") != "a.txt") ::_exit(1);
  });
  EXPECT_EQ(Lookup(dir.path(), "A.TXT"), "a.txt");
}

TEST(FolderNames, MoreChangesThanTheKernelQueuesAreNotLost) {
  std::ifstream limitFile("/proc/sys/fs/inotify/max_queued_events");
  int limit = 0;
  if (!(limitFile >> limit) || limit > 100000) GTEST_SKIP() << "queue limit unknown or too large";
  const TempDir dir;
  ASSERT_EQ(Lookup(dir.path(), "LAST.TXT"), "-");
  // Each rename is two notifications.
  WriteFile(dir.path() / "a", "x");
  for (int i = 0; i <= limit / 2; ++i) {
    const bool even = i % 2 == 0;
    ASSERT_EQ(::rename((dir.path() / (even ? "a" : "b")).c_str(),
                       (dir.path() / (even ? "b" : "a")).c_str()),
              0);
  }
  WriteFile(dir.path() / "last.txt", "x");
  EXPECT_EQ(Lookup(dir.path(), "LAST.TXT"), "last.txt");
  EXPECT_EQ(Lookup(dir.path(), "A") + Lookup(dir.path(), "B"), limit / 2 % 2 == 0 ? "-b" : "a-");
}

}  // namespace
