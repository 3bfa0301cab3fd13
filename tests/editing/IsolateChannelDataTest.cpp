#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "commonobjects/console/PathMap.h"
#include "commonobjects/eventstore/AutomationEventArray.h"
#include "support/Events.h"
#include "support/TestConsole.h"

namespace {

using Row = std::array<int32_t, 5>;  // path, proc, control, time, value
using Rows = std::vector<Row>;

// Isolates path 5 (or no path) over [start, end] to 1000. Fader level (14, 0) is slot-aligned,
// (14, 2) and (14, 4) are not; a last event of path 6 at 400 puts path 5's slot at mod 4 == 3.
Rows Isolate(const Rows& events, int32_t start, int32_t end, bool selectPath5 = true) {
  CAutomationEventArray a;
  for (const Row& r : events) a.AddAtTime(testsupport::MakeEvent(r[0], r[1], r[2], r[3], r[4]));
  a.AddAtTime(testsupport::MakeEvent(6, 14, 0, 400, 7));
  if (selectPath5) a.Filter.Paths.Add(5);
  a.Filter.StartTime = start;
  a.Filter.EndTime = end;
  a.Filter.ExtraValue = 1000;
  a.IsolateChannelData(64, CPathMap());
  EXPECT_EQ(a.Filter.StartTime, start);
  EXPECT_EQ(a.Filter.EndTime, end);
  Rows rows;
  for (const CAutomationEvent& e : a) rows.push_back({e.Path, e.Proc, e.Control, e.Time, e.Value});
  return rows;
}

TEST(IsolateChannelDataTest, StateAtStartGoesToTheDestinationThenTheMovesUpToEndTime) {
  testsupport::TestConsole console(3);
  const Rows mix{{5, 14, 0, 20, 100},  {5, 14, 2, 50, 0},   {6, 14, 0, 60, 9},
                 {5, 14, 0, 100, 200}, {5, 14, 0, 200, 300}, {5, 14, 4, 300, 7},
                 {5, 14, 0, 350, 400}};
  // The event at StartTime is starting state; the one at EndTime is copied.
  EXPECT_EQ(Isolate(mix, 50, 300), (Rows{{5, 14, 2, 1000, 0}, {5, 14, 0, 1003, 100},
                                         {5, 14, 0, 1050, 200}, {5, 14, 0, 1150, 300},
                                         {5, 14, 4, 1250, 7}}));
  // Time order although state events move forward into their slot past copied moves; at equal
  // times the copied move, the later change, comes last.
  EXPECT_EQ(Isolate({{5, 14, 0, 20, 100}, {5, 14, 2, 51, 0}, {5, 14, 0, 53, 150}}, 50, 300),
            (Rows{{5, 14, 2, 1001, 0}, {5, 14, 0, 1003, 100}, {5, 14, 0, 1003, 150}}));
  // A negative start counts as 0, an end of -1 as the last event's time.
  EXPECT_EQ(Isolate(mix, 0, 400).size(), 6u);
  EXPECT_EQ(Isolate(mix, -20, -1), Isolate(mix, 0, 400));
  EXPECT_TRUE(Isolate(mix, 50, 300, false).empty());
}

}  // namespace
