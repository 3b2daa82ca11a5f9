#include "capture/check_record.h"

#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

using capture::TCheckRecord;

namespace {

std::string Blank(std::size_t n) { return std::string(n, ' '); }

// The one row of a grid after the given placements.
std::string RowAfter(const std::vector<std::pair<std::string, int>>& placements,
                     const std::string& start = Blank(110)) {
  TCheckRecord grid(1);
  capturefile::TCaptureText rows;
  if (start != Blank(110)) grid.PlaceText(start, 0, 0);
  for (const auto& [text, column] : placements) EXPECT_TRUE(grid.PlaceText(text, column, 0));
  grid.AppendTo(rows);
  return rows.Lines().at(0);
}

}  // namespace

TEST(CheckRecord, PlaceText) {
  const std::string dateRow = Blank(89) + "Date" + Blank(17);
  const struct {
    const char* name;
    std::string start;
    std::vector<std::pair<std::string, int>> placements;
    std::string row;
  } cases[] = {
      {"column 0 on a blank row keeps the leading blanks",
       Blank(110),
       {{"   Pay", 0}},
       "   Pay" + Blank(104)},
      {"column 0 beside text: the blanks place it, text around survives",
       dateRow,
       {{"   Pay", 0}},
       "   Pay" + Blank(83) + "Date" + Blank(17)},
      {"column 0 beside text ignores trailing blanks",
       dateRow,
       {{"   Pay   ", 0}},
       "   Pay" + Blank(83) + "Date" + Blank(17)},
      {"column 0 beside text with nothing but blanks", dateRow, {{"    ", 0}}, dateRow},
      {"column 10 on a blank row", Blank(110), {{"ABC", 10}}, Blank(9) + "ABC" + Blank(98)},
      {"a second string keeps the character it lands on",
       Blank(110),
       {{"ABC", 10}, {"XY", 10}},
       Blank(9) + "XYA" + Blank(98)},
      {"column 0 on a row with text keeps the character it lands on",
       Blank(110),
       {{"ABC", 1}, {"XY", 0}},
       "XYA" + Blank(107)},
      {"column 1 over text keeps the first character",
       Blank(110),
       {{"ABC", 1}, {"XY", 1}},
       "XYA" + Blank(107)},
      {"column 108 with 5 characters grows the row",
       Blank(110),
       {{"12345", 108}},
       Blank(107) + "12345 "},
      {"column 150 appends after character 110", Blank(110), {{"END", 150}}, Blank(110) + "END"},
      {"backslashes are removed, nothing else decoded",
       Blank(110),
       {{"Total \\(net\\)", 1}, {"C:\\\\Data", 20}, {"\\101", 40}},
       "Total (net)" + Blank(8) + "C:Data" + Blank(14) + "101" + Blank(68)},
      {"empty text or only backslashes change nothing",
       dateRow,
       {{"", 5}, {"\\\\", 0}, {"\\", 7}},
       dateRow},
  };
  for (const auto& c : cases) {
    const std::string row = RowAfter(c.placements, c.start);
    EXPECT_EQ(row, c.row) << c.name;
    EXPECT_GE(row.size(), 110u) << c.name;
  }
}

TEST(CheckRecord, RefusesRowsOutsideTheGrid) {
  TCheckRecord grid(2);
  for (int row : {-1, 2, 1000000, std::numeric_limits<std::int32_t>::min()}) {
    EXPECT_FALSE(grid.PlaceText("X", 1, row)) << "row " << row;
  }
  EXPECT_TRUE(grid.PlaceText("X", 1, 1));
  TCheckRecord none(0);
  EXPECT_FALSE(none.PlaceText("X", 1, 0));
  EXPECT_EQ(TCheckRecord(-5).RowCount(), 0);
}

TEST(CheckRecord, ExtremeColumnsStayInsideTheRow) {
  TCheckRecord grid(1);
  EXPECT_TRUE(grid.PlaceText("AB", std::numeric_limits<std::int32_t>::max(), 0));
  EXPECT_TRUE(grid.PlaceText("CD", -7, 0));
  capturefile::TCaptureText rows;
  grid.AppendTo(rows);
  EXPECT_EQ(rows.Lines().at(0), "CD" + Blank(110) + "AB");
}

TEST(CheckRecord, ClearAndAppendTo) {
  TCheckRecord grid(3);
  grid.PlaceText("top", 1, 0);
  grid.PlaceText("bottom", 1, 2);
  capturefile::TCaptureText rows;
  rows.AppendLine("earlier");
  grid.AppendTo(rows);
  EXPECT_EQ(rows.Lines(), (std::vector<std::string>{"earlier", "top" + Blank(107), Blank(110),
                                                    "bottom" + Blank(104)}));
  grid.Clear();
  capturefile::TCaptureText cleared;
  grid.AppendTo(cleared);
  EXPECT_EQ(cleared.Lines(), std::vector<std::string>(3, Blank(110)));
}
