#include "installer/shortcut_removal.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "installer/program_shortcut.h"
#include "platform/shell.h"
#include "tests/support/temp_prefix.h"
#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;
using testing_support::WriteFile;

class ShortCutRemovalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string user = "C:\\Users\\" + std::string(::getpwuid(::geteuid())->pw_name) +
                             "\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu";
    FCommonMenu = FPrefix.OnDriveC("C:\\ProgramData\\Microsoft\\Windows\\Start Menu");
    FUserMenu = FPrefix.OnDriveC(user);
    for (const fs::path& menu : {FCommonMenu, FUserMenu}) {
      fs::create_directories(menu / "Programs" / "Startup");
      fs::create_directories(menu / "Programs" / "Ruvuduzer");
    }
  }

  // Every file and folder below the two Start menus, relative to the
  // prefix, sorted.
  std::vector<std::string> Entries() const {
    std::vector<std::string> entries;
    for (const fs::path& menu : {FCommonMenu, FUserMenu}) {
      for (const auto& entry : fs::recursive_directory_iterator(menu)) {
        entries.push_back(fs::relative(entry.path(), FPrefix.root()).string());
      }
    }
    std::sort(entries.begin(), entries.end());
    return entries;
  }

  testing_support::TempPrefix FPrefix;
  fs::path FCommonMenu;
  fs::path FUserMenu;
};

TEST_F(ShortCutRemovalTest, RemovesTheFourShortCutsAndNothingElse) {
  const std::vector<std::string> empty = Entries();
  installer::RemoveOldShortCuts();
  EXPECT_EQ(Entries(), empty);

  for (const fs::path& menu : {FCommonMenu, FUserMenu}) {
    WriteFile(menu / "Programs" / "Startup" / "ZUzirav.lnk", "shortcut");
    WriteFile(menu / "Programs" / "Ruvuduzer" / "Revivu zov Eduzera.lnk", "shortcut");
  }
  installer::RemoveOldShortCuts();
  EXPECT_EQ(Entries(), empty);  // the Ruvuduzer folders stay, empty
}

TEST_F(ShortCutRemovalTest, LeavesFoldersAndOtherFilesAlone) {
  const fs::path startup = FUserMenu / "Programs" / "Startup";
  fs::create_directories(FCommonMenu / "Programs" / "Startup" / "ZUzirav.lnk");
  WriteFile(startup / "ZUzirav.txt", "other");
  WriteFile(startup / "ZUzirav", "other");
  WriteFile(startup / "Other.lnk", "other");
  WriteFile(FUserMenu / "ZUzirav.lnk", "not in the Startup folder");
  WriteFile(FUserMenu / "Programs" / "Ruvuduzer" / "Revivu zov Eduzera.url", "other");
  const std::vector<std::string> before = Entries();
  installer::RemoveOldShortCuts();
  EXPECT_EQ(Entries(), before);
}

TEST_F(ShortCutRemovalTest, AMissingFolderIsPassedOver) {
  fs::remove_all(FCommonMenu / "Programs" / "Startup");
  WriteFile(FUserMenu / "Programs" / "Startup" / "ZUzirav.lnk", "shortcut");
  WriteFile(FCommonMenu / "Programs" / "Ruvuduzer" / "Revivu zov Eduzera.lnk", "shortcut");
  installer::RemoveOldShortCuts();
  EXPECT_FALSE(fs::exists(FUserMenu / "Programs" / "Startup" / "ZUzirav.lnk"));
  EXPECT_FALSE(fs::exists(FCommonMenu / "Programs" / "Ruvuduzer" / "Revivu zov Eduzera.lnk"));

  installer::TProgramShortCut shortCuts;
  std::string path = "untouched";
  EXPECT_FALSE(shortCuts.GetSpecialFolderPath(win::CSIDL_COMMON_STARTUP, path));
  EXPECT_EQ(path, "untouched");
  EXPECT_FALSE(shortCuts.ShortCutExists("ZUzirav", win::CSIDL_COMMON_STARTUP));
  EXPECT_FALSE(shortCuts.DeleteShortCut("ZUzirav", win::CSIDL_COMMON_STARTUP));
}

}  // namespace
