#include "platform/registry.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/error.h"
#include "platform/prefix.h"
#include "tests/support/expect_raises.h"
#include "tests/support/temp_prefix.h"

namespace {

using testing_support::ExpectRaises;
using win::ERegistryException;
using win::TRegistry;

const std::string kHeader = "Windows Registry Editor Version 5.00\r\n\r\n";
const std::string kPrinterKey = "SOFTWARE\\Zerurud\\Printer";

class Registry : public ::testing::Test {
 protected:
  void WriteHive(const std::string& body) {
    testing_support::WriteFile(win::HivePath(), kHeader + body);
  }
  std::string HiveText() { return testing_support::ReadFile(win::HivePath()); }

  testing_support::TempPrefix FPrefix;
};

TEST_F(Registry, EveryTypeRoundTripsThroughTheFile) {
  {
    TRegistry writer;
    ASSERT_TRUE(writer.OpenKey(kPrinterKey, true));
    writer.WriteString("FilePath", "C:\\Capture\\");
    writer.WriteExpandString("Chain", "%ProgramFiles%\\DAVURI.exe");
    writer.WriteInteger("ExpandTo", 70);
    writer.WriteInteger("Negative", -2);
    writer.WriteBinary("Blob", std::string("\0\x01\xff", 3));
    writer.WriteMultiString("Suite", {"Terminal Server", "", "Other"});
    writer.WriteString("", "default");
    writer.CloseKey();
  }
  TRegistry reader(win::KEY_READ);
  ASSERT_TRUE(reader.OpenKey("\\software\\zerurud\\PRINTER", false));
  EXPECT_EQ(reader.CurrentPath(), kPrinterKey);
  EXPECT_EQ(reader.ReadString("filepath"), "C:\\Capture\\");
  EXPECT_EQ(reader.ReadString("Chain"), "%ProgramFiles%\\DAVURI.exe") << "never expanded";
  EXPECT_EQ(reader.GetDataType("Chain"), win::REG_EXPAND_SZ);
  EXPECT_EQ(reader.ReadInteger("ExpandTo"), 70);
  EXPECT_EQ(reader.ReadInteger("Negative"), -2);
  EXPECT_EQ(reader.ReadBinary("Blob"), std::string("\0\x01\xff", 3));
  EXPECT_EQ(reader.ReadMultiString("Suite"),
            (std::vector<std::string>{"Terminal Server", "Other"}));
  EXPECT_EQ(reader.ReadString(""), "default");
  EXPECT_EQ(reader.GetValueNames(), (std::vector<std::string>{"FilePath", "Chain", "ExpandTo",
                                                              "Negative", "Blob", "Suite", ""}));
  EXPECT_NE(HiveText().find("\"Chain\"=hex(2):25,00,50,00"), std::string::npos) << HiveText();
}

TEST_F(Registry, MissingValuesAndWrongTypes) {
  WriteHive(
      "[HKEY_LOCAL_MACHINE\\K]\r\n\"s\"=\"text\"\r\n\"d\"=dword:00000001\r\n"
      "\"b\"=hex:01\r\n\"m\"=hex(7):61,00,00,00,00,00\r\n\"n\"=hex(0):\r\n");
  TRegistry registry;
  ASSERT_TRUE(registry.OpenKey("K", false));
  EXPECT_EQ(registry.ReadString("missing"), "");
  EXPECT_EQ(registry.ReadString("n"), "") << "a value without data is empty text, not a type error";
  EXPECT_TRUE(registry.ReadMultiString("missing").empty());
  EXPECT_FALSE(registry.ValueExists("missing"));
  EXPECT_TRUE(registry.ValueExists("N")) << "a REG_NONE value exists";
  EXPECT_EQ(registry.GetDataType("missing"), win::REG_NONE);

  struct {
    const char* call;
    std::function<void()> read;
    const char* message;
  } const cases[] = {
      {"ReadString(d)", [&] { registry.ReadString("d"); }, "Invalid data type for 'd'"},
      {"ReadString(b)", [&] { registry.ReadString("b"); }, "Invalid data type for 'b'"},
      {"ReadString(m)", [&] { registry.ReadString("m"); }, "Invalid data type for 'm'"},
      {"ReadInteger(s)", [&] { registry.ReadInteger("s"); }, "Invalid data type for 's'"},
      {"ReadInteger(missing)", [&] { registry.ReadInteger("missing"); },
       "Failed to get data for 'missing'"},
      {"ReadMultiString(s)", [&] { registry.ReadMultiString("s"); }, "Invalid data type for 's'"},
      {"ReadBinary(s)", [&] { registry.ReadBinary("s"); }, "Invalid data type for 's'"},
      {"ReadBinary(missing)", [&] { registry.ReadBinary("missing"); },
       "Failed to get data for 'missing'"},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(row.call);
    ExpectRaises<ERegistryException>(row.read, row.message);
  }
}

TEST_F(Registry, WriteStringStoresPlainTextWhateverTheTypeWas) {
  WriteHive("[HKEY_LOCAL_MACHINE\\K]\r\n\"v\"=hex(2):41,00,00,00\r\n\"d\"=dword:00000005\r\n");
  TRegistry registry;
  ASSERT_TRUE(registry.OpenKey("K", false));
  registry.WriteString("V", "B");
  registry.WriteString("d", "text");
  EXPECT_EQ(HiveText(), kHeader + "[HKEY_LOCAL_MACHINE\\K]\r\n\"v\"=\"B\"\r\n\"d\"=\"text\"\r\n");
}

TEST_F(Registry, KeysOpenRelativeToTheOpenKeyAndKeepTheirSpelling) {
  TRegistry registry;
  EXPECT_FALSE(registry.OpenKey("Software\\Zerurud", false));
  EXPECT_EQ(win::GetLastError(), win::ERROR_FILE_NOT_FOUND);
  ASSERT_TRUE(registry.OpenKey("Software\\Zerurud", true));
  ASSERT_TRUE(registry.OpenKey("Printer", true));
  EXPECT_EQ(registry.CurrentPath(), "Software\\Zerurud\\Printer");
  ASSERT_TRUE(registry.OpenKey("\\SOFTWARE\\ZERURUD", false));
  EXPECT_EQ(registry.CurrentPath(), "Software\\Zerurud");
  ASSERT_TRUE(registry.OpenKey("Ruvuduzer", true));
  ASSERT_TRUE(registry.OpenKey("\\software\\zerurud", false));
  EXPECT_EQ(registry.GetKeyNames(), (std::vector<std::string>{"Printer", "Ruvuduzer"}));
  EXPECT_TRUE(registry.KeyExists("printer"));
  EXPECT_TRUE(registry.KeyExists("\\Software"));
  EXPECT_FALSE(registry.KeyExists("\\Printer"));
  EXPECT_FALSE(registry.OpenKey("\\Software\\Zerurud\\Missing\\Deeper", false));
}

TEST_F(Registry, DeleteKeyTakesItsSubkeysAndClosesAnOpenKeyInside) {
  TRegistry registry;
  ASSERT_TRUE(registry.OpenKey("A\\B\\C", true));
  registry.WriteString("v", "1");
  ASSERT_TRUE(registry.OpenKey("\\Other", true));
  ASSERT_TRUE(registry.OpenKey("\\A\\B\\C", false));
  EXPECT_TRUE(registry.DeleteKey("\\a\\b"));
  EXPECT_EQ(registry.CurrentPath(), "") << "the open key was inside";
  EXPECT_FALSE(registry.KeyExists("A\\B"));
  EXPECT_TRUE(registry.KeyExists("Other"));
  EXPECT_FALSE(registry.DeleteKey("A\\B"));
  EXPECT_EQ(win::GetLastError(), win::ERROR_FILE_NOT_FOUND);
}

TEST_F(Registry, DeleteValue) {
  TRegistry registry;
  ASSERT_TRUE(registry.OpenKey("K", true));
  registry.WriteInteger("Gone", 1);
  registry.WriteInteger("Kept", 2);
  EXPECT_TRUE(registry.DeleteValue("GONE"));
  EXPECT_FALSE(registry.DeleteValue("Gone"));
  EXPECT_EQ(registry.GetValueNames(), std::vector<std::string>{"Kept"});
}

TEST_F(Registry, WritesNeedAnOpenWritableKeyThatStillExists) {
  WriteHive("[HKEY_LOCAL_MACHINE\\K]\r\n");
  TRegistry closed;
  ExpectRaises<ERegistryException>([&] { closed.WriteString("v", "x"); },
                                   "Failed to set data for 'v'");
  TRegistry readOnly;
  ASSERT_TRUE(readOnly.OpenKeyReadOnly("K"));
  EXPECT_EQ(readOnly.Access(), win::KEY_READ);
  ExpectRaises<ERegistryException>([&] { readOnly.WriteInteger("v", 1); },
                                   "Failed to set data for 'v'");
  TRegistry deletedMeanwhile;
  ASSERT_TRUE(deletedMeanwhile.OpenKey("K", false));
  ASSERT_TRUE(TRegistry().DeleteKey("K"));
  ExpectRaises<ERegistryException>([&] { deletedMeanwhile.WriteString("v", "x"); },
                                   "Failed to set data for 'v'");
  EXPECT_FALSE(TRegistry().KeyExists("K")) << "a write does not bring a deleted key back";
}

TEST_F(Registry, EveryReadSeesTheFileAsItIsNow) {
  WriteHive("[HKEY_LOCAL_MACHINE\\K]\r\n\"v\"=\"one\"\r\n");
  TRegistry registry(win::KEY_READ);
  ASSERT_TRUE(registry.OpenKey("K", false));
  EXPECT_EQ(registry.ReadString("v"), "one");
  WriteHive("[HKEY_LOCAL_MACHINE\\K]\r\n\"v\"=dword:00000002\r\n");
  EXPECT_EQ(registry.ReadInteger("v"), 2);
}

TEST_F(Registry, MalformedHiveFailsOpensAndRaisesOnReads) {
  WriteHive("[HKEY_LOCAL_MACHINE\\K]\r\n\"v\"=\"one\"\r\n");
  TRegistry registry(win::KEY_READ);
  ASSERT_TRUE(registry.OpenKey("K", false));
  WriteHive("[HKEY_LOCAL_MACHINE\\K]\r\n\"v\"=\"one\r\n");
  ExpectRaises<ERegistryException>(
      [&] { registry.ReadString("v"); },
      win::HivePath().string() + ", line 4: the text has no closing quotation mark");
  EXPECT_FALSE(TRegistry().OpenKey("K", false));
  EXPECT_EQ(win::GetLastError(), win::ERROR_INVALID_DATA);
  EXPECT_FALSE(TRegistry().KeyExists("K"));
}

// Drops the effective user id to an unprivileged user for its lifetime.
class TEffectiveUser {
 public:
  explicit TEffectiveUser(uid_t uid) : FSaved(::geteuid()) { FSwitched = ::seteuid(uid) == 0; }
  ~TEffectiveUser() {
    if (FSwitched && ::seteuid(FSaved) != 0) std::abort();
  }
  bool Switched() const { return FSwitched; }

