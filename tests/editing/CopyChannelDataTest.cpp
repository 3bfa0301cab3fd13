// Copy and merge: CAutomationEventArray::CopyChannelData, MergeChannelData and their workers.
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <random>
#include <vector>

#include "commonobjects/editing/ChannelDataWorkers.h"
#include "commonobjects/console/PathMap.h"
#include "commonobjects/eventstore/AutomationEventArray.h"
#include "commonobjects/platform/WindowMessages.h"
#include "support/Events.h"
#include "support/TestConsole.h"

namespace {

using testsupport::MakeEvent;
using TV = std::vector<std::pair<int32_t, int>>;  // (Time, Value) of one channel, in order
constexpr int32_t kBase = 40;
constexpr auto kFrom = CAutomationEventArray::RampFromPoint;
constexpr auto kTo = CAutomationEventArray::RampToPoint;
const CPathMap kMap;

// A mix with its OldValues as recorded.
CAutomationEventArray Mix(std::initializer_list<CAutomationEvent> events) {
  CAutomationEventArray a;
  for (const CAutomationEvent& e : events) a.AddAtTime(e);
  a.SetOldValues(kBase, kMap);
  return a;
}

// Source path 0 over [start, end), pasted at 1000; the fader level (Proc 14 Control 0, slot
// aligned) and Proc 14 Control 2 (not aligned) take part, Control 1 does not.
void SetRange(CEventFilter& f, int32_t start, int32_t end, std::vector<int32_t> destinations) {
  f.StartTime = start;
  f.EndTime = end;
  f.ExtraValue = 1000;
  f.Paths.Add(0);
  for (int32_t d : destinations) f.ExtraList.Add(d);
  f.ProcControls.Add(14);
  f.ProcControls.Add(14 | 2 << 8);
}

TV Channel(const CAutomationEventArray& a, int32_t path, int proc, int control) {
  TV out;
  for (const CAutomationEvent& e : a) {
    if (e.Path == path && e.Proc == proc && e.Control == control) out.emplace_back(e.Time, e.Value);
  }
  return out;
}

// Source path 0 moves inside [200, 300); destination path 4 has events inside the pasted
// [1000, 1100) and goes on to 2000; path 4's Control 1 and path 8 are not edited. The mix
// ends on a same-time duplicate: its slot offset (path 4 at 2000: 0) is taken before the
// duplicate goes (path 5 would give 1).
CAutomationEventArray EdgeMix() {
  return Mix({MakeEvent(0, 14, 0, 100, 50), MakeEvent(0, 14, 0, 240, -1000),
              MakeEvent(0, 14, 2, 100, 5), MakeEvent(0, 14, 2, 240, 3),
              MakeEvent(4, 14, 0, 900, 100), MakeEvent(4, 14, 0, 1050, 200),
              MakeEvent(4, 14, 2, 900, 7), MakeEvent(4, 14, 2, 1050, 9),
              MakeEvent(4, 14, 2, 2000, 11), MakeEvent(4, 14, 1, 1050, 33),
              MakeEvent(8, 14, 0, 1050, 66), MakeEvent(5, 14, 1, 2000, 1),
              MakeEvent(4, 14, 2, 2000, 12)});
}

TEST(CopyChannelDataTest, EdgesRampOnSlotAlignedControlsAndStepElsewhere) {
  testsupport::TestConsole console(3);
  CAutomationEventArray a = EdgeMix();
  SetRange(a.Filter, 200, 300, {4});
  a.CopyChannelData(1, 40, kTo, kFrom, kBase, kMap);
  EXPECT_EQ(Channel(a, 4, 14, 0),
            (TV{{900, 100}, {964, 95}, {968, 90}, {972, 85}, {976, 80}, {980, 75}, {984, 70},
                {988, 65}, {992, 60}, {1040, -1000}, {1104, -880}, {1108, -760}, {1112, -640},
                {1116, -520}, {1120, -400}, {1124, -280}, {1128, -160}, {1132, -40},
                {1144, 200}}));
  EXPECT_EQ(Channel(a, 4, 14, 2), (TV{{900, 7}, {1000, 5}, {1040, 3}, {1100, 9}, {2000, 12}}));
  EXPECT_EQ(Channel(a, 4, 14, 1), (TV{{1050, 33}}));
  EXPECT_EQ(Channel(a, 8, 14, 0), (TV{{1050, 66}}));
  EXPECT_EQ(Channel(a, 0, 14, 0), (TV{{100, 50}, {240, -1000}}));
  EXPECT_TRUE(std::ranges::is_sorted(a, {}, &CAutomationEvent::Time));
}

TEST(CopyChannelDataTest, EndRampOfFromToDirectionsTakesAtMostHalfTheRange) {
  testsupport::TestConsole console(3);
  CAutomationEventArray a = Mix({MakeEvent(0, 14, 0, 240, 500), MakeEvent(0, 14, 0, 290, 600),
                                 MakeEvent(4, 14, 0, 900, 100), MakeEvent(4, 14, 0, 1090, 200),
                                 MakeEvent(4, 14, 2, 2000, 11)});
  SetRange(a.Filter, 200, 300, {4});
  a.CopyChannelData(1, 80, kFrom, kTo, kBase, kMap);  // end ramp 50, from 1050 back to 1048
  TV expected{{900, 100}};
  for (int32_t k = 4; k <= 48; k += 4) expected.emplace_back(1000 + k, 100 + 5 * k);
  for (int v : {321, 302, 283, 264, 244, 225, 206, 187, 168, 148, 129}) {
    expected.emplace_back(expected.back().first + 4, v);
  }
  expected.emplace_back(1104, 200);
  EXPECT_EQ(Channel(a, 4, 14, 0), expected);
}

TEST(CopyChannelDataTest, ChannelsWithoutEventsInTheRangeTakeTheSourceValueAtStartTime) {
  testsupport::TestConsole console(3);
  for (const bool joined : {true, false}) {
    // Source path 0: no fader level at all (its default, -8192), Control 2 at 5 since 100.
    CAutomationEventArray a = Mix({MakeEvent(0, 14, 2, 100, 5), MakeEvent(4, 14, 0, 900, 100),
                                   MakeEvent(4, 14, 0, 1200, 300), MakeEvent(4, 14, 2, 400, 1),
                                   MakeEvent(4, 14, 2, 500, 7), MakeEvent(4, 14, 2, 1200, 9)});
    SetRange(a.Filter, 200, 300, {4});
    // A direction pair that makes no edit points leaves both edges (and time 0) alone.
    const auto end = joined ? kFrom : CAutomationEventArray::TimeDirection{1};
    a.CopyChannelData(1, 0, kTo, end, kBase, kMap);
    EXPECT_EQ(Channel(a, 4, 14, 0),
              (joined ? TV{{900, 100}, {1000, -8192}, {1100, 100}, {1200, 300}}
                      : TV{{900, 100}, {1000, -8192}, {1200, 300}}));
    EXPECT_EQ(Channel(a, 4, 14, 2),
              (joined ? TV{{400, 1}, {500, 7}, {1000, 5}, {1100, 7}, {1200, 9}}
                      : TV{{400, 1}, {500, 7}, {1000, 5}, {1200, 9}}));
  }
}

TEST(CopyChannelDataTest, MergeStepsSameSourceAndNotifications) {
  testsupport::TestConsole console(3);
  commonobjects::platform::Endpoint status("TavmirStatusWindow");
  CAutomationEventArray source = Mix({MakeEvent(0, 14, 0, 240, -1000)});
  SetRange(source.Filter, 200, 300, {});
  source.SetStatusWnd(status.Handle());
  CAutomationEventArray a = Mix({MakeEvent(0, 14, 0, 60, 1), MakeEvent(4, 14, 0, 900, 100),
                                 MakeEvent(4, 14, 0, 1050, 200), MakeEvent(8, 14, 1, 20, 3)});
  SetRange(a.Filter, 200, 300, {4, 8});
  a.SetStatusWnd(status.Handle());
  // Same source: path 0 onto 4 and 8 beside their own events, without edge joins.
  a.MergeChannelData(source, 1, 40, kTo, kFrom, kBase, kMap, 0, 2, 3, 1);
  EXPECT_EQ(Channel(a, 4, 14, 0), (TV{{900, 100}, {1050, 200}, {1040, -1000}}));
  EXPECT_EQ(Channel(a, 8, 14, 0), (TV{{1040, -1000}}));
  EXPECT_FALSE(std::ranges::is_sorted(a, {}, &CAutomationEvent::Time));  // channel order + appended
  std::vector<std::pair<uint32_t, int32_t>> posted;
  for (const auto& m : status.Drain()) {
    if (m.code >= 21 && m.code <= 23) posted.emplace_back(m.code, m.param);
  }
  EXPECT_EQ(posted, (decltype(posted){{21, 1}, {22, 1}, {23, 66}, {22, 1}, {23, 66}}));

  a.Filter.ExtraList.SetSize(0);
  a.Filter.ExtraList.Add(0);
  a.MergeChannelData(source, 1, 40, kTo, kFrom, kBase, kMap, 0, 3, 3, 0);
  EXPECT_TRUE(std::ranges::is_sorted(a, {}, &CAutomationEvent::Time));
  EXPECT_EQ(Channel(a, 0, 14, 0).back(), (std::pair<int32_t, int>{1040, -1000}));
}

// The paste notes the old channels and drops them in one pass at the end: the result must
// be the old events minus every rewritten channel, in their order, then the new channels.
TEST(CopyChannelDataTest, PasteKeepsUntouchedEventsInOrderWhateverTheDestinationOrder) {
  testsupport::TestConsole console(3);
  std::mt19937 random(6);
  CAutomationEventArray a;
  for (int32_t i = 0; i < 3000; ++i) {
    const int controls[] = {0, 1, 2};
    a.Add(MakeEvent(random() % 16, 14, controls[random() % 3], i, random() % 200));
  }
  a.SetOldValues(kBase, kMap);
  SetRange(a.Filter, 500, 900, {});
  a.Sort(CAutomationEventArray::SortByPathControl);
  CAutomationEventArray extracted;
  ExtractChannelData(a, extracted, kBase, kMap, 0);
  const std::vector<int32_t> orders[] = {{2, 5, 9, 9, 13}, {13, 9, 5, 2, 9}};
  std::vector<CAutomationEventArray> results;
  for (const auto& destinations : orders) {
    CAutomationEventArray target = a;
    for (int32_t d : destinations) target.Filter.ExtraList.Add(d);
    PasteChannelData(target, extracted, 40, 1, kTo, kFrom, kBase, kMap, 0, 0, 0, 0);
    std::vector<CAutomationEvent> kept;
    for (const CAutomationEvent& e : a) {
      if (std::ranges::count(destinations, e.Path) == 0 || e.Control == 1) kept.push_back(e);
    }
    ASSERT_GE(target.GetSize(), static_cast<int32_t>(kept.size()));
    EXPECT_TRUE(std::equal(kept.begin(), kept.end(), target.begin()));
    target.Sort(CAutomationEventArray::SortByPathControl);
    results.push_back(target);
  }
  EXPECT_TRUE(std::ranges::equal(results[0], results[1]));
}

}  // namespace
