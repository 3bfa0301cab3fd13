#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "commonobjects/eventstore/AutomationEventArray.h"
#include "support/Events.h"

namespace {

CAutomationEventArray EventsOnPaths(const std::vector<int32_t>& paths) {
  CAutomationEventArray array;
  for (int32_t i = 0; i < static_cast<int32_t>(paths.size()); ++i) {
    array.Add(testsupport::MakeEvent(paths[size_t(i)], 1, 2, i * 3, 3));
  }
  return array;
}

TEST(PathTranslationTest, FirstMatchingPairWinsAndPairsDoNotChain) {
  // The second round adds far-apart paths, which take the sparse lookup.
  for (const bool far : {false, true}) {
    CAutomationEventArray array = EventsOnPaths({5, 1, 2, 4, 5, -1, INT_MIN});
    CTranslationPairArray pairs;
    pairs.AddPair(5, 7);
    pairs.AddPair(5, 9);
    pairs.AddPair(1, 2);
    pairs.AddPair(2, 3);
    if (far) pairs.AddPair(INT_MIN, INT_MAX);
    array.DoTranslatePaths(pairs);
    const std::vector<int32_t> expected = {7, 2, 3, 4, 7, -1, far ? INT_MAX : INT_MIN};
    for (int32_t i = 0; i < array.GetSize(); ++i) {
      EXPECT_EQ(array[i].Path, expected[i]) << far << " " << i;
      EXPECT_EQ(array[i].Time, i * 3);  // order and times stay
    }
  }
}

TEST(PathTranslationTest, FilterTimesRiseToOneOnlyWhenThereIsSomethingToTranslate) {
  struct Case { bool events, pairs; int32_t start, end, wantStart, wantEnd; };
  const Case cases[] = {{true, true, -1, 0, 1, 1},     {true, true, 1, 50, 1, 50},
                        {true, true, 20, -5, 20, 1},   {false, true, -1, -1, -1, -1},
                        {true, false, -1, -1, -1, -1}, {false, false, 0, 0, 0, 0}};
  for (const Case& c : cases) {
    CAutomationEventArray array = EventsOnPaths(c.events ? std::vector<int32_t>{3} : std::vector<int32_t>{});
    array.Filter.StartTime = c.start;
    array.Filter.EndTime = c.end;
    CTranslationPairArray pairs;
    if (c.pairs) pairs.AddPair(8, 9);
    array.DoTranslatePaths(pairs);
    EXPECT_EQ(array.Filter.StartTime, c.wantStart) << c.events << c.pairs << " " << c.start;
    EXPECT_EQ(array.Filter.EndTime, c.wantEnd) << c.events << c.pairs << " " << c.end;
  }
}

}  // namespace
