#include "commonobjects/eventstore/AutomationEventArray.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "commonobjects/platform/WindowMessages.h"

namespace {

using commonobjects::platform::Endpoint;

CAutomationEvent Event(int32_t time, int32_t path = 0, uint8_t proc = 0, uint8_t control = 0,
                       int16_t value = 0) {
  CAutomationEvent e;
  e.Time = time;
  e.Path = path;
  e.Proc = proc;
  e.Control = control;
  e.Value = value;
  return e;
}

void FillTimes(CAutomationEventArray& array, const std::vector<int32_t>& times) {
  array.RemoveAll();
  for (int32_t t : times) array.Add(Event(t, 0, 0, 0, static_cast<int16_t>(array.GetSize())));
}

// GetAtTime step by step, as the recorder has always done it.
int32_t PlainGetAtTime(const std::vector<int32_t>& t, int32_t time, int after) {
  if (time == -1) return 0;
  const auto n = static_cast<int32_t>(t.size());
  if (n == 0) return -1;
  int32_t lo = 0, hi = n, previous = -1, mid = 0;
  while ((mid = (lo + hi) / 2) != previous) {
    (t[mid] < time ? lo : hi) = mid;
    previous = mid;
  }
  int32_t i = mid;
  while (t[i] < time && i < n - 1) ++i;
  if (after == 0 || t[i] > time) return i;
  while (i < n && t[i] <= time) ++i;
  return i < n ? i : n - 1;
}

TEST(AutomationEventArrayTest, AddAtTimeGoesAfterEveryEventAtOrBeforeItsTime) {
  struct Case { int32_t time; int32_t index; };
  const Case cases[] = {{20, 3}, {30, 4}, {31, 4}, {10, 1}, {5, 0}, {-7, 0}};
  for (const Case c : cases) {
    CAutomationEventArray array;
    FillTimes(array, {10, 20, 20, 30});
    EXPECT_EQ(array.AddAtTime(Event(c.time, 0, 0, 0, 99)), c.index) << c.time;
    ASSERT_EQ(array.GetSize(), 5);
    EXPECT_EQ(array[c.index].Value, 99);
    EXPECT_EQ(array[c.index].Time, c.time);
  }
  CAutomationEventArray empty;
  EXPECT_EQ(empty.AddAtTime(Event(50)), 0);
}

TEST(AutomationEventArrayTest, TimeZeroEventReplacesItsChannelsTimeZeroEventWhileALaterOneExists) {
  CAutomationEventArray array;
  array.Add(Event(-3, 5, 1, 2));
  array.Add(Event(0, 5, 1, 1));
  array.Add(Event(0, 5, 1, 2, 7));
  array.Add(Event(40, 5, 1, 2));
  EXPECT_EQ(array.AddAtTime(Event(0, 5, 1, 2, 8)), 2);
  EXPECT_EQ(array.GetSize(), 4);
  EXPECT_EQ(array[2].Value, 8);
  // Another channel at 0 is inserted after the time-0 events.
  EXPECT_EQ(array.AddAtTime(Event(0, 6, 1, 2)), 3);
  EXPECT_EQ(array.GetSize(), 5);
  // With nothing later than 0, a second time-0 event for the channel is appended.
  CAutomationEventArray atZero;
  atZero.Add(Event(0, 5, 1, 2, 7));
  EXPECT_EQ(atZero.AddAtTime(Event(0, 5, 1, 2, 8)), 1);
  EXPECT_EQ(atZero.GetSize(), 2);
}

TEST(AutomationEventArrayTest, GetAtTimeFindsTheFirstEventAtOrAfterAndTheFirstLater) {
  CAutomationEventArray array;
  FillTimes(array, {10, 20, 20, 30});
  struct Case { int32_t time; int after; int32_t index; };
  const Case cases[] = {{15, 0, 1}, {20, 0, 1}, {20, 1, 3}, {40, 0, 3}, {40, 1, 3},
                        {-1, 0, 0}, {5, 1, 0},  {30, 1, 3}, {10, 1, 1}};
  for (const Case c : cases) {
    EXPECT_EQ(array.GetAtTime(c.time, c.after), c.index) << c.time << " after " << c.after;
  }
  CAutomationEventArray empty;
  EXPECT_EQ(empty.GetAtTime(15, 0), -1);
  EXPECT_EQ(empty.GetAtTime(-1, 0), 0);  // time -1 is answered before the size is looked at
}

TEST(AutomationEventArrayTest, SearchesAgreeWithTheStepByStepAlgorithmOnLongRunsOfEqualTimes) {
  std::mt19937 rng(7);
  for (int round = 0; round < 200; ++round) {
    std::vector<int32_t> times;
    int32_t t = std::uniform_int_distribution<int32_t>(-50, 50)(rng);
    const int32_t n = std::uniform_int_distribution<int32_t>(1, round < 150 ? 60 : 5000)(rng);
    for (int32_t i = 0; i < n; ++i) {
      if (rng() % (round % 3 == 0 ? 500 : 4) == 0) t += static_cast<int32_t>(rng() % 5 + 1);
      times.push_back(t);
    }
    CAutomationEventArray array;
    FillTimes(array, times);
    for (int32_t probe = times.front() - 2; probe <= times.back() + 2; ++probe) {
      for (int after : {0, 1}) {
        ASSERT_EQ(array.GetAtTime(probe, after), PlainGetAtTime(times, probe, after))
            << "round " << round << " time " << probe << " after " << after;
      }
      if (probe == 0 || probe >= times.back() || (n > 60 && probe % 37 != 0)) continue;
      const auto expected = std::upper_bound(times.begin(), times.end(), probe) - times.begin();
      ASSERT_EQ(array.AddAtTime(Event(probe)), expected);
      array.RemoveAt(static_cast<int32_t>(expected));
    }
  }
}

// Runs of equal times (some long) whose times are ascending (shape 0), drawn at random
// (shape 1), or ascending in two halves, as a merge leaves them between its steps (shape 2).
std::vector<int32_t> RunsOfTimes(std::mt19937& rng, int shape) {
  std::vector<int32_t> times;
  const int32_t runs = std::uniform_int_distribution<int32_t>(1, 12)(rng);
  int32_t t = std::uniform_int_distribution<int32_t>(-6, 6)(rng);
  for (int32_t r = 0; r < runs; ++r) {
    if (shape == 1) {
      t = std::uniform_int_distribution<int32_t>(-6, 30)(rng);
    } else if (shape == 2 && r == runs / 2) {
      t -= std::uniform_int_distribution<int32_t>(0, 20)(rng);
    } else {
      t += std::uniform_int_distribution<int32_t>(1, 4)(rng);
    }
    const int32_t length = rng() % 3 == 0 ? std::uniform_int_distribution<int32_t>(9, 300)(rng)
                                           : std::uniform_int_distribution<int32_t>(1, 9)(rng);
    times.insert(times.end(), static_cast<size_t>(length), t);
  }
  return times;
}

// Between the steps of a merge the array is out of time order. The walk after the search
// still stops at the first later event it meets, not where a search through a sorted
// array would land.
TEST(AutomationEventArrayTest, GetAtTimeWalksEventByEventInAnArrayOutOfTimeOrder) {
  std::vector<int32_t> example(16, 5);
  example.insert(example.end(), {9, 5, 9});
  CAutomationEventArray array;
  FillTimes(array, example);
  EXPECT_EQ(array.GetAtTime(5, 1), 16);
  EXPECT_EQ(array.GetAtTime(5, 0), 0);

  std::mt19937 rng(11);
  for (int round = 0; round < 600; ++round) {
    const std::vector<int32_t> times = RunsOfTimes(rng, round % 3);
    FillTimes(array, times);
    const auto [lowest, highest] = std::minmax_element(times.begin(), times.end());
    std::vector<int32_t> probes = {-1};
    for (int32_t probe = *lowest - 2; probe <= *highest + 2; ++probe) probes.push_back(probe);
    for (const int32_t probe : probes) {
      for (const int after : {0, 1}) {
        ASSERT_EQ(array.GetAtTime(probe, after), PlainGetAtTime(times, probe, after))
            << "round " << round << " time " << probe << " after " << after;
      }
    }
  }
}

TEST(AutomationEventArrayTest, SortPostsCodeThirtyOneWhileAStatusWindowIsSet) {
  Endpoint status("TavmirStatusWindow");
  CAutomationEventArray array;
  FillTimes(array, {30, 10, 20});
  array.Sort(static_cast<CAutomationEventArray::SortMode>(3));
  EXPECT_TRUE(status.Drain().empty());
  EXPECT_EQ(array[0].Time, 30);

  array.SetStatusWnd(status.Handle());
  array.Sort(static_cast<CAutomationEventArray::SortMode>(3));
  EXPECT_EQ(array[0].Time, 30);  // an unknown order changes nothing
  array.Sort(CAutomationEventArray::SortByTime);
  EXPECT_EQ(array[0].Time, 10);
  const auto posted = status.Drain();
  ASSERT_EQ(posted.size(), 2u);
  for (const auto& m : posted) {
    EXPECT_EQ(m.code, 31u);
    EXPECT_EQ(m.param, 0);
  }
}

TEST(AutomationEventArrayTest, SortGroupsChannelsOrPathsInTimeOrder) {
  CAutomationEventArray array;
  for (const auto& e : {Event(5, 2, 1, 0), Event(1, 1, 0, 1), Event(3, 2, 0, 0), Event(2, 1, 0, 0),
                        Event(4, 1, 0, 1), Event(0, 2, 1, 0)}) {
    array.Add(e);
  }
  array.Sort(CAutomationEventArray::SortByPathControl);
  std::vector<int32_t> times;
  for (const auto& e : array) times.push_back(e.Time);
  EXPECT_EQ(times, (std::vector<int32_t>{2, 1, 4, 3, 0, 5}));
  array.Sort(CAutomationEventArray::SortByPathTime);
  times.clear();
  for (const auto& e : array) times.push_back(e.Time);
  EXPECT_EQ(times, (std::vector<int32_t>{1, 2, 4, 0, 3, 5}));
}

}  // namespace
