#include "platform/hostpath.h"

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "platform/error.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "tests/support/temp_prefix.h"

namespace {

namespace fs = std::filesystem;
using testing_support::TempPrefix;
using testing_support::WriteFile;

class HostPathTest : public ::testing::Test {
 protected:
  // The host path of a Windows path, relative to drive C:'s link.
  std::string MappedBelowC(const std::string& windowsPath) {
    fs::path host;
    EXPECT_TRUE(win::HostPathFromWindows(windowsPath, host)) << windowsPath;
    return host.lexically_relative(prefix_.root() / "dosdevices" / "c:").generic_string();
  }

  TempPrefix prefix_;
};

TEST_F(HostPathTest, ExistingComponentsAreFoundWhateverTheirCase) {
  WriteFile(prefix_.driveC() / "cfg" / "my.ini", "x");
  WriteFile(prefix_.driveC() / "Jobs" / "In" / "TL-a.ruz", "x");
  const struct {
    const char* windows;
    const char* host;
  } cases[] = {
      {"C:\\CFG\\MY.INI", "cfg/my.ini"},
      {"c:\\cfg\\my.ini", "cfg/my.ini"},
      {"C:\\jobs\\IN\\tl-A.RUZ", "Jobs/In/TL-a.ruz"},
      // Only the part that exists is folded; the rest keeps its spelling.
      {"C:\\CFG\\New.Ini", "cfg/New.Ini"},
      {"C:\\JOBS\\Out\\Sub\\X.dat", "Jobs/Out/Sub/X.dat"},
      {"C:\\", "."},
      {"C:\\cfg\\\\my.ini\\", "cfg/my.ini"},
  };
  for (const auto& c : cases) EXPECT_EQ(MappedBelowC(c.windows), c.host) << c.windows;
}

TEST_F(HostPathTest, AnExactMatchWinsOverOnesDifferingInCase) {
  WriteFile(prefix_.driveC() / "data" / "a.txt", "lower");
  WriteFile(prefix_.driveC() / "Data" / "a.txt", "capital");
  EXPECT_EQ(MappedBelowC("C:\\data\\a.txt"), "data/a.txt");
  EXPECT_EQ(MappedBelowC("C:\\Data\\a.txt"), "Data/a.txt");
  // Neither spelling given: the choice is the same every time.
  EXPECT_EQ(MappedBelowC("C:\\DATA\\a.txt"), "Data/a.txt");
}

TEST_F(HostPathTest, PathsThatCannotBeMapped) {
  const struct {
    std::string windows;
    win::DWORD code;
  } cases[] = {
      {"Q:\\a.txt", win::ERROR_PATH_NOT_FOUND},
      {"a.txt", win::ERROR_INVALID_NAME},
      {"C:a.txt", win::ERROR_INVALID_NAME},
      {"\\a.txt", win::ERROR_INVALID_NAME},
      {"C:\\a\\..\\..\\etc", win::ERROR_INVALID_NAME},
      {"C:\\a\\.\\b", win::ERROR_INVALID_NAME},
      {"C:\\a?b", win::ERROR_INVALID_NAME},
      {"C:\\a:b", win::ERROR_INVALID_NAME},
      {"C:\\a\tb", win::ERROR_INVALID_NAME},
      // A "/" would be a separator on the host: one component must not climb
      // out of its folder, nor a zero byte cut the name short.
      {"C:\\x/../../etc/passwd", win::ERROR_INVALID_NAME},
      {"C:\\x\\a/b", win::ERROR_INVALID_NAME},
      {std::string("C:\\a\0b", 6), win::ERROR_INVALID_NAME},
  };
  for (const auto& c : cases) {
    fs::path host = "untouched";
    EXPECT_FALSE(win::HostPathFromWindows(c.windows, host)) << c.windows;
    EXPECT_EQ(win::GetLastError(), c.code) << c.windows;
    EXPECT_EQ(host, "untouched") << c.windows;
  }
}

TEST_F(HostPathTest, HostPathsInWindowsForm) {
  fs::create_directories(prefix_.driveC() / "Work" / "In");
  fs::create_directory_symlink(prefix_.driveC() / "Work", prefix_.root() / "dosdevices" / "w:");
  const struct {
    fs::path host;
    const char* windows;
  } cases[] = {
      {prefix_.driveC(), "C:\\"},
      {prefix_.driveC() / "Jobs" / "a.ruz", "C:\\Jobs\\a.ruz"},
      // The drive with the longest link target wins.
      {prefix_.driveC() / "Work" / "In", "W:\\In"},
      {prefix_.driveC() / "Workshop", "C:\\Workshop"},
      {"/", "Z:\\"},
      {"/usr/lib", "Z:\\usr\\lib"},
  };
  for (const auto& c : cases) {
    std::string windows;
    ASSERT_TRUE(win::WindowsPathFromHost(c.host, windows)) << c.host;
    EXPECT_EQ(windows, c.windows) << c.host;
  }
}

TEST_F(HostPathTest, AHostPathNoDriveCoversHasNoWindowsForm) {
  fs::remove(prefix_.root() / "dosdevices" / "z:");
  std::string windows = "untouched";
  EXPECT_FALSE(win::WindowsPathFromHost("/usr", windows));
  EXPECT_EQ(win::GetLastError(), win::ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(windows, "untouched");
}

TEST_F(HostPathTest, UncPathsLiveWhereTheShareTableSays) {
  const fs::path share = prefix_.root() / "shares" / "data";
  WriteFile(share / "In" / "a.ruz", "capture");
  win::TRegistry registry;
  ASSERT_TRUE(registry.OpenKey("SOFTWARE\\Zerurud\\Platform\\Network\\Shares", true));
  registry.WriteString("\\\\srv\\data", share.string());

  fs::path host;
  ASSERT_TRUE(win::HostPathFromWindows("\\\\SRV\\Data\\IN\\A.RUZ", host));
  EXPECT_EQ(host, share / "In" / "a.ruz");
  ASSERT_TRUE(win::HostPathFromWindows("\\\\srv\\data", host));
  EXPECT_EQ(host, share);

  // The file operations reach shares too, relative names included.
  ASSERT_TRUE(win::SetCurrentDir("\\\\srv\\data\\in"));
  EXPECT_EQ(win::GetCurrentDir(), "\\\\srv\\data\\in");
  std::string data;
  ASSERT_TRUE(win::ReadWholeFile("..\\IN\\a.ruz", data));
  EXPECT_EQ(data, "capture");

  const struct {
    const char* windows;
    win::DWORD code;
  } cases[] = {
      {"\\\\srv\\other\\a.ruz", win::ERROR_BAD_NET_NAME},
      {"\\\\elsewhere\\data", win::ERROR_BAD_NET_NAME},
      {"\\\\srv", win::ERROR_BAD_NETPATH},
      {"\\\\srv\\", win::ERROR_BAD_NETPATH},
  };
  for (const auto& c : cases) {
    EXPECT_FALSE(win::HostPathFromWindows(c.windows, host)) << c.windows;
    EXPECT_EQ(win::GetLastError(), c.code) << c.windows;
  }
}

}  // namespace
