#include "splitter/engine/joined_text.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "platform/error.h"
#include "platform/files.h"

namespace splitter {

// The platform's ReadWholeFile gives a string from the ordinary heap; a
// capture file may be hundreds of megabytes, which are cheaper to fault in
// as huge pages, so it is read here into the engine's own buffer.
bool ReadTextFile(const std::string& path, TTextBuffer& data) {
  std::filesystem::path host;
  if (!win::HostPathOf(path, host)) return false;
  const int fd = ::open(host.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return win::FailFromErrno();
  struct stat st {};
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    ::close(fd);
    return win::Fail(win::ERROR_ACCESS_DENIED);
  }
  data.assign(static_cast<std::size_t>(st.st_size) + 1, '\0');
  std::size_t size = 0;
  for (;;) {
    // The buffer has one byte more than the file, so a file that has not
    // grown meanwhile ends with a read of nothing, not with a resize.
    if (size == data.size()) data.resize(data.size() * 2);
    const ssize_t got = ::read(fd, data.data() + size, data.size() - size);
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      const int err = errno;
      ::close(fd);
      return win::Fail(win::WinErrorFromErrno(err));
    }
    size += static_cast<std::size_t>(got);
  }
  ::close(fd);
  data.resize(size);
  return true;
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
