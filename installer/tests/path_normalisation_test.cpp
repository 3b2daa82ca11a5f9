#include "installer/path_normalisation.h"

#include <filesystem>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "platform/files.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "tests/support/expect_raises.h"
#include "tests/support/temp_prefix.h"

namespace {

using installer::kPrinterKey;
using installer::NormaliseConfigurationPaths;
using win::DWORD;

struct TValue {
  DWORD Type;
  std::string Text;
  bool operator==(const TValue&) const = default;
};

void Write(const std::string& name, const TValue& value) {
  win::TRegistry registry;
  ASSERT_TRUE(registry.OpenKey(kPrinterKey, true));
  if (value.Type == win::REG_EXPAND_SZ) {
    registry.WriteExpandString(name, value.Text);
  } else if (value.Type == win::REG_DWORD) {
    registry.WriteInteger(name, win::StrToInt(value.Text));
  } else {
    registry.WriteString(name, value.Text);
  }
}

std::optional<TValue> Read(const std::string& name) {
  win::TRegistry registry;
  if (!registry.OpenKeyReadOnly(kPrinterKey) || !registry.ValueExists(name)) return std::nullopt;
  const DWORD type = registry.GetDataType(name);
  if (type == win::REG_DWORD) return TValue{type, std::to_string(registry.ReadInteger(name))};
  return TValue{type, registry.ReadString(name)};
}

class PathNormalisationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(FPrefix.OnDriveC("C:\\Work"));
    ASSERT_TRUE(win::SetCurrentDir("C:\\Work"));
    win::TRegistry registry;
    ASSERT_TRUE(registry.OpenKey("SOFTWARE\\Zerurud\\Platform\\Network\\Connections", true));
    registry.WriteString("X:", "\\\\srv\\data");
  }

  testing_support::TempPrefix FPrefix;
};

TEST_F(PathNormalisationTest, EachValueBecomesAFullUniversalString) {
  const DWORD sz = win::REG_SZ;
  const std::string longPath = "C:\\" + std::string(300, 'a');
  struct {
    const char* name;
    TValue before;
    TValue after;
  } const cases[] = {
      {"FilePath", {sz, "C:\\Capture\\..\\Out"}, {sz, "C:\\Out"}},
      {"FilePath", {sz, "Out"}, {sz, "C:\\Work\\Out"}},
      {"FilePath", {sz, "X:\\Capture\\.\\In"}, {sz, "\\\\srv\\data\\Capture\\In"}},
      {"FilePath", {sz, "\\\\srv\\data\\a\\..\\b"}, {sz, "\\\\srv\\data\\b"}},
      {"FilePath", {sz, "\\\\srv\\data\\b"}, {sz, "\\\\srv\\data\\b"}},
      {"FilePath", {win::REG_EXPAND_SZ, "%ProgramFiles%\\x"}, {sz, "C:\\Work\\%ProgramFiles%\\x"}},
      {"FilePath", {win::REG_EXPAND_SZ, "C:\\Capture"}, {sz, "C:\\Capture"}},
      {"FilePath", {sz, longPath}, {sz, longPath}},  // its full path would not fit
      {"Command Line", {sz, "C:\\Apps\\..\\Tools\\run.exe"}, {sz, "C:\\Tools\\run.exe"}},
      {"Command Line", {sz, "X:"}, {sz, "\\\\srv\\data\\"}},
      {"Chain", {sz, "\"C:\\Apps\\DAVURI.EXE\""}, {sz, "C:\\Work\\\"C:\\Apps\\DAVURI.EXE\""}},
      {"Chain", {sz, "D:\\Apps\\DAVURI.EXE"}, {sz, "D:\\Apps\\DAVURI.EXE"}},
      {"FilePath", {sz, ""}, {sz, ""}},
      {"Chain", {win::REG_EXPAND_SZ, ""}, {win::REG_EXPAND_SZ, ""}},
  };
  for (const auto& c : cases) {
    Write(c.name, c.before);
    NormaliseConfigurationPaths();
    EXPECT_EQ(Read(c.name), c.after) << c.name << " " << c.before.Text;
  }
}

TEST_F(PathNormalisationTest, OnlyTheThreeValuesThatExistAreTouched) {
  Write("ExpandTo", {win::REG_DWORD, "42"});
  Write("Other", {win::REG_SZ, "Out"});
  Write("Chain", {win::REG_SZ, "Out"});
  NormaliseConfigurationPaths();
  EXPECT_EQ(Read("Chain"), (TValue{win::REG_SZ, "C:\\Work\\Out"}));
  EXPECT_EQ(Read("ExpandTo"), (TValue{win::REG_DWORD, "42"}));
  EXPECT_EQ(Read("Other"), (TValue{win::REG_SZ, "Out"}));
  EXPECT_EQ(Read("FilePath"), std::nullopt);
  EXPECT_EQ(Read("Command Line"), std::nullopt);

  win::TRegistry registry;
  ASSERT_TRUE(registry.OpenKey("SOFTWARE\\Zerurud", false));
  ASSERT_TRUE(registry.DeleteKey("Printer"));
  NormaliseConfigurationPaths();
  EXPECT_FALSE(win::TRegistry().KeyExists(kPrinterKey));
}

TEST_F(PathNormalisationTest, AValueThatIsNotAStringStopsTheRun) {
  Write("FilePath", {win::REG_DWORD, "7"});
  Write("Command Line", {win::REG_SZ, "Out"});
  Write("Chain", {win::REG_SZ, "Out"});
  testing_support::ExpectRaises<win::ERegistryException>([] { NormaliseConfigurationPaths(); },
                                                         "Invalid data type for 'FilePath'");
  EXPECT_EQ(Read("FilePath"), (TValue{win::REG_DWORD, "7"}));
  EXPECT_EQ(Read("Command Line"), (TValue{win::REG_SZ, "Out"}));
  EXPECT_EQ(Read("Chain"), (TValue{win::REG_SZ, "Out"}));
}

}  // namespace
