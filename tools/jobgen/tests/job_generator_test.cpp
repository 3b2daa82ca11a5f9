#include "tools/jobgen/job_generator.h"

#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "capture/check_record.h"
#include "capture/text_extraction.h"

using jobgen::GenerateJob;
using jobgen::ParseJobOptions;
using jobgen::TJobOptions;

namespace {

struct TPages {
  std::vector<std::string> rows;
  std::vector<capture::TDroppedStrings> dropped;
};

// Runs a job through the extraction, one line per line feed (a carriage
// return before it stays in the line).
TPages Extract(const std::string& job, std::int32_t rowCount) {
  capture::TCheckRecord grid(rowCount);
  TPages pages;
  capturefile::TCaptureText pageLines;
  capture::TTextExtraction extraction(grid, pageLines);
  std::size_t start = 0;
  while (start < job.size()) {
    const std::size_t end = job.find('\n', start);
    extraction.ProcessLine(std::string_view(job).substr(start, end - start));
    start = end == std::string::npos ? job.size() : end + 1;
  }
  pages.rows = pageLines.Lines();
  pages.dropped = extraction.DroppedStrings();
  return pages;
}

std::string Trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  return first == std::string::npos ? ""
                                    : text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

TEST(JobGenerator, AccountIdsLandInColumnsOneToEightOfTheirLine) {
  const struct {
    std::int32_t fontSize;
    std::int32_t accountLine;
    std::int32_t rows;
    std::string title;
  } cases[] = {
      {83, 1, 70, "Check Run"},   {83, 5, 70, "Check Run"}, {83, 70, 70, "Direct Deposit"},
      {100, 1, 70, "Check Run"},  {100, 42, 42, "Payroll"}, {60, 12, 70, "Direct"},
      {120, 30, 30, "Check Run"},
  };
  for (const auto& c : cases) {
    TJobOptions options;
    options.FAccounts = {"A100", "B200", "12345678"};
    options.FPagesPerAccount = 2;
    options.FFontSize = c.fontSize;
    options.FAccountLine = c.accountLine;
    options.FRowCount = c.rows;
    options.FTitle = c.title;
    const jobgen::TGeneratedJob job = GenerateJob(options);
    const std::string where = "font " + std::to_string(c.fontSize) + ", line " +
                              std::to_string(c.accountLine) + ", title " + c.title;
    ASSERT_EQ(job.FPageAccounts,
              (std::vector<std::string>{"A100", "A100", "B200", "B200", "12345678", "12345678"}))
        << where;
    const TPages pages = Extract(job.FText, c.rows);
    ASSERT_EQ(pages.rows.size(), job.FPageAccounts.size() * c.rows) << where;
    EXPECT_TRUE(pages.dropped.empty()) << where;
    for (std::size_t page = 0; page < job.FPageAccounts.size(); ++page) {
      const std::string& line = pages.rows[page * c.rows + c.accountLine - 1];
      EXPECT_EQ(Trimmed(line.substr(0, 8)), job.FPageAccounts[page]) << where << ", page " << page;
      EXPECT_EQ(line.substr(0, job.FPageAccounts[page].size()), job.FPageAccounts[page]) << where;
    }
    EXPECT_NE(pages.rows[13].find("dollars and"), std::string::npos) << where;
    EXPECT_EQ(pages.rows[10].find("Pay to the order of"), 9u) << where;
  }
}

TEST(JobGenerator, SameSeedSameBytesAndCrlfGivesTheSamePages) {
  TJobOptions options;
  options.FPages = 20;
  const std::string first = GenerateJob(options).FText;
  EXPECT_EQ(GenerateJob(options).FText, first);
  options.FSeed = 2;
  EXPECT_NE(GenerateJob(options).FText, first);

  options.FSeed = 1;
  options.FCrlf = true;
  const std::string crlf = GenerateJob(options).FText;
  std::string withoutCarriageReturns;
  for (char c : crlf)
    if (c != '\r') withoutCarriageReturns += c;
  EXPECT_EQ(withoutCarriageReturns, first);
  EXPECT_EQ(Extract(crlf, 70).rows, Extract(first, 70).rows);
}

TEST(JobGenerator, PagesCycleThroughTheAccounts) {
  TJobOptions options;
  options.FAccounts = {"X1", "Y2"};
  options.FPages = 5;
  EXPECT_EQ(GenerateJob(options).FPageAccounts,
            (std::vector<std::string>{"X1", "Y2", "X1", "Y2", "X1"}));
  options.FAccounts.clear();
  options.FPages = 0;
  const std::vector<std::string> drawn = GenerateJob(options).FPageAccounts;
  ASSERT_EQ(drawn.size(), 3u);
  for (const std::string& id : drawn) EXPECT_EQ(id.size(), 6u) << id;
}

TEST(JobOptions, Parse) {
  std::string error;
  const std::optional<TJobOptions> options =
      ParseJobOptions({"--accounts", "A1,B2", "--account-line", "3", "--font-size", "100",
                       "--pages-per-account", "2", "--pages", "9", "--crlf", "--seed", "42",
                       "--title", "Direct", "--rows", "42", "--output", "job.ps"},
                      error);
  ASSERT_TRUE(options) << error;
  EXPECT_EQ(options->FAccounts, (std::vector<std::string>{"A1", "B2"}));
  EXPECT_EQ(options->FAccountLine, 3);
  EXPECT_EQ(options->FFontSize, 100);
  EXPECT_EQ(options->FPagesPerAccount, 2);
  EXPECT_EQ(options->FPages, 9);
  EXPECT_TRUE(options->FCrlf);
  EXPECT_EQ(options->FSeed, 42u);
  EXPECT_EQ(options->FTitle, "Direct");
  EXPECT_EQ(options->FRowCount, 42);
  EXPECT_EQ(options->FOutput, "job.ps");
}

TEST(JobOptions, Mistakes) {
  const struct {
    std::vector<std::string> args;
    const char* error;
  } cases[] = {
      {{"--pages"}, "--pages needs a value"},
      {{"--pages", "0"}, "--pages needs a number from 1 to 10000000, not 0"},
      {{"--font-size", "83x"}, "--font-size needs a number from 10 to 1000, not 83x"},
      {{"--rows", "29"}, "--rows needs a number from 30 to 100000, not 29"},
      {{"--seed", "-1"}, "--seed needs a number of 0 or more, not -1"},
      {{"--accounts", "A100,123456789"},
       "account ID \"123456789\" must be 1 to 8 characters without blanks, parentheses or "
       "backslashes"},
      {{"--accounts", "A1,,B2"},
       "account ID \"\" must be 1 to 8 characters without blanks, parentheses or backslashes"},
      {{"--accounts", "A(1)"},
       "account ID \"A(1)\" must be 1 to 8 characters without blanks, parentheses or backslashes"},
      {{"--account-line", "71"}, "--account-line must not exceed --rows (70)"},
      {{"--colour", "red"}, "unknown argument --colour"},
      {{"stray"}, "unknown argument stray"},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(ParseJobOptions(c.args, error)) << c.args[0];
    EXPECT_EQ(error, c.error) << c.args[0];
  }
}
