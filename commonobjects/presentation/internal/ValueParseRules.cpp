#include "commonobjects/presentation/internal/ValueParseRules.h"

#include <cctype>
#include <cmath>
#include <initializer_list>

#include "commonobjects/presentation/internal/ValueTextFormat.h"

namespace commonobjects::presentation {
namespace {

using Kind = ParseRule::Kind;

constexpr ParseRule Scaled(double factor) { return {Kind::kScaled, factor}; }
constexpr ParseRule Unscaled(double factor) { return {Kind::kUnscaled, factor}; }
constexpr ParseRule Rule(Kind kind) { return {kind, 1}; }

std::optional<ParseRule> DynamicsRule(int32_t proc, int32_t control) {
  const bool gate = proc == 19;
  const bool compressorOrLimiter = proc == 11 || proc == 12;
  switch (control) {
    case 1: return Scaled(320);
    case 3: return Unscaled(100);
    case 4: return Unscaled(1000);
    case 5: return Scaled(gate ? 1280 : 320);
    case 6: return Scaled(compressorOrLimiter ? 1280 : 320);
    default: return std::nullopt;
  }
}

std::optional<ParseRule> EqualiserRule(int32_t control) {
  switch (control) {
    case 0: return Rule(Kind::kFrequency);
    case 1: return Scaled(1280);
    case 3: return Rule(Kind::kQ);
    default: return std::nullopt;
  }
}

std::optional<ParseRule> PanRule(int32_t control) {
  switch (control) {
    case 0:
    case 2: return Rule(Kind::kPanPosition);
    case 1: return Rule(Kind::kFrontBack);
    case 3: return Scaled(320);
    default: return std::nullopt;
  }
}

std::optional<ParseRule> DrcRule(int32_t control) {
  switch (control) {
    case 1:
    case 2: return Scaled(320);
    case 3: return Unscaled(100);
    case 4: return Unscaled(1000);
    default: return std::nullopt;
  }
}

// Rules of the blocks with one or two typed controls.
std::optional<ParseRule> SimpleBlockRule(int32_t proc, int32_t control) {
  if (proc == 0 && (control == 0 || control == 4)) return Scaled(1280);
  if (proc == 0 && control == 3) return Rule(Kind::kPosition);
  if ((proc == 9 || proc == 10) && control == 0) return Rule(Kind::kFrequency);
  if (proc == 14 && control == 0) return Rule(Kind::kLevel);
  if (proc == 14 && control == 1) return Scaled(320);
  if ((proc == 15 || proc == 16) && (control == 2 || control == 3)) return Scaled(1280);
  if ((proc == 17 || proc == 18) && (control == 0 || control == 2)) return Scaled(1280);
  if ((proc == 17 || proc == 18) && (control == 1 || control == 5)) return Rule(Kind::kPosition);
  if (proc == 23 && control == 2) return Scaled(320);
  if (proc >= 36 && control == 1) return Rule(Kind::kPosition);
  if (proc >= 36 && control == 2) return Rule(Kind::kLevel);
  return std::nullopt;
}

bool SameName(std::string_view text, std::initializer_list<std::string_view> names) {
  for (std::string_view name : names) {
    if (text.size() != name.size()) continue;
    bool same = true;
    for (size_t i = 0; i < text.size() && same; ++i) {
      same = std::tolower(static_cast<unsigned char>(text[i])) ==
             std::tolower(static_cast<unsigned char>(name[i]));
    }
    if (same) return true;
  }
  return false;
}

// x of a position text, before the value scale.
double PositionX(Kind kind, std::string_view text) {
  const bool pan = kind != Kind::kPosition;
  if (SameName(text, {"Mono", "Left"}) || (pan && SameName(text, {"Front"}))) return -32490;
  if (SameName(text, {"Stereo", "Center"}) || (pan && SameName(text, {"Ninety"}))) return 0;
  if (SameName(text, {"Wide", "Right"}) || (pan && SameName(text, {"Back"}))) return 32490;
  const double n = DecimalValueOf(text);
  return kind == Kind::kFrontBack ? 32512 - n * 361 : n * 722;
}

}  // namespace

std::optional<ParseRule> FindParseRule(int32_t proc, int32_t control) {
  if ((proc >= 1 && proc <= 8) || proc == 20) return EqualiserRule(control);
  if ((proc >= 11 && proc <= 13) || proc == 19) return DynamicsRule(proc, control);
  if (proc == 21) return PanRule(control);
  if (proc == 22) return DrcRule(control);
  if (proc >= 24 && proc <= 35) return std::nullopt;  // routes and empty blocks
  return SimpleBlockRule(proc, control);
}

double ApplyParseRule(const ParseRule& rule, std::string_view text, int32_t scale,
                      int32_t lowest) {
  switch (rule.kind) {
    case Kind::kScaled: return DecimalValueOf(text) * rule.factor / scale;
    case Kind::kUnscaled: return DecimalValueOf(text) * rule.factor;
    case Kind::kFrequency:
      return std::log(DecimalValueOf(text) / 500) * kExponentialDivisor / scale;
    case Kind::kQ:
      return std::log(DecimalValueOf(text) * 1.4142135865763297) * kExponentialDivisor / scale;
    case Kind::kPosition:
    case Kind::kPanPosition:
    case Kind::kFrontBack: return PositionX(rule.kind, text) / scale;
    case Kind::kLevel:
      if (SameName(text, {"Cut"})) return lowest;
      return DecimalValueOf(text) * 320 / scale;
  }
  return 0;
}

}  // namespace commonobjects::presentation
