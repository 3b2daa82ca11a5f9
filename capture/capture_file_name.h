// The name of a new capture file: "TL-" + computer name + date, time to the
// millisecond and a random number + ".ruz", every number in decimal without
// leading zeros ("TL-PC7-202435-97432-811.ruz").
//
// Runs for different jobs are separate processes that may start in the same
// millisecond, so the random number is drawn from a generator seeded with the
// clock to the nanosecond and the process id: two runs of one second (or one
// millisecond) draw different numbers, not the same one.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <ctime>
#include <string>

namespace capture {

inline constexpr std::int32_t kMaxFileNumber = 32767;

struct TLocalTime {
  int FYear = 0;
  int FMonth = 0;  // 1 to 12
  int FDay = 0;    // 1 to 31
  int FHour = 0;
  int FMinute = 0;
  int FSecond = 0;
  int FMillisecond = 0;
};

// The local date and time, from one reading of the clock.
TLocalTime ReadLocalTime();

// The computer name for the file name; "UNKNOWN" when it cannot be read.
std::string ComputerNameForFile();

// A number from 0 to kMaxFileNumber for this run.
std::int32_t DrawFileNumber();
// The number that a generator seeded with these inputs draws.
std::int32_t FileNumberFromSeed(std::time_t seconds, long nanoseconds, pid_t processId);

// The computer name may come from anywhere an administrator can write (the
// hive): characters that a file name may not hold ("\\", "/", ":", "*", "?",
// quotation marks, "<", ">", "|" and control characters) become "_", so the
// file stays in its folder.
std::string CaptureFileName(const std::string& computerName, const TLocalTime& time,
                            std::int32_t number);

}  // namespace capture
