#include "TimeArgument.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "Text.h"
#include "commonobjects/timecode/TimecodeText.h"

namespace mixauto {
namespace {

std::optional<int32_t> ParseUnits(const std::string& digits) {
  int32_t units = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), units);
  if (digits.empty() || error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
  return units;
}

bool IsBareNumber(const std::string& text) {
  const size_t start = !text.empty() && text[0] == '-' ? 1 : 0;
  return text.size() > start &&
         std::all_of(text.begin() + start, text.end(), [](unsigned char c) { return std::isdigit(c); });
}

std::optional<int32_t> Refuse(const std::string& text, const std::string& why, std::string& error) {
  error = "\"" + text + "\": " + why + "; a time is " + kTimeForms;
  return std::nullopt;
}

}  // namespace

std::optional<int32_t> ParseTimeArgument(const CTimecodeConverter& converter, const std::string& text,
                                         std::string& error) {
  const std::string trimmed = Trimmed(text);
  if (!trimmed.empty() && trimmed[0] == '#') {
    const std::optional<int32_t> units = ParseUnits(trimmed.substr(1));
    if (!units) return Refuse(text, "units must be a whole number from -2147483648 to 2147483647", error);
    return units;
  }
  if (IsBareNumber(trimmed)) {
    return Refuse(text, "write units as #" + trimmed + " or feet as " + trimmed + "+00", error);
  }
  std::string why;
  const std::optional<TimecodeText::TimePosition> position = TimecodeText::ParsePosition(converter, trimmed, why);
  if (!position) return Refuse(text, why, error);
  if (position->FeetFrames && converter.GetSettings().FilmFramesPerSecond <= 0) {
    return Refuse(text, "the film frames per second in the timecode settings is not positive", error);
  }
  CTimecodeConverter probe = converter;
  return TimecodeText::TimeFromPosition(probe, *position);
}

std::string FormatTime(const CTimecodeConverter& converter, int32_t units) {
  return TimecodeText::TextFromTime(converter, units, TimecodeText::QuarterFrameDigit::kShown);
}

CLI::Option* AddTimeOption(CLI::App& app, const std::string& name, int32_t& units, const std::string& help) {
  auto parse = [&units, name](const std::string& text) {
    const CTimecodeConverter converter;
    std::string error;
    const std::optional<int32_t> parsed = ParseTimeArgument(converter, text, error);
    if (!parsed) throw CLI::ValidationError(name, error);
    units = *parsed;
  };
  return app.add_option_function<std::string>(name, parse, help + " (" + kTimeForms + ")");
}

}  // namespace mixauto
