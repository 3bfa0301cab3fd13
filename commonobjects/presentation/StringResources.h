// The string resources that the library carries for its hosts: the names of the twenty
// processing sections and of their nine controls each, numbered 10001 to 10200 inclusive.
//
//   10001 + section                     section name, section in [0, 20)
//   10021 + 9 * section + control       control name, control in [0, 9)
//
// Sections, in order: Input, EQ 1 to EQ 4, Filter 1 and 2, Compress/Limit 1 and 2,
// Expander, Fader, Insert 1 and 2, Output 1 and 2, Gate, Sidechain, Miscellaneous, DRC,
// Dynamic Insert. The control names follow the large consoles' event names of the matching
// block, with the spellings of the hosts' panels where they differ ("Surround
// Designation", "Comp/Lim 1 MUG", "Fader Ctrl 6", "EQ 1 Ctrl 8" ...). There are none for
// EQ 5 to 8 or the stem routes. Text is Windows-1252 (all of it ASCII).
// The strings are constant; safe to read from any thread.
#pragma once

#include <cstdint>
#include <string>

namespace commonobjects::presentation {

inline constexpr int32_t kFirstStringResource = 10001;  // inclusive
inline constexpr int32_t kLastStringResource = 10200;   // inclusive
inline constexpr int32_t kResourceSections = 20;
inline constexpr int32_t kResourceControlsPerSection = 9;

// Number of a section's name, section in [0, 20).
constexpr int32_t SectionNameResource(int32_t section) { return kFirstStringResource + section; }
// Number of a control's name, section in [0, 20), control in [0, 9).
constexpr int32_t ControlNameResource(int32_t section, int32_t control) {
  return kFirstStringResource + kResourceSections + kResourceControlsPerSection * section + control;
}

// The string of resource number id, as the hosts load it; the empty string for a number
// outside [10001, 10200].
std::string LoadResourceString(int32_t id);

}  // namespace commonobjects::presentation
