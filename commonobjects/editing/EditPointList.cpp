// The edit points of one edit and the table that places them by direction.
#include "commonobjects/editing/EditPointList.h"

#include <algorithm>
#include <cstdint>

namespace {

using Direction = CAutomationEventArray::TimeDirection;
constexpr Direction kFrom = CAutomationEventArray::RampFromPoint;
constexpr Direction kTo = CAutomationEventArray::RampToPoint;

// A ramp no longer than `limit` units (none for a negative limit).
int16_t CapLength(int16_t rampLength, int64_t limit) {
  return static_cast<int16_t>(std::min<int64_t>(rampLength, std::max<int64_t>(limit, 0)));
}

}  // namespace

void CEditPointList::BuildEditPoints(int32_t destination, int32_t length,
                                     Direction startDirection, Direction endDirection,
                                     int16_t rampLength, int16_t rampStep) {
  RemoveAll();
  const int64_t end64 = static_cast<int64_t>(destination) + length;
  const auto end = static_cast<int32_t>(std::clamp<int64_t>(end64, INT32_MIN, INT32_MAX));
  if (startDirection == kTo && endDirection == kFrom) {
    AddEditPoint(kTo, destination, rampLength, rampStep);
    AddEditPoint(kFrom, end, rampLength, rampStep);
  } else if (startDirection == kTo && endDirection == kTo) {
    AddEditPoint(kTo, destination, rampLength, rampStep);
    AddEditPoint(kTo, end, CapLength(rampLength, length), rampStep);
  } else if (startDirection == kFrom && endDirection == kFrom) {
    AddEditPoint(kFrom, destination, CapLength(rampLength, length), rampStep);
    AddEditPoint(kFrom, end, rampLength, rampStep);
  } else if (startDirection == kFrom && endDirection == kTo) {
    // The two ramps lie inside the edit: the end ramp takes at most its second half.
    AddEditPoint(kFrom, destination, rampLength, rampStep);
    AddEditPoint(kTo, end, CapLength(rampLength, length / 2), rampStep);
  }
}

void CEditPointList::AddEditPoint(Direction direction, int32_t time, int16_t rampLength,
                                  int16_t rampStep) {
  CEditPoint point;
  point.Direction = direction;
  point.Time = time;
  point.RampLength = direction == kTo ? CapLength(rampLength, time) : rampLength;
  point.RampStep = rampStep;
  Add(point);
}

bool CEditPointList::GetEditPoint(int32_t index, CEditPoint& point) const {
  if (index < 0 || index >= GetSize()) return false;
  point = (*this)[index];
  return true;
}
