// Isolate of CAutomationEventArray: keeps only the selected channels (the filter's Paths and
// the controls it accepts) over the edit range, moved to the destination time, starting from
// the console state they had at the range start.
//
//   StartTime 50, EndTime 300, ExtraValue 1000; a selected fader, another path's mute:
//   before  fader: 40 @ 20    60 @ 100    80 @ 200    90 @ 300    95 @ 400
//           mute:                  on @ 150
//   after   fader: 40 @ 1000 (its slot)   60 @ 1050   80 @ 1150   90 @ 1250
//
// The state at StartTime is written at ExtraValue only where it differs from the console's
// defaults; an event at StartTime belongs to that state, one at EndTime is copied. Edge
// cases: an empty Paths list selects nothing (the array ends empty); a negative StartTime
// counts as 0 and an EndTime of -1 as the last event's time; the range is one pass over the
// array in time order.
#include <algorithm>
#include <cstdint>
#include <utility>

#include "commonobjects/editing/ChannelStateTracker.h"
#include "commonobjects/editing/SameTimeDuplicates.h"
#include "commonobjects/console/SlotAlignment.h"
#include "commonobjects/editing/internal/TrackerEdits.h"
#include "commonobjects/eventstore/AutomationEventArray.h"
#include "commonobjects/eventstore/Notifications.h"
#include "commonobjects/editing/SlotOffset.h"

namespace commonobjects::editing {

// State events are written at a tracker's time, those of slot-aligned controls up to three
// units later in their path's slot, so they may lie behind copied events that follow them
// in the array. Moves the block [first, end) into time order among the events after it
// (already in time order). Stable: at equal times a state event stays before a copied
// event, which is the later change of its channel and so must be the one that holds.
void PlaceStateEvents(CAutomationEventArray& events, int32_t first, int32_t end) {
  if (first >= end) return;
  const auto earlier = [](const CAutomationEvent& a, const CAutomationEvent& b) {
    return a.Time < b.Time;
  };
  CAutomationEvent* data = events.GetData();
  std::stable_sort(data + first, data + end, earlier);
  CAutomationEvent* stop =
      std::upper_bound(data + end, data + events.GetSize(), data[end - 1], earlier);
  std::inplace_merge(data + first, data + end, stop, earlier);
}

// Replaces the array's events by `events`, keeping the array's own grow-by.
void TakeEvents(CAutomationEventArray& array, CAutomationEventArray& events) {
  const int32_t growBy = array.GetGrowBy();
  static_cast<CGrowableArray<CAutomationEvent>&>(array) =
      std::move(static_cast<CGrowableArray<CAutomationEvent>&>(events));
  array.SetSize(array.GetSize(), growBy);
}

}  // namespace commonobjects::editing

void CAutomationEventArray::IsolateChannelData(int32_t highBase, const CPathMap& map) {
  using commonobjects::editing::PlaceStateEvents;
  if (GetSize() == 0) return;
  RemoveSameTimeDuplicates(*this);
  const int32_t slotOffset = SlotOffset(*this);
  // -1 is the filter's "from the first event" / "to the last event"; the filter stays as set.
  const int32_t start = std::max(Filter.StartTime, 0);
  const int32_t end = Filter.EndTime == -1 ? (*this)[GetSize() - 1].Time : Filter.EndTime;

  CAutomationEventArray isolated;
  CChannelStateTracker source(this, highBase, &map, slotOffset, nullptr);
  CProgressStateTracker result(&isolated, highBase, &map, slotOffset, &Filter, this,
                               PostIsolateProgress);
  result.Mode = CChannelStateTracker::TrackSelectedOnly;

  source.StepToTime(start, false);
  result.StepToTime(Filter.ExtraValue, false);  // its array is empty: it only takes the time
  const int32_t shift = result.GetCurrentTime() - source.GetCurrentTime();
  result.EmitDifferences(source);
  const int32_t stateEnd = isolated.GetSize();

  const int32_t first = source.GetLastIndex() + 1;
  source.StepToTime(end, false);
  const int32_t last = source.GetLastIndex();
  if (last >= first) result.CopyEventRange(source, first, last, shift, false);

  PlaceStateEvents(isolated, 0, stateEnd);
  commonobjects::editing::TakeEvents(*this, isolated);
}
