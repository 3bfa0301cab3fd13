// CEventFilter: a selection of events by time range, paths and (processing block, control)
// pairs. The filter an event array holds is also the edit range of the editing operations:
// StartTime/EndTime bound the range, ExtraValue is the destination time, Paths the selected
// paths (the first is the source of copy and merge), ExtraList the destination paths.
//
// Empty Paths or ProcControls mean "every path" / "every control". Times are inclusive;
// -1 means "from the first event" / "to the last event". Not thread-safe.
#pragma once

#include <cstdint>

#include "commonobjects/eventstore/GrowableArray.h"

// A host's group selection: a set of flags that TranslateFilter turns into pairs.
struct AutomationEventFilterStructure {
  uint32_t FilterFlags = 0;
};

class CEventFilter {
 public:
  static constexpr int kGroupTableSize = 84;

  CEventFilter();
  CEventFilter(const CEventFilter& other);
  CEventFilter& operator=(const CEventFilter& other);
  virtual ~CEventFilter() = default;

  // (processing block, control mask) per entry; bit b of a mask selects control b.
  int32_t GroupTable[kGroupTableSize][2] = {};
  int32_t StartTime = -1;   // first time selected, inclusive; -1: from the first event
  int32_t EndTime = -1;     // last time selected, inclusive; -1: to the last event
  int32_t ExtraValue = -1;  // destination time of the editing operations
  CIntArray Paths;          // selected paths; empty: every path
  CIntArray ExtraList;      // destination paths of copy and merge
  int32_t FirstGroupProc = 0;  // first processing block of the group-fader selections
  int32_t EndGroupProc = 0;    // end (excluded) of that range
  CWordArray ProcControls;  // low byte processing block, high byte control; empty: every control

  // Fills GroupTable.
  void Setup();
  // Times and ExtraValue to -1; Paths, ExtraList and ProcControls emptied.
  // FirstGroupProc and EndGroupProc stay.
  void Clear();
  // Rebuilds ProcControls from the host's group flags for the current console type.
  void TranslateFilter(AutomationEventFilterStructure flags);
  // 1 when ProcControls is empty or holds (proc, control), else 0.
  int IsProcControlInFilter(int32_t proc, int32_t control) const;
};
