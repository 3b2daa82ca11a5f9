#include "platform/inifile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/stringlist.h"
#include "tests/support/expect_raises.h"
#include "tests/support/temp_prefix.h"

namespace {

using testing_support::ReadFile;
using testing_support::TempPrefix;
using testing_support::WriteFile;

// Mixed line ends on purpose: files come from many editors.
const char kSettings[] =
    "top=before any section\r\n"
    "[ Configuration ]\r\n"
    "  NumLines = 70  \r\n"
    "DurEDOPath=  C:\\Apps\\VEZ\\  \n"
    "Quoted=\"  spaced  \"\r\n"
    "Single='x'\r"
    "Mismatch=\"x'\r\n"
    "Lone=\"\r\n"
    "Action=AP\r\n"
    "action=second\r\n"
    "NoEquals\r\n"
    "Empty=\r\n"
    "[configuration]\r\n"
    "Later=in a second section of the same name\r\n"
    "[Numbers]\r\n"
    "dec=42\r\n"
    "plus=+7\r\n"
    "neg=-12\r\n"
    "dollar=$1F\r\n"
    "zerox=0x1f\r\n"
    "all=0XFFFFFFFF\r\n"
    "min=-2147483648\r\n"
    "toobig=2147483648\r\n"
    "hextoobig=$100000000\r\n"
    "mixed=12abc\r\n"
    "inner=1 2\r\n"
    "bare=$\r\n"
    "yes=yes\r\n"
    "half=2.5\r\n"
    "exp=-1.5e2\r\n"
    "point=.5\r\n"
    "comma=2,5\r\n"
    "dot=.\r\n"
    "[Empty Section]\r\n"
    "[AccountCodes]\r\n"
    "A100=X100\r\n"
    "b200 = Y200\r\n"
    "A100=ignored\r\n";

class IniFileTest : public ::testing::Test {
 protected:
  IniFileTest() { WriteFile(prefix_.driveC() / "cfg" / "davuri.ini", kSettings); }

