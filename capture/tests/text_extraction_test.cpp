#include "capture/text_extraction.h"

#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

using capture::RoundHalfUp;
using capture::TCheckRecord;
using capture::TDroppedStrings;
using capture::TTextExtraction;

namespace {

constexpr int kRows = 70;

// A job and what came of it.
struct TExtracted {
  std::vector<std::string> pageLines;
  double columnScale = 0;
  double rowScale = 0;
  std::int32_t leftMargin = 0;
  std::vector<TDroppedStrings> dropped;
};

TExtracted Extract(const std::vector<std::string>& job, int rowCount = kRows) {
  TCheckRecord grid(rowCount);
  TExtracted result;
  capturefile::TCaptureText pageLines;
  TTextExtraction extraction(grid, pageLines);
  for (const std::string& line : job) extraction.ProcessLine(line);
  result.pageLines = pageLines.Lines();
  result.columnScale = extraction.ColumnScale();
  result.rowScale = extraction.RowScale();
  result.leftMargin = extraction.LeftMargin();
  result.dropped = extraction.DroppedStrings();
  return result;
}

// One page: title, font definition, font selection, the page's lines, page end.
std::vector<std::string> OnePageJob(const std::string& matrix, const std::vector<std::string>& page,
                                    const std::string& title = "Check Run") {
  std::vector<std::string> job{"%!PS-Adobe-3.0", "%%Title: " + title,
                               "/F0S83 F0 [" + matrix + " ] mFS", "F0S83 sf"};
  job.insert(job.end(), page.begin(), page.end());
  job.push_back("%%SowPage");
  return job;
}

// Where `probe` landed: 1-based row and character position, or nothing.
std::optional<std::pair<int, int>> Landing(const std::vector<std::string>& pageLines,
                                           const std::string& probe) {
  for (std::size_t row = 0; row < pageLines.size(); ++row) {
    const std::size_t at = pageLines[row].find(probe);
    if (at != std::string::npos)
      return std::make_pair(static_cast<int>(row), static_cast<int>(at) + 1);
  }
  return std::nullopt;
}

const std::string kMarginLine = "300 1000 M (acct) s";
const std::string kProbeLine = "1200 1800 M (X) s";

}  // namespace

TEST(RoundHalfUp, Cases) {
  const double kInfinity = std::numeric_limits<double>::infinity();
  const std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  const std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  const std::pair<double, std::int32_t> cases[] = {
      {2.5, 3},          {2.4999, 2},          {0.0, 0},      {-0.0, 0},
      {18.958, 19},      {24.096, 24},         {16.32, 16},   {17.95, 18},
      {-2.5, -3},        {-2.3, -3},           {1e300, kMax}, {-1e300, kMin},
      {kInfinity, kMax}, {std::nan(""), kMax},
  };
  for (const auto& [v, expected] : cases) EXPECT_EQ(RoundHalfUp(v), expected) << v;
}

