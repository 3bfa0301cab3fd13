#include "commonobjects/platform/SystemTime.h"

#include <mutex>
#include <optional>
#include <thread>

namespace commonobjects::platform {

namespace {

using namespace std::chrono;

constexpr uint64_t kTicksPerMillisecond = 10000;

std::mutex g_clockMutex;
std::optional<system_clock::time_point> g_fixedNow;  // guarded by g_clockMutex

system_clock::time_point Now() {
  {
    std::lock_guard lock(g_clockMutex);
    if (g_fixedNow) return *g_fixedNow;
  }
  return system_clock::now();
}

uint16_t Field(long long value) { return static_cast<uint16_t>(value); }

SYSTEMTIME UtcSystemTime(system_clock::time_point now) {
  auto exact = floor<milliseconds>(now);
  auto midnight = floor<days>(exact);
  year_month_day date{midnight};
  hh_mm_ss clock{exact - midnight};
  return SYSTEMTIME{Field(int(date.year())),
                    Field(unsigned(date.month())),
                    Field(weekday{midnight}.c_encoding()),
                    Field(unsigned(date.day())),
                    Field(clock.hours().count()),
                    Field(clock.minutes().count()),
                    Field(clock.seconds().count()),
                    Field(clock.subseconds().count())};
}

bool InRange(unsigned value, unsigned low, unsigned high) { return value >= low && value <= high; }

}  // namespace

void GetLocalTime(SYSTEMTIME* time) {
  auto now = floor<milliseconds>(Now());
  auto whole = floor<seconds>(now);
  std::tm local = LocalTime(system_clock::to_time_t(whole));
  *time = SYSTEMTIME{Field(local.tm_year + 1900), Field(local.tm_mon + 1), Field(local.tm_wday),
                     Field(local.tm_mday),        Field(local.tm_hour),    Field(local.tm_min),
                     Field(local.tm_sec),         Field((now - whole).count())};
}

void GetSystemTime(SYSTEMTIME* time) { *time = UtcSystemTime(Now()); }

void GetSystemTimeAsFileTime(FILETIME* time) {
  SYSTEMTIME now;
  GetSystemTime(&now);
  SystemTimeToFileTime(&now, time);
}

bool SystemTimeToFileTime(const SYSTEMTIME* systemTime, FILETIME* fileTime) {
  const SYSTEMTIME& t = *systemTime;
  year_month_day date{year{t.wYear}, month{t.wMonth}, day{t.wDay}};
  if (!InRange(t.wYear, 1601, 30827) || !date.ok() || !InRange(t.wHour, 0, 23) ||
      !InRange(t.wMinute, 0, 59) || !InRange(t.wSecond, 0, 59) || !InRange(t.wMilliseconds, 0, 999)) {
    return false;
  }
  auto daysSince1601 = sys_days{date} - sys_days{year{1601} / January / 1};
  uint64_t sinceMs = static_cast<uint64_t>(daysSince1601.count()) * 86400000u +
                          (t.wHour * 3600u + t.wMinute * 60u + t.wSecond) * 1000u + t.wMilliseconds;
  uint64_t ticks = sinceMs * kTicksPerMillisecond;
  fileTime->dwLowDateTime = static_cast<uint32_t>(ticks);
  fileTime->dwHighDateTime = static_cast<uint32_t>(ticks >> 32);
  return true;
}

uint64_t FileTimeTicks(const FILETIME& time) {
  return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

std::time_t TimeNow() { return system_clock::to_time_t(floor<seconds>(Now())); }

std::tm LocalTime(std::time_t time) {
  std::tm local{};
  if (localtime_r(&time, &local) == nullptr) return std::tm{};
  return local;
}

std::tm LocalTimeNow() { return LocalTime(TimeNow()); }

void Sleep(uint32_t duration) { std::this_thread::sleep_for(milliseconds(duration)); }

ScopedClockOverride::ScopedClockOverride(system_clock::time_point now) {
  std::lock_guard lock(g_clockMutex);
  hadPrevious_ = g_fixedNow.has_value();
  if (hadPrevious_) previous_ = *g_fixedNow;
  g_fixedNow = now;
}

ScopedClockOverride::~ScopedClockOverride() {
  std::lock_guard lock(g_clockMutex);
  if (hadPrevious_) {
    g_fixedNow = previous_;
  } else {
    g_fixedNow.reset();
  }
}

}  // namespace commonobjects::platform
