// TDateTime as the class library has it: days since 1899-12-30 00:00 as a
// double, the fraction being the time of day, always in local time.
//
// Only the conversions the platform needs: the present moment, host time
// stamps, and a calendar date and time. No formatting or parsing.
#pragma once

#include <ctime>

namespace win {

using TDateTime = double;

// The current local date and time, to the millisecond.
TDateTime Now();

// A host time stamp (seconds since the epoch and nanoseconds) in local time.
TDateTime HostTimeToDateTime(std::time_t seconds, long nanoseconds = 0);

// A host file time stamp as the Windows side sees it: local time at the
// two-second resolution of file times, odd seconds counting down.
TDateTime HostFileTimeToDateTime(std::time_t seconds);

// The local date and time given by its parts (month 1-12, day 1-31).
TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second,
                         int millisecond = 0);

}  // namespace win