  TempPrefix prefix_;
  win::TIniFile ini_{"C:\\CFG\\DAVURI.INI"};
};

TEST_F(IniFileTest, ReadingTexts) {
  const struct {
    const char* section;
    const char* key;
    const char* value;
  } cases[] = {
      {"Configuration", "NumLines", "70"},
      {"CONFIGURATION", "numlines", "70"},
      {" Configuration ", " NumLines ", "70"},
      {"Configuration", "DurEDOPath", "C:\\Apps\\VEZ\\"},
      {"Configuration", "Quoted", "  spaced  "},
      {"Configuration", "Single", "x"},
      {"Configuration", "Mismatch", "\"x'"},
      {"Configuration", "Lone", "\""},
      {"Configuration", "Action", "AP"},
      {"Configuration", "Empty", ""},
      // Not keys, or not in the first section of the name: the default
      {"Configuration", "NoEquals", "default"},
      {"Configuration", "Later", "default"},
      {"Configuration", "top", "default"},
      {"Missing", "NumLines", "default"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ini_.ReadString(c.section, c.key, "default"), c.value) << c.section << "/" << c.key;
  }
}

TEST_F(IniFileTest, ReadingNumbers) {
  const struct {
    const char* key;
    int value;
  } integers[] = {
      {"dec", 42},
      {"plus", 7},
      {"neg", -12},
      {"dollar", 31},
      {"zerox", 31},
      {"all", -1},
      {"min", -2147483647 - 1},
      {"toobig", -99},
      {"hextoobig", -99},
      {"mixed", -99},
      {"inner", -99},
      {"bare", -99},
      {"yes", -99},
      {"half", -99},
      {"missing", -99},
  };
  for (const auto& c : integers)
    EXPECT_EQ(ini_.ReadInteger("Numbers", c.key, -99), c.value) << c.key;

  const struct {
    const char* key;
    double value;
  } reals[] = {
      {"half", 2.5},   {"exp", -150.0}, {"point", 0.5}, {"dec", 42.0},
      {"comma", -1.0}, {"dot", -1.0},   {"yes", -1.0},  {"missing", -1.0},
  };
  for (const auto& c : reals) EXPECT_EQ(ini_.ReadFloat("Numbers", c.key, -1.0), c.value) << c.key;

  EXPECT_FALSE(ini_.ReadBool("Numbers", "zero", false));
  WriteFile(prefix_.driveC() / "cfg" / "davuri.ini", "[B]\r\noff=0\r\non=5\r\nword=yes\r\n");
  EXPECT_FALSE(ini_.ReadBool("B", "off", true));
  EXPECT_TRUE(ini_.ReadBool("B", "on", false));
  EXPECT_TRUE(ini_.ReadBool("B", "word", true));
  EXPECT_FALSE(ini_.ReadBool("B", "word", false));
}

TEST_F(IniFileTest, SectionsInFileOrder) {
  win::TStringList list;
  ini_.ReadSectionValues("accountcodes", list);
  EXPECT_EQ(list.Text(), "A100=X100\r\nb200=Y200\r\nA100=X100\r\n");
  EXPECT_EQ(list.Values("B200"), "Y200");
  ini_.ReadSection("Configuration", list);
  EXPECT_EQ(list.Text(),
            "NumLines\r\nDurEDOPath\r\nQuoted\r\nSingle\r\nMismatch\r\nLone\r\nAction\r\naction\r\n"
            "Empty\r\n");
  ini_.ReadSection("Missing", list);
  EXPECT_EQ(list.Count(), 0);
  EXPECT_TRUE(ini_.SectionExists("NUMBERS"));
  EXPECT_FALSE(ini_.SectionExists("Empty Section"));
  EXPECT_FALSE(ini_.SectionExists("Missing"));
  EXPECT_TRUE(ini_.ValueExists("Configuration", "empty"));
  EXPECT_FALSE(ini_.ValueExists("Configuration", "NoEquals"));
}

TEST_F(IniFileTest, AMissingFileReadsAsDefaults) {
  const win::TIniFile missing("C:\\nowhere\\none.ini");
  EXPECT_EQ(missing.ReadString("Configuration", "DurEDOPath", ""), "");
  EXPECT_EQ(missing.ReadInteger("Configuration", "NumLines", 42), 42);
  EXPECT_TRUE(missing.ReadBool("EncDec", "EncDec", true));
  EXPECT_EQ(missing.ReadFloat("OrigFile", "NumberOfDays", 3.0), 3.0);
  EXPECT_FALSE(missing.SectionExists("Configuration"));
}

TEST(IniFileWrite, CreatesReplacesInPlaceAndAppends) {
  TempPrefix prefix;
  win::TIniFile ini("C:\\q.ini");
  ini.WriteString("Options", "KeepFileOnClose", "1");
  EXPECT_EQ(ReadFile(prefix.driveC() / "q.ini"), "[Options]\r\nKeepFileOnClose=1\r\n");
  ini.WriteString("Options", "Action", "AP");
  ini.WriteString("Accounts Used", "Account 1:", "A100");
  ini.WriteInteger("OPTIONS", "keepfileonclose", 0);
  EXPECT_EQ(
      ReadFile(prefix.driveC() / "q.ini"),
      "[Options]\r\nKeepFileOnClose=0\r\nAction=AP\r\n[Accounts Used]\r\nAccount 1:=A100\r\n");
  EXPECT_EQ(win::TIniFile("c:\\Q.INI").ReadString("Accounts Used", "Account 1:", ""), "A100");
}

TEST(IniFileWrite, KeepsEverythingElseOfAnExistingFile) {
  TempPrefix prefix;
  WriteFile(prefix.driveC() / "a.ini",
            "; settings\n[ Configuration ]\nNumLines=42\n\n; paths\nDurEDOPath=C:\\Old\\\n"
            "Odd line\n\n[configuration]\nDurEDOPath=second\n[EncDec]\nEncDec=1\n");
  win::TIniFile ini("C:\\A.INI");
  ini.WriteString("configuration", "DUREDOPATH", "\\\\PC1\\Apps\\VEZ\\");
  ini.WriteString("Configuration", "Action", "PR");
  ini.WriteString("EncDec", "EncDec", "0");
  ini.WriteString("OrigFile", "NumberOfDays", "3");
  EXPECT_EQ(ReadFile(prefix.driveC() / "a.ini"),
            "; settings\r\n[ Configuration ]\r\nNumLines=42\r\n\r\n; paths\r\n"
            "DurEDOPath=\\\\PC1\\Apps\\VEZ\\\r\nAction=PR\r\nOdd line\r\n\r\n"
            "[configuration]\r\nDurEDOPath=second\r\n[EncDec]\r\nEncDec=0\r\n"
            "[OrigFile]\r\nNumberOfDays=3\r\n");
}

TEST(IniFileWrite, AFileThatCannotBeWrittenRaisesWithItsName) {
  TempPrefix prefix;
  const std::string kMissingFolder = "C:\\NoSuch\\DAVURI.INI";
  testing_support::ExpectRaises<win::EIniFileException>(
      [&] { win::TIniFile(kMissingFolder).WriteString("Configuration", "DurEDOPath", "x"); },
      "Unable to write to C:\\NoSuch\\DAVURI.INI");

  // Rights are checked with the effective ids, so take on an ordinary user's.
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to take on another user's ids";
  WriteFile(prefix.driveC() / "ro.ini", "[Configuration]\r\nDurEDOPath=C:\\Old\\\r\n");
  ::chmod(prefix.root().c_str(), 0755);
  ::chmod((prefix.driveC() / "ro.ini").c_str(), 0444);
  ASSERT_EQ(::seteuid(65534), 0);
  testing_support::ExpectRaises<win::EIniFileException>(
      [] { win::TIniFile("C:\\ro.ini").WriteString("Configuration", "DurEDOPath", "new"); },
      "Unable to write to C:\\ro.ini");
  ASSERT_EQ(::seteuid(0), 0);
  EXPECT_EQ(ReadFile(prefix.driveC() / "ro.ini"), "[Configuration]\r\nDurEDOPath=C:\\Old\\\r\n");
}

TEST(IniFileWrite, TextsThatWouldReadBackWronglyAreRefused) {
  TempPrefix prefix;
  WriteFile(prefix.driveC() / "a.ini", "[S]\r\nk=v\r\n");
  win::TIniFile ini("C:\\a.ini");
  const struct {
    const char* section;
    const char* key;
    const char* value;
  } cases[] = {
      {"S", "k", "one\r\ninjected=1"}, {"S", "k", "a\nb"}, {"S", "a=b", "v"},  {"S]x", "k", "v"},
      {"S\r\n[T", "k", "v"},           {"S", "[T]", "v"},  {"S", "  [T", "v"},
  };
  for (const auto& c : cases) {
    EXPECT_THROW(ini.WriteString(c.section, c.key, c.value), win::EIniFileException) << c.value;
  }
  EXPECT_EQ(ReadFile(prefix.driveC() / "a.ini"), "[S]\r\nk=v\r\n");
  // A folder where the file should be cannot be read, so it is not replaced.
  std::filesystem::create_directories(prefix.driveC() / "dir.ini");
  EXPECT_THROW(win::TIniFile("C:\\dir.ini").WriteString("S", "k", "v"), win::EIniFileException);
}

// The same writes, one by one and gathered in one batch, from the same file.
TEST(IniFileBatch, WritesOnceWithTheBytesOfSingleWrites) {
  TempPrefix prefix;
  const char kStart[] =
      "; settings\n[ Configuration ]\nNumLines=42\n\n; paths\nDurEDOPath=C:\\Old\\\n"
      "Odd line\n\n[configuration]\nDurEDOPath=second\n[EncDec]\nEncDec=1\ntail";
  WriteFile(prefix.driveC() / "one.ini", kStart);
  WriteFile(prefix.driveC() / "batch.ini", kStart);
  const auto writeAll = [](win::TIniFile& ini) {
    ini.WriteString("configuration", "DUREDOPATH", "\\\\PC1\\Apps\\VEZ\\");
    ini.WriteString("Configuration", "Action", "PR");
    ini.WriteString(" New ", " Key 1 ", "\"quoted\"");
    ini.WriteString("new", "key 1", "replaced");
    ini.WriteString("NEW", "Key 2", "");
    ini.WriteString("Configuration", "action", "AP");
    ini.WriteInteger("EncDec", "EncDec", 0);
    for (int i = 0; i < 50; ++i) ini.WriteInteger("Queue", "Entry " + std::to_string(i), i);
  };
  win::TIniFile one("C:\\one.ini");
  writeAll(one);

  win::TIniFile batch("C:\\BATCH.INI");
  batch.BeginUpdate();
  batch.BeginUpdate();
  writeAll(batch);
  batch.EndUpdate();
  EXPECT_EQ(ReadFile(prefix.driveC() / "batch.ini"), kStart) << "only the outermost end writes";
  EXPECT_EQ(batch.ReadString("new", "KEY 1", "-"), "replaced") << "reads see the batch";
  EXPECT_EQ(batch.ReadInteger("Queue", "Entry 49", -1), 49);
  win::TStringList values;
  batch.ReadSectionValues("Configuration", values);
  EXPECT_EQ(values.Text(), "NumLines=42\r\nDurEDOPath=\\\\PC1\\Apps\\VEZ\\\r\nAction=AP\r\n");
  batch.EndUpdate();
  EXPECT_EQ(ReadFile(prefix.driveC() / "batch.ini"), ReadFile(prefix.driveC() / "one.ini"));

  batch.BeginUpdate();
  batch.EndUpdate();
  EXPECT_EQ(ReadFile(prefix.driveC() / "batch.ini"), ReadFile(prefix.driveC() / "one.ini"))
      << "a batch without writes leaves the file alone";
  batch.WriteString("After", "k", "v");
  EXPECT_TRUE(win::TIniFile("C:\\batch.ini").ValueExists("after", "K"))
      << "after the batch, writes go to the file at once again";
}

TEST(IniFileBatch, FailuresRaiseAsSingleWritesWould) {
  TempPrefix prefix;
  win::TIniFile missingFolder("C:\\NoSuch\\DAVURI.INI");
  missingFolder.BeginUpdate();
  missingFolder.WriteString("Configuration", "DurEDOPath", "x");
  EXPECT_THROW(missingFolder.WriteString("Configuration", "a=b", "x"), win::EIniFileException);
  try {
    missingFolder.EndUpdate();
    FAIL() << "no exception";
  } catch (const win::EIniFileException& e) {
    EXPECT_STREQ(e.what(), "Unable to write to C:\\NoSuch\\DAVURI.INI");
  }
  EXPECT_NO_THROW(missingFolder.EndUpdate()) << "the batch ended with the failure";

  // A file that cannot be read is never replaced, so every write raises.
  std::filesystem::create_directories(prefix.driveC() / "dir.ini");
  win::TIniFile unreadable("C:\\dir.ini");
  unreadable.BeginUpdate();
  EXPECT_THROW(unreadable.WriteString("S", "k", "v"), win::EIniFileException);
  EXPECT_NO_THROW(unreadable.EndUpdate());
  EXPECT_TRUE(std::filesystem::is_directory(prefix.driveC() / "dir.ini"));
}

}  // namespace
