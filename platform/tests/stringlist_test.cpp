#include "platform/stringlist.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/error.h"
#include "tests/support/expect_raises.h"

namespace {

std::vector<std::string> Lines(const win::TStringList& list) {
  std::vector<std::string> lines;
  for (int i = 0; i < list.Count(); ++i) lines.push_back(list[i]);
  return lines;
}

using LineList = std::vector<std::string>;

TEST(StringList, KeepsOrderDuplicatesAndDataWords) {
  win::TStringList list;
  EXPECT_EQ(list.Add("b"), 0);
  EXPECT_EQ(list.AddObject("a", 7), 1);
  list.Add("b");
  list.Insert(0, "first");
  list.Insert(4, "last");
  EXPECT_EQ(Lines(list), (LineList{"first", "b", "a", "b", "last"}));
  EXPECT_EQ(list.Objects(2), 7);
  list.PutObjects(3, 1);
  list.Delete(1);
  EXPECT_EQ(Lines(list), (LineList{"first", "a", "b", "last"}));
  EXPECT_EQ(list.Objects(1), 7) << "data words move with their lines";
  EXPECT_EQ(list.Objects(2), 1);
  list.PutStrings(0, "changed");
  EXPECT_EQ(list.Strings(0), "changed");
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
}

TEST(StringList, LookupsIgnoreCase) {
  win::TStringList list;
  list.SetText("Alpha\r\nA100=B200\r\nnovalue\r\nkey=one=two\r\na100=later\r\n=empty name\r\n");
  EXPECT_EQ(list.IndexOf("ALPHA"), 0);
  EXPECT_EQ(list.IndexOf("alph"), -1);
  EXPECT_EQ(list.IndexOfName("a100"), 1) << "the first of two lines with the name";
  EXPECT_EQ(list.IndexOfName("novalue"), -1) << "a line without = has no name";
  EXPECT_EQ(list.Values("KEY"), "one=two");
  EXPECT_EQ(list.Values("missing"), "");
  EXPECT_EQ(list.Values(""), "empty name");
  EXPECT_EQ(list.Names(3), "key");
  EXPECT_EQ(list.Names(2), "");
  EXPECT_EQ(list.ValueFromIndex(2), "");
  EXPECT_EQ(list.ValueFromIndex(3), "one=two");
}

TEST(StringList, SettingValues) {
  win::TStringList list;
  list.SetValues("\\\\srv\\data", "X:");
  list.SetValues("\\\\SRV\\DATA", "Y:");
  list.SetValues("\\\\other\\c", "Z:");
  // The line takes the spelling of the last name set.
  EXPECT_EQ(Lines(list), (LineList{"\\\\SRV\\DATA=Y:", "\\\\other\\c=Z:"}));
  // An empty value removes the line, as an unmapped connection does.
  list.SetValues("\\\\srv\\data", "");
  list.SetValues("never there", "");
  EXPECT_EQ(Lines(list), (LineList{"\\\\other\\c=Z:"}));
}

TEST(StringList, TextRoundTrip) {
  const struct {
    const char* text;
    LineList lines;
    const char* back;
  } cases[] = {
      {"a\r\nb\r\n", {"a", "b"}, "a\r\nb\r\n"},
      {"a\r\nb", {"a", "b"}, "a\r\nb\r\n"},
      {"a\nb\rc\r\n\r\nd", {"a", "b", "c", "", "d"}, "a\r\nb\r\nc\r\n\r\nd\r\n"},
      {"\n\n", {"", ""}, "\r\n\r\n"},
      {"", {}, ""},
  };
  for (const auto& c : cases) {
    win::TStringList list;
    list.SetText(c.text);
    EXPECT_EQ(Lines(list), c.lines) << c.text;
    EXPECT_EQ(list.Text(), c.back) << c.text;
  }
}

TEST(StringList, SortedListsInsertInOrder) {
  win::TStringList list;
  list.Add("tl-c.ruz");
  list.Add("TL-A.ruz");
  list.SetSorted(true);
  list.Add("tl-b.ruz");
  list.Add("tl-a.RUZ");
  list.Add("a");
  EXPECT_EQ(Lines(list), (LineList{"a", "TL-A.ruz", "tl-a.RUZ", "tl-b.ruz", "tl-c.ruz"}));
  list.SetValues("b", "2");
  EXPECT_EQ(list.IndexOf("b=2"), 1);
  EXPECT_THROW(list.Insert(0, "z"), win::Exception);
  EXPECT_THROW(list.PutStrings(0, "z"), win::Exception);
}

TEST(StringList, BadIndexesRaise) {
  win::TStringList list;
  list.Add("only");
  testing_support::ExpectRaises<win::Exception>([&] { (void)list[1]; },
                                                "List index out of bounds (1)");
  EXPECT_THROW(list.Delete(-1), win::Exception);
  EXPECT_THROW(list.Objects(5), win::Exception);
  EXPECT_THROW(list.Insert(2, "x"), win::Exception);
  EXPECT_NO_THROW(list.Insert(1, "end"));
}

}  // namespace
