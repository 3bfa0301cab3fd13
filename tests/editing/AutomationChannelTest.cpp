#include "commonobjects/editing/AutomationChannel.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "commonobjects/editing/EditPointList.h"
#include "support/TestConsole.h"

namespace {

constexpr int32_t kBase = 36;
constexpr auto kFrom = CAutomationEventArray::RampFromPoint;
constexpr auto kTo = CAutomationEventArray::RampToPoint;
using Evs = std::vector<std::tuple<int32_t, int, int>>;  // Time, Value, OldValue

// Type 3, group 0: (14, 0) is the slot-aligned fader (default -8192), (14, 2) a stepped
// control (default 1).
class AutomationChannelTest : public ::testing::Test {
 protected:
  testsupport::TestConsole console{3};
};

CAutomationChannel Channel(const Evs& events, int32_t path = 0, int control = 0,
                           int32_t pathEnd = 1000) {
  CAutomationChannel c;
  c.Setup(0, path, 14, control, kBase, pathEnd, 0);
  for (const auto& [t, v, old] : events) c.Add(c.MakeEvent(t, int16_t(v), int16_t(old)));
  return c;
}

Evs Of(const CAutomationEventArray& a) {
  Evs out;
  for (const CAutomationEvent& e : a) out.emplace_back(e.Time, e.Value, e.OldValue);
  return out;
}

// head, then ramp events from `time` every `spacing` units through `values`, then tail.
Evs Ramp(Evs head, int32_t time, int32_t spacing, std::vector<int> values, const Evs& tail) {
  int old = std::get<1>(head.back());
  for (int v : values) head.emplace_back(time, v, old), time += spacing, old = v;
  head.insert(head.end(), tail.begin(), tail.end());
  return head;
}

TEST_F(AutomationChannelTest, SetupTakesDefaultsByRangeAndKeepsThemOutsideBoth) {
  CAutomationChannel c;
  const int cases[][4] = {{0, 14, 0, -8192}, {3, 14, 0, 0}, {0, kBase + 5, 3, 1},
                          {0, kBase + 48, 0, 1}, {0, kBase + 5, 0, 0}, {0, 14, 9, 0}};
  for (const auto& [group, proc, control, expected] : cases) {
    c.Setup(group, 7, proc, control, kBase, 500, 2);
    EXPECT_EQ(c.DefaultValue, expected) << group << " " << proc << " " << control;
  }
}

TEST_F(AutomationChannelTest, CopyRangeCopiesTheHalfOpenRangeOrTheValueAtItsStart) {
  const CAutomationChannel c = Channel({{2, 10, 0}, {5, 20, 10}, {9, 30, 20}});
  const struct { int32_t t1, t2; Evs expected; } cases[] = {
      {4, 9, {{5, 20, 10}}}, {6, 8, {{6, 20, 20}}}, {0, 1, {{0, 10, 10}}},
      {0, -1, {{2, 10, 0}, {5, 20, 10}}}, {20, 30, {{20, 30, 30}}}};
  for (const auto& k : cases) {
    CAutomationEventArray target;
    target.Add(CAutomationEvent{});
    c.CopyRange(target, k.t1, k.t2, false);
    EXPECT_EQ(Of(target), k.expected) << k.t1 << ".." << k.t2;
    c.CopyRange(target, k.t1, k.t2, true);
    EXPECT_EQ(target.GetSize(), 2 * static_cast<int32_t>(k.expected.size()));
  }
}

TEST_F(AutomationChannelTest, RemoveRangeKeepsTheLastEventOneFrameAfterTheRangeWhilePathGoesOn) {
  const Evs events = {{2, 10, 0}, {5, 20, 10}, {9, 30, 20}};
  const struct { int32_t path, pathEnd, t1, t2, result; Evs left, out; } cases[] = {
      {0, 40, 4, 18, 1, {{2, 10, 0}, {24, 30, 20}}, {{5, 20, 10}}},  // 18 aligns to 20
      {1, 40, 4, 18, 1, {{2, 10, 0}, {25, 30, 20}}, {{5, 20, 10}}},  // path 1: to 21
      {0, 20, 4, 18, 1, {{2, 10, 0}}, {{5, 20, 10}, {9, 30, 20}}},   // the path ends there
      {0, 40, 4, 7, 1, {{2, 10, 0}, {9, 30, 20}}, {{5, 20, 10}}},
      {0, 40, 3, 4, 1, events, {{3, 10, 0}}},
      {0, 40, 10, 20, 3, events, {{10, 30, 20}}}};
  for (const auto& k : cases) {
    CAutomationChannel c = Channel(events, k.path, 0, k.pathEnd);
    CAutomationEventArray out;
    EXPECT_EQ(c.RemoveRange(out, k.t1, k.t2, true), k.result) << k.t1 << ".." << k.t2;
    EXPECT_EQ(Of(c), k.left) << k.path << " " << k.t1 << ".." << k.t2;
    EXPECT_EQ(Of(out), k.out) << k.t1 << ".." << k.t2;
  }
}

TEST_F(AutomationChannelTest, PasteShiftedMovesIntoTheSlotAndRestartsFromTheDefault) {
  CAutomationChannel b = Channel({{0, 100, 50}, {300, 200, 100}}, 1);
  b.PasteShifted(Channel({{10, 400, 350}, {14, 500, 400}}, 5), 10, 200);
  EXPECT_EQ(Of(b), (Evs{{0, 100, -8192}, {201, 400, 350}, {205, 500, 400}, {300, 200, 100}}));
  EXPECT_EQ(b[1].Path, 1);
  const struct { Evs a; Evs expected; } cases[] = {
      {{{0, 7, 3}, {10, 8, 7}}, {{0, 7, -8192}, {213, 8, 7}}},  // time 0 stays
      {{{10, -8192, -8192}}, {}},  // restates the empty channel's default
      {{{10, 5, 5}}, {{213, 5, -8192}}}};
  for (const auto& k : cases) {
    CAutomationChannel empty = Channel({}, 1);
    empty.PasteShifted(Channel(k.a, 5), 0, 200);
    EXPECT_EQ(Of(empty), k.expected);
  }
}

TEST_F(AutomationChannelTest, FindValuesAroundJoinsOnlyWhereTheChainBreaks) {
  const struct { Evs events; int32_t t; bool found; int before, after; size_t left; } cases[] = {
      {{{0, 5, 1}}, 0, false, 0, 0, 1},
      {{{0, 5, 1}, {100, 9, 9}}, 200, false, 0, 0, 2},
      {{{0, 5, 1}, {100, 9, 7}}, 100, true, 5, 9, 2},
      {{{0, 5, 1}, {100, 9, 7}}, 96, true, 5, 7, 2},
      {{{10, 5, 3}, {20, 6, 5}}, 0, true, 1, 3, 2},  // before the first event: the default
      {{{0, 5, 1}, {100, 5, 5}, {200, 8, 5}}, 100, false, 0, 0, 2},  // redundant: deleted
      {{{0, 5, 1}, {100, 9, 5}, {100, 3, 9}}, 100, true, 5, 9, 3},
      {{{0, 5, 1}, {100, 9, 5}, {200, 3, 9}}, 100, false, 0, 0, 3}};
  for (const auto& k : cases) {
    CAutomationChannel c = Channel(k.events, 0, 2);
    int32_t index = -1;
    int16_t before = 0, after = 0;
    const bool found = c.FindValuesAround(k.t, index, before, after);
    EXPECT_EQ(std::tuple(found, c.GetSize()), std::tuple(k.found, int32_t(k.left))) << k.t;
    if (found) {
      EXPECT_EQ(std::tuple(before, after), std::tuple(k.before, k.after)) << k.t;
    }
  }
}

TEST_F(AutomationChannelTest, ApplyEditPointRampsSlotAlignedControlsAndStepsTheOthers) {
  const std::vector<int> by40 = {140, 180, 220, 260, 300, 340, 380, 420};  // 100 -> 500
  const Evs head = {{0, 100, -8192}}, three = {{0, 100, -8192}, {200, 500, 300}, {400, 600, 500}};
  const struct { int control; CEditPoint point; int32_t pathEnd; Evs events, expected; } cases[] = {
      {2, {kTo, 97, 40, 1}, 1000, {{0, 5, 1}, {100, 9, 7}}, {{0, 5, 1}, {100, 9, 5}}},
      {0, {kTo, 97, 0, 1}, 1000, {{0, 5, 1}, {100, 9, 7}}, {{0, 5, 1}, {100, 9, 5}}},
      // A direction other than 2 and 3 makes no ramp: the point joins by a step.
      {0, {CAutomationEventArray::TimeDirection{4}, 97, 40, 1}, 1000, {{0, 5, 1}, {100, 9, 7}},
       {{0, 5, 1}, {100, 9, 5}}},
      {2, {kTo, 100, 40, 1}, 1000, {{0, 5, 1}, {104, 9, 7}, {300, 2, 9}},
       {{0, 5, 1}, {100, 7, 5}, {104, 9, 7}, {300, 2, 9}}},
      {2, {kTo, 100, 40, 1}, 1000, {{0, 5, 1}, {100, 5, 3}, {200, 7, 7}}, {{0, 5, 1}}},
      {0, {kFrom, 200, 40, 1}, 1000, three, Ramp(head, 204, 4, by40, {{400, 600, 420}})},
      {0, {kFrom, 200, 40, 1}, 1000, {{0, 100, -8192}, {200, 500, 300}, {240, 600, 550}},
       Ramp(head, 204, 4, {150, 200, 250, 300, 350, 400, 450, 500}, {{240, 600, 500}})},
      {0, {kFrom, 200, 40, 2}, 1000, three,
       Ramp(head, 208, 8, {180, 260, 340, 420}, {{400, 600, 420}})},
      {0, {kFrom, 200, 40, 1}, 1000, {{0, 100, -8192}, {200, 500, 300}},  // path goes on
       Ramp(head, 204, 4, by40, {{244, 500, 420}})},
      {0, {kFrom, 200, 40, 1}, 100, {{0, 100, -8192}, {200, 500, 300}},
       Ramp(head, 204, 4, by40, {})},
      // The event at 160 lies inside the ramp: the ramp starts from the one before it.
      {0, {kTo, 200, 40, 1}, 1000, {{0, 100, -8192}, {160, 130, 100}, {200, 500, 300}},
       Ramp(head, 164, 4, by40, {{200, 500, 420}})}};
  for (const auto& k : cases) {
    CAutomationChannel c = Channel(k.events, 0, k.control, k.pathEnd);
    c.ApplyEditPoint(k.point);
    EXPECT_EQ(Of(c), k.expected) << ::testing::PrintToString(k.events);
  }
}

TEST_F(AutomationChannelTest, MakeRampStartsNoEarlierThanZeroAndWritesOnlyChanges) {
  CAutomationChannel toPoint = Channel({{20, 100, 0}});
  toPoint.MakeRamp(20, kTo, 0, 100, 1, 40);  // starts at 0, lasts 20 units
  EXPECT_EQ(Of(toPoint), Ramp({{0, 0, -8192}}, 4, 4, {20, 40, 60}, {{20, 100, 60}}));
  CAutomationChannel slow = Channel({{0, 0, -8192}, {500, 2, 0}}, 1);
  slow.MakeRamp(203, kFrom, 0, 2, 1, 40);  // path 1's slot: the ramp counts from 201
  EXPECT_EQ(Of(slow), (Evs{{0, 0, -8192}, {221, 1, 0}, {500, 2, 1}}));
  CAutomationChannel stepZero = Channel({{0, 0, -8192}, {500, 2, 0}}), stepOne = stepZero;
  stepZero.MakeRamp(200, kFrom, 0, 1000, 0, 40);
  stepOne.MakeRamp(200, kFrom, 0, 1000, 1, 40);
  EXPECT_EQ(Of(stepZero), Of(stepOne));
  EXPECT_EQ(stepZero.GetSize(), 10);
  CAutomationChannel none = Channel({{20, 100, 0}});
  none.MakeRamp(0, kTo, 0, 100, 1, 40);
  none.MakeRamp(20, kFrom, 0, 100, 1, 0);
  EXPECT_EQ(Of(none), (Evs{{20, 100, 0}}));
}

TEST_F(AutomationChannelTest, EditPointsFollowTheDirectionTable) {
  using P = std::tuple<int, int32_t, int>;  // direction, time, ramp length (r = 40)
  const struct { CAutomationEventArray::TimeDirection start, end; int32_t at, length;
                 std::vector<P> expected; } cases[] = {
      {kTo, kFrom, 1000, 30, {{3, 1000, 40}, {2, 1030, 40}}},
      {kTo, kTo, 1000, 30, {{3, 1000, 40}, {3, 1030, 30}}},
      {kFrom, kFrom, 1000, 30, {{2, 1000, 30}, {2, 1030, 40}}},
      {kFrom, kTo, 1000, 60, {{2, 1000, 40}, {3, 1060, 30}}},  // half the range
      {kFrom, kTo, 1000, 100, {{2, 1000, 40}, {3, 1100, 40}}},
      {kTo, kFrom, 10, 100, {{3, 10, 10}, {2, 110, 40}}},  // no ramp before time 0
      {kFrom, CAutomationEventArray::TimeDirection(4), 1000, 30, {}}};
  CEditPointList list;
  for (const auto& k : cases) {
    list.BuildEditPoints(k.at, k.length, k.start, k.end, 40, 3);
    std::vector<P> points;
    for (const CEditPoint& p : list) points.emplace_back(p.Direction, p.Time, p.RampLength);
    EXPECT_EQ(points, k.expected) << k.start << "," << k.end << " length " << k.length;
  }
  CEditPoint point{kTo, 77, 5, 2};
  EXPECT_FALSE(list.GetEditPoint(0, point));  // the unknown pair left no points
  list.AddEditPoint(kTo, -5, 40, 3);
  EXPECT_FALSE(list.GetEditPoint(-1, point) || list.GetEditPoint(1, point));
  EXPECT_EQ(point.Time, 77);
  ASSERT_TRUE(list.GetEditPoint(0, point));
  EXPECT_EQ(std::tuple(point.Time, point.RampLength, point.RampStep), std::tuple(-5, 0, 3));
}

}  // namespace
