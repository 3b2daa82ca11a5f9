#include <string>

#include <gtest/gtest.h>

#include "platform/prefix.h"
#include "splitter/ui/fselect_paths.h"
#include "tests/support/temp_prefix.h"

namespace splitter {

namespace {

// The connected disks in stored order; "@" is a connection without a drive
// letter, which takes back the line of an earlier connection to its share.
const std::string kConnections =
    "Windows Registry Editor Version 5.00\r\n\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Zerurud\\Platform\\Network\\Connections]\r\n"
    "\"X:\"=\"\\\\\\\\srv\\\\data\"\r\n"
    "\"Q:\"=\"\\\\\\\\other\\\\share\\\\\"\r\n"
    "\"W:\"=\"\\\\\\\\dup\\\\share\"\r\n"
    "@=\"\\\\\\\\dup\\\\share\"\r\n"
    "\"M:\"=\"\\\\\\\\same\\\\share\"\r\n"
    "\"N:\"=\"\\\\\\\\SAME\\\\share\"\r\n";

class DriveMapping : public ::testing::Test {
 protected:
  void SetUp() override { testing_support::WriteFile(win::HivePath(), kConnections); }

  testing_support::TempPrefix FPrefix;
  TFSelectPaths FPaths;
};

TEST_F(DriveMapping, SharesBecomeTheirDrives) {
  const std::string longRest(1200, 'a');
  const std::pair<std::string, std::string> cases[] = {
      // The share in any letter case; the backslash after it is dropped
      {"\\\\SRV\\DATA\\in\\a.ruz", "X:\\in\\a.ruz"},
      {"\\\\srv\\data\\", "X:\\"},
      {"\\\\srv\\data", "X:\\"},
      // A remote name stored with a final backslash still matches
      {"\\\\other\\share\\dir\\a.ruz", "Q:\\dir\\a.ruz"},
      // The later of two connections to one share wins; a connection
      // without a letter leaves its share unmapped
      {"\\\\same\\share\\a.ruz", "N:\\a.ruz"},
      {"\\\\dup\\share\\a.ruz", "\\\\dup\\share\\a.ruz"},
      // Unconnected shares, and shares whose names only begin the same
      {"\\\\srv\\other\\a.ruz", "\\\\srv\\other\\a.ruz"},
      {"\\\\srv\\database\\a.ruz", "\\\\srv\\database\\a.ruz"},
      {"\\\\srv\\dat", "\\\\srv\\dat"},
      // Paths on drives stay
      {"X:\\in\\a.ruz", "X:\\in\\a.ruz"},
      {"", ""},
      // At most 999 characters follow the drive
      {"\\\\srv\\data\\" + longRest, "X:\\" + longRest.substr(0, 999)},
  };
  for (const auto& [path, mapped] : cases) {
    EXPECT_EQ(FPaths.MapToLocalDrive(path), mapped) << path;
  }
}

TEST_F(DriveMapping, ConnectionsAreThoseOfTheFirstCall) {
  EXPECT_EQ(FPaths.RemoteToLocal, nullptr);
  EXPECT_EQ(FPaths.MapToLocalDrive("\\\\srv\\data\\a.ruz"), "X:\\a.ruz");
  ASSERT_NE(FPaths.RemoteToLocal, nullptr);
  EXPECT_EQ(FPaths.RemoteToLocal->Text(),
            "\\\\srv\\data=X:\r\n\\\\other\\share=Q:\r\n\\\\SAME\\share=N:\r\n");
  testing_support::WriteFile(win::HivePath(), "Windows Registry Editor Version 5.00\r\n");
  EXPECT_EQ(FPaths.MapToLocalDrive("\\\\srv\\data\\b.ruz"), "X:\\b.ruz");
}

TEST_F(DriveMapping, WithoutTheNetworkPathsPassUnmapped) {
  testing_support::WriteFile(win::HivePath(), "not a hive\r\n");
  EXPECT_EQ(FPaths.MapToLocalDrive("\\\\srv\\data\\a.ruz"), "\\\\srv\\data\\a.ruz");
  ASSERT_NE(FPaths.RemoteToLocal, nullptr);
  EXPECT_EQ(FPaths.RemoteToLocal->Count(), 0);
}

}  // namespace

}  // namespace splitter
