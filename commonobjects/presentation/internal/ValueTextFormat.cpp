#include "commonobjects/presentation/internal/ValueTextFormat.h"

#include <charconv>
#include <cmath>
#include <cstdarg>
#include <cstdio>

#include "commonobjects/presentation/ValueTables.h"

namespace commonobjects::presentation {

std::string Printf(const char* format, ...) {
  char buffer[64];
  va_list args;
  va_start(args, format);
  const int length = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  if (length < 0) return std::string();
  if (static_cast<size_t>(length) < sizeof buffer) return std::string(buffer, length);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  va_start(args, format);
  std::vsnprintf(text.data(), text.size(), format, args);
  va_end(args);
  text.resize(static_cast<size_t>(length));
  return text;
}

double Exponential(int32_t x) { return std::exp(x / kExponentialDivisor); }

double DecimalValueOf(std::string_view text) {
  size_t start = text.find_first_not_of(" \t\n\v\f\r");
  if (start == std::string_view::npos) return 0;
  if (text[start] == '+') {
    ++start;
    if (start < text.size() && (text[start] == '+' || text[start] == '-')) return 0;
  }
  double number = 0;
  const auto result = std::from_chars(text.data() + start, text.data() + text.size(), number);
  if (result.ec == std::errc::result_out_of_range) {
    // Beyond double's range: as atof, 0 for a negative exponent, else the sign's infinity.
    const std::string_view digits = text.substr(start, result.ptr - (text.data() + start));
    const size_t exponent = digits.find_first_of("eE");
    if (exponent != std::string_view::npos && exponent + 1 < digits.size() &&
        digits[exponent + 1] == '-') return 0;
    return digits.front() == '-' ? -HUGE_VAL : HUGE_VAL;
  }
  return result.ec == std::errc() ? number : 0;
}

std::string Choose(int32_t value, const char* whenNonzero, const char* whenZero) {
  return value != 0 ? whenNonzero : whenZero;
}

std::string DecibelText(const ValueTextInput& in, double decibels) {
  return Printf("%0.1f%s", decibels, in.Unit("dB"));
}

std::string LevelText(const ValueTextInput& in) {
  const auto range = FindValueRange(in.consoleType, in.proc, in.control);
  if (range && in.value <= range->lowest) return "Cut";
  return DecibelText(in, in.x / 320.0);
}

std::string FrequencyText(const ValueTextInput& in) {
  const double hertz = 500.0 * Exponential(in.x);
  if (in.rawFrequency || hertz < 1000) return Printf("%0.0f%s", hertz, in.Unit("Hz"));
  return Printf("%0.1f%s", hertz * 0.001, in.Unit("kHz"));
}

std::string PositionText(int32_t x, PositionKind kind) {
  const double p = x * 0.001388888888888889;
  const bool width = kind == PositionKind::kWidth;
  const bool frontBack = kind == PositionKind::kFrontBack;
  if (p <= -45) return width ? "Mono" : frontBack ? "Front" : "Left";
  if (p >= 45) return width ? "Wide" : frontBack ? "Back" : "Right";
  if (p > -1 && p < 1) {
    if (p > -0.1 && p < 0.1) return width ? "Stereo" : frontBack ? "Ninety" : "Center";
    return p < 0 ? "-1" : "+1";
  }
  if (frontBack) return Printf("%+d", (32512 - x) / 361);
  return Printf("%+d", static_cast<int>(p));
}

}  // namespace commonobjects::presentation
