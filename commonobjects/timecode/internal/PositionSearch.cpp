#include "commonobjects/timecode/internal/PositionSearch.h"

#include <cmath>
#include <limits>

namespace commonobjects::settings {

using TimecodeText::QuarterFrameDigit;
using TimecodeText::TimePosition;

namespace {

constexpr int64_t kTimecodeIndexLimit = int64_t{1} << 40;  // far beyond any 32-bit time
constexpr int64_t kFilmIndexLimit = std::numeric_limits<int32_t>::max();

int64_t FloorDiv(int64_t a, int64_t b) {
  const int64_t q = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

bool IsFeetMode(int32_t mode) {
  return mode == CTimecodeConverter::kFeetAndFrames || mode == CTimecodeConverter::kFeetOnly;
}

}  // namespace

bool ShowsQuarterFrames(const CTimecodeConverter& converter, QuarterFrameDigit digit) {
  return digit == QuarterFrameDigit::kShown && converter.IsQuarterFrameConsole() &&
         converter.GetDisplayMode() == CTimecodeConverter::kFullTimecode;
}

PositionSearch::PositionSearch(const CTimecodeConverter& converter, QuarterFrameDigit digit)
    : probe_(converter), feet_(IsFeetMode(converter.GetDisplayMode())) {
  const int32_t mode = converter.GetDisplayMode();
  if (feet_) {
    framesPerFoot_ = converter.GetSettings().FilmFramesPerFoot;
    lowest_ = 0;
    highest_ = kFilmIndexLimit;
    step_ = mode == CTimecodeConverter::kFeetOnly && framesPerFoot_ > 0 ? framesPerFoot_ : 1;
    return;
  }
  quartersPerSecond_ = int64_t{4} * TimecodeText::FramesPerLabelSecond(converter);
  lowest_ = -kTimecodeIndexLimit;
  highest_ = kTimecodeIndexLimit;
  if (mode == CTimecodeConverter::kHoursMinutesSeconds || mode == CTimecodeConverter::kMinutesSeconds) {
    step_ = quartersPerSecond_;
  } else {
    step_ = ShowsQuarterFrames(converter, digit) ? 1 : 4;
  }
}

std::optional<TimePosition> PositionSearch::LastAtOrBefore(int32_t units) {
  const std::optional<int64_t> last = LastIndexAtOrBefore(units);
  if (!last) return std::nullopt;
  // Every position between a step and the next has a time at or after the step's.
  return At(FloorDiv(*last, step_) * step_);
}

TimePosition PositionSearch::At(int64_t index) const {
  TimePosition p;
  p.FeetFrames = feet_;
  p.Negative = index < 0;
  const int64_t magnitude = index < 0 ? -index : index;
  if (feet_) {
    p.Feet = framesPerFoot_ > 0 ? static_cast<int32_t>(magnitude / framesPerFoot_) : 0;
    p.Frames = static_cast<int32_t>(framesPerFoot_ > 0 ? magnitude % framesPerFoot_ : magnitude);
    return p;
  }
  const int64_t seconds = magnitude / quartersPerSecond_;
  const int64_t quarters = magnitude % quartersPerSecond_;
  p.Hours = static_cast<int32_t>(seconds / 3600);
  p.Minutes = static_cast<int32_t>(seconds / 60 % 60);
  p.Seconds = static_cast<int32_t>(seconds % 60);
  p.Frames = static_cast<int32_t>(quarters / 4);
  p.QuarterFrames = static_cast<int32_t>(quarters % 4);
  return p;
}

// The rounded time of a position, beyond the 32-bit limits where the converter's result
// holds at them: a position past the last time is after it, not at it.
int64_t PositionSearch::UnitsAt(int64_t index) {
  const double rounded = std::round(ExactAt(index));
  if (rounded > std::numeric_limits<int32_t>::max()) return int64_t{std::numeric_limits<int32_t>::max()} + 1;
  if (rounded < std::numeric_limits<int32_t>::min()) return int64_t{std::numeric_limits<int32_t>::min()} - 1;
  return probe_.GetRoundedTime();
}

double PositionSearch::ExactAt(int64_t index) {
  TimecodeText::TimeFromPosition(probe_, At(index));
  return probe_.GetExactTime();
}

// The last index whose time is at or before units, by bisection of the whole index range.
// Nothing when even the lowest index comes after it.
std::optional<int64_t> PositionSearch::LastIndexAtOrBefore(int32_t units) {
  if (feet_ && probe_.GetSettings().FilmFramesPerSecond <= 0) return std::nullopt;  // no film time
  if (UnitsAt(lowest_) > units) return std::nullopt;
  if (UnitsAt(highest_) <= units) return highest_;
  int64_t at = lowest_;      // time at or before units
  int64_t after = highest_;  // time after units
  while (after - at > 1) {
    const int64_t middle = at + (after - at) / 2;
    (UnitsAt(middle) <= units ? at : after) = middle;
  }
  return at;
}

}  // namespace commonobjects::settings
