#include "capturefile/capture_text.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>
#include <utility>

namespace capturefile {

namespace {

constexpr std::size_t kFirstCapacity = 1 << 16;

}  // namespace

TCaptureText::~TCaptureText() { std::free(FData); }

TCaptureText::TCaptureText(TCaptureText&& other) noexcept
    : FData(std::exchange(other.FData, nullptr)),
      FSize(std::exchange(other.FSize, 0)),
      FCapacity(std::exchange(other.FCapacity, 0)),
      FLineCount(std::exchange(other.FLineCount, 0)),
      FEnciphered(std::exchange(other.FEnciphered, false)) {}

TCaptureText& TCaptureText::operator=(TCaptureText&& other) noexcept {
  if (this != &other) {
    std::free(FData);
    FData = std::exchange(other.FData, nullptr);
    FSize = std::exchange(other.FSize, 0);
    FCapacity = std::exchange(other.FCapacity, 0);
    FLineCount = std::exchange(other.FLineCount, 0);
    FEnciphered = std::exchange(other.FEnciphered, false);
  }
  return *this;
}

// realloc rather than new-and-copy: the C library remaps a large block
// instead of copying it, so pages already written are not touched again.
void TCaptureText::Reserve(std::size_t size) {
  if (size <= FCapacity) return;
  std::size_t capacity = FCapacity == 0 ? kFirstCapacity : FCapacity;
  while (capacity < size) capacity *= 2;
  char* grown = static_cast<char*>(std::realloc(FData, capacity));
  if (grown == nullptr) throw std::bad_alloc();
  FData = grown;
  FCapacity = capacity;
}

void TCaptureText::AppendLine(std::string_view line) {
  if (FEnciphered) throw std::logic_error("the capture text is already enciphered");
  Reserve(FSize + line.size() + 2);
  if (!line.empty()) std::memcpy(FData + FSize, line.data(), line.size());
  FSize += line.size();
  FData[FSize++] = '\r';
  FData[FSize++] = '\n';
  ++FLineCount;
}

std::vector<std::string> TCaptureText::Lines() const {
  std::vector<std::string> lines;
  lines.reserve(FLineCount);
  const std::string_view content = Content();
  std::size_t start = 0;
  while (start < content.size()) {
    const std::size_t end = content.find("\r\n", start);
    lines.emplace_back(content.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

void TCaptureText::Encipher(TCrypt& crypt) {
  if (FEnciphered) throw std::logic_error("the capture text is already enciphered");
  if (FSize > 1) crypt.EncryptBuffer(FData + 1, FSize - 1);
  FEnciphered = true;
}

}  // namespace capturefile
