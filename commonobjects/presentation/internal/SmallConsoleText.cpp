// The small consoles' value formatters: faders, switches, selections and pan.
#include "commonobjects/presentation/internal/ValueFormatters.h"

namespace commonobjects::presentation {
namespace {

// Proc 0 (fader) and 1 (small fader). The mute reads "On" at 0.
FormattedText FormatSmallFader(const ValueTextInput& in) {
  switch (in.control) {
    case 0:
    case 3: return LevelText(in);
    case 1: return DecibelText(in, in.x / 320.0);
    case 2: return Choose(in.value, "Off", "On");
    default: return std::nullopt;
  }
}

// Proc 2: EQ and insert switches, cuts.
FormattedText FormatSwitches(const ValueTextInput& in) {
  switch (in.control) {
    case 0:
    case 1: return OnOff(in.value);
    case 2:
    case 3:
    case 4: return Choose(in.value, "Uncut", "Cut");
    case 5: return Choose(in.value, "On", "Uncut");
    default: return std::nullopt;
  }
}

// Proc 3: input selection and aux sends.
FormattedText FormatSelections(const ValueTextInput& in) {
  if (in.control == 0) return Choose(in.value, "Sel1", "Sel2");
  if (in.control >= 1 && in.control <= 8) return OnOff(in.value);
  return std::nullopt;
}

}  // namespace

FormattedText FormatSmallConsoleValue(const ValueTextInput& in) {
  switch (in.proc) {
    case 0:
    case 1: return FormatSmallFader(in);
    case 2: return FormatSwitches(in);
    case 3: return FormatSelections(in);
    case 4: return FormatPan(in);
    default: return std::nullopt;
  }
}

}  // namespace commonobjects::presentation
