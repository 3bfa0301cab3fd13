// How typed text becomes a raw value, control by control. The rule is chosen by Proc with
// the large consoles' grouping on every console type:
//   0 input, 1-8 and 20 equaliser, 9-10 filter, 11-13 and 19 dynamics, 14 fader,
//   15-16 insert, 17-18 output, 21 pan, 22 DRC, 23 key input, 24-35 none, 36+ high control.
// Pure functions; thread-safe.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace commonobjects::presentation {

struct ParseRule {
  enum class Kind {
    kScaled,       // n * factor / S
    kUnscaled,     // n * factor
    kFrequency,    // ln(n / 500) * 7115.481 / S
    kQ,            // ln(n * 1.4142135865763297) * 7115.481 / S
    kPosition,     // names Mono/Left, Stereo/Center, Wide/Right; else n * 722; then / S
    kPanPosition,  // as kPosition, also Front, Ninety, Back
    kFrontBack,    // as kPanPosition, but a number gives 32512 - n * 361
    kLevel,        // "Cut" the lowest accepted value; else n * 320 / S
  };
  Kind kind = Kind::kScaled;
  double factor = 1;
};

// The rule of (proc, control); nothing when the control cannot be typed.
std::optional<ParseRule> FindParseRule(int32_t proc, int32_t control);

// The unrounded raw value that text gives under rule at value scale `scale`; lowest is the
// control's lowest accepted value (what "Cut" names). May be infinite or NaN.
double ApplyParseRule(const ParseRule& rule, std::string_view text, int32_t scale,
                      int32_t lowest);

}  // namespace commonobjects::presentation
