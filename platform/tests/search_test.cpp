#include "platform/search.h"

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/error.h"
#include "platform/files.h"
#include "tests/support/temp_prefix.h"

namespace {

namespace fs = std::filesystem;
using testing_support::TempPrefix;
using testing_support::WriteFile;

TEST(Mask, MatchesAsWindowsDoes) {
  const struct {
    const char* name;
    const char* mask;
    bool matches;
  } cases[] = {
      // Stars
      {"tl-a.ruz", "*.RUZ", true},
      {"TL-B.Ruz", "*.ruz", true},
      {"a.b.ruz", "*.RUZ", true},
      {"a.ruz.bak", "*.RUZ", false},
      {"a.ruzz", "*.RUZ", false},
      {"ruz", "*.RUZ", false},
      {"x.$$$", "*.$$$", true},
      {"abc", "*", true},
      {"SPLITW.LOG", "SPLIT*", true},
      {"aXbYc", "a*b*c", true},
      {"aXbY", "a*b*c", false},
      // "*.*" is every name, "*." the names without an extension
      {"abc", "*.*", true},
      {"a.b.c", "*.*", true},
      {".profile", "*.*", true},
      {"noext", "*.", true},
      {"a.txt", "*.", false},
      {"a.b.txt", "*.", false},
      // "?" is one character, or nothing before a dot or at the end
      {"SPLIT001.BAD", "SPLIT???.BAD", true},
      {"split1.bad", "SPLIT???.BAD", true},
      {"SPLIT.BAD", "SPLIT???.BAD", true},
      {"SPLIT0001.BAD", "SPLIT???.BAD", false},
      {"SPLIT001.BAD", "SPLIT???.DAT", false},
      {"abc", "abc?", true},
      {"abcd", "abc?", true},
      {"abcde", "abc?", false},
      {"ac", "a?c", false},
      {"a.c", "a?c", false},
      {"a.txt", "a.???", true},
      {"a.t", "a.???", true},
      {"a", "a.???", true},
      // Literal names ignore case only
      {"DAVURI.INI", "davuri.ini", true},
      {"DAVURI.INI", "davuri.in", false},
      {"", "", true},
      {"a", "", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(win::MatchesMask(c.name, c.mask), c.matches) << c.name << " ~ " << c.mask;
  }
}

class SearchTest : public ::testing::Test {
 protected:
  SearchTest() {
    for (const char* name : {"tl-a.ruz", "TL-B.RUZ", ".hidden.ruz", "split1.bad", "SPLIT001.BAD",
                             "SPLIT0001.BAD", "x.$$$", "noext", "readme.txt"}) {
      WriteFile(prefix_.driveC() / "Jobs" / name, "12345");
    }
    fs::create_directories(prefix_.driveC() / "Jobs" / "old.ruz");
  }

  // Every name FindFirst / FindNext give, in order, with the search closed.
  std::vector<std::string> Found(const std::string& path, int attr) {
    std::vector<std::string> names;
    win::TSearchRec rec;
    int result = win::FindFirst(path, attr, rec);
    while (result == 0) {
      names.push_back(rec.Name);
      result = win::FindNext(rec);
    }
    EXPECT_EQ(result, static_cast<int>(names.empty() ? win::ERROR_FILE_NOT_FOUND
                                                     : win::ERROR_NO_MORE_FILES))
        << path;
    win::FindClose(rec);
    return names;
  }

  TempPrefix prefix_;
};

using Names = std::vector<std::string>;

TEST_F(SearchTest, MasksOverOneFolder) {
  EXPECT_EQ(Found("C:\\JOBS\\*.RUZ", 0), (Names{"TL-B.RUZ", "tl-a.ruz"}));
  EXPECT_EQ(Found("C:\\Jobs\\*.$$$", 0), (Names{"x.$$$"}));
  EXPECT_EQ(Found("C:\\Jobs\\SPLIT???.BAD", 0), (Names{"SPLIT001.BAD", "split1.bad"}));
  EXPECT_EQ(Found("C:\\Jobs\\*.", 0), (Names{"noext"}));
  EXPECT_EQ(Found("C:\\Jobs\\README.TXT", 0), (Names{"readme.txt"}));
  EXPECT_EQ(Found("C:\\Jobs\\*.QUE", 0), Names{});
}

TEST_F(SearchTest, TheAttributeFilterAddsHiddenEntriesAndFolders) {
  EXPECT_EQ(Found("C:\\Jobs\\*.ruz", win::faAnyFile),
            (Names{".hidden.ruz", "TL-B.RUZ", "old.ruz", "tl-a.ruz"}));
  EXPECT_EQ(Found("C:\\Jobs\\*.ruz", win::faHidden),
            (Names{".hidden.ruz", "TL-B.RUZ", "tl-a.ruz"}));
  EXPECT_EQ(Found("C:\\Jobs\\*.ruz", win::faDirectory), (Names{"TL-B.RUZ", "old.ruz", "tl-a.ruz"}));
  const Names all = Found("C:\\Jobs\\*.*", win::faAnyFile);
  EXPECT_EQ(all.size(), 10u);
  for (const std::string& name : all) EXPECT_TRUE(name != "." && name != "..") << name;
}

TEST_F(SearchTest, EntriesCarrySizeAttributesAndTime) {
  const win::TDateTime before = win::Now();
  WriteFile(prefix_.driveC() / "Jobs" / "new.dat", "1234567");
  win::TSearchRec rec;
  ASSERT_EQ(win::FindFirst("C:\\Jobs\\new.dat", win::faAnyFile, rec), 0);
  EXPECT_EQ(rec.Name, "new.dat");
  EXPECT_EQ(rec.Size, 7);
  EXPECT_EQ(rec.Attr, win::faArchive);
  EXPECT_NEAR(rec.Time, before, 3.0 / 86400);
  win::FindClose(rec);
  ASSERT_EQ(win::FindFirst("C:\\Jobs\\old.ruz", win::faAnyFile, rec), 0);
  EXPECT_EQ(rec.Attr, win::faDirectory);
  EXPECT_EQ(rec.Size, 0);
  win::FindClose(rec);
}

TEST_F(SearchTest, RelativeSearchesUseTheCurrentDirectory) {
  ASSERT_TRUE(win::SetCurrentDir("C:\\jobs"));
  EXPECT_EQ(Found("*.RUZ", 0), (Names{"TL-B.RUZ", "tl-a.ruz"}));
  EXPECT_EQ(Found("..\\JOBS\\x.*", 0), (Names{"x.$$$"}));
}

TEST_F(SearchTest, MissingFoldersAndEmptyResults) {
  win::TSearchRec rec;
  EXPECT_EQ(win::FindFirst("C:\\Nowhere\\*.RUZ", 0, rec), win::ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(win::GetLastError(), win::ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(win::FindFirst("C:\\Jobs\\readme.txt\\*.*", 0, rec), win::ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(win::FindFirst("C:\\Jobs\\*.QUE", 0, rec), win::ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(win::GetLastError(), win::ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(win::FindFirst("C:\\Jobs\\", win::faAnyFile, rec), win::ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(win::FindNext(rec), win::ERROR_NO_MORE_FILES);
  win::FindClose(rec);
}

}  // namespace
