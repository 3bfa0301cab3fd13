// The value formatters of each kind of console, chosen by Proc. Each returns the text of
// in.value, or nothing when its block has no rule for in.control (the decimal text stays).
// Pure functions of their input except the key input delay, which reads the sample-rate
// setting; thread-safe.
#pragma once

#include <cstdint>

#include "commonobjects/presentation/internal/ValueTextFormat.h"

namespace commonobjects::presentation {

// Console types 2, 3, 4, 5 and 7: Proc 0 to 35 by block, 36 and above the high controls.
FormattedText FormatLargeConsoleValue(const ValueTextInput& in);
// Console types 1 and 6: Proc 0 and 1 faders, 2 switches, 3 selections, 4 pan.
FormattedText FormatSmallConsoleValue(const ValueTextInput& in);
// The pan block (large consoles' Proc 21, small consoles' Proc 4): Control 1 is the
// front/back pan.
FormattedText FormatPan(const ValueTextInput& in);

// The key input delay of a raw value in microseconds at a sample rate: (value / 64)
// samples, as k * (value / 64) / 10 with k = 208 at 47952, 226 at 44056, else 9984000 / rate
// for multiples of 48000 and 9966600 / rate otherwise (all divisions toward zero).
// Nothing for a rate of 0 or below, which names no rate.
std::optional<int32_t> KeyInputDelayMicroseconds(int32_t value, int32_t sampleRate);
// "%du" of the delay at the "SampleRatePref" setting (default 48000), "OFF" when it is 0,
// "????" when the setting is not a rate.
std::string KeyInputDelayText(const ValueTextInput& in);

}  // namespace commonobjects::presentation
