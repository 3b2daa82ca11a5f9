#include "platform/text.h"

#include <cstdint>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "platform/error.h"
#include "tests/support/expect_raises.h"

namespace win {
namespace {

TEST(LetterCase, AsciiOnly) {
  EXPECT_EQ(UpperCase("abc-Z\xe9"), "ABC-Z\xe9");
  EXPECT_EQ(LowerCase("ABC-z\xc9"), "abc-z\xc9");
  EXPECT_TRUE(SameText("C:\\Capture", "c:\\CAPTURE"));
  EXPECT_FALSE(SameText("\xe9", "\xc9"));
  EXPECT_FALSE(SameText("abc", "abcd"));
}

TEST(CompareText, OrdersIgnoringCase) {
  struct {
    const char* a;
    const char* b;
    int sign;
  } cases[] = {
      {"abc", "ABC", 0}, {"abc", "abd", -1}, {"ABD", "abc", 1}, {"ab", "abc", -1},
      {"abc", "ab", 1},  {"", "", 0},        {"_", "z", 1},     {"\x80", "a", 1},
  };
  for (const auto& c : cases) {
    const int result = CompareText(c.a, c.b);
    EXPECT_EQ((result > 0) - (result < 0), c.sign) << c.a << " vs " << c.b;
  }
}

TEST(Trim, ControlsAndBlanks) {
  EXPECT_EQ(Trim(" \t\r\n x y \x01"), "x y");
  EXPECT_EQ(TrimLeft("  x  "), "x  ");
  EXPECT_EQ(TrimRight("  x  "), "  x");
  EXPECT_EQ(Trim("   "), "");
  EXPECT_EQ(Trim("\xa0x\xa0"), "\xa0x\xa0");
  EXPECT_EQ(TrimBlanks("  \tx y\r  "), "\tx y\r");
  EXPECT_EQ(TrimBlanks("   "), "");
}

TEST(StrToInt, ClassLibraryRules) {
  struct {
    const char* text;
    std::optional<int> value;
  } cases[] = {
      {"42", 42},
      {"  -7", -7},
      {"+7", 7},
      {"$1F", 31},
      {"0x1f", 31},
      {"0XFFFFFFFF", -1},
      {"2147483647", 2147483647},
      {"-2147483648", -2147483647 - 1},
      {"2147483648", std::nullopt},
      {"$100000000", std::nullopt},
      {"", std::nullopt},
      {"  ", std::nullopt},
      {"-", std::nullopt},
      {"$", std::nullopt},
      {"12 ", std::nullopt},
      {"1.5", std::nullopt},
      {"0x", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(TryStrToInt(c.text), c.value) << "'" << c.text << "'";
}

TEST(StrToInt, UnsignedTakesAllThirtyTwoBits) {
  struct {
    const char* text;
    std::optional<std::uint32_t> value;
  } cases[] = {
      {"4294967295", 4294967295u},
      {" +7", 7u},
      {"0xFFFFFFFF", 4294967295u},
      {"$CEA", 0xCEAu},
      {"0", 0u},
      {"4294967296", std::nullopt},
      {"-1", std::nullopt},
      {"-0", std::nullopt},
      {"99999999999999999999", std::nullopt},
      {"", std::nullopt},
      {"12x", std::nullopt},
      {"0x100000000", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(TryStrToUInt(c.text), c.value) << "'" << c.text << "'";
  EXPECT_EQ(TryStrToInt("99999999999999999999"), std::nullopt) << "no wrap-around";
}

TEST(StrToInt, RaisesWithTheClassLibraryText) {
  EXPECT_EQ(StrToInt("12"), 12);
  testing_support::ExpectRaises<Exception>([] { StrToInt("x1"); },
                                           "'x1' is not a valid integer value");
}

TEST(Copy, OneBasedAndClipped) {
  EXPECT_EQ(Copy("abcdef", 2, 3), "bcd");
  EXPECT_EQ(Copy("abcdef", 0, 2), "ab");
  EXPECT_EQ(Copy("abcdef", -5, 2), "ab");
  EXPECT_EQ(Copy("abcdef", 5, 10), "ef");
  EXPECT_EQ(Copy("abcdef", 7, 1), "");
  EXPECT_EQ(Copy("abcdef", 1, 0), "");
  EXPECT_EQ(Copy("abcdef", 1, -1), "");
}

}  // namespace
}  // namespace win
