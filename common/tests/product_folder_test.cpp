#include "common/product_folder.h"

#include <string>

#include <gtest/gtest.h>

#include "common/computer_name.h"
#include "common/product.h"
#include "platform/params.h"
#include "platform/registry.h"
#include "tests/support/fake_dialogs.h"
#include "tests/support/temp_prefix.h"

namespace common {

namespace {

void SetRegistryString(const std::string& key, const std::string& name, const std::string& value) {
  win::TRegistry registry;
  ASSERT_TRUE(registry.OpenKey(key, true)) << key;
  registry.WriteString(name, value);
}

class ProductFolder : public ::testing::Test {
 protected:
  void SetUp() override { win::SetCommandLine("C:\\Apps\\DAVURI.EXE", {}); }

  testing_support::TempPrefix FPrefix;
  testing_support::TFakeOpenDialog FDialog;
  testing_support::TFakeErrorBox FErrors;
};

TEST_F(ProductFolder, FromTheRegistry) {
  struct TCase {
    const char* directory;  // nullptr: the key has no "Directory"
    const char* folder;
  };
  const TCase cases[] = {
      {"C:\\Apps\\VEZ", "C:\\Apps\\VEZ\\"},
      {"C:\\Apps\\VEZ\\", "C:\\Apps\\VEZ\\"},
      {"\\\\srv\\data\\VEZ", "\\\\srv\\data\\VEZ\\"},
      {nullptr, "\\"},
  };
  for (const TCase& c : cases) {
    win::TRegistry registry;
    registry.DeleteKey(std::string(kProductRegistryKey));
    if (c.directory) {
      SetRegistryString(std::string(kProductRegistryKey), std::string(kProductDirectoryValue),
                        c.directory);
    } else {
      SetRegistryString(std::string(kProductRegistryKey), std::string(kProductHostValue), "db");
    }
    EXPECT_EQ(LocateProductFolder(FDialog, FErrors), c.folder) << (c.directory ? c.directory : "-");
  }
  EXPECT_TRUE(FErrors.Messages.empty());
  EXPECT_TRUE(FDialog.InitialDirsSeen.empty()) << "no dialog while the key opens";
}

TEST_F(ProductFolder, WithoutTheKeyTheUserBrowsesUntilAFileIsPicked) {
  FDialog.Picks = {"", "", "D:\\Programs\\VEZ\\VEZ7.EXE"};
  EXPECT_EQ(LocateProductFolder(FDialog, FErrors), "D:\\Programs\\VEZ\\");
  EXPECT_EQ(FErrors.Messages, std::vector<std::string>(3, "Ruvuduzer Directory Not Found!"));
  EXPECT_EQ(FDialog.InitialDirsSeen, std::vector<std::string>(3, "C:\\Apps\\"));
}

TEST_F(ProductFolder, ACancelledDialogKeepsItsFileNameWithoutAFolder) {
  FDialog.FileName = "VEZ7.EXE";
  FDialog.Picks = {"", "VEZ7.EXE", "C:\\VEZ\\VEZ7.EXE"};
  EXPECT_EQ(LocateProductFolder(FDialog, FErrors), "C:\\VEZ\\");
  EXPECT_EQ(FErrors.Messages.size(), 3u);
}

TEST(LocalComputerName, FromTheHive) {
  testing_support::TempPrefix prefix;
  SetRegistryString("SYSTEM\\CurrentControlSet\\Control\\ComputerName\\ComputerName",
                    "ComputerName", "PC1");
  EXPECT_EQ(LocalComputerName(), "PC1");
}

}  // namespace

}  // namespace common
