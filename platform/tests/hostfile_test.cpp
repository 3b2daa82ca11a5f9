#include "platform/hostfile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "platform/error.h"
#include "tests/support/temp_prefix.h"

namespace fs = std::filesystem;
using testing_support::ReadFile;
using testing_support::TempDir;

TEST(HostFile, WriteReadAppendRoundTrip) {
  TempDir dir;
  const fs::path file = dir.path() / "a.bin";
  const std::string data("one\0two\r\n", 9);
  ASSERT_TRUE(win::WriteHostFileAtomic(file, data));
  ASSERT_TRUE(win::AppendHostFile(file, "three"));
  std::string back;
  ASSERT_TRUE(win::ReadHostFile(file, back));
  EXPECT_EQ(back, data + "three");
  EXPECT_EQ(fs::directory_iterator(dir.path())->path(), file) << "no temporary file is left";
}

TEST(HostFile, ReplaceKeepsPermissionBits) {
  TempDir dir;
  const fs::path file = dir.path() / "a.txt";
  ASSERT_TRUE(win::WriteHostFileAtomic(file, "old"));
  ::chmod(file.c_str(), 0640);
  ASSERT_TRUE(win::WriteHostFileAtomic(file, "new"));
  struct stat st {};
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(ReadFile(file), "new");
}

TEST(HostFile, ReadersNeverSeeHalfAFile) {
  TempDir dir;
  const fs::path file = dir.path() / "big.txt";
  const std::string first(1 << 20, 'a');
  const std::string second(1 << 20, 'b');
  ASSERT_TRUE(win::WriteHostFileAtomic(file, first));
  std::atomic<bool> done{false};
  std::atomic<int> torn{0};
  std::thread reader([&] {
    while (!done) {
      std::string seen;
      if (win::ReadHostFile(file, seen) && seen != first && seen != second) ++torn;
    }
  });
  for (int i = 0; i < 20; ++i) ASSERT_TRUE(win::WriteHostFileAtomic(file, i % 2 ? first : second));
  done = true;
  reader.join();
  EXPECT_EQ(torn, 0);
}

TEST(HostFile, FailuresCarryWindowsCodes) {
  TempDir dir;
  std::string data;
  struct Case {
    fs::path file;
    win::DWORD code;
  } cases[] = {
      {dir.path() / "missing.txt", win::ERROR_FILE_NOT_FOUND},
      {dir.path() / "no" / "such" / "a.txt", win::ERROR_PATH_NOT_FOUND},
      {dir.path(), win::ERROR_ACCESS_DENIED},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(win::ReadHostFile(c.file, data)) << c.file;
    EXPECT_EQ(win::GetLastError(), c.code) << c.file;
  }
  EXPECT_FALSE(win::WriteHostFileAtomic(dir.path() / "no" / "a.txt", "x"));
  EXPECT_EQ(win::GetLastError(), win::ERROR_PATH_NOT_FOUND);
}

TEST(HostFile, ExclusiveCreateRefusesAnExistingFile) {
  TempDir dir;
  const fs::path file = dir.path() / "once.txt";
  ASSERT_TRUE(win::CreateHostFileExclusive(file, "first"));
  EXPECT_FALSE(win::CreateHostFileExclusive(file, "second"));
  EXPECT_EQ(win::GetLastError(), win::ERROR_FILE_EXISTS);
  EXPECT_EQ(ReadFile(file), "first");
}
