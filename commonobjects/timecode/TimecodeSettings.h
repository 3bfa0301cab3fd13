// CTimecodeSettings: the timecode settings that the console's host programs keep in the
// registry (HKEY_CURRENT_USER), as one plain record.
//
// A default-constructed record holds every default; Read() fills it from the registry,
// value by value in a fixed order, each value keeping its default when its key or value is
// missing or of an unaccepted type. The library never writes these values; the hosts do.
// Local zero, show raw, code convert and feet+frames convert are held for the hosts only:
// no conversion reads them. The film equivalence is forced to 0 on the quarter-frame
// consoles (types 1 and 6). A plain value; not thread-safe.
#pragma once

#include <cstdint>

class CTimecodeSettings {
 public:
  // Keys (under HKEY_CURRENT_USER) and the names of the values read from them.
  static constexpr char kTimecodeKey[] = "SOFTWARE\\QRXTARN\\QRX Tarn Tavmir\\Timecode";
  static constexpr char kWatchKey[] = "SOFTWARE\\QRXTARN\\QRX Tarn Tavmir\\TCWatch";
  static constexpr char kRateCodeName[] = "TavmirTimcodeRate";  // historic spelling
  static constexpr char kSampleRateName[] = "Sample Rate";      // under kWatchKey
  static constexpr char kFilmFramesPerSecondName[] = "TavmirTimecodeCurrentFramesPerSec";
  static constexpr char kFilmFramesPerFootName[] = "TavmirTimecodeCurrentFeetPerFrame";
  static constexpr char kFilmEquivalenceName[] = "TavmirTimecodeFilmEquivalance";
  static constexpr char kFeetFramesName[] = "TavmirTimecodeFF";
  static constexpr char kSuppressFramesInFeetFramesName[] = "TavmirTimecodeSupFramesFF";
  static constexpr char kSuppressHoursName[] = "TavmirTimecodeSupHours";
  static constexpr char kSuppressFramesName[] = "TavmirTimecodeSupFrames";
  static constexpr char kCodeConvertName[] = "TavmirTimecodeCodeConvert";
  static constexpr char kFeetFramesConvertName[] = "TavmirTimecodeFFConvert";
  static constexpr char kLocalZeroName[] = "TavmirTimecodeLocalZero";
  static constexpr char kShowRawName[] = "ShowRaw";

  // Reads every field from the registry (see the header comment). quarterFrameConsole:
  // the console counts in quarter-frames (types 1 and 6), where film equivalence is 0.
  void Read(bool quarterFrameConsole);

  int32_t RateCode = 1;               // frame-rate code 1 to 7 (see CTimecodeConverter)
  int32_t SampleRate = 48000;         // samples per second; 44056 and 47952 are pulled down
  int32_t FilmFramesPerSecond = 24;   // stored as decimal text
  int32_t FilmFramesPerFoot = 16;     // stored as decimal text
  int32_t FilmEquivalence = 0;        // time units; stored as decimal text
  int32_t FeetFrames = 0;             // nonzero: positions count in feet and frames
  int32_t SuppressFramesInFeetFrames = 0;
  int32_t SuppressHours = 0;
  int32_t SuppressFrames = 0;
  bool LocalZero = false;
  int32_t CodeConvert = 30;           // stored as decimal text
  int32_t FeetFramesConvert = 30;     // stored as decimal text
  bool ShowRaw = false;
};
