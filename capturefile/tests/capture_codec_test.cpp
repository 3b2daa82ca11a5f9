#include "capturefile/capture_codec.h"

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

using capturefile::DecodeCaptureFile;
using capturefile::DecodeHandOffFile;
using capturefile::EncodeCaptureFile;
using capturefile::EncodeHandOffFile;
using capturefile::TCrypt;

namespace {

std::string Encode(const std::vector<std::string>& lines) {
  TCrypt crypt;
  return EncodeCaptureFile(lines, crypt);
}

std::uint8_t At(const std::string& bytes, std::size_t i) {
  return static_cast<std::uint8_t>(bytes[i]);
}

}  // namespace

TEST(CaptureFile, OnePageOfTwoRows) {
  const std::string firstRow = "A" + std::string(109, ' ');
  const std::string secondRow(110, ' ');
  const std::string bytes = Encode({firstRow, secondRow});
  ASSERT_EQ(bytes.size(), 224u);
  // Worked out from the start key, with one keystream from byte 1 to the end.
  EXPECT_EQ(At(bytes, 0), 'A');
  EXPECT_EQ(At(bytes, 1), 151);
  EXPECT_EQ(At(bytes, 2), 160);
  EXPECT_EQ(At(bytes, 3), 125);
  EXPECT_EQ(At(bytes, 110), 176) << "enciphered carriage return";
  EXPECT_EQ(At(bytes, 111), 118) << "enciphered line feed";
  EXPECT_EQ(At(bytes, 112), 120) << "the second row continues the keystream";
  EXPECT_EQ(At(bytes, 223), 232);
  EXPECT_EQ(DecodeCaptureFile(bytes), firstRow + "\r\n" + secondRow + "\r\n");
}

TEST(CaptureFile, WrongReadingsGiveGarbage) {
  const std::vector<std::string> rows(2, std::string(110, ' '));
  const std::string plain = std::string(110, ' ') + "\r\n" + std::string(110, ' ') + "\r\n";
  const std::string bytes = Encode(rows);
  EXPECT_EQ(At(bytes, 0), ' ') << "a blank first row starts the file with a plain blank";

  std::string fromByteZero = bytes;
  TCrypt crypt;
  crypt.DecryptBuffer(fromByteZero.data(), fromByteZero.size());
  EXPECT_NE(fromByteZero.substr(1), plain.substr(1));

  std::string resetPerLine = DecodeCaptureFile(bytes.substr(0, 112));
  resetPerLine += DecodeCaptureFile(bytes.substr(112));
  EXPECT_EQ(resetPerLine.substr(0, 112), plain.substr(0, 112));
  EXPECT_NE(resetPerLine.substr(112), plain.substr(112));
}

TEST(CaptureFile, SizesAndRoundTrips) {
  const std::string blank(110, ' ');
  const struct {
    const char* name;
    std::vector<std::string> lines;
    std::size_t size;
  } cases[] = {
      {"no lines", {}, 0},
      {"two pages of 70 rows", std::vector<std::string>(140, blank), 15680},
      {"an overlong row shifts the rest", {blank, blank + "END", blank}, 3 * 112 + 3},
      {"an empty first line", {"", "x"}, 5},
      {"binary bytes", {std::string("\0\xFF\r", 3), std::string("\n\x01", 2)}, 9},
  };
  for (const auto& c : cases) {
    const std::string bytes = Encode(c.lines);
    EXPECT_EQ(bytes.size(), c.size) << c.name;
    std::string plain;
    for (const std::string& line : c.lines) plain += line + "\r\n";
    EXPECT_EQ(DecodeCaptureFile(bytes), plain) << c.name;
    EXPECT_EQ(DecodeHandOffFile(EncodeHandOffFile(c.lines)), plain) << c.name;
  }
}

TEST(CaptureFile, OneKeystreamForTheWholeFile) {
  const std::vector<std::string> lines{"first", "second", "third"};
  TCrypt crypt;
  const std::string bytes = EncodeCaptureFile(lines, crypt);
  std::string expected = "first\r\nsecond\r\nthird\r\n";
  TCrypt reference;
  reference.EncryptBuffer(expected.data() + 1, expected.size() - 1);
  EXPECT_EQ(bytes, expected);
  EXPECT_EQ(crypt.FKey, reference.FKey) << "the run's cipher is left where the file ends";
}

TEST(HandOffFile, SubstitutesAtTheFirstEncipheredByte) {
  // 182 at byte 1 is the value the substitution catches; it reads back as 72.
  const std::string bytes = EncodeHandOffFile({std::string("x\xB6yz", 4)});
  EXPECT_EQ(At(bytes, 1), 255);
  EXPECT_EQ(DecodeHandOffFile(bytes), std::string("x\x48yz\r\n", 6));
  EXPECT_EQ(DecodeHandOffFile(EncodeHandOffFile({std::string("x\x48yz", 4)})),
            std::string("x\x48yz\r\n", 6));
}
