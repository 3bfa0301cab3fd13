// RemoveSameTimeDuplicates: the clean-up that nearly every editing operation runs first.
//
// One event per (Path, Proc, Control, Time) run: walking the array in order, an event whose
// channel's previous event (in array order) has the same Time is merged into the event kept
// for that run: the kept event takes its Value (its other fields stay). A same-time event
// separated from its twin by an event of the same channel at another time stays.
//
//   before  [A t10 v5] [X t10] [A t10 v7] [A t11 v1] [A t10 v9]
//   after   [A t10 v7] [X t10]            [A t11 v1] [A t10 v9]     returns 1
//
// Only channels of paths 0 to 1999 are merged (the console's largest path table); events of
// other paths pass through untouched. The order of the kept events is unchanged.
// The cost follows the events, not the key space: a time-ordered array needs one look at
// each neighbour and a hash of the keys inside equal-time runs; other arrays a hash of the
// channels in use. Throws std::bad_alloc; the array is then unchanged.
#pragma once

#include <cstdint>

class CAutomationEventArray;

// Returns the number of events merged away.
int32_t RemoveSameTimeDuplicates(CAutomationEventArray& array);
