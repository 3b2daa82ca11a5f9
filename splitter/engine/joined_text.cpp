#include "splitter/engine/joined_text.h"

#include <cstring>

void TJoinedText::Append(std::string text) {
  std::size_t end = text.find('\0');
  if (end != std::string::npos) text.resize(end);
  if (text.empty()) return;
  const std::string& stored = FTexts.emplace_back(std::move(text));
  const char* data = stored.data();
  const std::size_t size = stored.size();
  std::size_t start = 0;
  while (start < size) {
    const char* lineEnd =
        static_cast<const char*>(std::memchr(data + start, '\n', size - start));
    std::size_t stop = lineEnd ? static_cast<std::size_t>(lineEnd - data) : size;
    // A lone CR ends a line too; it is rare, so look for it only within the
    // stretch up to the next LF.
    const char* cr = static_cast<const char*>(std::memchr(data + start, '\r', stop - start));
    if (cr != nullptr) {
      std::size_t at = static_cast<std::size_t>(cr - data);
      FLines.emplace_back(data + start, at - start);
      start = at + 1;
      if (start < size && data[start] == '\n') ++start;
      continue;
    }
    FLines.emplace_back(data + start, stop - start);
    start = stop + 1;
  }
}

void TJoinedText::Clear() {
  FLines.clear();
  FLines.shrink_to_fit();
  FTexts.clear();
}
