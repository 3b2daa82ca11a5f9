#include "platform/shell.h"

#include <pwd.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string>

#include "platform/registry.h"
#include "tests/support/temp_prefix.h"
#include <gtest/gtest.h>

namespace {

using testing_support::TempPrefix;

constexpr char kShellFolders[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// The folder's path through the three calls, as a caller of the shell
// makes them, or the failure of the first.
struct TLookup {
  win::HRESULT Result;
  std::optional<std::string> Path;
};

TLookup Lookup(int folder) {
  win::LPITEMIDLIST list = nullptr;
  const win::HRESULT result = win::SHGetSpecialFolderLocation(nullptr, folder, &list);
  if (win::FAILED(result)) {
    EXPECT_EQ(list, nullptr);
    return {result, std::nullopt};
  }
  char path[260] = {};
  const bool found = win::SHGetPathFromIDList(list, path);
  win::IMalloc* allocator = nullptr;
  EXPECT_EQ(win::SHGetMalloc(&allocator), win::S_OK);
  allocator->Free(list);
  allocator->Release();
  return {result, found ? std::optional<std::string>(path) : std::nullopt};
}

std::string UserName() { return ::getpwuid(::geteuid())->pw_name; }

TEST(ShellTest, DefaultFoldersOnDriveC) {
  TempPrefix prefix;
  const std::string user = "C:\\Users\\" + UserName() + "\\AppData\\Roaming\\Microsoft\\Windows";
  struct {
    int folder;
    std::string path;
  } const cases[] = {
      // Each Start menu before the Startup folder inside it.
      {win::CSIDL_COMMON_STARTMENU, "C:\\ProgramData\\Microsoft\\Windows\\Start Menu"},
      {win::CSIDL_COMMON_STARTUP,
       "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Startup"},
      {win::CSIDL_STARTMENU, user + "\\Start Menu"},
      {win::CSIDL_STARTUP, user + "\\Start Menu\\Programs\\Startup"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Lookup(c.folder).Result, win::E_FOLDER_NOT_FOUND) << c.path;
    std::filesystem::create_directories(prefix.OnDriveC(c.path));
    const TLookup found = Lookup(c.folder);
    EXPECT_EQ(found.Result, win::S_OK) << c.path;
    EXPECT_EQ(found.Path, c.path);
  }
}

TEST(ShellTest, TheHiveNamesTheFolders) {
  TempPrefix prefix;
  std::filesystem::create_directories(prefix.OnDriveC("C:\\Menus\\Common"));
  std::filesystem::create_directories(prefix.OnDriveC("C:\\Menus\\Mine"));
  std::filesystem::create_directories(
      prefix.OnDriveC("C:\\ProgramData\\Microsoft\\Windows\\Start Menu"));
  win::TRegistry registry;
  ASSERT_TRUE(registry.OpenKey(kShellFolders, true));
  registry.WriteString("Common Startup", "C:\\Menus\\Common");
  registry.WriteString("startup", "c:\\menus\\MINE");  // any letter case
  registry.WriteString("Start Menu", "C:\\Menus\\Gone");
  registry.WriteInteger("Common Start Menu", 1);  // not a path: the default

  EXPECT_EQ(Lookup(win::CSIDL_COMMON_STARTUP).Path, "C:\\Menus\\Common");
  EXPECT_EQ(Lookup(win::CSIDL_STARTUP).Path, "c:\\menus\\MINE");
  EXPECT_EQ(Lookup(win::CSIDL_STARTMENU).Result, win::E_FOLDER_NOT_FOUND);
  EXPECT_EQ(Lookup(win::CSIDL_COMMON_STARTMENU).Path,
            "C:\\ProgramData\\Microsoft\\Windows\\Start Menu");
}

TEST(ShellTest, RefusesWhatItDoesNotKnow) {
  TempPrefix prefix;
  win::LPITEMIDLIST list = nullptr;
  EXPECT_EQ(win::SHGetSpecialFolderLocation(nullptr, 0x0005, &list), win::E_INVALIDARG);
  EXPECT_EQ(win::SHGetSpecialFolderLocation(nullptr, win::CSIDL_STARTUP, nullptr),
            win::E_INVALIDARG);
  char path[260];
  EXPECT_FALSE(win::SHGetPathFromIDList(nullptr, path));

  testing_support::WriteFile(prefix.root() / "system.reg", "not a hive\r\n");
  EXPECT_EQ(Lookup(win::CSIDL_COMMON_STARTUP).Result, win::E_FAIL);
}

}  // namespace
