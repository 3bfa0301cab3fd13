// The default console state: the value every channel has before any event.
//
//   small consoles (types 1, 6)  one 5 x 9 table (Proc, Control), the same for every path
//   large consoles (2-5, 7)      a 36 x 9 table per (variant, path group): variant by the
//                                console type (CControlModel::GetDefaultVariant), group by the
//                                path map; high-range channels start at 0, 0, 0, 1
//   any other type               no defaults (all channels 0)
//
// The tables are constant data built once; every function here is thread-safe.
#pragma once

#include <cstdint>

namespace DefaultConsoleState {

inline constexpr int32_t kVariants = 3;
inline constexpr int32_t kGroups = 14;
inline constexpr int32_t kLowValuesPerPath = 36 * 9;   // [Proc 0..35][Control 0..8]
inline constexpr int32_t kHighValuesPerPath = 48 * 4;  // [Proc - base 0..47][Control 0..3]
inline constexpr int32_t kSmallValuesPerPath = 5 * 9;  // [Proc 0..4][Control 0..8]

// The 324 low-range defaults of a large console's path, Proc-major, for variant 0..2 and
// path group 0..13 (others are the caller's fault).
const int16_t* LowTable(int32_t variant, int32_t group);
// The 192 high-range defaults of every path: 0, 0, 0, 1 for each of the 48 Procs.
const int16_t* HighTable();
// The 45 defaults of a small console's path, Proc-major.
const int16_t* SmallTable();
// A table of zeros at least as long as any of the above.
const int16_t* ZeroTable();

}  // namespace DefaultConsoleState
