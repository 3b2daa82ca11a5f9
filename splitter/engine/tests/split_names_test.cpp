#include "splitter/engine/split_names.h"

#include <string>

#include <gtest/gtest.h>

namespace splitter {

namespace {

struct TNameCase {
  const char* previous;
  const char* templ;
  const char* next;
};

TEST(NextFileName, Counter) {
  const TNameCase cases[] = {
      // The first name
      {"", "TL-X???.DAT", "TL-X000.DAT"},
      {"TL-X0.DAT", "TL-X???.DAT", "TL-X000.DAT"},  // other length: start over
      {"TL-X??0.DAT", "TL-X???.DAT", "TL-X000.DAT"},
      // Counting and carries
      {"TL-X000.DAT", "TL-X???.DAT", "TL-X001.DAT"},
      {"TL-X009.DAT", "TL-X???.DAT", "TL-X00A.DAT"},
      {"TL-X00Y.DAT", "TL-X???.DAT", "TL-X00Z.DAT"},
      {"TL-X00Z.DAT", "TL-X???.DAT", "TL-X010.DAT"},
      {"TL-X0ZZ.DAT", "TL-X???.DAT", "TL-X100.DAT"},
      {"TL-XZZZ.DAT", "TL-X???.DAT", "TL-X000.DAT"},  // wraps
      // Positions without "?" are passed over by the carry
      {"AB9CZ", "AB?C?", "ABAC0"},
      {"ZBZCZ", "?B?C?", "0B0C0"},
      // A counter position holding something else stays
      {"TL-X00-.DAT", "TL-X???.DAT", "TL-X00-.DAT"},
  };
  for (const TNameCase& c : cases) {
    EXPECT_EQ(NextFileName(c.previous, c.templ), c.next) << c.previous << " / " << c.templ;
  }
}

TEST(NextFileName, RunsThroughEveryNameOnceBeforeWrapping) {
  const std::string templ = "S??.DAT";
  std::string name = NextFileName("", templ);
  const std::string first = name;
  int distinct = 1;
  for (name = NextFileName(name, templ); name != first; name = NextFileName(name, templ)) {
    ++distinct;
    ASSERT_LE(distinct, 36 * 36) << name;
  }
  EXPECT_EQ(distinct, 36 * 36);
  EXPECT_EQ(FileNameCapacity(templ), 36u * 36u);
  EXPECT_EQ(FileNameCapacity("tl-x???.DAT"), 46656u);
}

TEST(NextFileName, TemplateLongerThanTheEightBitPositions) {
  // The last "?" lies beyond position 255, where the counter cannot see it.
  const std::string templ = std::string(300, 'a') + "???.DAT";
  const std::string first = NextFileName("", templ);
  EXPECT_EQ(first, std::string(300, 'a') + "000.DAT");
  EXPECT_EQ(NextFileName(first, templ), first);
}

TEST(StripAccountID, KeepsDigitsAndCapitals) {
  const std::pair<const char*, const char*> cases[] = {
      {"  12-34 ", "1234"},
      {"A100", "A100"},
      {"a1b2", "12"},
      {"", ""},
      {"\xC4"
       "X\t9",
       "X9"},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(StripAccountID(in), out) << in;
}

}  // namespace

}  // namespace splitter
