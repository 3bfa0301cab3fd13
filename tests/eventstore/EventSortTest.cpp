#include "commonobjects/eventstore/internal/EventSort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <functional>
#include <random>
#include <tuple>
#include <vector>

namespace {

using commonobjects::eventstore::EventKeyLess;
using commonobjects::eventstore::EventOrder;
using commonobjects::eventstore::SortEvents;

using Generator = std::function<CAutomationEvent(std::mt19937&, int32_t index)>;

int32_t Uniform(std::mt19937& rng, int64_t lo, int64_t hi) {
  return static_cast<int32_t>(std::uniform_int_distribution<int64_t>(lo, hi)(rng));
}

CAutomationEvent Make(std::mt19937& rng, int32_t time, int32_t path, int procs, int controls) {
  CAutomationEvent e;
  e.Time = time;
  e.Path = path;
  e.Proc = static_cast<uint8_t>(Uniform(rng, 0, procs - 1));
  e.Control = static_cast<uint8_t>(Uniform(rng, 0, controls - 1));
  e.Value = static_cast<int16_t>(rng());
  e.OldValue = static_cast<int16_t>(rng());
  e.Flags = static_cast<uint8_t>(rng());
  return e;
}

// Families of events: every key over its whole range, mixes as recorded, heavy duplicates
// around zero, extremes only, one key varying, a few far outliers, two keys over their whole
// range, already in order and in reverse.
const std::vector<std::pair<const char*, Generator>>& Families() {
  static const std::vector<std::pair<const char*, Generator>> families = {
      {"full range", [](std::mt19937& r, int32_t) {
         return Make(r, Uniform(r, INT_MIN, INT_MAX), Uniform(r, INT_MIN, INT_MAX), 256, 256);
       }},
      {"recorded mix", [](std::mt19937& r, int32_t) {
         return Make(r, Uniform(r, 0, 1 << 24), Uniform(r, 0, 1999), 84, 9);
       }},
      {"duplicates", [](std::mt19937& r, int32_t) {
         return Make(r, Uniform(r, -3, 3), Uniform(r, -2, 2), 3, 2);
       }},
      {"extremes", [](std::mt19937& r, int32_t) {
         const int32_t pick[] = {INT_MIN, -1, 0, 1, INT_MAX};
         return Make(r, pick[Uniform(r, 0, 4)], pick[Uniform(r, 0, 4)], 256, 256);
       }},
      {"big paths only", [](std::mt19937& r, int32_t) {
         return Make(r, 100, Uniform(r, 1 << 20, (1 << 20) + 70000), 1, 1);
       }},
      {"a few outliers", [](std::mt19937& r, int32_t i) {
         const int32_t time = i % 997 == 0 ? Uniform(r, 0, INT_MAX) : Uniform(r, 0, 50);
         return Make(r, time, Uniform(r, 0, 9), 4, 4);
       }},
      {"two full keys", [](std::mt19937& r, int32_t) {
         return Make(r, Uniform(r, INT_MIN, INT_MAX), Uniform(r, INT_MIN, INT_MAX), 1, 1);
       }},
      {"crowded", [](std::mt19937& r, int32_t) {  // nine in ten in one bucket of the top bits
         return Uniform(r, 0, 9) != 0 ? Make(r, 7, Uniform(r, 0, 1 << 20), 84, 9)
                                      : Make(r, Uniform(r, 0, 1 << 20), Uniform(r, 0, 1999), 84, 9);
       }},
      {"ascending", [](std::mt19937& r, int32_t i) { return Make(r, i / 3 - 50, i % 7, 1, 1); }},
      {"late and early", [](std::mt19937& r, int32_t i) {  // every 50th up to 1000 places off
         const int32_t off = i % 100 == 0 ? -Uniform(r, 1, 1000) : i % 100 == 50 ? Uniform(r, 1, 1000) : 0;
         return Make(r, i + off, 3, 2, 2);
       }},
      {"late giant first", [](std::mt19937& r, int32_t i) {
         return Make(r, i == 0 ? INT_MAX : i, i % 5, 1, 1);
       }},
      {"descending", [](std::mt19937& r, int32_t i) { return Make(r, -i, -i, 256, 256); }},
  };
  return families;
}

auto AllFields(const CAutomationEvent& e) {
  return std::make_tuple(e.Time, e.Path, e.Proc, e.Control, e.Value, e.OldValue, e.Flags);
}

template <EventOrder Order>
void ExpectSameKeyOrderAsStdSort(std::vector<CAutomationEvent> events) {
  std::vector<CAutomationEvent> expected = events;
  std::sort(expected.begin(), expected.end(), EventKeyLess<Order>());
  SortEvents(events.data(), static_cast<int32_t>(events.size()), Order);
  const EventKeyLess<Order> less;
  for (size_t i = 0; i < events.size(); ++i) {
    // Neither is before the other: equal in every key.
    ASSERT_FALSE(less(events[i], expected[i]) || less(expected[i], events[i])) << "at " << i;
  }
  const auto byAll = [](const auto& a, const auto& b) { return AllFields(a) < AllFields(b); };
  std::sort(events.begin(), events.end(), byAll);
  std::sort(expected.begin(), expected.end(), byAll);
  ASSERT_TRUE(std::equal(events.begin(), events.end(), expected.begin())) << "events changed";
}

TEST(EventSortTest, KeyOrderEqualsStdSortForEveryOrderFamilyAndSize) {
  std::mt19937 rng(2024);
  for (const auto& [name, generate] : Families()) {
    // A bucket of the top bits past 2^16 events splits again before its parts sort.
    const bool large = std::string(name) == "crowded";
    for (const int32_t size : {0, 1, 2, 511, 512, 513, 5000, 70000, large ? 140000 : 0}) {
      SCOPED_TRACE(std::string(name) + " size " + std::to_string(size));
      std::vector<CAutomationEvent> events;
      for (int32_t i = 0; i < size; ++i) events.push_back(generate(rng, i));
      ExpectSameKeyOrderAsStdSort<EventOrder::TimePathProcControl>(events);
      ExpectSameKeyOrderAsStdSort<EventOrder::PathProcControlTime>(events);
      ExpectSameKeyOrderAsStdSort<EventOrder::PathTimeProcControl>(events);
    }
  }
}

}  // namespace
