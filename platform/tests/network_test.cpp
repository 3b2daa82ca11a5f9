#include "platform/network.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/error.h"
#include "platform/prefix.h"
#include "tests/support/temp_prefix.h"

namespace {

const std::string kTables =
    "Windows Registry Editor Version 5.00\r\n\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Zerurud\\Platform\\Network\\Connections]\r\n"
    "\"X:\"=\"\\\\\\\\srv\\\\data\"\r\n"
    "\"q:\"=\"\\\\\\\\other\\\\share\\\\\"\r\n"
    "\"N:\"=dword:00000001\r\n"
    "\"E:\"=\"\"\r\n\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Zerurud\\Platform\\Network\\Shares]\r\n"
    "\"\\\\\\\\srv\\\\data\"=\"/srv/export/data\"\r\n";

class Network : public ::testing::Test {
 protected:
  void SetUp() override { testing_support::WriteFile(win::HivePath(), kTables); }
  testing_support::TempPrefix FPrefix;
};

TEST_F(Network, EnumeratesConnectedDisksInStoredOrder) {
  std::vector<win::TNetResource> disks;
  ASSERT_TRUE(win::EnumConnectedDisks(disks));
  ASSERT_EQ(disks.size(), 3u) << "the entry that is no text is left out";
  EXPECT_EQ(disks[0].LocalName, "X:");
  EXPECT_EQ(disks[0].RemoteName, "\\\\srv\\data");
  EXPECT_EQ(disks[1].LocalName, "q:");
  EXPECT_EQ(disks[2].RemoteName, "");
}

TEST_F(Network, NoTableMeansNoConnections) {
  testing_support::WriteFile(win::HivePath(), "Windows Registry Editor Version 5.00\r\n");
  std::vector<win::TNetResource> disks{{"Z:", "stale"}};
  ASSERT_TRUE(win::EnumConnectedDisks(disks));
  EXPECT_TRUE(disks.empty());
}

TEST_F(Network, UnreadableHiveMakesTheProviderUnavailable) {
  testing_support::WriteFile(win::HivePath(), "not a hive\r\n");
  std::vector<win::TNetResource> disks;
  EXPECT_FALSE(win::EnumConnectedDisks(disks));
  EXPECT_EQ(win::GetLastError(), win::ERROR_NO_NETWORK);
  std::string name;
  EXPECT_EQ(win::WNetGetUniversalName("X:\\a", name, 1024), win::ERROR_NO_NETWORK);
}

TEST_F(Network, UniversalNames) {
  struct {
    const char* path;
    win::DWORD result;
    const char* universal;
  } const cases[] = {
      {"X:\\in\\a.ruz", win::NO_ERROR, "\\\\srv\\data\\in\\a.ruz"},
      {"x:\\IN", win::NO_ERROR, "\\\\srv\\data\\IN"},
      {"X:\\", win::NO_ERROR, "\\\\srv\\data\\"},
      {"X:", win::NO_ERROR, "\\\\srv\\data"},
      {"X:rel", win::NO_ERROR, "\\\\srv\\data\\rel"},
      {"Q:\\dir", win::NO_ERROR, "\\\\other\\share\\dir"},
      {"C:\\local", win::ERROR_NOT_CONNECTED, ""},
      {"N:\\number", win::ERROR_NOT_CONNECTED, ""},
      {"E:\\empty", win::ERROR_NOT_CONNECTED, ""},
      {"\\\\srv\\data\\a", win::ERROR_BAD_DEVICE, ""},
      {"relative\\a", win::ERROR_BAD_DEVICE, ""},
      {"1:\\a", win::ERROR_BAD_DEVICE, ""},
      {"", win::ERROR_BAD_DEVICE, ""},
  };
  for (const auto& row : cases) {
    std::string name;
    EXPECT_EQ(win::WNetGetUniversalName(row.path, name, 1024), row.result) << row.path;
    EXPECT_EQ(name, row.universal) << row.path;
    EXPECT_EQ(win::GetLastError(), row.result) << row.path;
  }
}

TEST_F(Network, UniversalNameMustFitTheBufferWithItsTerminator) {
  const std::string universal = "\\\\srv\\data\\in";  // 13 characters
  std::string name = "untouched";
  EXPECT_EQ(win::WNetGetUniversalName("X:\\in", name, universal.size()), win::ERROR_MORE_DATA);
  EXPECT_EQ(name, "untouched");
  EXPECT_EQ(win::WNetGetUniversalName("X:\\in", name, universal.size() + 1), win::NO_ERROR);
  EXPECT_EQ(name, universal);
}

TEST_F(Network, ShareHostFolders) {
  std::filesystem::path folder;
  ASSERT_TRUE(win::FindShareHostFolder("\\\\SRV\\Data", folder));
  EXPECT_EQ(folder, "/srv/export/data");
  folder.clear();
  ASSERT_TRUE(win::FindShareHostFolder("\\\\srv\\data\\", folder));
  EXPECT_EQ(folder, "/srv/export/data");
  EXPECT_FALSE(win::FindShareHostFolder("\\\\other\\share", folder));
  EXPECT_FALSE(win::FindShareHostFolder("\\\\srv", folder));
}

}  // namespace
