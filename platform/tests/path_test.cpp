#include "platform/path.h"

#include <string>

#include <gtest/gtest.h>

#include "platform/error.h"

namespace {

struct PartsCase {
  const char* path;
  const char* drive;
  const char* folder;
  const char* name;
  const char* ext;
};

TEST(PathAlgebra, PartsOfAPath) {
  const PartsCase cases[] = {
      {"C:\\dir\\a.txt", "C:", "C:\\dir\\", "a.txt", ".txt"},
      {"C:a.txt", "C:", "C:", "a.txt", ".txt"},
      {"\\\\srv\\share\\in\\a.ruz", "\\\\srv\\share", "\\\\srv\\share\\in\\", "a.ruz", ".ruz"},
      {"\\\\srv\\share", "\\\\srv\\share", "\\\\srv\\", "share", ""},
      {"\\\\srv", "\\\\srv", "\\\\", "srv", ""},
      {"a.tar.gz", "", "", "a.tar.gz", ".gz"},
      {"C:\\dir.d\\name", "C:", "C:\\dir.d\\", "name", ""},
      {"C:\\dir\\", "C:", "C:\\dir\\", "", ""},
      {"", "", "", "", ""},
  };
  for (const PartsCase& c : cases) {
    EXPECT_EQ(win::ExtractFileDrive(c.path), c.drive) << c.path;
    EXPECT_EQ(win::ExtractFilePath(c.path), c.folder) << c.path;
    EXPECT_EQ(win::ExtractFileName(c.path), c.name) << c.path;
    EXPECT_EQ(win::ExtractFileExt(c.path), c.ext) << c.path;
  }
}

TEST(PathAlgebra, ChangingExtensionsAndBackslashes) {
  EXPECT_EQ(win::ChangeFileExt("C:\\Jobs\\tl-x.ruz", ".QUE"), "C:\\Jobs\\tl-x.QUE");
  EXPECT_EQ(win::ChangeFileExt("C:\\VEZ\\DAVURI", ".INI"), "C:\\VEZ\\DAVURI.INI");
  EXPECT_EQ(win::ChangeFileExt("C:\\v.1\\DAVURI", ".INI"), "C:\\v.1\\DAVURI.INI");
  EXPECT_EQ(win::IncludeTrailingBackslash("C:\\VEZ"), "C:\\VEZ\\");
  EXPECT_EQ(win::IncludeTrailingBackslash("C:\\VEZ\\"), "C:\\VEZ\\");
  EXPECT_EQ(win::IncludeTrailingBackslash(""), "\\");
  EXPECT_EQ(win::ExcludeTrailingBackslash("C:\\VEZ\\\\"), "C:\\VEZ\\");
  EXPECT_EQ(win::ExcludeTrailingBackslash("C:\\VEZ"), "C:\\VEZ");
}

struct FullPathCase {
  const char* path;
  const char* full;
};

TEST(FullPath, ResolvesAgainstTheCurrentDirectories) {
  win::TCurrentDirectories dirs;
  dirs.Enter("D:\\Data\\In");
  dirs.Enter("C:\\Work");
  const FullPathCase cases[] = {
      // Already full
      {"C:\\Capture\\..\\Out", "C:\\Out"},
      {"C:\\a\\.\\b\\\\c\\", "C:\\a\\b\\c\\"},
      {"c:/a/b", "c:\\a\\b"},
      {"C:\\..\\..\\x", "C:\\x"},
      {"C:\\a\\..", "C:\\"},
      {"E:\\", "E:\\"},
      // Relative to the current directory
      {"Out", "C:\\Work\\Out"},
      {".\\Out\\", "C:\\Work\\Out\\"},
      {"..\\..\\..\\x", "C:\\x"},
      {".", "C:\\Work"},
      {"%ProgramFiles%\\x", "C:\\Work\\%ProgramFiles%\\x"},
      {"\"C:\\VEZ\\v.exe\" -q", "C:\\Work\\\"C:\\VEZ\\v.exe\" -q"},
      // Rooted on the current drive
      {"\\Jobs\\a.ruz", "C:\\Jobs\\a.ruz"},
      {"\\", "C:\\"},
      // Each drive keeps its own folder
      {"D:", "D:\\Data\\In"},
      {"d:..\\Out", "D:\\Data\\Out"},
      {"C:x", "C:\\Work\\x"},
      {"E:x", "E:\\x"},
      // UNC stays UNC and never climbs above its share
      {"\\\\srv\\data\\in\\..\\a.ruz", "\\\\srv\\data\\a.ruz"},
      {"\\\\srv\\data\\..\\..\\x", "\\\\srv\\data\\x"},
      {"//srv/data/in/", "\\\\srv\\data\\in\\"},
      {"\\\\srv\\data", "\\\\srv\\data"},
  };
  for (const FullPathCase& c : cases) {
    std::string full;
    ASSERT_TRUE(win::ResolveFullPath(c.path, dirs, full)) << c.path;
    EXPECT_EQ(full, c.full) << c.path;
  }
}

TEST(FullPath, RelativeNamesOnAUncCurrentDirectory) {
  win::TCurrentDirectories dirs;
  dirs.Enter("\\\\srv\\data\\in");
  const FullPathCase cases[] = {
      {"a.ruz", "\\\\srv\\data\\in\\a.ruz"},
      {"..\\..\\..\\a.ruz", "\\\\srv\\data\\a.ruz"},
      {"\\out", "\\\\srv\\data\\out"},
      {"D:x", "D:\\x"},
  };
  for (const FullPathCase& c : cases) {
    std::string full;
    ASSERT_TRUE(win::ResolveFullPath(c.path, dirs, full)) << c.path;
    EXPECT_EQ(full, c.full) << c.path;
  }
}

TEST(FullPath, FailuresLeaveTheResultAloneAndSayWhy) {
  const win::TCurrentDirectories dirs;
  struct BadCase {
    std::string path;
    win::DWORD code;
  } cases[] = {
      {"", win::ERROR_INVALID_NAME},
      {"\\\\", win::ERROR_INVALID_NAME},
      {"\\\\\\share", win::ERROR_INVALID_NAME},
      {"C:\\" + std::string(257, 'a'), win::ERROR_FILENAME_EXCED_RANGE},
      {std::string(257, 'a'), win::ERROR_FILENAME_EXCED_RANGE},
  };
  for (const BadCase& c : cases) {
    std::string full = "untouched";
    EXPECT_FALSE(win::ResolveFullPath(c.path, dirs, full)) << c.path;
    EXPECT_EQ(win::GetLastError(), c.code) << c.path;
    EXPECT_EQ(full, "untouched") << c.path;
  }
}

TEST(FullPath, TheLimitCountsTheTerminatingZero) {
  const win::TCurrentDirectories dirs;
  std::string full;
  const std::string fits = "C:\\" + std::string(256, 'a');  // 259 characters + zero = 260
  ASSERT_TRUE(win::ResolveFullPath(fits, dirs, full));
  EXPECT_EQ(full, fits);
  // ".." parts may make a long text fit.
  ASSERT_TRUE(win::ResolveFullPath(fits + "\\x\\..\\..\\b", dirs, full));
  EXPECT_EQ(full, "C:\\b");
  EXPECT_FALSE(win::ResolveFullPath("C:\\abc", dirs, full, 6));
  EXPECT_TRUE(win::ResolveFullPath("C:\\abc", dirs, full, 7));
}

}  // namespace
