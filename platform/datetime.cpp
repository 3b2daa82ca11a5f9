#include "platform/datetime.h"

#include <time.h>

#include <chrono>

namespace win {

namespace {

// Days from 1970-01-01 to the given civil date (proleptic Gregorian).
long DaysFromCivil(int year, int month, int day) {
  const std::chrono::year_month_day date{std::chrono::year(year),
                                         std::chrono::month(static_cast<unsigned>(month)),
                                         std::chrono::day(static_cast<unsigned>(day))};
  return std::chrono::sys_days(date).time_since_epoch().count();
}

// 1899-12-30 is day 0 of TDateTime; 1970-01-01 is day 25569.
constexpr double kUnixEpochAsDateTime = 25569.0;
constexpr double kMillisecondsPerDay = 86400000.0;

}  // namespace

TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second,
                         int millisecond) {
  const double milliseconds =
      ((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + static_cast<double>(millisecond);
  return kUnixEpochAsDateTime + static_cast<double>(DaysFromCivil(year, month, day)) +
         milliseconds / kMillisecondsPerDay;
}

TDateTime HostTimeToDateTime(std::time_t seconds, long nanoseconds) {
  struct tm local {};
  ::localtime_r(&seconds, &local);
  return EncodeDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                        local.tm_min, local.tm_sec, static_cast<int>(nanoseconds / 1000000));
}

TDateTime HostFileTimeToDateTime(std::time_t seconds) {
  struct tm local {};
  ::localtime_r(&seconds, &local);
  return HostTimeToDateTime(seconds - local.tm_sec % 2);
}

TDateTime Now() {
  struct timespec now {};
  ::clock_gettime(CLOCK_REALTIME, &now);
  return HostTimeToDateTime(now.tv_sec, now.tv_nsec);
}

}  // namespace win