TEST(TextExtraction, Calibration) {
  const std::string dollars = "600 3000 M (One hundred dollars and 00/100) s";
  const struct {
    const char* name;
    std::vector<std::string> job;
    double columnScale;
    double rowScale;
    std::optional<std::pair<int, int>> probe;  // row, column
  } cases[] = {
      {"matrix 100/-100 takes the fixed scales",
       OnePageJob("100 0 0 -100 0 0", {kMarginLine, kProbeLine}), 0.1 * 0.18137254901960784,
       0.009974747474747477, std::make_pair(18, 16)},
      {"-90 ignores markers and title",
       OnePageJob("100 0 0 -90 0 0", {"2000 500 M (No. 7) s", kMarginLine, kProbeLine}, "Direct"),
       0.1 * 0.18137254901960784, 0.009974747474747477, std::make_pair(18, 16)},
      {"dollars and below y 5000", OnePageJob("83 0 0 -83 0 0", {kMarginLine, dollars, kProbeLine}),
       0.0210647, 0.0133869, std::make_pair(24, 19)},
      {"DOLLARS AND in capitals",
       OnePageJob("83 0 0 -83 0 0",
                  {kMarginLine, "600 3000 M (TEN DOLLARS AND 00/100) s", kProbeLine}),
       0.0210647, 0.0133869, std::make_pair(24, 19)},
      {"the void marker",
       OnePageJob("83 0 0 -83 0 0", {kMarginLine, "600 3000 M (* V O I D *) s", kProbeLine}),
       0.0210647, 0.0133869, std::make_pair(24, 19)},
      {"dollars and at y 5000 or more",
       OnePageJob("83 0 0 -83 0 0", {kMarginLine, "600 6000 M (dollars and) s", kProbeLine}),
       0.0210647, 1 / 99.0, std::make_pair(18, 19)},
      {"dollars and without a text prefix counts as y -1",
       OnePageJob("83 0 0 -83 0 0", {kMarginLine, "% dollars and", kProbeLine}), 0.0210647,
       0.0133869, std::make_pair(24, 19)},
      {"no. on an earlier line wins",
       OnePageJob("83 0 0 -83 0 0", {kMarginLine, "2000 500 M (No. 1234) s", dollars, kProbeLine}),
       100 / 83.0 * 0.1 * 0.17973856209150327, 100 / -83.0 * -0.1 * 0.09974747474747475,
       std::make_pair(22, 19)},
      {"no marker keeps both scales",
       OnePageJob("83 0 0 -83 0 0", {kMarginLine, "1200 300 M (X) s"}), 0.1, 0.1,
       std::make_pair(30, 90)},
      {"Direct title, last line at y 4500",
       OnePageJob("83 0 0 -83 0 0", {kMarginLine, kProbeLine, "900 4500 M (memo) s"},
                  "Direct Deposit"),
       0.0210647, 1 / 99.0, std::make_pair(18, 19)},
      {"Direct title, last line at y 3000, overrides no.",
       OnePageJob("83 0 0 -83 0 0",
                  {kMarginLine, "2000 500 M (No. 1234) s", kProbeLine, "900 3000 M (memo) s"},
                  "Direct"),
       0.0210647, 0.0133869, std::make_pair(24, 19)},
      {"Direct title, last line without text prefix",
       OnePageJob("83 0 0 -83 0 0", {kMarginLine, kProbeLine, "grestore"}, "Direct"), 0.0210647,
       0.0133869, std::make_pair(24, 19)},
      {"direct in lower case is no Direct title",
       OnePageJob("83 0 0 -83 0 0", {kMarginLine, kProbeLine, "900 4500 M (memo) s"}, "direct"),
       0.1, 0.1, std::nullopt},
  };
  for (const auto& c : cases) {
    const TExtracted result = Extract(c.job);
    EXPECT_EQ(result.leftMargin, 300) << c.name;
    EXPECT_NEAR(result.columnScale, c.columnScale, 5e-8) << c.name;
    EXPECT_NEAR(result.rowScale, c.rowScale, 5e-8) << c.name;
    EXPECT_EQ(Landing(result.pageLines, "X"), c.probe) << c.name;
  }
}

TEST(TextExtraction, FixedScalesAreExact) {
  const TExtracted result = Extract(OnePageJob("100 0 0 -100 0 0", {kMarginLine, kProbeLine}));
  EXPECT_EQ(result.columnScale, 0.1 * 0.18137254901960784);
  EXPECT_EQ(result.rowScale, 0.009974747474747477);
}

