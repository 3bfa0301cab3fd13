#include "commonobjects/editing/ChannelStateTracker.h"

#include <gtest/gtest.h>

#include <vector>

#include "commonobjects/console/PathMap.h"
#include "commonobjects/console/SlotAlignment.h"
#include "commonobjects/editing/SlotOffset.h"
#include "commonobjects/eventstore/AutomationEventArray.h"
#include "support/Events.h"
#include "support/TestConsole.h"

namespace {

constexpr int32_t kBase = 64;  // high-range Procs 64 to 111

using testsupport::MakeEvent;

TEST(ChannelStateTrackerTest, StartsFromTheDefaultsOfEachPathsVariantAndGroup) {
  struct Case { int32_t type, path, proc, control, value; };
  // Path map: pair k is group k; group 1 = paths 10-19, group 2 = 20-29, group 3 = 30-39.
  const Case cases[] = {
      {3, 0, 14, 0, -8192}, {3, 0, 1, 0, 5329},  {3, 0, 1, 5, 3},   {3, 0, 13, 6, 2400},
      {3, 0, 15, 4, -32768}, {3, 0, 0, 0, 0},    {3, 0, 30, 3, 0},
      {2, 0, 1, 0, -2862},  {2, 0, 1, 5, 1},     {2, 0, 8, 0, 5329}, {2, 0, 4, 5, 3},
      {2, 0, 9, 0, -2862},  {5, 0, 1, 0, 5329},
      {3, 10, 1, 0, 6165},  {3, 10, 8, 0, -2466}, {3, 10, 6, 3, 1849}, {3, 10, 6, 5, 2},
      {2, 10, 1, 0, 6165},  {3, 10, 14, 0, -8192}, {3, 10, 9, 0, -2862},
      {3, 30, 14, 0, 0},    {3, 30, 1, 0, 5329},  {3, 20, 14, 0, -8192},
      {3, 0, kBase, 3, 1},  {3, 0, kBase + 47, 3, 1}, {3, 0, kBase + 47, 0, 0},
      {3, 2000 - 1, 14, 0, -8192},
      {1, 0, 0, 0, -8192},  {1, 0, 1, 2, 1},     {1, 0, 4, 4, -32768}, {1, 0, 2, 0, 0},
      {1, 255, 0, 0, -8192}, {1, 256, 0, 0, 0},  // mode 0 on a small console: 256 paths
      {8, 0, 14, 0, 0},     // an unknown console type has no defaults
  };
  CPathMap map;
  map.AddGroup(1000, 1);
  map.AddGroup(10, 10);
  map.AddGroup(20, 10);
  map.AddGroup(30, 10);
  for (const Case& c : cases) {
    testsupport::TestConsole console(c.type);
    CChannelStateTracker tracker(nullptr, kBase, &map, 0, nullptr);
    EXPECT_EQ(tracker.GetValue(c.path, c.proc, c.control), c.value)
        << "type " << c.type << " path " << c.path << " proc " << c.proc << " control " << c.control;
  }
}

TEST(ChannelStateTrackerTest, StepsForwardOnlyAndStoresOnlyChannelsInsideTheTable) {
  testsupport::TestConsole console(2, /*maxPathsMode=*/0);
  CAutomationEventArray a;
  a.Add(MakeEvent(1, 14, 0, -5, 11));
  a.Add(MakeEvent(1, 14, 0, 0, 12));
  a.Add(MakeEvent(300, 14, 0, 2, 13));        // beyond 256 paths: ignored
  a.Add(MakeEvent(1, 30, 0, 3, 14));          // Proc 30 is low range
  a.Add(MakeEvent(1, kBase - 1, 0, 3, 15));   // between 36 and the base: ignored
  a.Add(MakeEvent(1, kBase + 48, 0, 3, 16));  // past the high range: ignored
  a.Add(MakeEvent(1, kBase + 2, 4, 3, 17));   // Control 4 of a high Proc: ignored
  a.Add(MakeEvent(1, kBase + 2, 3, 3, 18));
  a.Add(MakeEvent(1, 14, 9, 3, 19));          // Control 9: ignored
  a.Add(MakeEvent(1, 14, 0, 9, 20));
  CChannelStateTracker tracker(&a, kBase, nullptr, 0, nullptr);
  tracker.StepToTime(-1, false);  // not later than the start: nothing consumed
  EXPECT_EQ(tracker.GetLastIndex(), -1);
  tracker.StepToTime(0, false);   // everything at or before 0
  EXPECT_EQ(tracker.GetLastIndex(), 1);
  EXPECT_EQ(tracker.GetValue(1, 14, 0), 12);
  tracker.StepToTime(5, false);
  tracker.StepToTime(4, false);   // back in time: nothing
  EXPECT_EQ(tracker.GetCurrentTime(), 5);
  EXPECT_EQ(tracker.GetLastIndex(), 8);
  EXPECT_EQ(tracker.GetValue(300, 14, 0), 0);
  EXPECT_EQ(tracker.GetValue(1, 30, 0), 14);
  EXPECT_EQ(tracker.GetValue(1, kBase + 2, 3), 18);
  EXPECT_EQ(tracker.GetValue(1, 14, 0), 12);

  // Nothing stepped into a table is lost or invented: stepping a fresh tracker over the same
  // events and emitting the difference gives exactly the stored channels.
  CAutomationEventArray out;
  CChannelStateTracker fresh(&out, kBase, nullptr, 0, nullptr);
  fresh.StepToTime(5, false);
  fresh.EmitDifferences(tracker);
  ASSERT_EQ(out.GetSize(), 3);
  EXPECT_EQ(out[0].Proc, 14);
  EXPECT_EQ(out[1].Proc, 30);
  EXPECT_EQ(out[2].Proc, kBase + 2);
}

TEST(ChannelStateTrackerTest, AlignsSlotControlsToThePathsSlot) {
  testsupport::TestConsole console(3);
  CChannelStateTracker tracker(nullptr, kBase, nullptr, 0, nullptr);
  EXPECT_EQ(tracker.AlignTimeToPathSlot(5, 8, false), 9);
  EXPECT_EQ(tracker.AlignTimeToPathSlot(5, 8, true), 9);
  EXPECT_EQ(tracker.AlignTimeToPathSlot(0, 9, false), 12);
  EXPECT_EQ(tracker.AlignTimeToPathSlot(0, 9, true), 8);
  EXPECT_EQ(tracker.AlignTimeToPathSlot(0, 0, false), 0);  // below 1: unchanged
  EXPECT_EQ(AlignTimeToSlot(2, 5, 8, false), 11);          // (2 + 5) mod 4 = 3
  EXPECT_EQ(AlignTimeToSlot(0, 0, INT32_MAX, false), INT32_MAX);

  CAutomationEventArray a;
  EXPECT_EQ(SlotOffset(a), 0);
  a.Add(MakeEvent(7, 0, 0, 8, 0));
  EXPECT_EQ(SlotOffset(a), 3);
  a.Add(MakeEvent(4, 0, 0, 11, 0));
  EXPECT_EQ(SlotOffset(a), 3);

  EXPECT_TRUE(IsSlotAlignedControl(0, 7, kBase));
  EXPECT_FALSE(IsSlotAlignedControl(0, 8, kBase));
  EXPECT_TRUE(IsSlotAlignedControl(17, 6, kBase));
  EXPECT_FALSE(IsSlotAlignedControl(24, 0, kBase));
  EXPECT_TRUE(IsSlotAlignedControl(kBase + 47, 2, kBase));
  EXPECT_FALSE(IsSlotAlignedControl(kBase + 48, 2, kBase));
  EXPECT_FALSE(IsSlotAlignedControl(kBase, 3, kBase));
}

TEST(ChannelStateTrackerTest, SmallConsolesHaveTheirOwnSlotRule) {
  testsupport::TestConsole console(6);
  EXPECT_EQ(AlignTimeToSlot(0, 0, 9, false), 9);
  CAutomationEventArray a;
  a.Add(MakeEvent(7, 0, 0, 8, 0));
  EXPECT_EQ(SlotOffset(a), 0);
  EXPECT_TRUE(IsSlotAlignedControl(4, 4, kBase));
  EXPECT_FALSE(IsSlotAlignedControl(4, 5, kBase));
  EXPECT_FALSE(IsSlotAlignedControl(14, 0, kBase));
}

TEST(ChannelStateTrackerTest, EmitsTheSelectedDifferencesAtTheSlotTime) {
  testsupport::TestConsole console(3);
  CAutomationEventArray source;
  source.Add(MakeEvent(4, 14, 0, 5, 100));   // slot aligned
  source.Add(MakeEvent(4, 14, 2, 5, 7));     // not slot aligned
  source.Add(MakeEvent(6, 14, 0, 5, 200));   // an unselected path
  CEventFilter filter;
  filter.Paths.Add(4);
  filter.ProcControls.Add(static_cast<uint16_t>(14 | (0 << 8)));

  struct Case { int32_t mode; std::vector<int32_t> expectedPaths, expectedControls, expectedTimes; };
  const Case cases[] = {
      {CChannelStateTracker::TrackAll, {4, 4, 6}, {0, 2, 0}, {12, 10, 10}},
      {CChannelStateTracker::TrackSelectedOnly, {4}, {0}, {12}},
      {CChannelStateTracker::TrackUnselectedOnly, {4, 6}, {2, 0}, {10, 10}},
  };
  for (const Case& c : cases) {
    CChannelStateTracker from(&source, kBase, nullptr, 0, nullptr);
    from.StepToTime(5, false);
    CAutomationEventArray out;
    CChannelStateTracker to(&out, kBase, nullptr, 0, &filter);
    to.Mode = c.mode;
    to.StepToTime(10, false);
    to.EmitDifferences(from);
    ASSERT_EQ(out.GetSize(), static_cast<int32_t>(c.expectedPaths.size())) << "mode " << c.mode;
    for (int32_t i = 0; i < out.GetSize(); ++i) {
      EXPECT_EQ(out[i].Path, c.expectedPaths[i]);
      EXPECT_EQ(out[i].Control, c.expectedControls[i]);
      EXPECT_EQ(out[i].Time, c.expectedTimes[i]);  // slots: path 4 -> 12, path 6 -> 10
      EXPECT_EQ(out[i].Flags, 0);
      EXPECT_EQ(out[i].OldValue, 0);
    }
    const int32_t emitted = out.GetSize();
    to.EmitDifferences(from);  // the taken values are now this tracker's: nothing more
    EXPECT_EQ(out.GetSize(), emitted);
  }
}

TEST(ChannelStateTrackerTest, ASavedTableRestoresTheStateItWasTakenFrom) {
  testsupport::TestConsole console(3);
  CAutomationEventArray a;
  a.Add(MakeEvent(2, 14, 0, 1, 50));
  a.Add(MakeEvent(1999, kBase + 3, 1, 1, 60));
  a.Add(MakeEvent(2, 14, 0, 4, 70));
  CChannelStateTracker tracker(&a, kBase, nullptr, 0, nullptr);
  tracker.StepToTime(1, false);
  std::vector<uint16_t> saved(CChannelStateTracker::kStateTableValues);
  tracker.CopyStateTable(saved.data());
  EXPECT_EQ(static_cast<int16_t>(saved[2 * 324 + 14 * 9]), 50);

  CAutomationEventArray out;
  CChannelStateTracker later(&out, kBase, nullptr, 0, nullptr);
  later.StepToTime(8, false);
  later.EmitDifferences(saved.data());
  ASSERT_EQ(out.GetSize(), 2);
  EXPECT_EQ(out[0].Value, 50);
  EXPECT_EQ(out[1].Path, 1999);
  EXPECT_EQ(out[1].Value, 60);
  later.EmitDifferences(saved.data());
  EXPECT_EQ(out.GetSize(), 2);
}

std::vector<int32_t> g_progress;
void RecordProgress(const CAutomationEventArray*, int32_t index, int32_t total) {
  g_progress.push_back(index);
  g_progress.push_back(total);
}

TEST(ChannelStateTrackerTest, CopiesAnEventRangeByModeWithItsShiftAndReportsEvery200th) {
  testsupport::TestConsole console(3);
  CAutomationEventArray source;
  for (int32_t i = 0; i < 401; ++i) source.Add(MakeEvent(i % 2 == 0 ? 3 : 5, 14, 0, i, 1));
  CEventFilter filter;
  filter.Paths.Add(3);
  CChannelStateTracker from(&source, kBase, nullptr, 0, nullptr);
  CAutomationEventArray out;
  CProgressStateTracker to(&out, kBase, nullptr, 0, &filter, &source, &RecordProgress);
  to.Mode = CChannelStateTracker::TrackUnselectedOnly;
  g_progress.clear();
  to.CopyEventRange(from, 0, 400, 1000, false);
  ASSERT_EQ(out.GetSize(), 200);
  EXPECT_EQ(out[0].Path, 5);
  EXPECT_EQ(out[0].Time, 1001);
  EXPECT_EQ(g_progress, (std::vector<int32_t>{0, 401, 200, 401, 400, 401}));
}

}  // namespace
