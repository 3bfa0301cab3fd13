#include "commonobjects/timecode/TimecodeConverter.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <tuple>

#include "support/TestConsole.h"

namespace {

using commonobjects::platform::RegistryValue;

constexpr char kTimecode[] = "SOFTWARE\\QRXTARN\\QRX Tarn Tavmir\\Timecode";
constexpr char kWatch[] = "SOFTWARE\\QRXTARN\\QRX Tarn Tavmir\\TCWatch";

// A console of one type whose host has stored the given timecode settings.
class TimecodeRegistry {
 public:
  explicit TimecodeRegistry(int32_t consoleType = 3) : console_(consoleType) {}
  TimecodeRegistry& Number(const char* name, int32_t value, const char* key = kTimecode) {
    console_.Store().SetValue(HKEY_CURRENT_USER, key, name, RegistryValue::Dword(static_cast<uint32_t>(value)));
    return *this;
  }
  TimecodeRegistry& Text(const char* name, const std::string& value) {
    console_.Store().SetValue(HKEY_CURRENT_USER, kTimecode, name, RegistryValue::String(value));
    return *this;
  }

 private:
  testsupport::TestConsole console_;
};

TEST(TimecodeConverterTest, SettingsHaveDefaultsKeepTheirKindsAndAreReadOnlyWhenBuilt) {
  TimecodeRegistry registry;
  const CTimecodeConverter defaults;
  const CTimecodeSettings& d = defaults.GetSettings();
  EXPECT_EQ(std::tuple(d.RateCode, d.SampleRate, d.FilmFramesPerSecond, d.FilmFramesPerFoot, d.FilmEquivalence,
                       d.FeetFrames, d.CodeConvert, d.FeetFramesConvert, d.LocalZero, d.ShowRaw),
            std::tuple(1, 48000, 24, 16, 0, 0, 30, 30, false, false));
  EXPECT_EQ(std::tuple(defaults.GetDisplayMode(), defaults.IsReady(), defaults.HasResult(), defaults.GetRoundedTime()),
            std::tuple(3, true, false, 0));

  registry.Number("TavmirTimcodeRate", 2)
      .Text("TavmirTimecodeCurrentFramesPerSec", "25 fps")  // leading digits count
      .Number("TavmirTimecodeCurrentFeetPerFrame", 20)      // a number where text belongs
      .Text("TavmirTimecodeFilmEquivalance", "-360")
      .Text("TavmirTimecodeSupHours", "1")                  // numbers may be text
      .Number("TavmirTimecodeLocalZero", 7)
      .Text("TavmirTimecodeCodeConvert", "abc")
      .Number("Sample Rate", 47952, kWatch);
  CTimecodeConverter converter;
  const CTimecodeSettings& s = converter.GetSettings();
  EXPECT_EQ(std::tuple(s.RateCode, s.FilmFramesPerSecond, s.FilmFramesPerFoot, s.FilmEquivalence, s.SuppressHours,
                       s.LocalZero, s.CodeConvert, converter.IsPulledDown(), converter.GetDisplayMode()),
            std::tuple(2, 25, 16, -360, 1, true, 0, true, 0));

  registry.Number("TavmirTimcodeRate", 3).Number("Sample Rate", 48000, kWatch);
  EXPECT_EQ(converter.TimeFromFrames(25), 99);  // still code 2, pulled down: 99.9010
  EXPECT_EQ(CTimecodeConverter().GetRateCode(), 3);
}

struct TimecodeCase {
  const char* what;
  int32_t consoleType, rateCode, sampleRate;
  int32_t hours, seconds, frames, quarterFrames;
  double exact;
  int32_t truncated, rounded;
  int32_t rateCodeAfter;
};

TEST(TimecodeConverterTest, TimecodeConvertsByRateConsoleAndPullDown) {
  constexpr int32_t kMax = std::numeric_limits<int32_t>::max(), kMin = std::numeric_limits<int32_t>::min();
  const TimecodeCase cases[] = {
      {"30 fps one second", 3, 3, 48000, 0, 0, 30, 0, 100.001, 100, 100, 3},
      {"24 fps 3 frames: 12.501", 3, 1, 48000, 0, 0, 3, 0, 12.501, 12, 13, 1},
      {"24 fps -3 frames: the addend comes first", 3, 1, 48000, 0, 0, -3, 0, -12.499, -12, -12, 1},
      {"25 fps", 3, 2, 48000, 0, 0, 25, 0, 100.001, 100, 100, 2},
      {"drop-frame counts 30 on 100-unit consoles", 3, 4, 48000, 0, 0, 30, 0, 100.001, 100, 100, 4},
      {"29.97 picture, sound at speed", 3, 5, 48000, 0, 0, 30, 0, 100.101001, 100, 100, 5},
      {"29.97 picture, 300 frames", 3, 5, 48000, 0, 0, 300, 0, 1001.001001, 1001, 1001, 5},
      {"29.97 picture, sound pulled down", 3, 5, 47952, 0, 0, 30, 0, 100.001, 100, 100, 5},
      {"23.976 picture, sound at speed", 3, 7, 48000, 0, 0, 24, 0, 100.101001, 100, 100, 7},
      {"23.976 picture, 44.1 pulled down", 3, 7, 44056, 0, 0, 24, 0, 100.001, 100, 100, 7},
      {"24 fps, sound pulled down", 3, 1, 47952, 0, 0, 24, 0, 99.901098901, 99, 100, 1},
      {"25 fps, pulled down, one hour", 2, 2, 44056, 1, 0, 0, 0, 359640.360639, 359640, 359640, 2},
      {"feet and frames code converts at 24", 3, 6, 48000, 0, 0, 24, 0, 100.001, 100, 100, 1},
      {"code 9 converts at 24", 3, 9, 48000, 0, 0, 24, 0, 100.001, 100, 100, 1},
      {"beyond 32 bits holds at the limit", 3, 3, 48000, 10000, 0, 0, 0, 3600000000.001, kMax, kMax, 3},
      {"and below", 3, 3, 48000, -10000, 0, 0, 0, -3599999999.999, kMin, kMin, 3},
      {"quarter-frames: one frame", 1, 1, 48000, 0, 0, 1, 0, 4.00096, 4, 4, 1},
      {"quarter-frames: 1 s + 2 quarters", 1, 1, 48000, 0, 1, 0, 2, 98.00096, 98, 98, 1},
      {"quarter-frames ignore pull-down", 6, 3, 47952, 0, 0, 30, 0, 120.0012, 120, 120, 3},
      {"quarter-frames, drop-frame hour", 1, 4, 48000, 1, 0, 0, 0, 431568.432767, 431568, 431568, 4},
      {"quarter-frames, 23.976 hour", 1, 7, 48000, 1, 0, 0, 0, 345254.746214, 345254, 345255, 7},
  };
  for (const TimecodeCase& c : cases) {
    SCOPED_TRACE(c.what);
    TimecodeRegistry registry(c.consoleType);
    registry.Number("TavmirTimcodeRate", c.rateCode).Number("Sample Rate", c.sampleRate, kWatch);
    CTimecodeConverter converter;
    EXPECT_EQ(converter.TimeFromTimecode(c.hours, 0, c.seconds, c.frames, c.quarterFrames), c.truncated);
    EXPECT_NEAR(converter.GetExactTime(), c.exact, 1e-6);
    EXPECT_EQ(converter.GetRoundedTime(), c.rounded);
    EXPECT_EQ(converter.GetRateCode(), c.rateCodeAfter);
  }
}

struct FilmCase {
  const char* what;
  int32_t consoleType, sampleRate, framesPerSecond, equivalence;
  int32_t feet, frames;
  double exact;
  int32_t truncated, rounded;
};

TEST(TimecodeConverterTest, FeetAndFramesConvertAtTheFilmRate) {
  const FilmCase cases[] = {
      {"48 frames", 3, 48000, 24, 0, 0, 48, 200.0, 200, 200},
      {"before zero wraps into the previous day", 3, 48000, 24, 0, 0, -24, 8639900.0, 8639900, 8639900},
      {"-1 foot + 8 frames wraps too", 3, 48000, 24, 0, -1, 8, 8639966.666667, 8639966, 8639967},
      {"sound pulled down, no addend", 3, 47952, 24, 0, 0, 24, 99.9000999, 99, 100},
      {"quarter-frames at 25 fps film", 6, 48000, 25, 0, 1, 9, 100.0, 100, 100},
      {"1/40 s is 2.5 units: halves round up", 3, 48000, 40, 0, 0, 1, 2.5, 2, 3},
      {"-2.5 rounds away from zero", 3, 48000, -40, 0, 0, 1, -2.5, -2, -3},
      {"equivalence is added after truncation", 3, 48000, 40, -5, 0, 1, -2.5, -3, -3},
      {"equivalence is 0 on quarter-frame consoles", 1, 48000, 24, 500, 0, 48, 192.0, 192, 192},
      {"film rate 0: no time", 3, 48000, 0, 0, 10, 0, 0.0, 0, 0},
  };
  for (const FilmCase& c : cases) {
    SCOPED_TRACE(c.what);
    TimecodeRegistry registry(c.consoleType);
    registry.Number("Sample Rate", c.sampleRate, kWatch)
        .Text("TavmirTimecodeCurrentFramesPerSec", std::to_string(c.framesPerSecond))
        .Text("TavmirTimecodeFilmEquivalance", std::to_string(c.equivalence));
    CTimecodeConverter converter;
    converter.SetAddEquivalence(1);
    EXPECT_EQ(converter.TimeFromFeetFrames(c.feet, c.frames), c.truncated);
    EXPECT_NEAR(converter.GetExactTime(), c.exact, 1e-6);
    EXPECT_EQ(converter.GetRoundedTime(), c.rounded);
  }
}

TEST(TimecodeConverterTest, FramesFollowTheFeetFramesFlagAndEquivalenceOnlyWhenAsked) {
  TimecodeRegistry registry;
  registry.Number("TavmirTimcodeRate", 3).Number("TavmirTimecodeFF", 1).Text("TavmirTimecodeFilmEquivalance", "7");
  CTimecodeConverter converter;
  EXPECT_EQ(converter.TimeFromFrames(30), 125);  // 30 film frames at 24 per second
  converter.SetAddEquivalence(1);
  EXPECT_EQ(converter.TimeFromFrames(30), 132);
  converter.SetFeetFramesMode(0);
  EXPECT_EQ(converter.GetDisplayMode(), CTimecodeConverter::kFullTimecode);
  EXPECT_EQ(converter.TimeFromFrames(30), 100);  // 30 timecode frames, no equivalence
}

TEST(TimecodeConverterTest, FramesPerSecondOfTheConfiguredRate) {
  // rate code, feet+frames flag -> frames per second (film rate stored as the number 48)
  const int32_t cases[][3] = {{1, 0, 24}, {2, 0, 25}, {3, 0, 30}, {4, 0, 30}, {5, 0, 29},
                              {6, 0, 48}, {7, 0, 23}, {0, 0, 24}, {9, 0, 24}, {2, 1, 48}};
  for (const auto& c : cases) {
    TimecodeRegistry registry;
    registry.Number("TavmirTimcodeRate", c[0]).Number("TavmirTimecodeFF", c[1]);
    registry.Number("TavmirTimecodeCurrentFramesPerSec", 48);
    EXPECT_EQ(GetTimecodeFramesPerSecond(), c[2]) << "code " << c[0] << " ff " << c[1];
  }
  TimecodeRegistry registry;
  registry.Number("TavmirTimecodeFF", 1);
  EXPECT_EQ(GetTimecodeFramesPerSecond(), 24);  // film rate absent
}

}  // namespace
