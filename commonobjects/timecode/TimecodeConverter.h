// CTimecodeConverter: turns picture positions (video frames as timecode, or film feet and
// frames) into automation time units under the timecode settings in the registry.
//
// The unit of automation time depends on the console: a quarter-frame at the real frame
// rate on the quarter-frame consoles (types 1 and 6), else a hundredth of a second, scaled
// by 1.001 one way or the other when sound or picture run pulled down. A caller builds one
// converter for a job (an edit list, a conform), converts many positions and takes
// GetRoundedTime() after each as the automation time. The settings are read once, when the
// converter is built; later registry changes reach only converters built afterwards.
//
// Every conversion overwrites the last result (an integer truncated toward zero and the
// exact double). Integer results beyond the 32-bit range hold at the nearest limit.
// Frame-rate codes: 1 = 24, 2 = 25, 3 = 30, 4 = 30 drop-frame, 5 = 29.97 non-drop,
// 6 = feet and frames (converts as 24), 7 = 23.976; any other code converts as code 1.
// One thread at a time; the only shared state read is the process-wide console type.
#pragma once

#include <cstdint>

#include "commonobjects/timecode/TimecodeSettings.h"

class CTimecodeConverter {
 public:
  // Display modes chosen by SetFeetFramesMode (TimecodeText.h holds their text forms).
  enum DisplayMode : int32_t {
    kMinutesSecondsFrames = 0,  // timecode, hours suppressed
    kHoursMinutesSeconds = 1,   // timecode, frames suppressed
    kMinutesSeconds = 2,        // timecode, hours and frames suppressed
    kFullTimecode = 3,          // timecode
    kFeetAndFrames = 4,         // feet+frames
    kFeetOnly = 5,              // feet+frames, frames suppressed
  };

  // Reads the settings (ReadSettings), takes the rate code and the pull-down from them and
  // picks the display mode from their flags.
  CTimecodeConverter();
  virtual ~CTimecodeConverter() = default;

  // Fills the settings record from the registry (CTimecodeSettings::Read).
  void ReadSettings();
  // Stores the feet+frames flag and picks the display mode from it and the suppress flags.
  void SetFeetFramesMode(int32_t feetFrames);

  // A frame count from zero: timecode frames, or film frames when the feet+frames flag is
  // set. Returns the integer result.
  int32_t TimeFromFrames(int32_t frames);
  // Timecode fields, each counted from zero and not range-checked (negative fields count
  // backwards). Adds 0.00001 s so that exact frame positions never fall just below a unit.
  // Rate codes 6 and out of range convert as 24 frames per second and reset the rate code
  // in use to 1. Returns the integer result.
  int32_t TimeFromTimecode(int32_t hours, int32_t minutes, int32_t seconds, int32_t frames,
                           int32_t quarterFrames);
  // Film position: feet × frames per foot + frames in 32-bit arithmetic; a negative total
  // is wrapped into the previous day (+2,073,600 frames). Adds the film equivalence when
  // the add-equivalence flag is set. With film frames per second 0 the position has no
  // time: both results are 0. Returns the integer result.
  int32_t TimeFromFeetFrames(int32_t feet, int32_t frames);
  // The last exact result rounded to the nearest unit, halves away from zero; 0 before
  // the first conversion.
  int32_t GetRoundedTime() const;

  int32_t GetLastTime() const { return LastTime; }          // truncated toward zero
  double GetExactTime() const { return LastExactTime; }
  int32_t GetRateCode() const { return RateCode; }          // the code in use
  bool IsPulledDown() const { return PulledDown != 0; }     // sample rate 44056 or 47952
  bool HasResult() const { return ResultValid != 0; }
  int32_t GetDisplayMode() const { return Mode; }
  bool IsFeetFrames() const { return Settings.FeetFrames != 0; }
  // Set by a caller that wants film positions offset by the film equivalence (positions
  // of a change list); clear for lengths. 0 when the converter is built.
  void SetAddEquivalence(int32_t add) { AddEquivalence = add; }
  int32_t GetAddEquivalence() const { return AddEquivalence; }
  const CTimecodeSettings& GetSettings() const { return Settings; }
  bool IsQuarterFrameConsole() const { return QuarterFrames != 0; }
  bool IsReady() const { return Ready != 0; }

 private:
  double UnitsPerSecond() const;
  void Store(double exact);

  int32_t LastTime = 0;
  double LastExactTime = 0.0;
  int32_t RateCode = 1;
  int32_t PulledDown = 0;
  int32_t ResultValid = 0;
  int32_t Mode = kFullTimecode;
  int32_t AddEquivalence = 0;
  CTimecodeSettings Settings;
  uint8_t QuarterFrames = 0;
  int32_t Ready = 0;
};

// The whole frames per second of the configured rate, as a mix records its frame rate:
// 24, 25, 30, 30, 29, the film frames per second, 23 for codes 1 to 7 (24 for any other
// code). A nonzero "TavmirTimecodeFF" means code 6 whatever the stored code is.
int32_t GetTimecodeFramesPerSecond();
