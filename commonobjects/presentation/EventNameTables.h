// The event names of both kinds of console, by (Proc, Control): the tables that
// CTemplateSnapAutoEvent::GetEventName reads.
//
// Large consoles (types 2, 3, 4, 5, 7): row = Proc in [0, 36), column = Control in [0, 9).
// Rows 31 to 35 hold no names (empty strings); the high controls (Proc 36 and above) are
// not in the table. Small consoles (types 1, 6): row = Proc in [0, 5), column = Control in
// [0, 9); unused controls read "N/A". Some names repeat on purpose (both phase controls
// of the input read "Input Phase"; controls 3 and 4 of both outputs read "Output").
// The tables are constant data; safe to read from any thread.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace commonobjects::presentation {

inline constexpr int32_t kEventNameControls = 9;     // Control [0, 9) in both tables
inline constexpr int32_t kLargeConsoleNameRows = 36;  // Proc [0, 36)
inline constexpr int32_t kSmallConsoleNameRows = 5;   // Proc [0, 5)

using EventNameRow = std::array<std::string_view, kEventNameControls>;

extern const std::array<EventNameRow, kLargeConsoleNameRows> kLargeConsoleEventNames;
extern const std::array<EventNameRow, kSmallConsoleNameRows> kSmallConsoleEventNames;

}  // namespace commonobjects::presentation
