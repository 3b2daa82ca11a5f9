// The print job on standard input, read line by line in text mode: every
// carriage return is removed wherever it stands, a byte 26 (Ctrl-Z) ends the
// input just as its real end does, and a line ends at a line feed, which is
// removed. A last line without a line feed still counts. Lines are read
// whole, however long: a line is never split or cut.
#pragma once

#include <string>

namespace capture {

class TJobInput {
 public:
  // Reads from the open descriptor `fd`, which stays the caller's.
  explicit TJobInput(int fd);
  TJobInput(const TJobInput&) = delete;
  TJobInput& operator=(const TJobInput&) = delete;

  // The next line, without its line end; false at the end of the input. A
  // read error counts as the end.
  bool ReadLine(std::string& line);

 private:
  bool Refill();

  int FFd;
  std::string FBuffer;
  std::size_t FNext = 0;
  bool FEnded = false;
};

}  // namespace capture
