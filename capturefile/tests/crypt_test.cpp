#include "capturefile/crypt.h"

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

using capturefile::TCrypt;

namespace {

std::string AllByteValues() {
  std::string bytes;
  for (int value = 0; value < 256; ++value) bytes += static_cast<char>(value);
  return bytes;
}

std::string RandomBytes(std::size_t size, std::uint32_t seed) {
  std::mt19937 generator(seed);
  std::string bytes(size, '\0');
  for (char& byte : bytes) byte = static_cast<char>(generator() & 255);
  return bytes;
}

std::string EncryptBytewise(const std::string& plain) {
  TCrypt crypt;
  std::string out;
  for (char byte : plain) out += static_cast<char>(crypt.Encrypt(static_cast<std::uint8_t>(byte)));
  return out;
}

std::string DecryptBytewise(const std::string& cipher) {
  TCrypt crypt;
  std::string out;
  for (char byte : cipher) out += static_cast<char>(crypt.Decrypt(static_cast<std::uint8_t>(byte)));
  return out;
}

// The cipher held in 16 bits with 16-bit wrap-around.
std::string Encrypt16(const std::string& plain) {
  std::uint16_t key = TCrypt::kStartKey;
  std::string out;
  for (char byte : plain) {
    const std::uint8_t cipher =
        static_cast<std::uint8_t>(byte) ^ static_cast<std::uint8_t>(key >> 8);
    key = static_cast<std::uint16_t>((key + cipher) * TCrypt::kMultiplier + TCrypt::kIncrement);
    out += static_cast<char>(cipher);
  }
  return out;
}

}  // namespace

TEST(Crypt, FreshKeyEnciphersKnownBytes) {
  // Worked out by hand from the start key: 65 xor 0xB7 = 246, and so on.
  EXPECT_EQ(EncryptBytewise("ABC"), std::string("\xF6\xA8\xFA"));
  TCrypt crypt;
  for (char byte : std::string("ABC")) crypt.Encrypt(static_cast<std::uint8_t>(byte));
  EXPECT_EQ(crypt.FKey, 3342567370u) << "the key is kept in full 32 bits";
}

TEST(Crypt, RoundTrips) {
  const struct {
    const char* name;
    std::string plain;
  } cases[] = {
      {"every byte value", AllByteValues()},
      {"line ends and extremes", std::string("\0\r\n\xFF\0\r\n\xFF", 8)},
      {"repeated byte", std::string(1000, ' ')},
      {"random", RandomBytes(100000, 7)},
  };
  for (const auto& c : cases) {
    const std::string cipher = EncryptBytewise(c.plain);
    EXPECT_EQ(DecryptBytewise(cipher), c.plain) << c.name;

    std::string buffer = c.plain;
    TCrypt writer;
    writer.EncryptBuffer(buffer.data(), buffer.size());
    EXPECT_EQ(buffer, cipher) << c.name << ": buffer and byte-wise encryption agree";
    TCrypt reader;
    reader.DecryptBuffer(buffer.data(), buffer.size());
    EXPECT_EQ(buffer, c.plain) << c.name;
    EXPECT_EQ(reader.FKey, writer.FKey) << c.name;
  }
}

TEST(Crypt, BuffersContinueTheKeyAcrossChunks) {
  const std::string plain = RandomBytes(1000, 3);
  std::string chunked = plain;
  TCrypt crypt;
  crypt.EncryptBuffer(chunked.data(), 1);
  crypt.EncryptBuffer(chunked.data() + 1, 499);
  crypt.EncryptBuffer(chunked.data() + 500, 500);
  EXPECT_EQ(chunked, EncryptBytewise(plain));
}

TEST(Crypt, SamePlainByteUsuallyGivesDifferentCipherBytes) {
  const std::string cipher = EncryptBytewise(std::string(256, ' '));
  int distinct = 0;
  std::vector<bool> seen(256);
  for (char byte : cipher) {
    if (!seen[static_cast<std::uint8_t>(byte)]) ++distinct;
    seen[static_cast<std::uint8_t>(byte)] = true;
  }
  EXPECT_GT(distinct, 100);
}

