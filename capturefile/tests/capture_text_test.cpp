#include "capturefile/capture_text.h"

#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "capturefile/capture_codec.h"

using capturefile::TCaptureText;
using capturefile::TCrypt;

TEST(CaptureText, GrowsAndEnciphersLikeTheListEncoder) {
  // Enough rows to outgrow the first block many times over.
  std::vector<std::string> lines;
  TCaptureText text;
  for (int i = 0; i < 20000; ++i) {
    lines.push_back(std::string(110 + i % 7, static_cast<char>(' ' + i % 90)));
    text.AppendLine(lines.back());
  }
  text.AppendLine("");
  lines.push_back("");
  EXPECT_EQ(text.LineCount(), lines.size());
  EXPECT_EQ(text.Lines(), lines);

  TCrypt fromList;
  const std::string expected = capturefile::EncodeCaptureFile(lines, fromList);
  TCaptureText moved = std::move(text);
  TCrypt inPlace;
  moved.Encipher(inPlace);
  EXPECT_EQ(moved.Content(), expected);
  EXPECT_EQ(inPlace.FKey, fromList.FKey);
  EXPECT_THROW(moved.AppendLine("late"), std::logic_error);
  EXPECT_THROW(moved.Encipher(inPlace), std::logic_error);
}

TEST(CaptureText, EmptyAndOneByte) {
  TCaptureText empty;
  TCrypt crypt;
  empty.Encipher(crypt);
  EXPECT_TRUE(empty.Empty());
  EXPECT_EQ(empty.Content(), "");
  EXPECT_EQ(crypt.FKey, TCrypt::kStartKey);

  TCaptureText blankLine;
  blankLine.AppendLine("");
  EXPECT_FALSE(blankLine.Empty());
  EXPECT_EQ(blankLine.Content(), "\r\n");
}