TEST(TextExtraction, UnreadableLinesAreSkipped) {
  // Each line is added to a page that otherwise calibrates like the "dollars
  // and" case; none of them may change the scales, the margin or the grid.
  const std::string goodFont = "/F0S83 F0 [83 0 0 -83 0 0 ] mFS";
  const std::string dollars = "600 3000 M (One hundred dollars and 00/100) s";
  const std::vector<std::string> bad = {
      "/F0S83 F0 [83 0 0 ] mFS",
      "/F0S83 F0 [83 0 0 abc 0 0 ] mFS",
      "/F0S83 F0 [x 0 0 -100 0 0 ] mFS",
      "/F0S83 F0 [83 0 0 -100 0 0 mFS",
      "/F0S83 F0 83 0 0 -100 0 0 mFS",
      "/F0S83 F0 [0 0 0 -100 0 0 ] mFS",
      "/F0S83 F0 [83 0 0 0 0 0 ] mFS",
      "/F0S83 F0 [83 0 0 -1e999 0 0 ] mFS",
      "/F0S83 F0 [83 0 0 inf 0 0 ] mFS",
      "/F0S83 F0 [nan 0 0 -83 0 0 ] mFS",
      "/F0S83 F0 [1e-320 0 0 -83 0 0 ] mFS",
      "/F0S83 F0 [83 0 0 -83]",
      "5 1800x M (B) s",
      "5x 1800 M (B) s",
      "5 1800  M (B) s",
      "5 99999999999 M (B) s",
      "0x5 1800 M (B) s",
      "5 $10 M (B) s",
      "5 1800 M B) s",
      "5 1800 M (B s",
      ") 5 1800 M (B",
      "(B) s",
      " M (B) s",
      "",
  };
  for (const std::string& line : bad) {
    const TExtracted result = Extract({"%%Title: Run", goodFont, "F0S83 sf", line, kMarginLine,
                                       dollars, kProbeLine, "%%SowPage"});
    EXPECT_EQ(result.leftMargin, 300) << line;
    EXPECT_NEAR(result.columnScale, 0.0210647, 5e-8) << line;
    EXPECT_NEAR(result.rowScale, 0.0133869, 5e-8) << line;
    EXPECT_EQ(Landing(result.pageLines, "X"), std::make_pair(24, 19)) << line;
    EXPECT_FALSE(Landing(result.pageLines, "B")) << line;
    EXPECT_TRUE(result.dropped.empty()) << line;
  }
}

TEST(TextExtraction, TextCommands) {
  const struct {
    const char* line;
    std::optional<std::pair<int, int>> landing;  // of the text "X"
  } cases[] = {
      {"1200 1800 M (X) s", std::make_pair(18, 16)},
      {"gsave 7 1200 1800 M (X) s", std::make_pair(18, 16)},
      {"1800 M (X) s", std::make_pair(18, 27)},
      {"+1200 +1800 M (X) s", std::make_pair(18, 16)},
      {"1200 -50 M (X) s", std::make_pair(0, 16)},
      {"100 1800 M (X) s", std::make_pair(18, 1)},
      {"1200 1800 M (X) show (Y) s", std::make_pair(18, 16)},
      {"1200 1800 m (X) s", std::nullopt},
      {"1200 1800 M(X) s", std::nullopt},
  };
  for (const auto& c : cases) {
    const TExtracted result = Extract(OnePageJob("100 0 0 -100 0 0", {kMarginLine, c.line}));
    EXPECT_EQ(Landing(result.pageLines, "X"), c.landing) << c.line;
  }
  const TExtracted nested = Extract(
      OnePageJob("100 0 0 -100 0 0", {kMarginLine, "1200 1800 M (Total (net\\) ) done) s"}));
  EXPECT_EQ(Landing(nested.pageLines, "Total (net) ) done"), std::make_pair(18, 16))
      << "the string runs to the line's last parenthesis";
}

