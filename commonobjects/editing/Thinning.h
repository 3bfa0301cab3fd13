// The pieces of ThinAutoData (CAutomationEventArray): its two level tables, which controls it
// thins, and its run tests.
//
// Window thinning drops, inside a run of one channel written more often than once per frame,
// the least significant intermediate event of each window of W events. Value-threshold
// thinning drops fader level and trim events that stay within a threshold of the last kept
// value while the fader keeps moving one way. Pure functions; thread-safe.
#pragma once

#include <cstdint>

class CAutomationEvent;

namespace Thinning {

inline constexpr int32_t kWindowLevels = 7;      // window level index 0..6
inline constexpr int32_t kThresholdLevels = 17;  // value threshold 0..16 (Value units, 0.0125 dB)

// Name the hosts show for a window level ("No Change", "8 Light", ..., "3 Heavy"); null
// outside 0..6.
const char* WindowLevelName(int32_t level);
// Window size W of a level: 0 (no window thinning), 8, 7, 6, 5, 4, 3; -1 outside 0..6.
int32_t WindowSize(int32_t level);
// Name of a value threshold ("No Change", "1 (Light)", ..., "16 (0.2 dB) (Heavy)"); null
// outside 0..16.
const char* ThresholdName(int32_t threshold);

}  // namespace Thinning

// Whether thinning may drop events of e's control (large consoles: the slot-aligned low-range
// controls, and Control 1 or 2 of any Proc at or above the high-control base; small consoles:
// Proc 0 Control 0, 3, 4, 7 and Proc 1..4 Control 0, 1, 3).
bool IsThinnableControl(const CAutomationEvent& e, int32_t highBase);
// Whether the fader value-threshold pass applies: Proc 14 (Proc 0 on small consoles) with
// Control 0 (level) or 1 (trim).
bool IsThresholdFaderControl(const CAutomationEvent& e);
// first[0..n-1]: true when n <= 2; otherwise every event from the third on is of the first's
// channel and every step from the second on goes the first step's way (down when the value
// decreases; equal values count as up). Reads first[0] to first[n - 1].
bool IsMonotonicRun(const CAutomationEvent* first, int32_t n);
// Same channel and |a.Time - b.Time| < tolerance.
bool SameChannelWithin(const CAutomationEvent& a, const CAutomationEvent& b, int32_t tolerance);
