#include <gtest/gtest.h>

#include <array>
#include <initializer_list>
#include <vector>

#include "commonobjects/console/PathMap.h"
#include "commonobjects/eventstore/AutomationEventArray.h"
#include "commonobjects/platform/WindowMessages.h"
#include "support/Events.h"
#include "support/TestConsole.h"

namespace {

constexpr int32_t kBase = 64;
constexpr auto kForward = CAutomationEventArray::RampFromPoint;
using Row = std::array<int32_t, 5>;  // path, proc, control, time, value
using Rows = std::vector<Row>;

// The events with their old values, paths selected, range [start, end]; fader level (14, 0)
// and trim (14, 1) are slot-aligned, (14, 2) and (14, 4) are not.
CAutomationEventArray MakeArray(const Rows& rows, std::initializer_list<int32_t> paths,
                                int32_t start, int32_t end) {
  CAutomationEventArray a;
  for (const Row& r : rows) a.AddAtTime(testsupport::MakeEvent(r[0], r[1], r[2], r[3], r[4]));
  a.SetOldValues(kBase, CPathMap());
  for (const int32_t p : paths) a.Filter.Paths.Add(p);
  a.Filter.StartTime = start;
  a.Filter.EndTime = end;
  return a;
}

Rows RowsOf(const CAutomationEventArray& a) {
  Rows rows;
  for (const CAutomationEvent& e : a) rows.push_back({e.Path, e.Proc, e.Control, e.Time, e.Value});
  return rows;
}

// A last event of path 6 at a multiple of 4 puts path 5's slot at time mod 4 == 3.
TEST(EraseChannelDataTest, RestoresTheSelectedValuesJustAfterTheRangeWhenEventsFollow) {
  testsupport::TestConsole console(3);
  const Rows mix{{5, 14, 0, 0, -100},  {5, 14, 2, 10, 0},   {5, 14, 0, 40, 300},
                 {5, 14, 1, 100, 4},   {5, 14, 0, 120, 500}, {5, 14, 2, 150, 1},
                 {6, 14, 1, 200, 9},   {5, 14, 4, 300, 6},   {6, 14, 0, 301, 8},
                 {6, 14, 1, 500, 11}};
  CAutomationEventArray a = MakeArray(mix, {5}, 100, 300);
  a.EraseChannelData(kBase, CPathMap());
  const Rows before{{5, 14, 0, 0, -100}, {5, 14, 2, 10, 0}, {5, 14, 0, 40, 300}, {6, 14, 1, 200, 9}};
  Rows expected = before;
  // Another path's event at EndTime + 1 comes back as a restored value: in its slot, with
  // the tracker's fields.
  expected.insert(expected.end(), {{5, 14, 2, 301, 1}, {5, 14, 4, 301, 6}, {5, 14, 0, 303, 500},
                                   {5, 14, 1, 303, 4}, {6, 14, 0, 304, 8}, {6, 14, 1, 500, 11}});
  EXPECT_EQ(RowsOf(a), expected);
  EXPECT_EQ(a[8].OldValue, 0);

  a = MakeArray(Rows(mix.begin(), mix.end() - 2), {5}, 100, 300);  // nothing follows
  a.EraseChannelData(kBase, CPathMap());
  EXPECT_EQ(RowsOf(a), before);
}

TEST(EraseChannelDataTest, TimeZeroGoesOnlyFromStartZeroEndMinusOneIsTheLastAndAnEarlierEndDoesNothing) {
  testsupport::TestConsole console(3);
  struct Case { bool select; int32_t start, end; Rows expected; };
  const Row zero5{5, 14, 0, 0, -100}, zero6{6, 14, 0, 0, -50}, move{5, 14, 0, 48, 200},
      last{6, 14, 1, 200, 7};
  const Case cases[] = {
      {true, 1, 100, {zero5, zero6, {5, 14, 0, 103, 200}, last}},
      {true, 0, 100, {zero6, {5, 14, 0, 103, 200}, last}},
      {true, -5, -1, {zero6, last}},
      {false, 1, 100, {zero5, zero6, move, last}},
  };
  for (const Case& c : cases) {
    CAutomationEventArray a = MakeArray({zero5, zero6, move, last}, {}, c.start, c.end);
    if (c.select) a.Filter.Paths.Add(5);
    a.EraseChannelData(kBase, CPathMap());
    EXPECT_EQ(RowsOf(a), c.expected) << c.start << ".." << c.end;
    EXPECT_EQ(a.Filter.EndTime, c.end);
  }
  // A range that ends before it starts leaves time 0 as it was: rewriting the state there
  // would drop the event that holds a control at its default.
  const Row idle{6, 14, 2, 0, 1};  // (14, 2) at its default
  CAutomationEventArray a = MakeArray({zero5, idle, zero6, move, last}, {5}, 100, 50);
  a.EraseChannelData(kBase, CPathMap());
  EXPECT_EQ(RowsOf(a), (Rows{zero5, idle, zero6, move, last}));
}

// Path 0's slot is time mod 4 == 0 here; only the fader level is selected.
TEST(EraseChannelDataTest, RangedEraseJoinsTheValuesAroundTheRangeAtEndTime) {
  testsupport::TestConsole console(3);
  const auto erase = [](const Rows& rows, std::initializer_list<int32_t> paths) {
    CAutomationEventArray a = MakeArray(rows, paths, 100, 300);
    a.Filter.ProcControls.Add(14);
    a.EraseChannelData(1, 0, kForward, kBase, CPathMap());
    return a;
  };
  CAutomationEventArray a = erase({{0, 14, 0, 48, 40}, {0, 14, 0, 120, 60}, {0, 14, 2, 150, 0},
                                   {0, 14, 0, 200, 80}, {1, 14, 0, 200, 5}, {0, 14, 0, 400, 90}}, {0});
  EXPECT_EQ(RowsOf(a), (Rows{{0, 14, 0, 48, 40}, {0, 14, 2, 150, 0}, {1, 14, 0, 200, 5},
                             {0, 14, 0, 300, 80}, {0, 14, 0, 400, 90}}));
  EXPECT_EQ(a[3].OldValue, 40);
  EXPECT_EQ(a[3].Flags, 1);

  // Path 0's fader ends inside the range while the path goes on: its last value stays one
  // frame after the range. Path 1 ends there too. Paths in any order, named twice, or none.
  const Rows mix{{0, 14, 0, 48, 40}, {1, 14, 0, 48, 40}, {0, 14, 0, 120, 60},
                 {1, 14, 0, 120, 60}, {0, 14, 0, 200, 80}, {0, 14, 1, 500, 3}};
  EXPECT_EQ(RowsOf(erase(mix, {1, 0, 1})),
            (Rows{{0, 14, 0, 48, 40}, {1, 14, 0, 48, 40}, {0, 14, 0, 300, 60},
                  {0, 14, 0, 304, 80}, {0, 14, 1, 500, 3}}));
  EXPECT_EQ(RowsOf(erase(mix, {})), mix);
}

TEST(EraseChannelDataTest, ProgressGoesOnlyToAStatusWindow) {
  testsupport::TestConsole console(3);
  commonobjects::platform::Endpoint status("TavmirStatusWindow");
  Rows rows;
  for (int32_t t = 1; t <= 400; ++t) rows.push_back({6, 14, 0, t, t});
  for (const bool withWindow : {false, true}) {
    CAutomationEventArray a = MakeArray(rows, {5, 6}, 500, 600);
    if (withWindow) a.SetStatusWnd(status.Handle());
    // Every 200th event copied, by its index, and the end; then each listed path + 1 and the
    // share of the list begun.
    a.EraseChannelData(kBase, CPathMap());
    a.EraseChannelData(1, 0, kForward, kBase, CPathMap());
    a.Filter.StartTime = 0;
    a.IsolateChannelData(kBase, CPathMap());
    std::vector<std::array<int32_t, 2>> posted;
    for (const auto& m : status.Drain()) {
      if (m.code == 19 || m.code == 20 || m.code == 23) posted.push_back({int32_t(m.code), m.param});
    }
    EXPECT_EQ(posted, withWindow ? (decltype(posted){{20, 0}, {20, 50}, {20, 100}, {20, 6},
                                                     {23, 0}, {20, 7}, {23, 50}, {19, 0},
                                                     {19, 50}, {19, 100}})
                                 : decltype(posted){});
  }
}

}  // namespace
