// The length of a day in a conform: 24 hours of film frames at the film frame rate, the far
// end of the edit lists that cover a whole mix.
#pragma once

#include <cstdint>

#include "commonobjects/timecode/TimecodeConverter.h"

namespace commonobjects::conform {

inline int32_t DayOfFilmFrames(int32_t framesPerSecond) {
  if (framesPerSecond == 24) return 2073600;
  if (framesPerSecond == 25) return 2160000;
  return 2592000;
}

// The same day in automation time units, under the converter's settings.
inline int32_t DayInUnits(CTimecodeConverter& converter) {
  converter.TimeFromFrames(DayOfFilmFrames(converter.GetSettings().FilmFramesPerSecond));
  return converter.GetRoundedTime();
}

}  // namespace commonobjects::conform
