#include "splitter/engine/joined_text.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace splitter {

namespace {

TTextBuffer Buffer(const std::string& text) { return TTextBuffer(text.begin(), text.end()); }

std::vector<std::string> LinesOf(const TJoinedText& text) {
  return {text.Lines().begin(), text.Lines().end()};
}

TEST(JoinedText, LineEnds) {
  struct TCase {
    std::string text;
    std::vector<std::string> lines;
  };
  const TCase cases[] = {
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\r\nb", {"a", "b"}},  // no final line end: nothing lost
      {"a\rb\nc\r\n", {"a", "b", "c"}},
      {"a\n\r\nb", {"a", "", "b"}},
      {"a\r\rb", {"a", "", "b"}},
      {"\r\n", {""}},
      {"", {}},
      {std::string("a\r\nb\0c\r\nd", 9), {"a", "b"}},  // a zero byte ends the text
      {std::string("\0a", 2), {}},
  };
  for (const TCase& c : cases) {
    TJoinedText text;
    text.Append(Buffer(c.text));
    EXPECT_EQ(LinesOf(text), c.lines) << testing::PrintToString(c.text);
  }
}

TEST(JoinedText, EachFileStartsOnALineOfItsOwn) {
  TJoinedText text;
  text.Append(Buffer("one\r\ntwo"));
  text.Append(Buffer("three\r\n"));
  text.Append(Buffer(std::string("four\0lost", 9)));
  text.Append(Buffer("five"));
  EXPECT_EQ(LinesOf(text), (std::vector<std::string>{"one", "two", "three", "four", "five"}));
  text.Clear();
  EXPECT_TRUE(text.Empty());
}

}  // namespace

}  // namespace splitter
