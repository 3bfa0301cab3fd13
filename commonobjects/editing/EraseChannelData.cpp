// Erase of CAutomationEventArray by console state: removes the selected channels' events (the
// filter's Paths and the controls it accepts) from the edit range, and just after the range
// writes back the values their unedited automation had there.
//
//   StartTime 100, EndTime 300; a selected mute and fader, another path's pan moving on:
//   before  mute:  off @ 0    on @ 150
//           fader: 40 @ 0     60 @ 120     70 @ 500
//           pan:              10 @ 200     20 @ 400
//   after   mute:  off @ 0                           on @ 301
//           fader: 40 @ 0                            60 @ 301 (its slot)   70 @ 500
//           pan:              10 @ 200     20 @ 400
//
// The state at time 0 is rewritten as events at time 0 (unless StartTime is 0, when the
// selected channels' time-0 events are erased too); every other channel keeps its events
// unchanged. Nothing is restored when no event follows EndTime. Edge cases: an empty Paths
// list erases nothing; a negative StartTime counts as 0 and an EndTime of -1 as the last
// event's time; a range that ends before it starts erases nothing.
// (The ranged erase, which joins both sides by a step or a ramp, is in RangedErase.cpp.)
#include <algorithm>
#include <cstdint>

#include "commonobjects/editing/ChannelStateTracker.h"
#include "commonobjects/editing/SameTimeDuplicates.h"
#include "commonobjects/console/SlotAlignment.h"
#include "commonobjects/editing/internal/TrackerEdits.h"
#include "commonobjects/eventstore/AutomationEventArray.h"
#include "commonobjects/eventstore/Notifications.h"
#include "commonobjects/editing/SlotOffset.h"

namespace {

using commonobjects::editing::PlaceStateEvents;

// Moves `source` on to `time` and has `result` copy, by its mode, what it consumed.
void CopyThrough(CChannelStateTracker& source, CChannelStateTracker& result, int32_t time) {
  const int32_t first = source.GetLastIndex() + 1;
  source.StepToTime(time, false);
  if (source.GetLastIndex() >= first) {
    result.CopyEventRange(source, first, source.GetLastIndex(), 0, false);
  }
}

// Everything before the range as it was: the state at time 0 as events at time 0 (Slot
// alignment leaves time 0 alone), then the events after 0 up to `start` - 1.
void KeepBeforeRange(CChannelStateTracker& source, CChannelStateTracker& result,
                     int32_t start) {
  source.StepToTime(0, false);
  result.StepToTime(0, false);
  result.EmitDifferences(source);
  CopyThrough(source, result, start - 1);
}

// From just after `end`: every channel whose value there differs between the erased copy and
// the unedited array is set to the unedited value (slot-aligned controls at their slot), then
// the later events follow unchanged. Besides the erased channels these are the channels with
// an event exactly at `end` + 1, which comes back as such a restored value.
void RestoreAfterRange(CChannelStateTracker& source, CChannelStateTracker& result,
                       int32_t end) {
  CAutomationEventArray& erased = *result.GetArray();
  const int32_t size = source.GetArray()->GetSize();
  result.Mode = CChannelStateTracker::TrackAll;
  source.StepToTime(end + 1, false);
  result.StepToTime(end + 1, false);
  const int32_t stateFirst = erased.GetSize();
  result.EmitDifferences(source);
  const int32_t stateEnd = erased.GetSize();
  const int32_t last = source.GetLastIndex();
  if (last + 1 < size) result.CopyEventRange(source, last + 1, size - 1, 0, false);
  PlaceStateEvents(erased, stateFirst, stateEnd);
}

}  // namespace

void CAutomationEventArray::EraseChannelData(int32_t highBase, const CPathMap& map) {
  if (GetSize() == 0) return;
  RemoveSameTimeDuplicates(*this);
  const int32_t slotOffset = SlotOffset(*this);
  // -1 is the filter's "from the first event" / "to the last event"; the filter stays as set.
  const int32_t start = std::max(Filter.StartTime, 0);
  const int32_t end = Filter.EndTime == -1 ? (*this)[GetSize() - 1].Time : Filter.EndTime;
  if (end < start) return;  // an empty range: nothing lies inside it

  CAutomationEventArray erased;
  CChannelStateTracker source(this, highBase, &map, slotOffset, nullptr);
  CProgressStateTracker result(&erased, highBase, &map, slotOffset, &Filter, this,
                               PostEraseProgress);
  result.Mode = CChannelStateTracker::TrackAll;
  if (start != 0) KeepBeforeRange(source, result, start);
  result.Mode = CChannelStateTracker::TrackUnselectedOnly;
  CopyThrough(source, result, end);
  if (source.GetLastIndex() + 1 < GetSize()) RestoreAfterRange(source, result, end);
  commonobjects::editing::TakeEvents(*this, erased);
}
