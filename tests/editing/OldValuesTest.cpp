#include <gtest/gtest.h>

#include <vector>

#include "commonobjects/console/PathMap.h"
#include "commonobjects/eventstore/AutomationEventArray.h"
#include "support/Events.h"
#include "support/TestConsole.h"

namespace {

constexpr int16_t kUntouched = 1234;  // an OldValue no default and no test value has

struct Ev { int32_t path, proc, control; int16_t value, wantOld; };

// Runs SetOldValues over the events (in this order, one time unit apart) and checks each
// event's OldValue. arrayMode >= 0 gives the array that max paths mode instead of the
// console's.
void ExpectOldValues(const std::vector<Ev>& events, int32_t highBase, const CPathMap& map,
                     int32_t arrayMode = -1) {
  CAutomationEventArray array;
  if (arrayMode >= 0) array.SetMaxPathsMode(arrayMode);
  int32_t time = 0;
  for (const Ev& e : events) {
    CAutomationEvent event = testsupport::MakeEvent(e.path, e.proc, e.control, time++, e.value);
    event.OldValue = kUntouched;
    array.Add(event);
  }
  array.SetOldValues(highBase, map);
  for (size_t i = 0; i < events.size(); ++i) {
    const Ev& e = events[i];
    EXPECT_EQ(array[static_cast<int32_t>(i)].OldValue, e.wantOld)
        << "event " << i << " (" << e.path << ", " << e.proc << ", " << e.control << ")";
    EXPECT_EQ(array[static_cast<int32_t>(i)].Value, e.value);
  }
}

TEST(OldValuesTest, LargeConsoleChainsEachChannelFromItsDefault) {
  testsupport::TestConsole console(3);  // 2000 paths
  ExpectOldValues({{0, 14, 0, 100, -8192}, {0, 14, 1, 5, 0},  {0, 14, 0, 200, 100},
                   {0, 14, 0, 200, 200},   {1, 14, 0, 7, -8192}, {0, 14, 0, 9, 200},
                   {5, 40, 3, 2, 1},       {5, 87, 0, 4, 0},     {5, 40, 3, 6, 2},
                   // outside the table: path limit, negative path, high Proc below the base
                   // or past base + 47, high Control 4, low Control 9
                   {2000, 14, 0, 1, kUntouched}, {-1, 14, 0, 1, kUntouched},
                   {5, 39, 0, 1, kUntouched},    {5, 88, 0, 1, kUntouched},
                   {5, 40, 4, 1, kUntouched},    {5, 14, 9, 1, kUntouched}},
                  /*highBase=*/40, CPathMap());
}

TEST(OldValuesTest, PathMapGroupsTakeTheRemappedDefaults) {
  testsupport::TestConsole console(3);
  CPathMap map;
  for (int32_t group = 0; group < 5; ++group) map.AddGroup(100 + 10 * group, 10);
  // Group 1 starts from default group 7 (base pattern), group 2 from group 1 (its own
  // Proc 1 level), group 4 from group 3 (fader level 0); paths in no pair are group 0.
  ExpectOldValues({{112, 1, 0, 1, 5329}, {112, 14, 0, 1, -8192}, {125, 1, 0, 1, 6165},
                   {125, 1, 3, 1, 1849}, {144, 14, 0, 1, 0},     {144, 1, 0, 1, 5329},
                   {7, 14, 0, 1, -8192}, {7, 1, 0, 1, 5329}},
                  36, map);
}

TEST(OldValuesTest, ConsoleTypeAndMaxPathsModeChooseTheTableAndPathLimit) {
  testsupport::TestConsole console(2, /*maxPathsMode=*/1);  // reversed Proc 1 to 4 rows, 500 paths
  ExpectOldValues({{0, 1, 0, 1, -2862}, {499, 4, 0, 1, 5329}, {500, 1, 0, 1, kUntouched}}, 36, CPathMap());
}

// The defaults cover the array's own paths; which events take entries is the console's
// path limit as the settings read now.
TEST(OldValuesTest, DefaultsFollowTheArraysPathLimitAndEntriesTheConsoles) {
  {
    testsupport::TestConsole console(2, /*maxPathsMode=*/1);  // 500 paths; the array 256
    ExpectOldValues({{100, 1, 0, 1, -2862}, {255, 1, 0, 1, -2862}, {256, 1, 0, 1, 0},
                     {300, 1, 0, 2, 0},     {300, 1, 0, 3, 2},     {499, 4, 0, 1, 0},
                     {500, 1, 0, 1, kUntouched}},
                    36, CPathMap(), /*arrayMode=*/0);
  }
  {
    testsupport::TestConsole console(3);  // always 2000 paths; the array 500
    ExpectOldValues({{499, 14, 0, 1, -8192}, {500, 14, 0, 1, 0}, {1999, 14, 0, 1, 0}},
                    36, CPathMap(), /*arrayMode=*/1);
  }
  {
    testsupport::TestConsole console(2, /*maxPathsMode=*/0);  // 256 paths; the array 500
    ExpectOldValues({{100, 1, 0, 1, -2862}, {255, 4, 0, 1, 5329}, {256, 1, 0, 1, kUntouched},
                     {499, 1, 0, 1, kUntouched}, {100, 1, 0, 2, 1}},
                    36, CPathMap(), /*arrayMode=*/1);
  }
}

TEST(OldValuesTest, SmallConsoleUsesItsOwnTableAndPathLimit) {
  testsupport::TestConsole console(1, /*maxPathsMode=*/0);  // 256 paths, no high range
  ExpectOldValues({{0, 0, 0, 10, -8192}, {255, 4, 4, 1, -32768}, {3, 1, 2, 0, 1},
                   {0, 0, 0, 11, 10},    {256, 0, 0, 1, kUntouched},
                   {3, 5, 0, 1, kUntouched}, {3, 40, 0, 1, kUntouched}},
                  36, CPathMap());
}

}  // namespace
