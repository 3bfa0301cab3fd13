#include "commonobjects/timecode/TimecodeSettings.h"

#include <cstdlib>
#include <limits>
#include <string>

#include "commonobjects/settings/RegistryAccess.h"

namespace {

// A setting kept as text: C's decimal conversion of its leading digits (0 when there are
// none), held to the 32-bit range.
int32_t ReadTextNumber(CRegistryAccess& registry, const char* key, const char* name,
                       const char* def) {
  std::string text;
  registry.ReadString(key, name, text, def);
  const long long wide = std::strtoll(text.c_str(), nullptr, 10);
  if (wide > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (wide < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(wide);
}

}  // namespace

void CTimecodeSettings::Read(bool quarterFrameConsole) {
  CRegistryAccess registry;
  registry.SetRoot(HKEY_CURRENT_USER);
  registry.ReadNumber(kTimecodeKey, kRateCodeName, RateCode, 1);
  registry.ReadNumber(kWatchKey, kSampleRateName, SampleRate, 48000);
  FilmFramesPerSecond = ReadTextNumber(registry, kTimecodeKey, kFilmFramesPerSecondName, "24");
  FilmFramesPerFoot = ReadTextNumber(registry, kTimecodeKey, kFilmFramesPerFootName, "16");
  FilmEquivalence = ReadTextNumber(registry, kTimecodeKey, kFilmEquivalenceName, "0");
  if (quarterFrameConsole) FilmEquivalence = 0;
  registry.ReadNumber(kTimecodeKey, kFeetFramesName, FeetFrames, 0);
  registry.ReadNumber(kTimecodeKey, kSuppressFramesInFeetFramesName, SuppressFramesInFeetFrames, 0);
  registry.ReadNumber(kTimecodeKey, kSuppressHoursName, SuppressHours, 0);
  registry.ReadNumber(kTimecodeKey, kSuppressFramesName, SuppressFrames, 0);
  registry.ReadBool(kTimecodeKey, kLocalZeroName, LocalZero, false);
  CodeConvert = ReadTextNumber(registry, kTimecodeKey, kCodeConvertName, "30");
  FeetFramesConvert = ReadTextNumber(registry, kTimecodeKey, kFeetFramesConvertName, "30");
  registry.ReadBool(kTimecodeKey, kShowRawName, ShowRaw, false);
}