 private:
  uid_t FSaved;
  bool FSwitched = false;
};

TEST_F(Registry, FullAccessNeedsTheRightToWriteTheHive) {
  WriteHive("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Zerurud\\Ruvuduzer]\r\n\"Host\"=\"db1\"\r\n");
  auto check = [] {
    TRegistry full;
    EXPECT_FALSE(full.OpenKey("\\Software\\Zerurud\\Ruvuduzer", false));
    EXPECT_EQ(win::GetLastError(), win::ERROR_ACCESS_DENIED);
    EXPECT_FALSE(full.OpenKey("\\Software\\Zerurud\\New", true));
    EXPECT_FALSE(TRegistry().DeleteKey("SOFTWARE"));
    TRegistry reader;
    ASSERT_TRUE(reader.OpenKeyReadOnly("\\Software\\Zerurud\\Ruvuduzer"));
    EXPECT_EQ(reader.ReadString("Host"), "db1");
  };
  if (::geteuid() != 0) {
    ::chmod(win::HivePath().c_str(), 0444);
    check();
    ::chmod(win::HivePath().c_str(), 0644);
    return;
  }
  const passwd* nobody = ::getpwnam("nobody");
  if (nobody == nullptr)
    GTEST_SKIP() << "no unprivileged user 'nobody' to switch the effective id to";
  ::chmod(FPrefix.root().c_str(), 0755);
  ::chmod(win::HivePath().c_str(), 0644);
  TEffectiveUser user(nobody->pw_uid);
  ASSERT_TRUE(user.Switched());
  check();
}

}  // namespace
