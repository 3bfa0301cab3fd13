#include "commonobjects/timecode/TimecodeText.h"

#include <cctype>
#include <charconv>
#include <cstdio>
#include <vector>

#include "commonobjects/timecode/internal/PositionSearch.h"

namespace TimecodeText {
namespace {

constexpr size_t kMaxDigits = 9;  // keeps every number within 32 bits

// The numbers of a position and the one-character separators between them.
struct Fields {
  bool negative = false;
  std::vector<int32_t> numbers;
  std::string separators;
};

bool IsFieldSeparator(char c) { return c == ':' || c == ';' || c == ',' || c == '.'; }

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  return text;
}

// Numbers of 1 to 9 digits, each pair separated by exactly one character of ":;,. +".
std::optional<Fields> SplitFields(std::string_view text, std::string& error) {
  Fields fields;
  text = Trimmed(text);
  if (!text.empty() && text.front() == '-') {
    fields.negative = true;
    text.remove_prefix(1);
  }
  while (true) {
    size_t digits = 0;
    while (digits < text.size() && std::isdigit(static_cast<unsigned char>(text[digits]))) ++digits;
    if (digits == 0) break;
    if (digits > kMaxDigits) {
      error = "a number has more than 9 digits";
      return std::nullopt;
    }
    int32_t number = 0;
    std::from_chars(text.data(), text.data() + digits, number);
    fields.numbers.push_back(number);
    text.remove_prefix(digits);
    if (text.empty()) return fields;
    const char separator = text.front();
    if (!IsFieldSeparator(separator) && separator != ' ' && separator != '+') break;
    fields.separators += separator;
    text.remove_prefix(1);
  }
  error = "not a timecode or feet+frames position";
  return std::nullopt;
}

bool IsFramesSeparator(char c) { return IsFieldSeparator(c) || c == ' '; }

// Assigns the numbers to the fields that the count and kind of separators name.
std::optional<TimePosition> Classify(const Fields& f, std::string& error) {
  TimePosition p;
  p.Negative = f.negative;
  const std::string& s = f.separators;
  const std::vector<int32_t>& n = f.numbers;
  const size_t k = s.size();
  const bool timecode = k >= 2 && IsFieldSeparator(s[0]) && (k == 2 || IsFieldSeparator(s[1]));
  if (k == 0 || (k == 1 && (s[0] == '+' || s[0] == '.'))) {
    p.FeetFrames = true;
    p.Feet = n[0];
    p.Frames = k == 1 ? n[1] : 0;
  } else if (k == 1 && s[0] == ':') {
    p.Minutes = n[0];
    p.Seconds = n[1];
  } else if (timecode && k == 2 && s[1] == ':') {
    p.Hours = n[0];
    p.Minutes = n[1];
    p.Seconds = n[2];
  } else if (timecode && k == 2 && IsFramesSeparator(s[1])) {
    p.Minutes = n[0];
    p.Seconds = n[1];
    p.Frames = n[2];
  } else if (timecode && (k == 3 || (k == 4 && s[3] == '.')) && IsFramesSeparator(s[2])) {
    p.Hours = n[0];
    p.Minutes = n[1];
    p.Seconds = n[2];
    p.Frames = n[3];
    p.QuarterFrames = k == 4 ? n[4] : 0;
  } else {
    error = "not a timecode or feet+frames position";
    return std::nullopt;
  }
  return p;
}

// What is out of range in a position, or the empty string.
std::string RangeError(const CTimecodeConverter& converter, const TimePosition& p) {
  if (p.FeetFrames) {
    const int32_t perFoot = converter.GetSettings().FilmFramesPerFoot;
    if (perFoot > 0 && p.Frames >= perFoot) {
      return "frames must be 0 to " + std::to_string(perFoot - 1) + " at " + std::to_string(perFoot) +
             " frames per foot";
    }
    return {};
  }
  const int32_t perSecond = FramesPerLabelSecond(converter);
  if (p.Minutes >= 60) return "minutes must be 0 to 59";
  if (p.Seconds >= 60) return "seconds must be 0 to 59";
  if (p.Frames >= perSecond) {
    return "frames must be 0 to " + std::to_string(perSecond - 1) + " at " + std::to_string(perSecond) +
           " frames per second";
  }
  if (p.QuarterFrames >= 4) return "the quarter-frame digit must be 0 to 3";
  return {};
}

// A form filled with the fields, after a '-' for a position before zero.
template <typename... Numbers>
std::string Formatted(const char* form, bool negative, Numbers... numbers) {
  char text[64];
  const std::string signedForm = std::string(negative ? "-" : "") + form;
  std::snprintf(text, sizeof text, signedForm.c_str(), numbers...);
  return text;
}

}  // namespace

