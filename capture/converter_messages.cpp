#include "capture/converter_messages.h"

#include <unistd.h>

#include <cerrno>
#include <string>

namespace capture {

namespace {

// One write per line, so that lines of concurrent runs sharing the spooler's
// log never interleave within a line.
void WriteLine(std::string line) {
  line += '\n';
  std::string_view rest = line;
  while (!rest.empty()) {
    const ssize_t written = ::write(STDERR_FILENO, rest.data(), rest.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return;
    rest.remove_prefix(static_cast<std::size_t>(written));
  }
}

}  // namespace

void ShowMessageBox(std::string_view text) {
  WriteLine("ERROR: " + std::string(kMessageCaption) + ": " + std::string(text));
}

void ReportWarning(std::string_view text) { WriteLine("WARNING: " + std::string(text)); }

void ReportError(std::string_view text) { WriteLine("ERROR: " + std::string(text)); }

}  // namespace capture
