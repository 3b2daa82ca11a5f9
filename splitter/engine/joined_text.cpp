#include "splitter/engine/joined_text.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>

#include "platform/env.h"
#include "platform/error.h"
#include "platform/files.h"

namespace splitter {

// The platform's ReadWholeFile gives a string from the ordinary heap; a
// capture file may be hundreds of megabytes, which are cheaper to fault in
// as huge pages, so it is read here into the engine's own buffer.
TReadOutcome ReadTextFile(const std::string& path, TTextBuffer& data) {
  std::filesystem::path host;
  std::unique_ptr<win::TReadableFile> file;
  if (!win::HostPathOf(path, host) || !win::Env().OpenReadable(host, file)) {
    return TReadOutcome::NotOpened;
  }
  // The buffer has one byte more than the file, so a file that has not
  // grown meanwhile ends with a read of nothing, not with a resize.
  data.assign(file->Size() + 1, '\0');
  std::size_t size = 0;
  for (;;) {
    if (size == data.size()) data.resize(data.size() * 2);
    std::size_t got = 0;
    if (!file->Read(data.data() + size, data.size() - size, got)) return TReadOutcome::ReadFailed;
    if (got == 0) break;
    size += got;
  }
  data.resize(size);
  return TReadOutcome::Read;
}

void TJoinedText::Append(TTextBuffer text) {
  text.erase(std::find(text.begin(), text.end(), '\0'), text.end());
  if (text.empty()) return;
  const TTextBuffer& stored = FTexts.emplace_back(std::move(text));
  const char* data = stored.data();
  const std::size_t size = stored.size();
  // One line per line feed (and the last) is the usual count: reserving it
  // spares the list its growing copies.
  FLines.reserve(FLines.size() + static_cast<std::size_t>(std::count(data, data + size, '\n')) + 1);
  std::size_t start = 0;
  while (start < size) {
    const char* lineEnd = static_cast<const char*>(std::memchr(data + start, '\n', size - start));
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

}  // namespace splitter
