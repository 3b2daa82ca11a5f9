#include "capture/job_input.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace capture {

namespace {

constexpr std::size_t kReadSize = 64 * 1024;
constexpr char kEndOfText = 26;

}  // namespace

TJobInput::TJobInput(int fd) : FFd(fd) {}

bool TJobInput::Refill() {
  if (FEnded) return false;
  FBuffer.resize(kReadSize);
  ssize_t got;
  while ((got = ::read(FFd, FBuffer.data(), FBuffer.size())) < 0) {
    if (errno == EINTR) continue;
    // A starter may hand over a non-blocking pipe: no data yet is not the end.
    if (errno != EAGAIN && errno != EWOULDBLOCK) break;
    pollfd ready{FFd, POLLIN, 0};
    ::poll(&ready, 1, -1);
  }
  if (got <= 0) {
    FEnded = true;
    FBuffer.clear();
    FNext = 0;
    return false;
  }
  FBuffer.resize(static_cast<std::size_t>(got));
  FNext = 0;
  if (const void* stop = std::memchr(FBuffer.data(), kEndOfText, FBuffer.size())) {
    FBuffer.resize(static_cast<std::size_t>(static_cast<const char*>(stop) - FBuffer.data()));
    FEnded = true;
  }
  return !FBuffer.empty();
}

bool TJobInput::ReadLine(std::string& line) {
  line.clear();
  bool sawAnything = false;
  for (;;) {
    if (FNext == FBuffer.size() && !Refill()) return sawAnything;
    sawAnything = true;
    const std::size_t end = FBuffer.find('\n', FNext);
    const std::size_t stop = end == std::string::npos ? FBuffer.size() : end;
    for (std::size_t i = FNext; i < stop; ++i)
      if (FBuffer[i] != '\r') line += FBuffer[i];
    FNext = stop;
    if (end != std::string::npos) {
      ++FNext;
      return true;
    }
  }
}

}  // namespace capture
