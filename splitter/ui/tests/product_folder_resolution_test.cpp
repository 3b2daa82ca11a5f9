#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "common/product.h"
#include "platform/inifile.h"
#include "platform/params.h"
#include "platform/registry.h"
#include "splitter/ui/fselect_paths.h"
#include "tests/support/expect_raises.h"
#include "tests/support/fake_dialogs.h"
#include "tests/support/temp_prefix.h"

namespace splitter {

namespace {

namespace fs = std::filesystem;

const std::string kIni = "C:\\Apps\\DAVURI.INI";

void SetRegistryString(const std::string& key, const std::string& name, const std::string& value) {
  win::TRegistry registry;
  ASSERT_TRUE(registry.OpenKey(key, true)) << key;
  registry.WriteString(name, value);
}

void SetComputerName(const std::string& name) {
  SetRegistryString("\\SYSTEM\\CurrentControlSet\\Control\\ComputerName\\ComputerName",
                    "ComputerName", name);
}

// This computer is PC1 with the product in C:\Apps\VEZ; drive X: is
// \\srv\data, which lives in the host folder "srv_data".
class ResolveProductFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    win::SetCommandLine("C:\\Apps\\DAVURI.EXE", {});
    SetComputerName("PC1");
    SetRegistryString(std::string(common::kProductRegistryKey),
                      std::string(common::kProductDirectoryValue), "C:\\Apps\\VEZ");
    fs::create_directories(FPrefix.OnDriveC("C:\\Apps\\VEZ"));
    fs::create_directories(FPrefix.root() / "srv_data" / "VEZ");
    fs::create_directory_symlink("../srv_data", FPrefix.root() / "dosdevices" / "x:");
    SetRegistryString("\\SOFTWARE\\Zerurud\\Platform\\Network\\Connections", "X:", "\\\\srv\\data");
    ServeShare("\\\\srv\\data", FPrefix.root() / "srv_data");
  }

  void ServeShare(const std::string& share, const fs::path& hostFolder) {
    SetRegistryString("\\SOFTWARE\\Zerurud\\Platform\\Network\\Shares", share, hostFolder.string());
  }

  void SetStored(const std::string& value) {
    win::TIniFile(kIni).WriteString("Configuration", "DurEDOPath", value);
  }
  std::string Stored() const {
    return win::TIniFile(kIni).ReadString("Configuration", "DurEDOPath", "<none>");
  }

  // One start of the window: the product folder it settles on.
  std::string Start() {
    TFSelectPaths paths;
    win::TIniFile ini(kIni);
    paths.ResolveProductFolder(ini, FDialog, FErrors);
    return paths.ProductFolder;
  }

  testing_support::TempPrefix FPrefix;
  testing_support::TFakeOpenDialog FDialog;
  testing_support::TFakeErrorBox FErrors;
};

TEST_F(ResolveProductFolder, StoredValues) {
  fs::create_directories(FPrefix.OnDriveC("C:\\Other\\VEZ"));
  const struct {
    const char* stored;
    const char* folder;
    const char* written;
  } cases[] = {
      // Nothing stored, or no such folder: the product's own record, which
      // other computers reach through this computer's name
      {"", "C:\\Apps\\VEZ\\", "\\\\PC1\\Apps\\VEZ\\"},
      {"C:\\Missing\\", "C:\\Apps\\VEZ\\", "\\\\PC1\\Apps\\VEZ\\"},
      // A folder on C: as it is stored
      {"C:\\Other\\VEZ\\", "C:\\Other\\VEZ\\", "\\\\PC1\\Other\\VEZ\\"},
      {"c:\\other\\vez\\", "c:\\other\\vez\\", "\\\\PC1\\other\\vez\\"},
      // Without its final backslash the folder is still written whole
      {"C:\\Other\\VEZ", "C:\\Other\\VEZ\\", "\\\\PC1\\Other\\VEZ\\"},
      // A mapped drive is written as its share
      {"X:\\VEZ\\", "X:\\VEZ\\", "\\\\srv\\data\\VEZ\\"},
      {"x:\\VEZ", "x:\\VEZ\\", "\\\\srv\\data\\VEZ"},
      // A share is written as it is
      {"\\\\srv\\data\\VEZ\\", "\\\\srv\\data\\VEZ\\", "\\\\srv\\data\\VEZ\\"},
  };
  for (const auto& c : cases) {
    SetStored(c.stored);
    EXPECT_EQ(Start(), c.folder) << c.stored;
    EXPECT_EQ(Stored(), c.written) << c.stored;
  }
  EXPECT_TRUE(FErrors.Messages.empty());
  EXPECT_TRUE(FDialog.InitialDirsSeen.empty());
}

// The shared form written by a start on PC1 sends PC1 back to its own
// installation, whether or not its share can be reached; other computers
// keep the shared form.
TEST_F(ResolveProductFolder, EachComputerFindsTheSharedInstallation) {
  for (const bool served : {false, true}) {
    if (served) ServeShare("\\\\PC1\\Apps", FPrefix.OnDriveC("C:\\Apps"));
    SetComputerName("PC1");
    SetStored("");
    EXPECT_EQ(Start(), "C:\\Apps\\VEZ\\") << served;
    EXPECT_EQ(Stored(), "\\\\PC1\\Apps\\VEZ\\") << served;
    EXPECT_EQ(Start(), "C:\\Apps\\VEZ\\") << "the next start on PC1, served " << served;
    EXPECT_EQ(Stored(), "\\\\PC1\\Apps\\VEZ\\") << served;
  }
  SetComputerName("PC2");
  EXPECT_EQ(Start(), "\\\\PC1\\Apps\\VEZ\\");
  EXPECT_EQ(Stored(), "\\\\PC1\\Apps\\VEZ\\");
  // The name is matched in its exact letter case.
  SetComputerName("pc1");
  EXPECT_EQ(Start(), "\\\\PC1\\Apps\\VEZ\\");
}

TEST_F(ResolveProductFolder, AConfigurationFileThatCannotBeWritten) {
  TFSelectPaths paths;
  win::TIniFile ini("C:\\Missing\\DAVURI.INI");
  testing_support::ExpectRaises<win::EIniFileException>(
      [&] { paths.ResolveProductFolder(ini, FDialog, FErrors); },
      "Unable to write to C:\\Missing\\DAVURI.INI");
  EXPECT_FALSE(fs::exists(FPrefix.OnDriveC("C:\\Missing")));
}

}  // namespace

}  // namespace splitter
