// What every editing operation promises whatever the mix and the range: the array ends in
// time order, channels the edit does not select keep their automation (same-time duplicates
// merged), and the selected channels change only near the edited times (the range, its
// ramps and boundary steps, the restored values just after it, and a time-0 default).
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <tuple>
#include <vector>

#include "commonobjects/console/PathMap.h"
#include "commonobjects/editing/SameTimeDuplicates.h"
#include "commonobjects/eventstore/AutomationEventArray.h"
#include "support/Events.h"
#include "support/TestConsole.h"

namespace {

constexpr int32_t kBase = 36;
constexpr int32_t kPaths = 6;
// Slot-aligned and stepped controls, low and high range.
const std::pair<int, int> kControls[] = {{14, 0}, {14, 2}, {15, 3}, {1, 0}, {kBase + 1, 1}};

using Channel = std::tuple<int32_t, int, int>;
using Events = std::vector<CAutomationEvent>;

Channel ChannelOf(const CAutomationEvent& e) { return {e.Path, e.Proc, e.Control}; }

std::map<Channel, Events> Channels(const CAutomationEventArray& a) {
  std::map<Channel, Events> channels;
  for (const CAutomationEvent& e : a) channels[ChannelOf(e)].push_back(e);
  for (auto& [channel, events] : channels) {
    std::stable_sort(events.begin(), events.end(),
                     [](const auto& x, const auto& y) { return x.Time < y.Time; });
  }
  return channels;
}

Events Outside(const Events& events, int32_t from, int32_t to) {
  Events kept;
  for (const CAutomationEvent& e : events) {
    if (e.Time > 0 && (e.Time < from || e.Time > to)) kept.push_back(e);
  }
  return kept;
}

bool InTimeOrder(const CAutomationEventArray& a) {
  return std::is_sorted(a.begin(), a.end(), [](const auto& x, const auto& y) { return x.Time < y.Time; });
}

CAutomationEventArray RandomMix(std::mt19937& random) {
  CAutomationEventArray a;
  const int32_t count = 50 + static_cast<int32_t>(random() % 400);
  for (int32_t i = 0; i < count; ++i) {
    const auto [proc, control] = kControls[random() % std::size(kControls)];
    const int32_t time = random() % 20 == 0 ? 0 : static_cast<int32_t>(random() % 2000);
    a.AddAtTime(testsupport::MakeEvent(static_cast<int32_t>(random() % kPaths), proc, control,
                                       time, static_cast<int>(random() % 64) * 100));
  }
  a.SetOldValues(kBase, CPathMap());
  return a;
}

std::set<int32_t> RandomPaths(std::mt19937& random) {
  std::set<int32_t> paths;
  for (int32_t p = 0; p < kPaths; ++p) {
    if (random() % 2 == 0) paths.insert(p);
  }
  return paths;
}

struct Edit {
  int32_t start, end, destination;
  int16_t rampLength;
  std::set<int32_t> touched;  // paths whose selected channels may change
  bool allControls;           // otherwise (14, 0) and (15, 3) only
};

void SetFilter(CEventFilter& filter, const Edit& edit) {
  filter.StartTime = edit.start;
  filter.EndTime = edit.end;
  filter.ExtraValue = edit.destination;
  if (!edit.allControls) {
    filter.ProcControls.Add(14);
    filter.ProcControls.Add(static_cast<uint16_t>(15 | (3 << 8)));
  }
}

bool Selected(const Channel& c, const Edit& edit) {
  const auto [path, proc, control] = c;
  return edit.touched.count(path) != 0 &&
         (edit.allControls || (proc == 14 && control == 0) || (proc == 15 && control == 3));
}

// The channel's value just after time (its last event at or before time; `none` before the
// first).
int ValueAt(const Events& channel, int32_t time, int none) {
  int value = none;
  for (const CAutomationEvent& e : channel) {
    if (e.Time > time) break;
    value = e.Value;
  }
  return value;
}

// Whether `after` holds the moves of `before`, except events that the edited channel no
// longer needs because it already holds their value there (the joins drop such redundant
// events and correct OldValues, but nothing audible may go).
bool SameMovesLessRedundant(const Events& before, const Events& after, const Events& wholeAfter) {
  size_t j = 0;
  for (const CAutomationEvent& e : before) {
    if (j < after.size() && after[j].Time == e.Time && after[j].Value == e.Value) {
      ++j;
    } else if (ValueAt(wholeAfter, e.Time, e.Value + 1) != e.Value) {
      return false;
    }
  }
  return j == after.size();
}

// Unselected channels keep every event (all fields; with restoredAt >= 0, those after time 0
// and outside the restored values at restoredAt and its slot, which the erase rebuilds);
// selected ones keep their moves away from [from, to] and from time 0.
void ExpectOnlyTheEditChanged(const CAutomationEventArray& before, const CAutomationEventArray& after,
                              const Edit& edit, int32_t from, int32_t to, const char* what,
                              int32_t restoredAt = -1) {
  CAutomationEventArray merged = before;
  RemoveSameTimeDuplicates(merged);
  std::map<Channel, Events> old = Channels(merged);
  std::map<Channel, Events> now = Channels(after);
  for (const auto& [channel, events] : now) old.try_emplace(channel);
  for (const auto& [channel, events] : old) {
    const Events& result = now[channel];
    if (!Selected(channel, edit)) {
      EXPECT_EQ(restoredAt >= 0 ? Outside(result, restoredAt, restoredAt + 3) : result,
                restoredAt >= 0 ? Outside(events, restoredAt, restoredAt + 3) : events)
          << what << ": unselected channel of path " << std::get<0>(channel);
    } else {
      EXPECT_TRUE(SameMovesLessRedundant(Outside(events, from, to), Outside(result, from, to), result))
          << what << ": path " << std::get<0>(channel) << " changed outside " << from << ".." << to;
    }
  }
}

TEST(EditInvariantsTest, EveryOperationKeepsTimeOrderAndTouchesOnlyWhatItEdits) {
  testsupport::TestConsole console(3);
  std::mt19937 random(6);
  const CPathMap map;
  for (int round = 0; round < 60; ++round) {
    const CAutomationEventArray mix = RandomMix(random);
    Edit edit;
    edit.start = static_cast<int32_t>(random() % 1500);
    edit.end = edit.start + 1 + static_cast<int32_t>(random() % 500);
    edit.destination = static_cast<int32_t>(random() % 2200);
    edit.rampLength = static_cast<int16_t>((random() % 3) * 40);
    edit.allControls = random() % 2 == 0;
    const int32_t margin = edit.rampLength + 8;  // ramps plus slot alignment and one frame
    const auto directions = std::pair{static_cast<CAutomationEventArray::TimeDirection>(2 + random() % 2),
                                      static_cast<CAutomationEventArray::TimeDirection>(2 + random() % 2)};
    const int32_t source = static_cast<int32_t>(random() % kPaths);

    {  // copy one path onto others
      CAutomationEventArray a = mix;
      edit.touched = RandomPaths(random);
      SetFilter(a.Filter, edit);
      a.Filter.Paths.Add(source);
      for (int32_t p : edit.touched) a.Filter.ExtraList.Add(p);
      a.CopyChannelData(1, edit.rampLength, directions.first, directions.second, kBase, map);
      EXPECT_TRUE(InTimeOrder(a)) << "copy, round " << round;
      ExpectOnlyTheEditChanged(mix, a, edit, edit.destination - margin,
                               edit.destination + (edit.end - edit.start) + margin, "copy");
    }
    {  // merge from another mix
      CAutomationEventArray a = mix;
      CAutomationEventArray other = RandomMix(random);
      SetFilter(other.Filter, edit);
      other.Filter.Paths.Add(source);
      SetFilter(a.Filter, edit);
      for (int32_t p : edit.touched) a.Filter.ExtraList.Add(p);
      a.MergeChannelData(other, 1, edit.rampLength, directions.first, directions.second, kBase,
                         map, 0, 1, 1, 0);
      EXPECT_TRUE(InTimeOrder(a)) << "merge, round " << round;
      ExpectOnlyTheEditChanged(mix, a, edit, edit.destination - margin,
                               edit.destination + (edit.end - edit.start) + margin, "merge");
    }
    edit.touched = RandomPaths(random);
    {  // the ranged erase: the join lies at the range end
      CAutomationEventArray a = mix;
      SetFilter(a.Filter, edit);
      for (int32_t p : edit.touched) a.Filter.Paths.Add(p);
      a.EraseChannelData(1, edit.rampLength, directions.second, kBase, map);
      EXPECT_TRUE(InTimeOrder(a)) << "ranged erase, round " << round;
      ExpectOnlyTheEditChanged(mix, a, edit, edit.start - margin, edit.end + margin, "ranged erase");
    }
    {  // the erase that restores the values after the range
      CAutomationEventArray a = mix;
      SetFilter(a.Filter, edit);
      for (int32_t p : edit.touched) a.Filter.Paths.Add(p);
      a.EraseChannelData(kBase, map);
      EXPECT_TRUE(InTimeOrder(a)) << "erase, round " << round;
      ExpectOnlyTheEditChanged(mix, a, edit, edit.start, edit.end + 4, "erase", edit.end + 1);
      for (const CAutomationEvent& e : a) {
        if (Selected(ChannelOf(e), edit)) {
          EXPECT_FALSE(e.Time >= std::max(edit.start, 1) && e.Time <= edit.end)
              << "erase left path " << e.Path << " at " << e.Time;
        }
      }
    }
    {  // isolate: only selected channels, only at the destination
      CAutomationEventArray a = mix;
      SetFilter(a.Filter, edit);
      for (int32_t p : edit.touched) a.Filter.Paths.Add(p);
      a.IsolateChannelData(kBase, map);
      EXPECT_TRUE(InTimeOrder(a)) << "isolate, round " << round;
      for (const CAutomationEvent& e : a) {
        EXPECT_TRUE(Selected(ChannelOf(e), edit)) << "isolate kept path " << e.Path;
        EXPECT_GE(e.Time, edit.destination);
        EXPECT_LE(e.Time, edit.destination + (edit.end - edit.start) + 3);
      }
    }
  }
}

}  // namespace
