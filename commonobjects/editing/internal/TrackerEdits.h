// Pieces shared by the tracker-based edits (isolate, erase): placing the state events that a
// tracker appended among the events copied after them, and handing the rebuilt events to the
// edited array.
#pragma once

#include <cstdint>

class CAutomationEventArray;

namespace commonobjects::editing {

// Moves the block [first, end) of state events into time order among the events after it
// (already in time order); at equal times a state event stays before a copied one.
void PlaceStateEvents(CAutomationEventArray& events, int32_t first, int32_t end);
// Replaces the array's events by `events` (emptied), keeping the array's own grow-by.
void TakeEvents(CAutomationEventArray& array, CAutomationEventArray& events);

}  // namespace commonobjects::editing
