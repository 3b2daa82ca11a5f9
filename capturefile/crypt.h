// The keystream cipher of capture files and of the files handed to the
// check-writing program.
//
// A running 32-bit key is fed, after every byte, with the enciphered byte
// itself, so a reader that starts at the start key and feeds back each byte it
// reads stays in step with the writer. All key arithmetic wraps around modulo
// 2^32. One TCrypt serves one file: its key runs on from the file's second byte
// to the last, without a reset between lines or pages.
//
// Encrypt and Decrypt only ever use the low 16 bits of the key (the carry of
// an addition or multiplication runs upwards only), so a 16-bit key would give
// the same bytes; EncryptForHandOff needs the full 32 bits.
#pragma once

#include <cstddef>
#include <cstdint>

namespace capturefile {

class TCrypt {
 public:
  static constexpr std::uint32_t kStartKey = 47093;
  static constexpr std::uint32_t kMultiplier = 36157;
  static constexpr std::uint32_t kIncrement = 27487;

  TCrypt() = default;

  // Enciphers one plain byte of a capture file and advances the key.
  std::uint8_t Encrypt(std::uint8_t plain) {
    const std::uint8_t cipher = plain ^ KeyByte();
    Advance(cipher);
    return cipher;
  }

  // Deciphers one byte of a capture file (or of a hand-off file, see
  // DecodeHandOffFile) and advances the key with the byte as it was read.
  std::uint8_t Decrypt(std::uint8_t cipher) {
    const std::uint8_t plain = cipher ^ KeyByte();
    Advance(cipher);
    return plain;
  }

  // Enciphers one byte of a file for the check-writing program. The plain
  // byte is combined with the whole shifted key, not only its low byte, and a
  // result of exactly 1 (possible only while the key is below 65536) is
  // written as 255. The written byte is what feeds the key.
  std::uint8_t EncryptForHandOff(std::uint8_t plain) {
    const std::uint32_t mixed = plain ^ (FKey >> 8);
    const std::uint8_t written = mixed == 1 ? 255 : static_cast<std::uint8_t>(mixed);
    Advance(written);
    return written;
  }

  // The same operations over a buffer, in place; the key runs on across calls,
  // so a file may be handled in chunks.
  void EncryptBuffer(char* data, std::size_t size);
  void DecryptBuffer(char* data, std::size_t size);
  void EncryptBufferForHandOff(char* data, std::size_t size);

  std::uint32_t FMultiplier = kMultiplier;
  std::uint32_t FIncrement = kIncrement;
  std::uint32_t FKey = kStartKey;

 private:
  std::uint8_t KeyByte() const { return static_cast<std::uint8_t>(FKey >> 8); }
  void Advance(std::uint8_t fed) { FKey = (FKey + fed) * FMultiplier + FIncrement; }
};

}  // namespace capturefile