const char* FormOfDisplayMode(int32_t mode) {
  switch (mode) {
    case CTimecodeConverter::kMinutesSecondsFrames: return kMinutesSecondsFramesForm;
    case CTimecodeConverter::kHoursMinutesSeconds: return kHoursMinutesSecondsForm;
    case CTimecodeConverter::kMinutesSeconds: return kMinutesSecondsForm;
    case CTimecodeConverter::kFullTimecode: return kTimecodeForm;
    case CTimecodeConverter::kFeetAndFrames: return kFeetFramesForm;
    case CTimecodeConverter::kFeetOnly: return kFeetForm;
    default: return kNoTimeText;
  }
}

int32_t FramesPerLabelSecond(const CTimecodeConverter& converter) {
  switch (converter.GetRateCode()) {
    case 2: return 25;
    case 3:
    case 4:
    case 5: return 30;
    default: return 24;
  }
}

int32_t TimeFromPosition(CTimecodeConverter& converter, const TimePosition& p) {
  const int32_t sign = p.Negative ? -1 : 1;
  if (p.FeetFrames) {
    converter.TimeFromFeetFrames(sign * p.Feet, sign * p.Frames);
  } else {
    converter.TimeFromTimecode(sign * p.Hours, sign * p.Minutes, sign * p.Seconds, sign * p.Frames,
                               sign * p.QuarterFrames);
  }
  return converter.GetRoundedTime();
}

std::optional<TimePosition> PositionFromTime(const CTimecodeConverter& converter, int32_t units,
                                             QuarterFrameDigit digit) {
  return commonobjects::settings::PositionSearch(converter, digit).LastAtOrBefore(units);
}

std::string TextFromPosition(const TimePosition& p, int32_t displayMode, QuarterFrameDigit digit) {
  const bool feetMode = displayMode == CTimecodeConverter::kFeetAndFrames ||
                        displayMode == CTimecodeConverter::kFeetOnly;
  if (p.FeetFrames != feetMode) {
    displayMode = p.FeetFrames ? CTimecodeConverter::kFeetAndFrames : CTimecodeConverter::kFullTimecode;
  }
  const bool n = p.Negative;
  switch (displayMode) {
    case CTimecodeConverter::kMinutesSecondsFrames:
      return Formatted(kMinutesSecondsFramesForm, n, p.Minutes, p.Seconds, p.Frames);
    case CTimecodeConverter::kHoursMinutesSeconds:
      return Formatted(kHoursMinutesSecondsForm, n, p.Hours, p.Minutes, p.Seconds);
    case CTimecodeConverter::kMinutesSeconds:
      return Formatted(kMinutesSecondsForm, n, p.Minutes, p.Seconds);
    case CTimecodeConverter::kFullTimecode:
      if (digit == QuarterFrameDigit::kShown) {
        return Formatted(kQuarterFrameTimecodeForm, n, p.Hours, p.Minutes, p.Seconds, p.Frames, p.QuarterFrames);
      }
      return Formatted(kTimecodeForm, n, p.Hours, p.Minutes, p.Seconds, p.Frames);
    case CTimecodeConverter::kFeetAndFrames: return Formatted(kFeetFramesForm, n, p.Feet, p.Frames);
    case CTimecodeConverter::kFeetOnly: return Formatted(kFeetForm, n, p.Feet);
    default: return kNoTimeText;
  }
}

std::string TextFromTime(const CTimecodeConverter& converter, int32_t units, QuarterFrameDigit digit) {
  const std::optional<TimePosition> position = PositionFromTime(converter, units, digit);
  if (!position) return kNoTimeText;
  const bool shown = commonobjects::settings::ShowsQuarterFrames(converter, digit);
  return TextFromPosition(*position, converter.GetDisplayMode(),
                          shown ? QuarterFrameDigit::kShown : QuarterFrameDigit::kHidden);
}

std::optional<TimePosition> ParsePosition(const CTimecodeConverter& converter, std::string_view text,
                                          std::string& error) {
  const std::optional<Fields> fields = SplitFields(text, error);
  if (!fields) return std::nullopt;
  std::optional<TimePosition> position = Classify(*fields, error);
  if (!position) return std::nullopt;
  error = RangeError(converter, *position);
  if (!error.empty()) return std::nullopt;
  return position;
}

}  // namespace TimecodeText
