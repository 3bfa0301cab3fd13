// Time slots: on the consoles that count hundredths of a second (every type but 1 and 6) the
// events that editing writes for a path's slot-aligned controls fall on one of four
// interleaved times, time mod 4 == (slot offset + path) mod 4, so that a frame's worth of
// reconstructed events spreads over the console's four update phases.
//
//   path 5, offset 0 -> slot 1:   time 8 -> 9 (forward)      time 8 -> 9 (may move back)
//   path 0, offset 0 -> slot 0:   time 9 -> 12 (forward)     time 9 -> 8 (may move back)
//
// Pure functions of their arguments and the process's console type; thread-safe.
#pragma once

#include <cstdint>

// Whether (proc, control) is placed into its path's slot when a reconstructed event is
// written (and so takes ramps). Small consoles: Proc 0 and 1 with Control 0 and 1, Proc 4
// with Control 0 to 4. Large consoles: the low-range table, and high-range Procs (base to
// base + 47) with Control 1 or 2. Any other console type: none.
bool IsSlotAlignedControl(int32_t proc, int32_t control, int32_t highBase);
// The large consoles' low-range table alone, whatever the console type (Proc 0..35,
// Control 0..8; false outside): thinning also reads it on other consoles.
bool IsSlotAlignedLowControl(int32_t proc, int32_t control);

// The slot rule for a path: the time unchanged on small consoles or below 1; otherwise the
// first time at or after `time` in the path's slot, or, with mayMoveBack, the slot time of
// time's own group of four (which may be up to 3 earlier or later). Remainders take the sign
// of the dividend.
int32_t AlignTimeToSlot(int32_t slotOffset, int32_t path, int32_t time, bool mayMoveBack);
