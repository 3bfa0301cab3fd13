// Edit points: where an edit meets the automation around it, and how the channel is joined
// there (a step, or a ramp on one side of the point).
//
//   direction RampFromPoint (2):  point ->  ramp runs forward from the point   |/~~~~
//   direction RampToPoint (3):    ramp ends at the point                   ~~~~/|
//
// CEditPointList holds the points of one edit in the order they are made; it owns its
// entries and grows by an eighth of its size (4 to 1024 entries). Not thread-safe.
#pragma once

#include <cstdint>

#include "commonobjects/eventstore/AutomationEventArray.h"
#include "commonobjects/eventstore/GrowableArray.h"

struct CEditPoint {
  CAutomationEventArray::TimeDirection Direction = CAutomationEventArray::RampFromPoint;
  int32_t Time = 0;         // automation time units
  int16_t RampLength = 0;   // time units; 0: a step, no ramp
  int16_t RampStep = 1;     // frames between ramp events
};

class CEditPointList : public CGrowableArray<CEditPoint> {
 public:
  // Empties the list, then adds the points of an edit of `length` units pasted at
  // `destination`, by (start, end) direction, r being the ramp length:
  //   start end | at destination       | at destination + length
  //     3    2  | 3, r                 | 2, r
  //     3    3  | 3, r                 | 3, min(r, length)
  //     2    2  | 2, min(r, length)    | 2, r
  //     2    3  | 2, r                 | 3, min(r, length / 2)
  // Any other pair adds no points. Every point carries rampStep.
  void BuildEditPoints(int32_t destination, int32_t length,
                       CAutomationEventArray::TimeDirection startDirection,
                       CAutomationEventArray::TimeDirection endDirection, int16_t rampLength,
                       int16_t rampStep);
  // Appends a point. A RampToPoint ramp never starts before time 0: its length is capped at
  // the point's time (and at 0 for a point before time 0).
  void AddEditPoint(CAutomationEventArray::TimeDirection direction, int32_t time,
                    int16_t rampLength, int16_t rampStep);
  // Copies point `index` into point; false (point unchanged) when index is outside the list.
  bool GetEditPoint(int32_t index, CEditPoint& point) const;
};
