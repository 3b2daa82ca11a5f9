#include "capture/job_input.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace {

std::vector<std::string> ReadLines(const std::string& input) {
  const int fd = ::memfd_create("job", MFD_CLOEXEC);
  EXPECT_GE(fd, 0);
  EXPECT_EQ(::write(fd, input.data(), input.size()), static_cast<ssize_t>(input.size()));
  ::lseek(fd, 0, SEEK_SET);
  capture::TJobInput reader(fd);
  std::vector<std::string> lines;
  std::string line;
  while (reader.ReadLine(line)) lines.push_back(line);
  ::close(fd);
  return lines;
}

using Lines = std::vector<std::string>;

}  // namespace

TEST(JobInput, TextModeLines) {
  const struct {
    std::string input;
    Lines lines;
  } cases[] = {
      {"", {}},
      {"\n", {""}},
      {"a\nb\n", {"a", "b"}},
      // A last line without a line feed still counts.
      {"a\nb", {"a", "b"}},
      {"a\r\nb\r\n", {"a", "b"}},
      // Carriage returns go wherever they stand, and do not end a line.
      {"a\rb\r\r\nc\r", {"ab", "c"}},
      {"\r\n\r\n", {"", ""}},
      // Byte 26 ends the input as its real end does.
      {std::string("a\n\x1A"
                   "b\n"),
       {"a"}},
      {std::string("ab\x1A"
                   "cd\nef\n"),
       {"ab"}},
      {std::string("\x1A"
                   "a\n"),
       {}},
      {std::string("a\n\x1A"), {"a"}},
      // Other control bytes, zero included, are line content.
      {std::string("a\0b\x1B\n", 5), {std::string("a\0b\x1B", 4)}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReadLines(c.input), c.lines) << testing::PrintToString(c.input);
  }
}

TEST(JobInput, LongLinesAreReadWholeAcrossReads) {
  // Lines far longer than one read, with their ends and a carriage return
  // falling on the boundaries of the 64 KiB reads.
  const std::string first(65535, 'x');
  const std::string second(200000, 'y');
  const std::string input = first + "\r\n" + second + "\r" + "\n" + "z";
  EXPECT_EQ(ReadLines(input), (Lines{first, second, "z"}));

  const std::string justBeforeBoundary(65535, 'w');
  EXPECT_EQ(ReadLines(justBeforeBoundary + "\n" + "v\n"), (Lines{justBeforeBoundary, "v"}));
  const std::string stoppedLater(70000, 'u');
  EXPECT_EQ(ReadLines(stoppedLater + "\x1A" + "rest\n"), (Lines{stoppedLater}));
}

TEST(JobInput, ANonBlockingPipeWithoutDataYetIsNotTheEnd) {
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  ASSERT_EQ(::fcntl(ends[0], F_SETFL, O_NONBLOCK), 0);
  // The job arrives only after the reader has found the pipe empty.
  std::thread writer([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(::write(ends[1], "a\nb", 3), 3);
    ::close(ends[1]);
  });
  capture::TJobInput reader(ends[0]);
  Lines lines;
  std::string line;
  while (reader.ReadLine(line)) lines.push_back(line);
  writer.join();
  ::close(ends[0]);
  EXPECT_EQ(lines, (Lines{"a", "b"}));
}