TEST(TextExtraction, PageFlow) {
  const std::string font = "/F0S83 F0 [100 0 0 -100 0 0 ] mFS";
  const struct {
    const char* name;
    std::vector<std::string> job;
    std::vector<std::pair<std::string, std::pair<int, int>>> landings;  // text, (row, column)
    std::size_t pages;
  } cases[] = {
      {"no page end gives no page", {font, "F0S83 sf", kMarginLine, kProbeLine, "%%EOF"}, {}, 0},
      {"a font selection holding a text command is not placed",
       {font, "F0S83 sf 1200 1800 M (Q) s", kMarginLine, kProbeLine, "%%SowPage"},
       {{"X", {18, 16}}},
       1},
      {"the page end line is no content",
       {font, "F0S83 sf", kMarginLine, "%%SowPage 1200 1800 M (Q) s"},
       {{"acct", {10, 1}}},
       1},
      {"nothing before the first font selection is content",
       {font, "DeviceGray dup", "1200 1800 M (Q) s", "F0S83 sf", kMarginLine, "%%SowPage"},
       {{"acct", {10, 1}}},
       1},
      {"later pages start at DeviceGray dup",
       {font, "F0S83 sf", kMarginLine, "%%SowPage", "1200 1800 M (Q) s", "DeviceGray dup",
        kProbeLine, "%%SowPage"},
       {{"acct", {10, 1}}, {"X", {70 + 18, 16}}},
       2},
      {"a font selection also restarts content",
       {font, "F0S83 sf", kMarginLine, "%%SowPage", "F0S83 sf", kProbeLine, "%%SowPage"},
       {{"X", {70 + 18, 16}}},
       2},
      {"left of the margin on a later page is column 0",
       {font, "F0S83 sf", kMarginLine, "%%SowPage", "DeviceGray dup", "10 1800 M (X) s",
        "%%SowPage"},
       {{"X", {70 + 18, 1}}},
       2},
      {"an unfinished page and everything after the end of job are lost",
       {font, "F0S83 sf", kMarginLine, "%%SowPage", "DeviceGray dup", "1200 1800 M (Q) s", "%%EOF",
        "%%SowPage", "F0S83 sf", kProbeLine, "%%SowPage"},
       {{"acct", {10, 1}}},
       1},
      {"a page without text is a blank page", {font, "F0S83 sf", "%%SowPage"}, {}, 1},
  };
  for (const auto& c : cases) {
    const TExtracted result = Extract(c.job);
    EXPECT_EQ(result.pageLines.size(), c.pages * kRows) << c.name;
    for (const auto& [text, where] : c.landings) {
      EXPECT_EQ(Landing(result.pageLines, text), where) << c.name << ": " << text;
    }
    EXPECT_FALSE(Landing(result.pageLines, "Q")) << c.name;
  }
}

TEST(TextExtraction, CountsStringsOutsideTheGridPerPage) {
  const std::string font = "/F0S83 F0 [100 0 0 -100 0 0 ] mFS";
  // With 20 rows, y 1800 (row 18) fits and y 3000 (row 30) does not.
  const TExtracted result =
      Extract({font, "F0S83 sf", kMarginLine, "300 3000 M (lost) s", "%%SowPage", "DeviceGray dup",
               kProbeLine, "%%SowPage", "DeviceGray dup", "300 3000 M (lost) s",
               "300 99999 M (lost) s", kProbeLine, "%%SowPage"},
              20);
  EXPECT_EQ(result.pageLines.size(), 60u);
  EXPECT_EQ(result.dropped, (std::vector<TDroppedStrings>{{1, 1}, {3, 2}}));
  EXPECT_FALSE(Landing(result.pageLines, "lost"));
}

TEST(TextExtraction, PositiveFourthMatrixNumberDropsTheRows) {
  const TExtracted result = Extract(OnePageJob(
      "83 0 0 83 0 0", {kMarginLine, "600 3000 M (One hundred dollars and 00/100) s", kProbeLine}));
  EXPECT_LT(result.rowScale, 0);
  EXPECT_EQ(result.pageLines, std::vector<std::string>(kRows, std::string(110, ' ')));
  EXPECT_EQ(result.dropped, (std::vector<TDroppedStrings>{{1, 3}}));
}
