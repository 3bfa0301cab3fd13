// The large consoles' value formatters, one per processing block.
#include <algorithm>
#include <array>
#include <string_view>

#include "commonobjects/presentation/internal/ValueFormatters.h"

namespace commonobjects::presentation {
namespace {

// A name from a list, "????" beyond it.
template <size_t N>
std::string NameOf(const std::array<std::string_view, N>& names, int32_t index) {
  if (index < 0 || index >= static_cast<int32_t>(N)) return "????";
  return std::string(names[index]);
}

// x / 1280 dB.
std::string FineTrimText(const ValueTextInput& in) { return DecibelText(in, in.x / 1280.0); }
// x / 320 dB.
std::string TrimText(const ValueTextInput& in) { return DecibelText(in, in.x / 320.0); }
// x / 1280 dB, "%0.1f %s" (the presence controls).
std::string PresenceText(const ValueTextInput& in) {
  return Printf("%0.1f %s", in.x / 1280.0, in.Unit("dB"));
}
// Threshold x / 320 dB with its sign.
std::string ThresholdText(const ValueTextInput& in) {
  return Printf("%+0.1f%s", in.x / 320.0, in.Unit("dB"));
}
std::string AttackText(const ValueTextInput& in) {
  return Printf("%0.1f%s", in.value * 0.01, in.Unit("m"));
}
std::string ReleaseText(const ValueTextInput& in) {
  return Printf("%0.2f%s", in.value * 0.001, in.Unit("s"));
}
// A compression ratio "r:1" (expander "1:r"); whole numbers from 10.
std::string RatioText(const ValueTextInput& in, bool expander) {
  const double ratio = Exponential(in.x);
  if (expander) return Printf(ratio >= 10 ? "1:%0.0f" : "1:%0.1f", ratio);
  return Printf(ratio >= 10 ? "%0.0f:1" : "%0.1f:1", ratio);
}

FormattedText FormatInput(const ValueTextInput& in) {
  static constexpr std::array<std::string_view, 4> kPhases = {"\xD8", "R\xD8" "A", "R\xD8" "B",
                                                              "R\xD8" "AB"};
  static constexpr std::array<std::string_view, 6> kModes = {"BA", "AA", "AB", "BB", "MS", "SM"};
  static constexpr std::array<std::string_view, 13> kSurround = {
      "Mono",        "Left",        "Right",       "Front L",     "Front Center",
      "Front Right", "Sur. Mono",   "Sur. Left",   "Sur. Right",  "Inner Left",
      "Inner Right", "Center Mono", "Surround Center"};
  switch (in.control) {
    case 0: return FineTrimText(in);
    case 1:
    case 2: return NameOf(kPhases, in.value);
    case 3: return PositionText(in.x, PositionKind::kWidth);
    case 4: return PresenceText(in);
    case 5: return OnOff(in.value);
    case 6: return NameOf(kModes, in.value + 2);
    case 8: return NameOf(kSurround, in.value);
    default: return std::nullopt;
  }
}

FormattedText FormatEqualiser(const ValueTextInput& in) {
  static constexpr std::array<std::string_view, 7> kResponses = {"LF", "LS",    "Bell", "HS",
                                                                 "HF", "Notch", "?"};
  static constexpr std::array<std::string_view, 3> kSlopes = {"Flat", "6 dB", "12 dB"};
  switch (in.control) {
    case 0: return FrequencyText(in);
    case 1: return Printf("%0.1f%s", in.x / 1280.0, in.Unit(" dB"));
    case 2:
      if (in.value < 0 || in.value > 2) return std::nullopt;
      return std::string(kSlopes[in.value]);
    case 3: return Printf("%0.1f", 0.7071067690849304 * Exponential(in.x));
    case 5: return std::string(kResponses[std::clamp(in.value, 0, 6)]);
    case 7: return OnOff(in.value);
    case 8: return Choose(in.value, "Normal", "Listen");
    default: return std::nullopt;
  }
}

FormattedText FormatFilter(const ValueTextInput& in) {
  switch (in.control) {
    case 0: return FrequencyText(in);
    case 1:
      if (in.value < 1 || in.value > 4) return "Flat";
      return Printf("%d %s", 6 * in.value, in.Unit("dB"));
    case 3: return in.value == 0 ? "LF" : in.value == 1 ? "HF" : "Unknown";
    case 5: return OnOff(in.value);
    default: return std::nullopt;
  }
}

// Proc 11 compressor, 12 limiter, 13 expander, 19 gate.
FormattedText FormatDynamics(const ValueTextInput& in) {
  const bool gate = in.proc == 19;
  const bool compressorOrLimiter = in.proc == 11 || in.proc == 12;
  switch (in.control) {
    case 0: return OnOff(in.value);
    case 1: return ThresholdText(in);
    case 2: return RatioText(in, in.proc == 13);
    case 3: return AttackText(in);
    case 4: return ReleaseText(in);
    case 5: return DecibelText(in, gate ? in.x / 320.0 * 0.25 : in.x / 320.0);
    case 6: return DecibelText(in, compressorOrLimiter ? in.x / 320.0 * 0.25 : in.x / 320.0);
    case 7: return Choose(in.value, "Auto", "Manual");
    default: return std::nullopt;
  }
}

FormattedText FormatFader(const ValueTextInput& in) {
  switch (in.control) {
    case 0: return LevelText(in);
    case 1: return TrimText(in);
    case 2: return in.value == 1 ? "Off" : "On";
    default: return std::nullopt;
  }
}

FormattedText FormatInsert(const ValueTextInput& in) {
  switch (in.control) {
    case 0:
    case 6:
    case 7: return OnOff(in.value);
    case 1: return Choose(in.value, "Enable", "Off");
    case 2:
    case 3: return FineTrimText(in);
    default: return std::nullopt;
  }
}

FormattedText FormatOutput(const ValueTextInput& in) {
  switch (in.control) {
    case 0: return Printf("%3.1f %s", in.x / 1280.0, in.Unit("dB"));
    case 1: return PositionText(in.x, PositionKind::kWidth);
    case 2: return PresenceText(in);
    case 3: return OnOff(in.value);
    case 4: return Choose(in.value, "post", "pre");
    case 5: return PositionText(in.x, PositionKind::kPan);
    default: return std::nullopt;
  }
}

FormattedText FormatDrc(const ValueTextInput& in) {
  switch (in.control) {
    case 0: return OnOff(in.value);
    case 1:
    case 2: return ThresholdText(in);
    case 3: return AttackText(in);
    case 4: return ReleaseText(in);
    case 5: return RatioText(in, false);
    default: return std::nullopt;
  }
}

FormattedText FormatKeyInput(const ValueTextInput& in) {
  switch (in.control) {
    case 0:
    case 1: return OnOff(in.value);
    case 2: return TrimText(in);
    case 3:
      if (in.value < 0 || in.value > 2) return "Unknown";
      return std::array{"Pre Eq", "Pre", "Post"}[in.value];
    case 6: return KeyInputDelayText(in);
    default: return std::nullopt;
  }
}

FormattedText FormatHighControl(const ValueTextInput& in) {
  switch (in.control) {
    case 0: return OnOff(in.value);
    case 1: return PositionText(in.x, PositionKind::kPan);
    case 2: return LevelText(in);
    case 3: return Choose(in.value, "post", "pre");
    default: return std::nullopt;
  }
}

}  // namespace

FormattedText FormatPan(const ValueTextInput& in) {
  switch (in.control) {
    case 0:
    case 2: return PositionText(in.x, PositionKind::kPan);
    case 1: return PositionText(in.x, PositionKind::kFrontBack);
    case 3: return TrimText(in);
    case 5:
    case 6:
    case 7:
    case 8: return OnOff(in.value);
    default: return std::nullopt;
  }
}

FormattedText FormatLargeConsoleValue(const ValueTextInput& in) {
  const int32_t proc = in.proc;
  if (proc == 0) return FormatInput(in);
  if ((proc >= 1 && proc <= 8) || proc == 20) return FormatEqualiser(in);
  if (proc == 9 || proc == 10) return FormatFilter(in);
  if ((proc >= 11 && proc <= 13) || proc == 19) return FormatDynamics(in);
  if (proc == 14) return FormatFader(in);
  if (proc == 15 || proc == 16) return FormatInsert(in);
  if (proc == 17 || proc == 18) return FormatOutput(in);
  if (proc == 21) return FormatPan(in);
  if (proc == 22) return FormatDrc(in);
  if (proc == 23) return FormatKeyInput(in);
  if (proc >= 24 && proc <= 30) return Choose(in.value, "Routed", "Off");
  if (proc >= 36) return FormatHighControl(in);
  return std::nullopt;
}

}  // namespace commonobjects::presentation
