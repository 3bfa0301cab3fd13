// CTemplateSnapAutoEvent's value text: GetText, GetValueFromText, ShowsQuarterFrames and
// the value scale. The formatters and parse rules live in internal/.
#include <algorithm>
#include <cmath>

#include "commonobjects/console/ConsoleConfiguration.h"
#include "commonobjects/console/ControlModel.h"
#include "commonobjects/presentation/TemplateSnapAutoEvent.h"
#include "commonobjects/presentation/ValueTables.h"
#include "commonobjects/presentation/internal/ValueFormatters.h"
#include "commonobjects/presentation/internal/ValueParseRules.h"

namespace presentation = commonobjects::presentation;

namespace {

// A text that reads as 0 but begins "-0.0" loses its minus sign: no level shows "-0.0dB".
void DropNegativeZero(std::string& text) {
  if (text.starts_with("-0.0") && presentation::DecimalValueOf(text) == 0) text.erase(0, 1);
}

// Rounds half away from zero into -32767..32767, then into range (both ends inclusive).
// A raw value that is not a number gives the lowest accepted value.
int16_t LimitToRange(double raw, const presentation::ValueRange& range) {
  double rounded = std::isnan(raw) ? -32767.0 : std::round(raw);
  rounded = std::clamp(rounded, -32767.0, 32767.0);
  int32_t value = static_cast<int32_t>(rounded);
  value = std::max<int32_t>(value, range.lowest);
  value = std::min<int32_t>(value, range.highest);
  return static_cast<int16_t>(value);
}

}  // namespace

int CTemplateSnapAutoEvent::GetValueScale() {
  return CControlModel::ForCurrentConsole().HasChannels() ? 4 : 1;  // types 1 to 7
}

void CTemplateSnapAutoEvent::GetText(std::string& out, int units, int rawFrequency) const {
  presentation::ValueTextInput in;
  in.consoleType = CConsoleConfiguration::GetConsoleType();
  in.proc = Proc;
  in.control = Control;
  in.value = Value;
  in.x = Value * GetValueScale();
  in.units = units != 0;
  in.rawFrequency = rawFrequency != 0;
  const CControlModel model(in.consoleType);
  presentation::FormattedText text;
  if (model.IsLargeConsole()) text = presentation::FormatLargeConsoleValue(in);
  if (model.IsSmallConsole()) text = presentation::FormatSmallConsoleValue(in);
  out = text ? std::move(*text) : presentation::Printf("%d", in.value);
  DropNegativeZero(out);
}

int16_t CTemplateSnapAutoEvent::GetValueFromText(const std::string& text) const {
  const auto rule = presentation::FindParseRule(Proc, Control);
  const auto range =
      presentation::FindValueRange(CConsoleConfiguration::GetConsoleType(), Proc, Control);
  if (!rule || !range) throw CValueTextNotSupported(Proc, Control);
  const double raw = presentation::ApplyParseRule(*rule, text, GetValueScale(), range->lowest);
  return LimitToRange(raw, *range);
}

bool CTemplateSnapAutoEvent::ShowsQuarterFrames() const {
  if (!CControlModel::ForCurrentConsole().IsSmallConsole()) return false;
  switch (Proc) {
    case 0:
    case 1: return Control == 2;
    case 2: return Control < 6;
    case 3: return Control < 9;
    default: return false;
  }
}
