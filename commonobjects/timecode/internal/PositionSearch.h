// PositionSearch: the inverse of the converter's arithmetic, for showing times to people.
//
// Positions are numbered by a signed index of their smallest steps from zero: quarter-frames
// of timecode labels (negative indexes count backwards, every field negative), or film
// frames from footage zero (never negative: the converter wraps negative footage into the
// previous day). The rounded time of a position never decreases as the index grows, so
// the last position at or before a time is found by bisection of the index range (some 40
// probes), each probe converting with the caller's own settings.
// Each search works on its own copy of the converter.
#pragma once

#include <cstdint>
#include <optional>

#include "commonobjects/timecode/TimecodeText.h"

namespace commonobjects::settings {

// Whether the quarter-frame digit is shown: asked for, on a quarter-frame console, in the
// full timecode display.
bool ShowsQuarterFrames(const CTimecodeConverter& converter, TimecodeText::QuarterFrameDigit digit);

class PositionSearch {
 public:
  PositionSearch(const CTimecodeConverter& converter, TimecodeText::QuarterFrameDigit digit);

  // The last position, at the display's resolution, whose time is at or before units.
  std::optional<TimecodeText::TimePosition> LastAtOrBefore(int32_t units);

 private:
  TimecodeText::TimePosition At(int64_t index) const;
  int64_t UnitsAt(int64_t index);
  double ExactAt(int64_t index);
  std::optional<int64_t> LastIndexAtOrBefore(int32_t units);

  CTimecodeConverter probe_;
  bool feet_ = false;
  int64_t quartersPerSecond_ = 96;  // timecode: quarter-frames per label second
  int32_t framesPerFoot_ = 16;      // film
  int64_t lowest_ = 0;              // inclusive bounds of the index
  int64_t highest_ = 0;
  int64_t step_ = 1;                // indexes per step of the display
};

}  // namespace commonobjects::settings
