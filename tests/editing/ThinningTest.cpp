#include "commonobjects/editing/Thinning.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <tuple>
#include <vector>

#include "commonobjects/console/PathMap.h"
#include "commonobjects/eventstore/AutomationEventArray.h"
#include "commonobjects/platform/WindowMessages.h"
#include "support/Events.h"
#include "support/TestConsole.h"

namespace {

using commonobjects::platform::Endpoint;
using commonobjects::platform::PostedMessage;
constexpr int32_t kBase = 40;  // high-control base

using testsupport::MakeEvent;

// e's channel written `count` times from e.Time, `spacing` units apart, rising by `rise`.
void AddRun(CAutomationEventArray& a, CAutomationEvent e, int32_t spacing, int32_t count,
            int rise) {
  for (int32_t j = 0; j < count; ++j, e.Time += spacing) {
    a.AddAtTime(e);
    e.Value = static_cast<int16_t>(e.Value + rise);
  }
}

std::vector<int32_t> Times(const CAutomationEventArray& a) {
  std::vector<int32_t> times;
  for (const CAutomationEvent& e : a) times.push_back(e.Time);
  return times;
}

// Which of the 12 times first, first + spacing, ... are missing from the array.
std::vector<int32_t> Dropped(const CAutomationEventArray& a, int32_t first, int32_t spacing) {
  std::vector<int32_t> dropped;
  for (int32_t t = first, j = 0; j < 12; ++j, t += spacing) {
    if (std::ranges::count(Times(a), t) == 0) dropped.push_back(t);
  }
  return dropped;
}

TEST(ThinningTest, ControlTablesAndRunTests) {
  EXPECT_STREQ(Thinning::WindowLevelName(6), "3 Heavy");
  EXPECT_STREQ(Thinning::ThresholdName(16), "16 (0.2 dB) (Heavy)");
  const struct { int type, proc, control; bool thinnable, fader; } cases[] = {
      {3, 14, 0, true, true},   {3, 14, 1, true, true},  {3, 14, 2, false, false},
      {3, 0, 7, true, false},   {3, 24, 0, false, false}, {3, 40, 1, true, false},
      {3, 200, 2, true, false}, {3, 39, 1, false, false}, {3, 40, 0, false, false},
      {1, 0, 3, true, false},   {1, 0, 1, false, true},   {1, 4, 1, true, false},
      {1, 4, 2, false, false},  {1, 14, 0, false, false}};
  for (const auto& c : cases) {
    testsupport::TestConsole console(c.type);
    const CAutomationEvent e = MakeEvent(0, c.proc, c.control, 1, 0);
    EXPECT_EQ(IsThinnableControl(e, kBase), c.thinnable) << c.type << ":" << c.proc << "/"
                                                          << c.control;
    EXPECT_EQ(IsThresholdFaderControl(e), c.fader) << c.type << ":" << c.proc << "/" << c.control;
  }
  const struct { int v0, v1, v2, path2; bool monotonic; } runs[] = {  // equal counts as up
      {3, 2, 1, 0, true}, {1, 2, 2, 0, true}, {2, 1, 1, 0, false}, {1, 2, 3, 1, false}};
  for (const auto& r : runs) {
    const CAutomationEvent run[] = {MakeEvent(0, 14, 0, 1, r.v0), MakeEvent(0, 14, 0, 2, r.v1),
                                    MakeEvent(r.path2, 14, 0, 3, r.v2)};
    EXPECT_EQ(IsMonotonicRun(run, 3), r.monotonic) << r.v0 << r.v1 << r.v2 << " " << r.path2;
  }
  EXPECT_TRUE(SameChannelWithin(MakeEvent(0, 14, 0, 7, 0), MakeEvent(0, 14, 0, 4, 9), 4));
  EXPECT_FALSE(SameChannelWithin(MakeEvent(0, 14, 0, 8, 0), MakeEvent(0, 14, 0, 4, 0), 4));
  EXPECT_FALSE(SameChannelWithin(MakeEvent(0, 14, 0, 4, 0), MakeEvent(0, 14, 1, 4, 0), 4));
}

TEST(ThinningTest, WindowDropsTheSmallestStepOfEachWindowWrittenFasterThanOncePerFrame) {
  testsupport::TestConsole console;
  const struct { int32_t first, spacing, level; std::vector<int32_t> dropped; } cases[] = {
      {1, 1, 6, {2, 5, 8}},     // W = 3: the second of each three while W events follow
      {0, 1, 6, {2, 5, 8}},     // the time-0 event is never an anchor: windows start at 1
      {1, 3, 6, {4, 13, 22}},   // within a frame per follower
      {1, 4, 6, {}},            // once per frame: never
      {1, 1, 1, {7}}};          // W = 8 on equal steps: the latest intermediate one
  for (const auto& c : cases) {
    CAutomationEventArray a;
    AddRun(a, MakeEvent(0, 14, 0, c.first, 100), c.spacing, 12, 5);
    a.Filter.StartTime = c.first;
    a.Filter.EndTime = c.first + 11 * c.spacing;
    a.Filter.Paths.Add(0);
    EXPECT_EQ(a.ThinAutoData(kBase, CPathMap(), c.level, 0),
              static_cast<int32_t>(c.dropped.size()));
    EXPECT_EQ(Dropped(a, c.first, c.spacing), c.dropped) << c.first << " " << c.spacing;
  }
}

TEST(ThinningTest, FaderThresholdKeepsOneInNineOfARiseOfOneUnitPerEvent) {
  testsupport::TestConsole console;
  for (const auto& [proc, control, removed] : {std::tuple{14, 0, 24}, {14, 1, 24}, {1, 0, 0}}) {
    CAutomationEventArray a;  // fader level and trim only
    AddRun(a, MakeEvent(0, proc, control, 1, 0), 1, 30, 1);
    a.Filter.EndTime = 30;
    a.Filter.Paths.Add(0);
    EXPECT_EQ(a.ThinAutoData(kBase, CPathMap(), 0, 8), removed) << proc << "/" << control;
    if (removed != 0) {  // the last three events are never dropped
      EXPECT_EQ(Times(a), (std::vector<int32_t>{1, 10, 19, 28, 29, 30}));
    }
  }
}

TEST(ThinningTest, OnlyTheSelectedRangePathsAndControlsThin) {
  const struct {
    int type;
    int32_t start, end;
    std::vector<int32_t> paths;
    int proc;
    int32_t removed;
  } cases[] = {
      {3, 5, 9, {0}, 14, 0},           // W = 3 events in range (t5, t7, t9): too few
      {3, 5, 10, {0}, 14, 1},          // the event just after EndTime belongs to the range
      {3, 5, 10, {}, 14, 0},           // empty Paths selects nothing
      {3, 5, 10, {1, 5000, -3}, 14, 0},
      {3, 10, 5, {0}, 14, 0},          // EndTime before StartTime: an empty range
      {3, 1, 23, {0}, 14, 0},          // control rejected by the filter
      {1, 1, 23, {0}, 0, 3}};          // small consoles select by path alone
  for (const auto& c : cases) {
    testsupport::TestConsole console(c.type);
    CAutomationEventArray a;
    AddRun(a, MakeEvent(0, c.proc, 0, 1, 0), 2, 12, 3);  // t1, t3, ..., t23
    a.Filter.StartTime = c.start;
    a.Filter.EndTime = c.end;
    for (int32_t p : c.paths) a.Filter.Paths.Add(p);
    if (c.start == 1) a.Filter.ProcControls.Add(1);  // (Proc 1, Control 0) only
    EXPECT_EQ(a.ThinAutoData(kBase, CPathMap(), 6, 0), c.removed) << c.start << "-" << c.end;
    EXPECT_EQ(a.GetSize(), 12 - c.removed);
  }
}

TEST(ThinningTest, WindowLevelOutsideTheTableReturnsZeroAfterRemovingDuplicates) {
  testsupport::TestConsole console;
  for (const auto& [level, result] : {std::pair{7, 0}, {-1, 0}, {0, 1}}) {
    CAutomationEventArray a;
    AddRun(a, MakeEvent(0, 14, 0, 1, 0), 1, 12, 1);
    a.AddAtTime(MakeEvent(0, 14, 0, 12, 50));
    a.Filter.Paths.Add(0);
    EXPECT_EQ(a.ThinAutoData(kBase, CPathMap(), level, 0), result) << level;
    EXPECT_EQ(a.GetSize(), 12);
  }
}

TEST(ThinningTest, PostsProgressAndRemovedCounts) {
  testsupport::TestConsole console;
  Endpoint status("TavmirStatusWindow");
  const uint32_t m = commonobjects::platform::RegisterMessage("Automation Event Notication");
  CAutomationEventArray a;
  AddRun(a, MakeEvent(0, 14, 0, 1, 0), 1, 12, 1);
  a.AddAtTime(MakeEvent(0, 14, 0, 12, 50));  // one duplicate
  a.Filter.StartTime = 1;
  a.Filter.EndTime = 12;
  a.Filter.Paths.Add(0);
  a.SetStatusWnd(status.Handle());
  a.ThinAutoData(kBase, CPathMap(), 6, 0);
  EXPECT_EQ(status.Drain(), (std::vector<PostedMessage>{
      {m, 31, 0}, {m, 33, 0}, {m, 34, 1}, {m, 33, 0}, {m, 34, 2}, {m, 33, 25}, {m, 34, 3},
      {m, 33, 50}, {m, 34, 4}, {m, 33, 75}, {m, 33, 83}, {m, 33, 91}, {m, 31, 0}, {m, 34, 4}}));

  // From 100 on: the threshold pass posts counts divisible by count/10, the window pass by
  // count/100.
  for (const auto& [level, threshold, rise, posted, silent] :
       {std::tuple{0, 1, 0, std::set<int32_t>{99, 100, 110, 120}, std::set<int32_t>{101, 105, 119}},
        std::tuple{6, 0, 1, std::set<int32_t>{150, 199, 202}, std::set<int32_t>{201, 203}}}) {
    CAutomationEventArray b;
    AddRun(b, MakeEvent(0, 14, 0, 1, 0), 1, 630, rise);
    b.Filter.EndTime = 630;
    b.Filter.Paths.Add(0);
    b.ThinAutoData(kBase, CPathMap(), level, threshold);
    std::set<int32_t> counts;
    for (const PostedMessage& p : status.Drain()) if (p.code == 34) counts.insert(p.param);
    for (int32_t n : posted) EXPECT_TRUE(counts.count(n)) << n;
    for (int32_t n : silent) EXPECT_FALSE(counts.count(n)) << n;
  }
}

TEST(ThinningTest, ResultIsInTimeOrderWithFreshOldValues) {
  testsupport::TestConsole console;
  CAutomationEventArray a;
  AddRun(a, MakeEvent(0, 14, 0, 1, 10), 1, 20, 7);
  AddRun(a, MakeEvent(1, 14, 0, 1, 500), 1, 20, -7);
  a.AddAtTime(MakeEvent(2, 3, 0, 30, 4));  // outside the range
  for (int32_t i = 0; i < a.GetSize(); ++i) a[i].OldValue = 999;
  a.Filter.StartTime = 1;
  a.Filter.EndTime = 20;
  a.Filter.Paths.Add(0);
  a.Filter.Paths.Add(1);
  EXPECT_EQ(a.ThinAutoData(kBase, CPathMap(), 6, 0), 12);
  EXPECT_TRUE(std::is_sorted(a.begin(), a.end(),
                             [](const auto& x, const auto& y) { return x.Time < y.Time; }));
  std::map<int32_t, int16_t> last = {{0, -8192}, {1, -8192}, {2, -396}};
  for (const CAutomationEvent& e : a) {
    EXPECT_EQ(e.OldValue, last[e.Path]) << e.Path << "@" << e.Time;
    last[e.Path] = e.Value;
  }
}

}  // namespace
