#include "splitter/engine/account_pages.h"

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/text.h"

namespace splitter {

namespace {

struct TPass {
  std::vector<std::string> batch;
  bool stuck = false;
};

// The account split done the slow way: for every pass, search the whole
// remaining text for the first line equal to the key line and take the page
// around it, until no such line remains. A pass that would search forever is
// cut off and reported as stuck.
std::vector<TPass> SlowSplit(std::vector<std::string> lines, int numLines, int accountLine) {
  std::vector<TPass> passes;
  auto firstEqual = [&](const std::string& key) -> long long {
    for (std::size_t i = 0; i < lines.size(); ++i) {
      if (win::SameText(lines[i], key)) return static_cast<long long>(i);
    }
    return -1;
  };
  while (!lines.empty()) {
    TPass pass;
    if (accountLine < 1 || static_cast<std::size_t>(accountLine) > lines.size() ||
        win::Trim(lines[accountLine - 1]).empty()) {
      pass.stuck = true;
      passes.push_back(pass);
      break;
    }
    const std::string key = win::UpperCase(lines[accountLine - 1]);
    long long m = firstEqual(key);
    bool idle = false;
    while (!lines.empty() && m >= 0) {
      const std::size_t before = lines.size();
      for (int n = 0; n < numLines; ++n) {
        long long at = m - (accountLine - 1);
        if (at >= 0 && static_cast<std::size_t>(at) < lines.size()) {
          pass.batch.push_back(lines[at]);
          lines.erase(lines.begin() + at);
        }
      }
      // Taking nothing leaves everything as it was: the search repeats forever.
      idle = lines.size() == before;
      if (idle) break;
      m = firstEqual(key);
    }
    if (idle) {
      pass.stuck = true;
      passes.push_back(pass);
      break;
    }
    passes.push_back(pass);
  }
  return passes;
}

std::vector<TPass> FastSplit(const std::vector<std::string>& lines, int numLines, int accountLine) {
  TJoinedText text;
  std::string joined;
  for (const std::string& line : lines) joined += line + "\r\n";
  text.Append(TTextBuffer(joined.begin(), joined.end()));
  TAccountPages pages(text);
  std::vector<TPass> passes;
  while (!pages.Empty()) {
    TPass pass;
    std::optional<std::uint32_t> key;
    if (accountLine >= 1) key = pages.RemainingAt(static_cast<std::size_t>(accountLine - 1));
    std::vector<std::string_view> batch;
    long long attempts = 0;
    pass.stuck = !key || win::Trim(text.Line(*key)).empty() ||
                 pages.TakeAccount(*key, numLines, accountLine, batch, attempts) ==
                     TAccountPages::TTakeResult::Stuck;
    pass.batch.assign(batch.begin(), batch.end());
    if (pass.stuck) pass.batch.clear();
    passes.push_back(pass);
    if (pass.stuck) break;
  }
  return passes;
}

std::string Describe(const std::vector<TPass>& passes) {
  std::string out;
  for (const TPass& pass : passes) {
    out += pass.stuck ? "STUCK[" : "[";
    for (const std::string& line : pass.batch) out += line + "|";
    out += "] ";
  }
  return out;
}

// Pages of `numLines` lines whose line `accountLine` names the account.
std::vector<std::string> Pages(const std::vector<std::string>& accounts, int numLines,
                               int accountLine) {
  std::vector<std::string> lines;
  for (std::size_t p = 0; p < accounts.size(); ++p) {
    for (int l = 1; l <= numLines; ++l) {
      lines.push_back(l == accountLine ? accounts[p]
                                       : "p" + std::to_string(p) + "l" + std::to_string(l));
    }
  }
  return lines;
}

TEST(AccountPages, GathersEachAccountsPagesInTextOrder) {
  std::vector<std::string> lines = Pages({"A100", "B200", "a100"}, 3, 1);
  auto passes = FastSplit(lines, 3, 1);
  ASSERT_EQ(passes.size(), 2u) << Describe(passes);
  EXPECT_EQ(passes[0].batch,
            (std::vector<std::string>{"A100", "p0l2", "p0l3", "a100", "p2l2", "p2l3"}));
  EXPECT_EQ(passes[1].batch, (std::vector<std::string>{"B200", "p1l2", "p1l3"}));
}

TEST(AccountPages, AttemptsCountEveryLineTried) {
  TJoinedText text;
  const std::string joined = "A\r\nx\r\ny\r\nA\r\nz\r\n";  // the last page is short
  text.Append(TTextBuffer(joined.begin(), joined.end()));
  TAccountPages pages(text);
  std::vector<std::string_view> batch;
  long long attempts = 0;
  ASSERT_EQ(pages.TakeAccount(0, 3, 1, batch, attempts), TAccountPages::TTakeResult::Taken);
  EXPECT_EQ(batch.size(), 5u);
  EXPECT_EQ(attempts, 6);
  EXPECT_TRUE(pages.Empty());
}

TEST(AccountPages, StuckWhereTheSearchWouldNeverEnd) {
  struct TCase {
    std::vector<std::string> lines;
    int numLines, accountLine;
    const char* why;
  };
  const TCase cases[] = {
      {{"A", "x", "A", "y"}, 0, 1, "no lines per page"},
      {{"A", "x", "A", "y"}, -2, 1, "negative lines per page"},
      {{"x", "A", "y", "z"}, 2, 3, "account line below the page"},
      {{"k", "x", "K", "y"}, 2, 3, "equal line above the first page's key line"},
      {{"x", "A", "y", "A", "z", "w"}, 3, 2, "found again too near the top"},
  };
  for (const TCase& c : cases) {
    auto fast = FastSplit(c.lines, c.numLines, c.accountLine);
    ASSERT_FALSE(fast.empty()) << c.why;
    EXPECT_TRUE(fast.back().stuck) << c.why << ": " << Describe(fast);
  }
}

// The indexed split must give exactly the slow search's batches, also for
// texts where account lines reappear in odd places.
TEST(AccountPages, SameBatchesAsTheFullSearch) {
  std::mt19937 random(12345);
  const std::vector<std::string> vocabulary = {"A100", "a100", "B200", "C300", "b200", "x", "y"};
  for (int round = 0; round < 3000; ++round) {
    const int numLines = 1 + static_cast<int>(random() % 4);
    const int accountLine = 1 + static_cast<int>(random() % numLines);
    std::vector<std::string> lines(random() % 14);
    for (std::string& line : lines) {
      line = random() % 12 == 0 ? " " : vocabulary[random() % vocabulary.size()];
    }
    auto slow = SlowSplit(lines, numLines, accountLine);
    auto fast = FastSplit(lines, numLines, accountLine);
    // A stuck pass ends the split; what it had gathered is dropped.
    if (!slow.empty() && slow.back().stuck) slow.back().batch.clear();
    ASSERT_EQ(Describe(fast), Describe(slow))
        << "numLines " << numLines << " accountLine " << accountLine << " text "
        << testing::PrintToString(lines);
  }
}

}  // namespace

}  // namespace splitter
