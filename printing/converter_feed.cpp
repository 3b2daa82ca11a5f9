#include "printing/converter_feed.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace printing {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kCupsPrefixes[] = {"ERROR:", "WARNING:", "INFO:", "DEBUG:"};

void PassLine(std::string_view line) {
  for (std::string_view prefix : kCupsPrefixes) {
    if (line.substr(0, prefix.size()) == prefix) {
      std::fprintf(stderr, "%.*s\n", static_cast<int>(line.size()), line.data());
      return;
    }
  }
  std::fprintf(stderr, "DEBUG: %.*s\n", static_cast<int>(line.size()), line.data());
}

// Passes on the complete lines of `pending`, keeping the rest.
void PassLines(std::string& pending) {
  std::size_t start = 0;
  for (std::size_t end; (end = pending.find('\n', start)) != std::string::npos; start = end + 1) {
    PassLine(std::string_view(pending).substr(start, end - start));
  }
  pending.erase(0, start);
}

// True when something was read; false at the end or when nothing waits.
bool ReadSome(int fd, std::string& pending) {
  char buffer[4096];
  const ssize_t got = ::read(fd, buffer, sizeof buffer);
  if (got <= 0) return false;
  pending.append(buffer, static_cast<std::size_t>(got));
  PassLines(pending);
  return true;
}

[[noreturn]] void StartInChild(const fs::path& converter, const fs::path& prefix,
                               const std::string& user, int jobFd, int errorWrite,
                               int statusWrite) {
  if (::dup2(jobFd, STDIN_FILENO) < 0 || ::dup2(errorWrite, STDERR_FILENO) < 0 ||
      ::setenv("ZERURUD_PREFIX", prefix.c_str(), 1) != 0) {
    const int code = errno;
    (void)!::write(statusWrite, &code, sizeof code);
    ::_exit(127);
  }
  const std::string name = "VAVavidi";
  char* const argv[] = {const_cast<char*>(name.c_str()), const_cast<char*>(user.c_str()), nullptr};
  ::execv(converter.c_str(), argv);
  const int code = errno;
  (void)!::write(statusWrite, &code, sizeof code);
  ::_exit(127);
}

}  // namespace

fs::path ConverterPath() {
  std::error_code error;
  const fs::path self = fs::read_symlink("/proc/self/exe", error);
  if (!error) {
    const fs::path beside = self.parent_path() / "VAVavidi";
    if (::access(beside.c_str(), X_OK) == 0) return beside;
  }
  return ZERURUD_CONVERTER_PATH;
}

bool FeedConverter(const fs::path& converter, const fs::path& prefix, const std::string& user,
                   int jobFd) {
  int errorPipe[2];
  int statusPipe[2];
  if (::pipe2(errorPipe, O_CLOEXEC) != 0) {
    std::fprintf(stderr, "ERROR: zerurud: no pipe for the converter: %s\n", std::strerror(errno));
    return false;
  }
  if (::pipe2(statusPipe, O_CLOEXEC) != 0) {
    std::fprintf(stderr, "ERROR: zerurud: no pipe for the converter: %s\n", std::strerror(errno));
    ::close(errorPipe[0]);
    ::close(errorPipe[1]);
    return false;
  }
  std::fflush(stderr);
  const pid_t child = ::fork();
  if (child == 0) StartInChild(converter, prefix, user, jobFd, errorPipe[1], statusPipe[1]);
  const int forkError = errno;
  ::close(errorPipe[1]);
  ::close(statusPipe[1]);
  int startError = 0;
  if (child < 0) {
    startError = forkError;
  } else if (::read(statusPipe[0], &startError, sizeof startError) != sizeof startError) {
    startError = 0;
  }
  ::close(statusPipe[0]);

  // The converter's follow-up program may keep the pipe open long after the
  // converter ended, so the end of the converter, not of the pipe, ends the
  // reading.
  std::string pending;
  int status = 0;
  bool ended = child < 0;
  while (!ended) {
    pollfd wait{errorPipe[0], POLLIN, 0};
    if (::poll(&wait, 1, 100) > 0 && ReadSome(errorPipe[0], pending)) continue;
    ended = ::waitpid(child, &status, WNOHANG) == child;
  }
  ::fcntl(errorPipe[0], F_SETFL, O_NONBLOCK);
  while (ReadSome(errorPipe[0], pending)) {
  }
  if (!pending.empty()) PassLine(pending);
  ::close(errorPipe[0]);

  if (startError != 0) {
    std::fprintf(stderr, "ERROR: zerurud: cannot start the converter %s: %s\n", converter.c_str(),
                 std::strerror(startError));
    return false;
  }
  if (WIFSIGNALED(status)) {
    std::fprintf(stderr, "ERROR: zerurud: the converter ended by signal %d\n", WTERMSIG(status));
  }
  return true;
}

}  // namespace printing
