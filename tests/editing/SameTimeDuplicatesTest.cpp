#include "commonobjects/editing/SameTimeDuplicates.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "commonobjects/eventstore/AutomationEventArray.h"
#include "support/Events.h"
#include "support/FullTableDuplicates.h"
#include "support/TestConsole.h"

namespace {

CAutomationEvent Event(int32_t path, int proc, int control, int32_t time, int16_t value,
                       uint8_t flags = 0) {
  CAutomationEvent e = testsupport::MakeEvent(path, proc, control, time, value);
  e.Flags = flags;
  return e;
}

std::vector<CAutomationEvent> Events(const CAutomationEventArray& a) { return {a.begin(), a.end()}; }

TEST(SameTimeDuplicatesTest, OnlyConsecutiveSameTimeEventsOfOneChannelMergeIntoTheFirst) {
  testsupport::TestConsole console;
  CAutomationEventArray a;
  a.Add(Event(1, 2, 0, 10, 5, /*flags=*/1));
  a.Add(Event(3, 2, 0, 10, 1));   // another channel at the same time stays
  a.Add(Event(1, 2, 0, 10, 7));   // merged: the first keeps its place and flags, takes 7
  a.Add(Event(1, 2, 0, 11, 8));
  a.Add(Event(1, 2, 0, 10, 9));   // same time again, but after the channel moved on: kept
  a.Add(Event(2500, 2, 0, 10, 4));  // beyond the console's paths: never merged
  a.Add(Event(2500, 2, 0, 10, 6));
  EXPECT_EQ(RemoveSameTimeDuplicates(a), 1);
  const std::vector<CAutomationEvent> expected = {
      Event(1, 2, 0, 10, 7, 1), Event(3, 2, 0, 10, 1), Event(1, 2, 0, 11, 8),
      Event(1, 2, 0, 10, 9),    Event(2500, 2, 0, 10, 4), Event(2500, 2, 0, 10, 6)};
  EXPECT_EQ(Events(a), expected);

  CAutomationEventArray twoTimes;
  twoTimes.Add(Event(1, 2, 0, 10, 5));
  twoTimes.Add(Event(1, 2, 0, 11, 7));
  EXPECT_EQ(RemoveSameTimeDuplicates(twoTimes), 0);
  EXPECT_EQ(twoTimes.GetSize(), 2);
}

// Random arrays, both in time order (the merge looks only inside runs of equal time) and
// shuffled (it remembers every channel): the result must be the full-table merge's, event for
// event, including the odd keys of out-of-range controls and paths.
TEST(SameTimeDuplicatesTest, MatchesTheFullTableMergeOnRandomArrays) {
  testsupport::TestConsole console;
  std::mt19937 random(20261205);
  for (int round = 0; round < 12; ++round) {
    const int32_t size = 1 + static_cast<int32_t>(random() % 8000);
    const int32_t paths = 1 + static_cast<int32_t>(random() % 40);
    const int32_t times = 1 + static_cast<int32_t>(random() % 200);
    CAutomationEventArray a;
    for (int32_t i = 0; i < size; ++i) {
      int32_t path = static_cast<int32_t>(random() % paths);
      if (random() % 50 == 0) path = (random() % 2) ? 1999 : ((random() % 2) ? 2000 : -3);
      const int proc = static_cast<int>(random() % 6);
      const int control = (random() % 30 == 0) ? static_cast<int>(9 + random() % 5)
                                                : static_cast<int>(random() % 3);
      a.Add(Event(path, proc, control, static_cast<int32_t>(random() % times) - 1,
                  static_cast<int16_t>(random()), static_cast<uint8_t>(random() % 2)));
    }
    if (round % 2 == 0) {
      std::stable_sort(a.begin(), a.end(), [](const CAutomationEvent& x, const CAutomationEvent& y) {
        return x.Time < y.Time;
      });
    }
    CAutomationEventArray reference = a;
    const int32_t expectedMerges = testsupport::RemoveSameTimeDuplicatesFullTable(reference);
    EXPECT_EQ(RemoveSameTimeDuplicates(a), expectedMerges) << "round " << round;
    ASSERT_EQ(Events(a), Events(reference)) << "round " << round;
  }
}

}  // namespace
