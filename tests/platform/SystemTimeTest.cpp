#include "commonobjects/platform/SystemTime.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>

namespace commonobjects::platform {
namespace {

using namespace std::chrono;

SYSTEMTIME Make(int year, int month, int day, int hour = 0, int minute = 0, int second = 0, int ms = 0) {
  auto f = [](int v) { return static_cast<uint16_t>(v); };
  return SYSTEMTIME{f(year), f(month), 0, f(day), f(hour), f(minute), f(second), f(ms)};
}

TEST(SystemTimeTest, FileTimeCountsTicksSince1601AndRejectsImpossibleFields) {
  const std::pair<SYSTEMTIME, uint64_t> valid[] = {
      {Make(1601, 1, 1), 0},
      {Make(1970, 1, 1), 116444736000000000ull},
      {Make(2000, 2, 29, 12, 34, 56, 789), 125963012967890000ull},
      {Make(30827, 12, 31, 23, 59, 59, 999), 9223149887999990000ull},
  };
  for (const auto& [time, ticks] : valid) {
    FILETIME file{};
    ASSERT_TRUE(SystemTimeToFileTime(&time, &file)) << time.wYear;
    EXPECT_EQ(FileTimeTicks(file), ticks) << time.wYear;
  }
  const SYSTEMTIME invalid[] = {
      Make(1600, 12, 31),   Make(30828, 1, 1),     Make(2001, 0, 1),          Make(2001, 13, 1),
      Make(2001, 1, 0),     Make(2100, 2, 29),     Make(2000, 4, 31),         Make(2001, 1, 1, 24),
      Make(2001, 1, 1, 0, 60), Make(2001, 1, 1, 0, 0, 60), Make(2001, 1, 1, 0, 0, 0, 1000),
  };
  for (const SYSTEMTIME& time : invalid) {
    FILETIME file{1, 2};
    EXPECT_FALSE(SystemTimeToFileTime(&time, &file)) << time.wYear << "-" << time.wMonth << "-" << time.wDay;
    EXPECT_EQ(FileTimeTicks(file), (2ull << 32) | 1);  // untouched
  }
}

TEST(SystemTimeTest, ClockOverrideFixesEveryReadingOfNowAndNests) {
  std::string zone = std::getenv("TZ") ? std::getenv("TZ") : "";
  setenv("TZ", "XST-3", 1);  // three hours east of UTC; a POSIX zone needs no zone database
  tzset();
  auto fixed = sys_days{2024y / March / 10} + 23h + 4min + 5s + 678ms;  // a Sunday
  {
    ScopedClockOverride clock(fixed);
    SYSTEMTIME utc{}, local{};
    GetSystemTime(&utc);
    GetLocalTime(&local);
    EXPECT_EQ((std::array{utc.wYear, utc.wMonth, utc.wDayOfWeek, utc.wDay, utc.wHour, utc.wMilliseconds}),
              (std::array<uint16_t, 6>{2024, 3, 0, 10, 23, 678}));
    EXPECT_EQ((std::array{local.wDayOfWeek, local.wDay, local.wHour, local.wMinute, local.wMilliseconds}),
              (std::array<uint16_t, 5>{1, 11, 2, 4, 678}));
    std::tm tm = LocalTimeNow();
    EXPECT_EQ((std::array{tm.tm_year, tm.tm_mon, tm.tm_mday, tm.tm_hour}), (std::array{124, 2, 11, 2}));
    {
      ScopedClockOverride inner(fixed + 24h);
      EXPECT_EQ(TimeNow(), system_clock::to_time_t(floor<seconds>(fixed)) + 86400);
    }
    FILETIME file{};
    GetSystemTimeAsFileTime(&file);
    EXPECT_EQ(FileTimeTicks(file),
              116444736000000000ull + 10000ull * floor<milliseconds>(fixed).time_since_epoch().count());
  }
  zone.empty() ? unsetenv("TZ") : setenv("TZ", zone.c_str(), 1);
  tzset();
  EXPECT_LE(std::abs(TimeNow() - system_clock::to_time_t(system_clock::now())), 5);  // the real clock again
}

}  // namespace
}  // namespace commonobjects::platform
