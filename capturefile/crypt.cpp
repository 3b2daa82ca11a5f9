#include "capturefile/crypt.h"

namespace capturefile {

// The loops keep the key, multiplier and increment in locals so that the only
// work per byte is the xor and the key chain; the fields are written back once.

void TCrypt::EncryptBuffer(char* data, std::size_t size) {
  std::uint32_t key = FKey;
  const std::uint32_t multiplier = FMultiplier;
  const std::uint32_t increment = FIncrement;
  auto* bytes = reinterpret_cast<unsigned char*>(data);
  for (std::size_t i = 0; i < size; ++i) {
    const std::uint32_t cipher = bytes[i] ^ ((key >> 8) & 255);
    bytes[i] = static_cast<unsigned char>(cipher);
    key = (key + cipher) * multiplier + increment;
  }
  FKey = key;
}

void TCrypt::DecryptBuffer(char* data, std::size_t size) {
  std::uint32_t key = FKey;
  const std::uint32_t multiplier = FMultiplier;
  const std::uint32_t increment = FIncrement;
  auto* bytes = reinterpret_cast<unsigned char*>(data);
  for (std::size_t i = 0; i < size; ++i) {
    const std::uint32_t cipher = bytes[i];
    bytes[i] = static_cast<unsigned char>(cipher ^ ((key >> 8) & 255));
    key = (key + cipher) * multiplier + increment;
  }
  FKey = key;
}

void TCrypt::EncryptBufferForHandOff(char* data, std::size_t size) {
  std::uint32_t key = FKey;
  const std::uint32_t multiplier = FMultiplier;
  const std::uint32_t increment = FIncrement;
  auto* bytes = reinterpret_cast<unsigned char*>(data);
  for (std::size_t i = 0; i < size; ++i) {
    const std::uint32_t mixed = bytes[i] ^ (key >> 8);
    const std::uint32_t written = mixed == 1 ? 255 : (mixed & 255);
    bytes[i] = static_cast<unsigned char>(written);
    key = (key + written) * multiplier + increment;
  }
  FKey = key;
}

}  // namespace capturefile
