// argv_recorder: a stand-in program for tests that start programs (a
// follow-up program, the check-writing program, chain commands). It writes
// down how it was started and ends; record.h reads what it wrote.
//
// The record goes to the file named by the environment variable
// ARGV_RECORDER_OUT, or, when that is not set, to the file named by its first
// argument. It is written to a temporary file beside it and renamed, so a
// record file that exists is complete.
//
// More environment variables steer it:
//   ARGV_RECORDER_WAIT_FD=n  first read descriptor n until its end (a test
//                            that holds the write end of an inherited pipe
//                            decides when the program goes on; nothing
//                            happens when n is not open)
//   ARGV_RECORDER_WAIT_FIFO=path  first read the FIFO at path until no
//                            writer holds it (a test that holds it open
//                            decides when the program goes on, also for a
//                            program that inherits nothing; nothing happens
//                            when nobody holds it)
//   ARGV_RECORDER_ENV=A,B    variables to record besides DISPLAY, HOME, USER
//                            and LOGNAME
//   ARGV_RECORDER_EXIT=n     the exit code (default 0)
// It ends with 120 when the record cannot be written.
//
// The record has one line per field, "key=value", with backslash, line feed,
// carriage return, tab and other control bytes in values escaped as \\, \n,
// \r, \t and \xHH:
//   argc=N, then argv[0]=... to argv[N-1]=...
//   pid, ppid, cwd
//   uid, euid, gid, egid         real and effective ids
//   groups=g1,g2,...             supplementary groups, ascending
//   fds=3,5,...                  descriptors above 2 open at the start
//   fd0, fd1, fd2                what standard input, output and error are
//                                (their /proc link: "/dev/null",
//                                "pipe:[123]"; empty when closed)
//   env.NAME=value               each recorded variable that is set
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text.h"

namespace {

constexpr int kCannotWriteRecord = 120;

std::string Escape(std::string_view value) {
  static const char kHex[] = "0123456789abcdef";
  std::string escaped;
  for (const char c : value) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\\') {
      escaped += "\\\\";
    } else if (c == '\n') {
      escaped += "\\n";
    } else if (c == '\r') {
      escaped += "\\r";
    } else if (c == '\t') {
      escaped += "\\t";
    } else if (byte < 0x20 || byte == 0x7f) {
      escaped += "\\x";
      escaped += kHex[byte >> 4];
      escaped += kHex[byte & 0xf];
    } else {
      escaped += c;
    }
  }
  return escaped;
}

template <typename T>
std::string JoinNumbers(std::vector<T> numbers) {
  std::sort(numbers.begin(), numbers.end());
  std::string joined;
  for (const T n : numbers) {
    if (!joined.empty()) joined += ',';
    joined += std::to_string(n);
  }
  return joined;
}

std::vector<int> OpenDescriptorsAboveStderr() {
  std::vector<int> fds;
  DIR* dir = ::opendir("/proc/self/fd");
  if (dir == nullptr) return fds;
  while (const dirent* entry = ::readdir(dir)) {
    const int fd = win::TryStrToInt(entry->d_name).value_or(-1);
    if (fd > 2 && fd != ::dirfd(dir)) fds.push_back(fd);
  }
  ::closedir(dir);
  return fds;
}

void WaitForEndOfInput(const char* fdText) {
  if (fdText == nullptr) return;
  const int fd = win::TryStrToInt(fdText).value_or(-1);
  char buffer[256];
  while (::read(fd, buffer, sizeof buffer) > 0) {
  }
}

void WaitForFifoWriters(const char* path) {
  if (path == nullptr) return;
  // Opened without waiting for a writer, then read blocking: the end comes
  // when the last writer has gone, at once when there is none.
  const int fd = ::open(path, O_RDONLY | O_NONBLOCK);
  if (fd < 0) return;
  ::fcntl(fd, F_SETFL, 0);
  char buffer[256];
  while (::read(fd, buffer, sizeof buffer) > 0) {
  }
  ::close(fd);
}

std::vector<std::string> RecordedVariables() {
  std::vector<std::string> names = {"DISPLAY", "HOME", "USER", "LOGNAME"};
  if (const char* more = std::getenv("ARGV_RECORDER_ENV")) {
    std::string_view rest = more;
    while (!rest.empty()) {
      const std::size_t comma = rest.find(',');
      if (comma != 0) names.emplace_back(rest.substr(0, comma));
      if (comma == std::string_view::npos) break;
      rest.remove_prefix(comma + 1);
    }
  }
  return names;
}

std::string Record(int argc, char** argv, const std::vector<int>& fds) {
  std::string record = "argc=" + std::to_string(argc) + "\n";
  for (int i = 0; i < argc; ++i) {
    record += "argv[" + std::to_string(i) + "]=" + Escape(argv[i]) + "\n";
  }
  record += "pid=" + std::to_string(::getpid()) + "\n";
  record += "ppid=" + std::to_string(::getppid()) + "\n";
  std::vector<char> cwd(4096);
  record += "cwd=" + Escape(::getcwd(cwd.data(), cwd.size()) ? cwd.data() : "") + "\n";
  record += "uid=" + std::to_string(::getuid()) + "\n";
  record += "euid=" + std::to_string(::geteuid()) + "\n";
  record += "gid=" + std::to_string(::getgid()) + "\n";
  record += "egid=" + std::to_string(::getegid()) + "\n";
  std::vector<gid_t> groups(std::max(::getgroups(0, nullptr), 0));
  groups.resize(std::max(::getgroups(static_cast<int>(groups.size()), groups.data()), 0));
  record += "groups=" + JoinNumbers(groups) + "\n";
  record += "fds=" + JoinNumbers(fds) + "\n";
  for (int fd = 0; fd <= 2; ++fd) {
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    char target[4096];
    const ssize_t length = ::readlink(link.c_str(), target, sizeof target);
    record += "fd" + std::to_string(fd) + "=" +
              Escape(std::string_view(target, length > 0 ? static_cast<std::size_t>(length) : 0)) +
              "\n";
  }
  for (const std::string& name : RecordedVariables()) {
    if (const char* value = std::getenv(name.c_str())) {
      record += "env." + name + "=" + Escape(value) + "\n";
    }
  }
  return record;
}

bool WriteRecord(const std::string& file, const std::string& record) {
  const std::string temporary = file + ".partial";
  FILE* out = std::fopen(temporary.c_str(), "wb");
  if (out == nullptr) return false;
  const bool written = std::fwrite(record.data(), 1, record.size(), out) == record.size();
  if (std::fclose(out) != 0 || !written) return false;
  return std::rename(temporary.c_str(), file.c_str()) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<int> fds = OpenDescriptorsAboveStderr();
  WaitForEndOfInput(std::getenv("ARGV_RECORDER_WAIT_FD"));
  WaitForFifoWriters(std::getenv("ARGV_RECORDER_WAIT_FIFO"));
  const char* out = std::getenv("ARGV_RECORDER_OUT");
  if (out == nullptr && argc > 1) out = argv[1];
  if (out == nullptr || !WriteRecord(out, Record(argc, argv, fds))) {
    std::fprintf(stderr, "argv_recorder: cannot write the record\n");
    return kCannotWriteRecord;
  }
  const char* exitCode = std::getenv("ARGV_RECORDER_EXIT");
  return exitCode != nullptr ? win::TryStrToInt(exitCode).value_or(0) : 0;
}
