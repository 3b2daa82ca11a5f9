#include "capture/capture_file_name.h"

#include <stdio.h>
#include <time.h>
#include <unistd.h>

#include <cstring>
#include <random>

#include "platform/computername.h"
#include "platform/path.h"

namespace capture {

namespace {

// The computer name and its terminating zero.
constexpr std::size_t kComputerNameBuffer = 16;

// The text as it may stand inside one file name: every character that a
// name may not hold (a separator, a drive colon, a wildcard, a control
// character) becomes "_", so the name stays one name in its folder.
std::string WithinOneName(std::string text) {
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 32 || std::strchr("\\/:*?\"<>|", c) != nullptr) c = '_';
  }
  return text;
}

}  // namespace

TLocalTime ReadLocalTime() {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  tm local{};
  ::localtime_r(&now.tv_sec, &local);
  TLocalTime time;
  time.FYear = local.tm_year + 1900;
  time.FMonth = local.tm_mon + 1;
  time.FDay = local.tm_mday;
  time.FHour = local.tm_hour;
  time.FMinute = local.tm_min;
  time.FSecond = local.tm_sec;
  time.FMillisecond = static_cast<int>(now.tv_nsec / 1000000);
  return time;
}

std::string ComputerNameForFile() {
  std::string name;
  if (!win::GetComputerName(name, kComputerNameBuffer)) return "UNKNOWN";
  return name;
}

std::int32_t FileNumberFromSeed(std::time_t seconds, long nanoseconds, pid_t processId) {
  std::seed_seq seed{static_cast<std::uint32_t>(seconds),
                     static_cast<std::uint32_t>(static_cast<std::uint64_t>(seconds) >> 32),
                     static_cast<std::uint32_t>(nanoseconds),
                     static_cast<std::uint32_t>(processId)};
  std::mt19937 generator(seed);
  return std::uniform_int_distribution<std::int32_t>(0, kMaxFileNumber)(generator);
}

std::int32_t DrawFileNumber() {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  return FileNumberFromSeed(now.tv_sec, now.tv_nsec, ::getpid());
}

std::string CaptureFileName(const std::string& computerName, const TLocalTime& time,
                            std::int32_t number) {
  char name[win::MAX_PATH];
  ::snprintf(name, sizeof name, "TL-%s-%d%d%d-%d%d%d%d-%d.ruz", WithinOneName(computerName).c_str(),
             time.FYear, time.FMonth, time.FDay, time.FHour, time.FMinute, time.FSecond,
             time.FMillisecond, number);
  return name;
}

}  // namespace capture