TEST(Crypt, OneChangedCipherByteGarblesEverythingAfterIt) {
  const std::string plain(64, 'x');
  std::string cipher = EncryptBytewise(plain);
  cipher[10] ^= 1;
  const std::string garbled = DecryptBytewise(cipher);
  EXPECT_EQ(garbled.substr(0, 10), plain.substr(0, 10));
  int wrong = 0;
  for (std::size_t i = 11; i < plain.size(); ++i) wrong += garbled[i] != plain[i];
  EXPECT_GT(wrong, 45);
}

TEST(Crypt, SixteenBitKeyGivesTheSameBytes) {
  for (const std::string& plain :
       {AllByteValues(), RandomBytes(50000, 11), std::string(5000, '\0')}) {
    EXPECT_EQ(EncryptBytewise(plain), Encrypt16(plain));
    EXPECT_EQ(DecryptBytewise(Encrypt16(plain)), plain);
  }
}

TEST(CryptForHandOff, OnlyOneFirstByteIsSubstituted) {
  // Bits 8 to 15 of the start key are 0xB7; 0xB7 xor 1 = 182 is the one value
  // whose enciphered form would be 1, and it is written as 255 instead.
  for (int plain = 0; plain < 256; ++plain) {
    TCrypt handOff;
    TCrypt normal;
    const std::uint8_t written = handOff.EncryptForHandOff(static_cast<std::uint8_t>(plain));
    const std::uint8_t expected =
        plain == 182 ? 255 : normal.Encrypt(static_cast<std::uint8_t>(plain));
    EXPECT_EQ(written, expected) << "plain byte " << plain;
  }
  TCrypt reader;
  EXPECT_EQ(reader.Decrypt(255), 72) << "the reader cannot tell 182 from 72";
}

TEST(CryptForHandOff, UsesTheWholeKeyOnceItExceeds16Bits) {
  // With a key of 65536 or more the shifted key has bits above bit 7, so no
  // byte can be substituted: the output is the plain Encrypt output and the
  // reader gets everything back.
  const std::string plain = RandomBytes(200000, 5).replace(0, 1, "A");
  std::string written = plain;
  TCrypt crypt;
  crypt.EncryptBufferForHandOff(written.data(), written.size());
  TCrypt reader;
  std::string back = written;
  reader.DecryptBuffer(back.data(), back.size());
  EXPECT_EQ(back, plain);
}

TEST(CryptForHandOff, SubstitutesLaterWhenTheKeyFallsLowAndStaysInStep) {
  // Choose each plain byte so that the key falls below 65536, then feed the
  // byte that makes the combination 1.
  TCrypt probe;
  std::string plain;
  while (probe.FKey >= 65536 || plain.empty()) {
    int chosen = 0;
    for (int candidate = 0; candidate < 256; ++candidate) {
      TCrypt trial = probe;
      trial.Encrypt(static_cast<std::uint8_t>(candidate));
      if (trial.FKey < 65536) chosen = candidate;
    }
    plain += static_cast<char>(chosen);
    probe.Encrypt(static_cast<std::uint8_t>(chosen));
    ASSERT_LT(plain.size(), 100000u);
  }
  const std::size_t lowAt = plain.size();
  plain += static_cast<char>(1 ^ (probe.FKey >> 8));
  plain += "tail";

  std::string written = plain;
  TCrypt writer;
  writer.EncryptBufferForHandOff(written.data(), written.size());
  EXPECT_EQ(static_cast<std::uint8_t>(written[lowAt]), 255);

  std::string back = written;
  TCrypt reader;
  reader.DecryptBuffer(back.data(), back.size());
  EXPECT_EQ(back.substr(0, lowAt), plain.substr(0, lowAt));
  EXPECT_NE(back[lowAt], plain[lowAt]);
  EXPECT_EQ(back.substr(lowAt + 1), "tail") << "the reader stays in step after the substitution";
}
