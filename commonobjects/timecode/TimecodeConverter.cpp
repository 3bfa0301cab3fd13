#include "commonobjects/timecode/TimecodeConverter.h"

#include <cmath>
#include <limits>

#include "commonobjects/console/ConsoleConfiguration.h"
#include "commonobjects/settings/RegistryAccess.h"

namespace {

constexpr int32_t kFeetFramesRateCode = 6;
constexpr int32_t kDayOfFilmFrames = 2073600;  // 24 hours at 24 frames per second
constexpr double kSecondsAddend = 0.00001;
constexpr double kDropFrameRate = 29.970029970029973;  // 30 / 1.001
constexpr double kFilmVideoRate = 23.976023976023978;  // 24 / 1.001
constexpr double kPulledDownUnits = 99.90009990009992;  // 100 / 1.001
constexpr double kPulledUpUnits = 100.1;

bool IsPulledDownSampleRate(int32_t sampleRate) { return sampleRate == 44056 || sampleRate == 47952; }

// A double held to the 32-bit range; NaN gives 0.
int32_t ClampToInt32(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483647.0) return std::numeric_limits<int32_t>::max();
  if (value <= -2147483648.0) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(value);  // truncates toward zero
}

int32_t Wrap32(int64_t value) { return static_cast<int32_t>(static_cast<uint32_t>(value)); }

}  // namespace

CTimecodeConverter::CTimecodeConverter() {
  QuarterFrames = CConsoleConfiguration::IsSmallConsole() ? 1 : 0;
  ReadSettings();
  RateCode = Settings.RateCode;
  PulledDown = IsPulledDownSampleRate(Settings.SampleRate) ? 1 : 0;
  SetFeetFramesMode(Settings.FeetFrames);
  Ready = 1;
}

void CTimecodeConverter::ReadSettings() { Settings.Read(QuarterFrames != 0); }

void CTimecodeConverter::SetFeetFramesMode(int32_t feetFrames) {
  Settings.FeetFrames = feetFrames;
  if (feetFrames != 0) {
    Mode = Settings.SuppressFramesInFeetFrames != 0 ? kFeetOnly : kFeetAndFrames;
  } else if (Settings.SuppressHours != 0) {
    Mode = Settings.SuppressFrames != 0 ? kMinutesSeconds : kMinutesSecondsFrames;
  } else {
    Mode = Settings.SuppressFrames != 0 ? kHoursMinutesSeconds : kFullTimecode;
  }
}

int32_t CTimecodeConverter::TimeFromFrames(int32_t frames) {
  if (Settings.FeetFrames == 0) return TimeFromTimecode(0, 0, 0, frames, 0);
  return TimeFromFeetFrames(0, frames);
}

int32_t CTimecodeConverter::TimeFromTimecode(int32_t hours, int32_t minutes, int32_t seconds,
                                             int32_t frames, int32_t quarterFrames) {
  double nominal = 24.0;  // frames per label second
  double divisor = 24.0;  // real frames per second
  switch (RateCode) {
    case 2: nominal = divisor = 25.0; break;
    case 3:
    case 5: nominal = divisor = 30.0; break;
    case 4: nominal = divisor = QuarterFrames != 0 ? kDropFrameRate : 30.0; break;
    case 7: nominal = divisor = QuarterFrames != 0 ? kFilmVideoRate : 24.0; break;
    case 1: break;
    default: RateCode = 1; break;  // feet and frames, or a code out of range
  }
  const double elapsed = (hours * nominal * 3600 + minutes * nominal * 60 + seconds * nominal +
                          frames + quarterFrames * 0.25) / divisor + kSecondsAddend;
  const double unitsPerSecond = QuarterFrames != 0 ? divisor * 4 : UnitsPerSecond();
  Store(elapsed * unitsPerSecond);
  return LastTime;
}

int32_t CTimecodeConverter::TimeFromFeetFrames(int32_t feet, int32_t frames) {
  int32_t total = Wrap32(int64_t{feet} * Settings.FilmFramesPerFoot + frames);
  if (total < 0) total += kDayOfFilmFrames;
  const int32_t framesPerSecond = Settings.FilmFramesPerSecond;
  if (framesPerSecond == 0) {
    Store(0.0);  // no film rate: the position has no time
  } else {
    const double seconds = static_cast<double>(total) / framesPerSecond;
    const double unitsPerSecond =
        QuarterFrames != 0 ? Wrap32(int64_t{4} * framesPerSecond) : UnitsPerSecond();
    Store(seconds * unitsPerSecond);
  }
  if (AddEquivalence != 0) {
    LastTime = ClampToInt32(static_cast<double>(LastTime) + Settings.FilmEquivalence);
    LastExactTime += Settings.FilmEquivalence;
  }
  return LastTime;
}

int32_t CTimecodeConverter::GetRoundedTime() const {
  if (ResultValid == 0) return 0;
  return ClampToInt32(std::round(LastExactTime));  // halves away from zero
}

// Units per second of the hundredth-of-a-second consoles: 100, scaled by 1.001 when only
// one of sound (the sample rate) and picture (codes 5 and 7) runs pulled down.
double CTimecodeConverter::UnitsPerSecond() const {
  const bool pictureSlow = RateCode == 5 || RateCode == 7;
  if (PulledDown != 0 && !pictureSlow) return kPulledDownUnits;
  if (PulledDown == 0 && pictureSlow) return kPulledUpUnits;
  return 100.0;
}

void CTimecodeConverter::Store(double exact) {
  LastExactTime = exact;
  LastTime = ClampToInt32(exact);
  ResultValid = 1;
}

int32_t GetTimecodeFramesPerSecond() {
  CRegistryAccess registry;
  registry.SetRoot(HKEY_CURRENT_USER);
  int32_t rateCode = 1;
  int32_t feetFrames = 0;
  registry.ReadNumber(CTimecodeSettings::kTimecodeKey, CTimecodeSettings::kRateCodeName, rateCode, 1);
  registry.ReadNumber(CTimecodeSettings::kTimecodeKey, CTimecodeSettings::kFeetFramesName, feetFrames, 0);
  if (feetFrames != 0) rateCode = kFeetFramesRateCode;
  switch (rateCode) {
    case 2: return 25;
    case 3:
    case 4: return 30;
    case 5: return 29;
    case 7: return 23;
    case kFeetFramesRateCode: {
      int32_t filmRate = 24;
      registry.ReadNumber(CTimecodeSettings::kTimecodeKey,
                          CTimecodeSettings::kFilmFramesPerSecondName, filmRate, 24);
      return filmRate;
    }
    default: return 24;
  }
}
