// Time as Windows gives it: SYSTEMTIME and FILETIME, the local and the universal clock,
// the C library's local time, and Sleep.
//
// SYSTEMTIME holds a calendar time to the millisecond (wDayOfWeek: 0 = Sunday). FILETIME
// counts 100-nanosecond ticks since 1601-01-01 00:00 UTC, split in two 32-bit halves. Local
// time follows the process's time zone (TZ). Files store the time of their saving, so tests
// can fix "now" with ScopedClockOverride; every function here that reads the clock obeys it
// (Sleep does not). All functions are thread-safe.
#pragma once

#include <chrono>
#include <cstdint>
#include <ctime>

struct SYSTEMTIME {
  uint16_t wYear;
  uint16_t wMonth;
  uint16_t wDayOfWeek;
  uint16_t wDay;
  uint16_t wHour;
  uint16_t wMinute;
  uint16_t wSecond;
  uint16_t wMilliseconds;
};

struct FILETIME {
  uint32_t dwLowDateTime;
  uint32_t dwHighDateTime;
};

namespace commonobjects::platform {

// The current local time.
void GetLocalTime(SYSTEMTIME* time);
// The current time in UTC.
void GetSystemTime(SYSTEMTIME* time);
// The current time in UTC as a FILETIME.
void GetSystemTimeAsFileTime(FILETIME* time);
// Converts a UTC calendar time to ticks. wDayOfWeek is ignored. False, with *fileTime
// unchanged, when a field is out of range: year 1601..30827, month 1..12, day 1..the month's
// length, hour 0..23, minute and second 0..59, milliseconds 0..999 (all ends inclusive).
bool SystemTimeToFileTime(const SYSTEMTIME* systemTime, FILETIME* fileTime);
// The ticks of a FILETIME as one number.
uint64_t FileTimeTicks(const FILETIME& time);

// The current time as the C library counts it (seconds since 1970-01-01 UTC).
std::time_t TimeNow();
// The local calendar time of `time` (localtime_r): tm_year counts from 1900, tm_mon from 0.
std::tm LocalTime(std::time_t time);
// LocalTime(TimeNow()).
std::tm LocalTimeNow();

// Suspends the calling thread for at least the given milliseconds.
void Sleep(uint32_t milliseconds);

// While alive, the clock reads `now` (and stands still). Overrides nest: the destructor
// restores what was in force before. Process-wide; meant for tests.
class ScopedClockOverride {
 public:
  explicit ScopedClockOverride(std::chrono::system_clock::time_point now);
  ~ScopedClockOverride();
  ScopedClockOverride(const ScopedClockOverride&) = delete;
  ScopedClockOverride& operator=(const ScopedClockOverride&) = delete;

 private:
  bool hadPrevious_ = false;
  std::chrono::system_clock::time_point previous_;
};

}  // namespace commonobjects::platform
