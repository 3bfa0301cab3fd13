// CEDLStateNote: what a conform notes about one stretch of old automation before it builds
// the new: the console state at the stretch's start and the old events inside it.
//
// The state is kept as the channels that differ from the console's defaults, so a conform
// of many stretches costs memory by its automation, not by the console's size times the
// stretches. Indices are into the array the note was taken from; the stretch holds events
// FirstIndex to LastIndex (none when LastIndex < FirstIndex). A plain value.
#pragma once

#include <cstdint>

#include "commonobjects/editing/ChannelStateTracker.h"

class CEDLStateNote {
 public:
  int32_t ItemNumber = 0;  // the edit item's (1-based) or the edit pair's number
  int32_t StartTime = 0;   // old time
  int32_t EndTime = 0;     // old time: start + length - 1
  CChannelStateTracker::SavedState State;
  int32_t FirstIndex = 0;  // the first old event after the start
  int32_t LastIndex = -1;  // the last old event at or before the end

  bool HoldsEvents() const { return LastIndex >= FirstIndex; }
};
