// The conversions that the value-text formatters and parsers share: printf into a string,
// the exponential scale, levels, on/off texts, frequencies and position texts, and the
// decimal value of a typed text. Pure functions; thread-safe.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace commonobjects::presentation {

// Everything a formatter needs to know about the value it shows.
struct ValueTextInput {
  int32_t consoleType = 0;
  int32_t proc = 0;
  int32_t control = 0;
  int32_t value = 0;  // the raw value
  int32_t x = 0;      // value times the value scale
  bool units = true;
  bool rawFrequency = false;

  // unit, or the empty string when units are off.
  const char* Unit(const char* unit) const { return units ? unit : ""; }
};

// A formatter's text; nothing when it has no rule for the control (the decimal text stays).
using FormattedText = std::optional<std::string>;

// snprintf into a string, with printf's rounding.
[[gnu::format(printf, 1, 2)]] std::string Printf(const char* format, ...);

// The exponential scale e^(x / 7115.481), the constant in single precision.
inline constexpr double kExponentialDivisor = static_cast<double>(7115.481f);
double Exponential(int32_t x);

// The leading decimal number of text as C's atof reads it (white space, a sign, digits,
// a fraction, an exponent); 0 when text does not begin with a number. Independent of the
// C locale.
double DecimalValueOf(std::string_view text);

// nonzero ? whenNonzero : whenZero.
std::string Choose(int32_t value, const char* whenNonzero, const char* whenZero);
inline std::string OnOff(int32_t value) { return Choose(value, "On", "Off"); }

// decibels as "%0.1f" with "dB".
std::string DecibelText(const ValueTextInput& in, double decibels);
// A level: "Cut" when the value is at or below the lowest value of the control on the
// console, else x / 320 dB.
std::string LevelText(const ValueTextInput& in);
// An equaliser or filter frequency, 500 * E(x): whole Hz below 1 kHz or with the raw
// frequency flag, else kHz with one decimal.
std::string FrequencyText(const ValueTextInput& in);

enum class PositionKind { kPan, kWidth, kFrontBack };
// A pan or width position of x (p = x / 720): the ends by name ("Left"/"Right", width
// "Mono"/"Wide", front/back "Front"/"Back") at |p| >= 45, the centre by name ("Center",
// "Stereo", "Ninety") at |p| < 0.1, "-1"/"+1" elsewhere below |p| = 1, and between them
// "%+d" of p truncated (front/back: of (32512 - x) / 361).
std::string PositionText(int32_t x, PositionKind kind);

}  // namespace commonobjects::presentation
