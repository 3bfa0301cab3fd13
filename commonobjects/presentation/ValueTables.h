// The accepted value ranges of every control: lowest and highest values per console kind.
//
// The lowest value of a control serves twice: a level at or below it shows as "Cut", and
// the parser raises what it reads to it. The highest value is the most the parser gives.
// Three sets exist:
//   large consoles  [variant][Proc 0..35][Control 0..8]
//   high controls   [variant][Control 0..3]        (Proc 36 and above)
//   small consoles  [Proc 0..4][Control 0..8]
// (all index ranges inclusive). The variant is 0 on console type 3, 1 on types 5 and 7,
// 2 on types 2 and 4, and 0 on every other type. The lowest values are the same in every
// variant; the highest differ only in Proc 0 (Controls 7 and 8) and Procs 1 to 8
// (Control 5). Every range holds lowest <= highest.
// Constant data and pure functions; safe from any thread.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace commonobjects::presentation {

inline constexpr int32_t kValueVariants = 3;
inline constexpr int32_t kLargeValueProcs = 36;     // Proc [0, 36)
inline constexpr int32_t kValueControls = 9;        // Control [0, 9)
inline constexpr int32_t kFirstHighValueProc = 36;  // high controls: Proc [36, 256)
inline constexpr int32_t kHighValueControls = 4;    // Control [0, 4)
inline constexpr int32_t kSmallValueProcs = 5;      // Proc [0, 5)

using ValueRow = std::array<int16_t, kValueControls>;
using LargeValueTable = std::array<std::array<ValueRow, kLargeValueProcs>, kValueVariants>;
using HighValueTable = std::array<std::array<int16_t, kHighValueControls>, kValueVariants>;
using SmallValueTable = std::array<ValueRow, kSmallValueProcs>;

extern const LargeValueTable kLargeLowestValues;
extern const LargeValueTable kLargeHighestValues;
extern const HighValueTable kHighLowestValues;
extern const HighValueTable kHighHighestValues;
extern const SmallValueTable kSmallLowestValues;
extern const SmallValueTable kSmallHighestValues;

// 0 on console type 3, 1 on types 5 and 7, 2 on types 2 and 4, 0 on any other type.
int32_t ValueVariant(int32_t consoleType);

// Lowest and highest accepted value of a control, both inclusive.
struct ValueRange {
  int16_t lowest = 0;
  int16_t highest = 0;
};

// The range of (proc, control) on a console type: on the small consoles (1, 6) their own
// table for Proc below 5; otherwise the high-control table for Proc 36 and above with
// Control below 4, and the large consoles' table (by variant) for Proc below 36 with
// Control below 9. Nothing for any other (proc, control).
std::optional<ValueRange> FindValueRange(int32_t consoleType, int32_t proc, int32_t control);

}  // namespace commonobjects::presentation
