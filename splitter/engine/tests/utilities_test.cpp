#include "splitter/engine/utilities.h"

#include <string>

#include <gtest/gtest.h>

#include "platform/params.h"
#include "tests/support/temp_prefix.h"

namespace splitter {

namespace {

TEST(PadToWidth, PadsAndCuts) {
  EXPECT_EQ(PadToWidth("ABC", 5), "ABC  ");
  EXPECT_EQ(PadToWidth("ABCDEFG", 5), "ABCDE");
  EXPECT_EQ(PadToWidth("ABC", 0), "");
  EXPECT_EQ(PadToWidth("B200", 11), "B200       ");
  EXPECT_EQ(PadToWidth("", 255), std::string(255, ' '));
}

TEST(LastCharPos, EightBitPositions) {
  EXPECT_EQ(LastCharPos('?', "SPLIT???.DAT"), 8);
  EXPECT_EQ(LastCharPos('?', "A.DAT"), 0);
  EXPECT_EQ(LastCharPos('?', ""), 0);
  EXPECT_EQ(LastCharPos('?', "?"), 1);
  const std::string longText = "?" + std::string(254, 'x');  // 255: searched whole
  EXPECT_EQ(LastCharPos('?', longText), 1);
  // 260 characters: the search starts at 260 mod 256 = 4.
  std::string wrapped = std::string(260, 'x');
  wrapped[2] = '?';
  wrapped[200] = '?';
  EXPECT_EQ(LastCharPos('?', wrapped), 3);
  EXPECT_EQ(LastCharPos('?', std::string(256, '?')), 0);
}

TEST(StripTrailingBackslash, OneBackslashAtMost) {
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\VEZ\\", "C:\\VEZ"},     {"\\", "\\"}, {"C:\\VEZ", "C:\\VEZ"},
      {"C:\\VEZ\\\\", "C:\\VEZ\\"}, {"", ""},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(StripTrailingBackslash(in), out) << in;
}

TEST(SelectIniFile, ByParameters) {
  struct TCase {
    std::vector<std::string> parameters;
    const char* iniFile;
  };
  const TCase cases[] = {
      {{".", "c:\\cfg\\my.ini"}, "C:\\CFG\\MY.INI"},
      {{"a.ruz"}, "C:\\Apps\\DAVURI.INI"},
      {{}, "C:\\Apps\\DAVURI.INI"},
      {{".", "my.ini"}, "C:\\Apps\\MY.INI"},
      {{"file.ruz", "other.ini"}, "C:\\Apps\\OTHER.INI"},
      {{".", "d:other.ini"}, "D:OTHER.INI"},  // a drive is a folder part
  };
  for (const TCase& c : cases) {
    win::SetCommandLine("C:\\Apps\\DAVURI.EXE", c.parameters);
    SelectIniFile(1);
    EXPECT_EQ(IniFileName, c.iniFile) << c.parameters.size();
    EXPECT_EQ(IniParamIndex, 1);
  }
  win::SetCommandLine("C:\\Apps\\DAVURI.EXE", {"first.ini"});
  SelectIniFile(0);
  EXPECT_EQ(IniFileName, "C:\\Apps\\FIRST.INI");
  EXPECT_EQ(IniParamIndex, 0);
}

}  // namespace

namespace {

TEST(ShortPathName, ExistingPathsOnly) {
  testing_support::TempPrefix prefix;
  testing_support::WriteFile(prefix.driveC() / "Jobs" / "tl-x.ruz", "x");
  EXPECT_EQ(ShortPathName("C:\\Jobs\\tl-x.ruz"), "C:\\Jobs\\tl-x.ruz");
  EXPECT_EQ(ShortPathName("C:\\Jobs\\missing.ruz"), "C:\\Jobs\\missing.ruz");
  const std::string tooLong = "C:\\" + std::string(1030, 'a');
  EXPECT_EQ(ShortPathName(tooLong), tooLong);
}

}  // namespace

}  // namespace splitter
