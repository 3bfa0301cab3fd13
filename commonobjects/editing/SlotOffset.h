// The slot offset of a recorded array: how far its last event sits from its path's time slot
// (see console/SlotAlignment.h), so that edits that paste another mix's events keep that
// mix's phase. Thread-safe for a const array.
#pragma once

#include <cstdint>

class CAutomationEventArray;

// |(last event's Path) mod 4 - (last event's Time) mod 4|; 0 for an empty array and on small
// consoles.
int32_t SlotOffset(const CAutomationEventArray& array);
