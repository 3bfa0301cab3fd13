// CAutomationChannel: the events of one channel (Path, Proc, Control) in time order, with what
// editing needs to know around them: the channel's default value (its value before its first
// event), the latest event time of its path in the array it came from, and the path's time
// slot. The unit of copy, merge and the ranged erase.
//
// Events are in ascending Time between operations (MakeRamp inserts its events in place;
// PasteShifted appends and sorts). Events generated here (steps, ramps, time-0 defaults) carry Flags 1.
// Times: t1 inclusive, t2 exclusive throughout. A copyable value; not thread-safe.
#pragma once

#include <cstdint>

#include "commonobjects/editing/EditPointList.h"
#include "commonobjects/eventstore/AutomationEventArray.h"

class CAutomationChannel : public CAutomationEventArray {
 public:
  int32_t ChannelPath = 0;
  int32_t ChannelProc = 0;      // 0 to 255
  int32_t ChannelControl = 0;
  int32_t HighBase = 0;         // first high-range Proc
  int16_t DefaultValue = 0;     // value before the first event
  int32_t PathEndTime = 0;      // latest event time of the path in its array
  int32_t SlotOffsetValue = 0;  // the array's slot offset

  // Stores the fields and looks up the default value of (proc, control) on a path of `group`
  // (small-console table, low-range table by variant and group, or 0, 0, 0, 1 for high-range
  // controls). A (proc, control) in neither range keeps the previous default. Events stay.
  void Setup(int32_t group, int32_t path, int32_t proc, int32_t control, int32_t base,
             int32_t pathEndTime, int32_t slotOffset);

  // The time-slot rule with this channel's path and slot offset (unchanged on small consoles).
  int32_t AlignTime(int32_t time, bool mayMoveBack = false) const;
  // -1 when empty; 0 for time -1; else the first event at or after time, or the last index
  // when every event is earlier (callers check).
  int32_t FindIndexAtTime(int32_t time) const;

  // Appends (after emptying target unless append) the events with t1 <= Time < t2 (t2 -1: the
  // last event's time). When none: the last event before t1 (or the first event) instead,
  // moved to t1 with OldValue = Value, so the target holds the channel's value at t1.
  //   events  a(2) b(5) c(9)   CopyRange(4, 9) -> b(5)     CopyRange(6, 8) -> b'(6)
  void CopyRange(CAutomationEventArray& target, int32_t t1, int32_t t2, bool append) const;

  // Removes the events with t1 <= Time < t2; out receives them when copy (else emptied). When
  // the block reaches the channel's last event while the path goes on (AlignTime(t2) earlier
  // than PathEndTime), the block's last event stays, moved to AlignTime(t2) + 4 (one frame
  // after the range), so the channel keeps its value at the end of the path:
  //   path 0, slot offset 0: a(2) b(5) c(9), path ends 40:  RemoveRange(4, 20) -> a(2) c(24),
  //   returns 1
  // Returns -1 for an empty channel, else the index of that kept event or of the first
  // removed position. With no event in the range and copy, out receives the last event before
  // t1 (or the first event) moved to t1.
  int32_t RemoveRange(CAutomationEventArray& out, int32_t t1, int32_t t2, bool copy);

  // Moves a's events by (to - from) into this channel's slot (an event at time 0 stays at 0),
  // gives them this channel's path, appends them and sorts by time. The first event (the
  // earliest existing one, or the first pasted) takes the default as OldValue. Nothing when a
  // is empty, or when a is one event that only restates this empty channel's default.
  void PasteShifted(const CAutomationChannel& a, int32_t from, int32_t to);

  // Around time t: index = first event at or after t, before = the value just before it (the
  // default for index 0), after = the value the channel must reach at t. False (no join
  // needed) with fewer than 2 events, no event at or after t, or an event at index that
  // already joins before to its value; such an event whose value is also before is deleted.
  bool FindValuesAround(int32_t t, int32_t& index, int16_t& before, int16_t& after);

  // Joins the channel at the point's (aligned) time: a ramp of the point's direction and
  // length on slot-aligned controls, else a step event at t (or the event at t corrected).
  //   ...5 |9 at t...   step:          5 | 9 at t (OldValue 5)
  //   RampToPoint:   ramp events in [t - length, t) from the value before, every 4 * step
  //                  units, only where the value changes, short of 9; the event at t takes the
  //                  last one as OldValue
  //   RampFromPoint: ramp events in [t, t + length) toward the value at t + length; events
  //                  there are removed and the next event takes the last ramp value as OldValue
  void ApplyEditPoint(const CEditPoint& point);

  // A ramp from start to end: from t forward (RampFromPoint) or ending at t (RampToPoint,
  // starting at t - length, never before 0). Ramp events every 4 * step units from the
  // aligned start while k < length - 4, value start + (end - start) * k / length, only where
  // the value changes; the channel's events inside the ramp are removed first. A channel that
  // then starts after time 0 from a non-default value gets a time-0 event restoring the
  // default's continuation.
  void MakeRamp(int32_t t, TimeDirection direction, int16_t start, int16_t end, int16_t step,
                int16_t length);

  // An event of this channel at time with value and oldValue, Flags 1.
  CAutomationEvent MakeEvent(int32_t time, int16_t value, int16_t oldValue) const;
};
