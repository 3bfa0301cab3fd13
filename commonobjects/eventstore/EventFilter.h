// CEventFilter: a selection of events by time range, paths and (processing block, control)
// pairs. The filter an event array holds is also the edit range of the editing operations:
// StartTime/EndTime bound the range, ExtraValue is the destination time, Paths the selected
// paths (the first is the source of copy and merge), ExtraList the destination paths.
//
// Empty Paths or ProcControls mean "every path" / "every control". Times are inclusive;
// -1 means "from the first event" / "to the last event"; a query over a non-empty array
// replaces EndTime -1 with the last event's time. GroupTable is fixed after Setup (the
// constructors run it or copy it). The filter owns its lists. Not thread-safe: one view
// or operation at a time.
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
  // Rebuilds ProcControls from the host's group flags for the current console type: for
  // each selected group, in a fixed order, one pair per bit of each of its GroupTable
  // entries' masks, lowest bit first. Pairs are appended even when already present.
  // Large consoles (types 2-5, 7): the group-fader flags select blocks FirstGroupProc
  // (inclusive) to EndGroupProc (exclusive), block numbers taken modulo 256; 0x2000 (controls
  // 0-3) overrides 0x0100 (control 0) and 0x0200 (control 3). Small consoles (types 1, 6):
  // 0x0002 (level, trim, mute and every cut) overrides 0x8000 and 0x0004. Any other console
  // type leaves ProcControls empty, so every control passes.
  void TranslateFilter(AutomationEventFilterStructure flags);
  // 1 when ProcControls is empty or holds (proc, control), else 0.
  int IsProcControlInFilter(int32_t proc, int32_t control) const;

 private:
  void CopyFrom(const CEventFilter& other);
  // Appends (proc modulo 256, b) for each bit b set in mask, in increasing b.
  void AddPairs(int32_t proc, uint32_t mask);
  // Appends the pairs of GroupTable entries first to last, both inclusive.
  void AddEntries(int first, int last);
  // Appends the pairs of mask for every block of [FirstGroupProc, EndGroupProc).
  void AddGroupFaders(uint32_t mask);
  void TranslateLarge(uint32_t flags);
  // base: the first small-console entry of GroupTable (59 on type 1, 70 on type 6).
  void TranslateSmall(uint32_t flags, int base);
};
