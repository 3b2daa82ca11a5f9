#include "platform/cmdline.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using Argv = std::vector<std::string>;

struct SplitCase {
  const char* line;
  Argv argv;
};

const SplitCase kSplitCases[] = {
    // The program part: quotes group, backslashes are plain.
    {R"(C:\Apps\Next.exe)", {R"(C:\Apps\Next.exe)"}},
    {R"("C:\Program Files\Next.exe" a)", {R"(C:\Program Files\Next.exe)", "a"}},
    {R"("C:\Apps\"Next.exe x)", {R"(C:\Apps\Next.exe)", "x"}},
    {R"(C:\"Program Files"\x.exe)", {R"(C:\Program Files\x.exe)"}},
    {R"("C:\Apps\Next.exe" "C:\Capture\TL-PC7-202435-97432-811.ruz")",
     {R"(C:\Apps\Next.exe)", R"(C:\Capture\TL-PC7-202435-97432-811.ruz)"}},
    {"", {""}},
    {" a b", {"", "a", "b"}},
    {"\"\" a", {"", "a"}},

    // Separators.
    {"p a\tb   c ", {"p", "a", "b", "c"}},
    {"p \"a b\" c", {"p", "a b", "c"}},
    {"p a\"b c\"d", {"p", "ab cd"}},
    {"p \"\"", {"p", ""}},
    {"p \"unterminated quote", {"p", "unterminated quote"}},

    // Backslashes before quotation marks.
    {R"(p a\\b)", {"p", R"(a\\b)"}},
    {R"(p a\"b)", {"p", R"(a"b)"}},
    {R"(p a\\"b c")", {"p", R"(a\b c)"}},
    {R"(p a\\\"b)", {"p", R"(a\"b)"}},
    {R"(p "C:\Dir\\")", {"p", R"(C:\Dir\)"}},
    {R"(p "C:\Dir\" next)", {"p", R"(C:\Dir" next)"}},
    {R"(p \)", {"p", R"(\)"}},

    // Doubled quotation marks inside a quoted part.
    {R"(p "a""b")", {"p", R"(a"b)"}},
    {R"(p "a""b c" d)", {"p", R"(a"b c)", "d"}},
    {R"(p """")", {"p", R"(")"}},
    {R"(p a""b)", {"p", "ab"}},
};

TEST(SplitCommandLine, WindowsRuntimeRules) {
  for (const SplitCase& c : kSplitCases) {
    EXPECT_EQ(win::SplitCommandLine(c.line), c.argv) << " line: [" << c.line << "]";
  }
}

TEST(QuoteArgument, SplitGivesEveryArgumentBack) {
  const std::string kArguments[] = {
      "plain",
      "",
      "two words",
      "tab\there",
      R"(quote"inside)",
      R"(C:\Dir\)",
      R"(C:\Dir\\)",
      R"(a\"b)",
      R"(\\server\share\x y)",
      "\"",
      "\\",
      "-Q",
  };
  for (const std::string& argument : kArguments) {
    const std::string line = "prog " + win::QuoteArgument(argument) + " next";
    EXPECT_EQ(win::SplitCommandLine(line), (Argv{"prog", argument, "next"}))
        << " argument: [" << argument << "] quoted as " << line;
  }
  EXPECT_EQ(win::QuoteArgument("-Q"), "-Q") << "no quotes where none are needed";
}

}  // namespace
