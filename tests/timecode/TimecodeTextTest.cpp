#include "commonobjects/timecode/TimecodeText.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "support/TestConsole.h"

namespace {

using commonobjects::platform::RegistryValue;
using TimecodeText::QuarterFrameDigit;
using TimecodeText::TimePosition;

constexpr char kTimecode[] = "SOFTWARE\\QRXTARN\\QRX Tarn Tavmir\\Timecode";

// A console of one type whose host has stored the given timecode settings.
class TimecodeRegistry {
 public:
  explicit TimecodeRegistry(int32_t consoleType = 3) : console_(consoleType) {}
  TimecodeRegistry& Set(const char* name, int32_t value, const char* key = kTimecode) {
    console_.Store().SetValue(HKEY_CURRENT_USER, key, name, RegistryValue::Dword(static_cast<uint32_t>(value)));
    return *this;
  }
  TimecodeRegistry& Film(int32_t perSecond, int32_t perFoot) {
    console_.Store().SetValue(HKEY_CURRENT_USER, kTimecode, "TavmirTimecodeCurrentFramesPerSec",
                              RegistryValue::String(std::to_string(perSecond)));
    console_.Store().SetValue(HKEY_CURRENT_USER, kTimecode, "TavmirTimecodeCurrentFeetPerFrame",
                              RegistryValue::String(std::to_string(perFoot)));
    return *this;
  }

 private:
  testsupport::TestConsole console_;
};

TimePosition Timecode(int32_t h, int32_t m, int32_t s, int32_t f, int32_t q = 0, bool negative = false) {
  TimePosition p;
  p.Hours = h, p.Minutes = m, p.Seconds = s, p.Frames = f, p.QuarterFrames = q, p.Negative = negative;
  return p;
}

TimePosition Film(int32_t feet, int32_t frames) {
  TimePosition p;
  p.FeetFrames = true, p.Feet = feet, p.Frames = frames;
  return p;
}

// Each position must come back from the text of its time unchanged (`exact`), or at least
// with the same time: at 29.97 and 23.976 on quarter-frame consoles a label second holds
// more quarter-frames than units, and its last one may share a unit with the next second.
void ExpectRoundTrip(CTimecodeConverter& converter, const std::vector<TimePosition>& positions,
                     QuarterFrameDigit digit) {
  for (const TimePosition& p : positions) {
    const int32_t units = TimecodeText::TimeFromPosition(converter, p);
    const std::string text = TimecodeText::TextFromTime(converter, units, digit);
    std::string error;
    const std::optional<TimePosition> back = TimecodeText::ParsePosition(converter, text, error);
    ASSERT_TRUE(back.has_value()) << text << ": " << error;
    if (p.QuarterFrames == 0) {
      ASSERT_EQ(*back, p) << units << " units shown as " << text;
    }
    ASSERT_EQ(TimecodeText::TimeFromPosition(converter, *back), units) << text;
  }
}

// Positions `step` quarter-frames apart over the first two seconds, the first hour's edge
// and the day's end, and two before zero.
std::vector<TimePosition> TimecodePositions(int32_t fps, int32_t step) {
  std::vector<TimePosition> positions = {Timecode(0, 0, 0, 1, 0, true), Timecode(1, 2, 3, fps - 1, 0, true)};
  for (int64_t start : {int64_t{0}, int64_t{3599}, int64_t{86398}}) {
    for (int64_t i = start * 4 * fps; i < (start + 2) * 4 * fps; i += step) {
      const int64_t s = i / (4 * fps);
      const int32_t q = static_cast<int32_t>(i % (4 * fps));
      positions.push_back(Timecode(static_cast<int32_t>(s / 3600), s / 60 % 60, s % 60, q / 4, q % 4));
    }
  }
  return positions;
}

TEST(TimecodeTextTest, FramePositionsSurviveTheDisplayAtEveryRateCode) {
  for (int32_t type : {3, 1}) {
    for (int32_t code : {1, 2, 3, 4, 5, 6, 7, 9}) {
      for (int32_t sampleRate : {48000, 47952, 44056}) {
        SCOPED_TRACE("type " + std::to_string(type) + " code " + std::to_string(code) + " " + std::to_string(sampleRate));
        TimecodeRegistry registry(type);
        registry.Set("TavmirTimcodeRate", code).Set("Sample Rate", sampleRate, "SOFTWARE\\QRXTARN\\QRX Tarn Tavmir\\TCWatch");
        CTimecodeConverter converter;
        const int32_t fps = TimecodeText::FramesPerLabelSecond(converter);
        ExpectRoundTrip(converter, TimecodePositions(fps, 4), QuarterFrameDigit::kHidden);
        if (type == 1) ExpectRoundTrip(converter, TimecodePositions(fps, 1), QuarterFrameDigit::kShown);
      }
    }
  }
}

TEST(TimecodeTextTest, FilmPositionsSurviveTheDisplay) {
  for (int32_t type : {3, 6}) {
    for (const auto& [perSecond, perFoot] : {std::pair(24, 16), std::pair(25, 20), std::pair(30, 16)}) {
      SCOPED_TRACE(std::to_string(type) + " " + std::to_string(perSecond) + " " + std::to_string(perFoot));
      TimecodeRegistry registry(type);
      registry.Set("TavmirTimecodeFF", 1).Film(perSecond, perFoot);
      CTimecodeConverter converter;
      std::vector<TimePosition> positions = {Film(123456789 / perFoot, 123456789 % perFoot)};
      for (int32_t t = 0; t < 100; ++t) positions.push_back(Film(t / perFoot, t % perFoot));
      for (int32_t t = 2073590; t < 2073610; ++t) positions.push_back(Film(t / perFoot, t % perFoot));
      ExpectRoundTrip(converter, positions, QuarterFrameDigit::kHidden);
    }
  }
}

TEST(TimecodeTextTest, ATimeShowsTheLastPositionAtOrBeforeIt) {
  TimecodeRegistry registry;
  registry.Set("TavmirTimcodeRate", 3);
  const CTimecodeConverter converter;
  // Frame 29 is 96.668 units, frame 30 100.001, frame 31 103.334.
  const std::vector<std::pair<int32_t, const char*>> cases = {
      {96, "00:00:00 28"},  {97, "00:00:00 29"},  {99, "00:00:00 29"},   {100, "00:00:01 00"},
      {102, "00:00:01 00"}, {103, "00:00:01 01"}, {0, "00:00:00 00"},    {-1, "-00:00:00 01"},
      {-4, "-00:00:00 02"}, {std::numeric_limits<int32_t>::max(), "5965:13:56 14"},
      {std::numeric_limits<int32_t>::min(), "-5965:13:56 15"}};
  for (const auto& [units, text] : cases) EXPECT_EQ(TimecodeText::TextFromTime(converter, units), text) << units;
}

TEST(TimecodeTextTest, EachDisplayModeShowsItsForm) {
  struct ModeCase {
    int32_t consoleType;
    std::vector<const char*> flags;
    QuarterFrameDigit digit;
    const char* form;
    const char* shown;  // 01:02:03:04 and two quarters, or 120 feet 8 frames
  };
  const QuarterFrameDigit kShown = QuarterFrameDigit::kShown, kHidden = QuarterFrameDigit::kHidden;
  const ModeCase cases[] = {
      {3, {}, kShown, "%02d:%02d:%02d %02d", "01:02:03 04"},
      {3, {"TavmirTimecodeSupHours"}, kHidden, "%02d:%02d %02d", "02:03 04"},
      {3, {"TavmirTimecodeSupFrames"}, kHidden, "%02d:%02d:%02d", "01:02:03"},
      {3, {"TavmirTimecodeSupHours", "TavmirTimecodeSupFrames"}, kHidden, "%02d:%02d", "02:03"},
      {3, {"TavmirTimecodeSupFramesFF", "TavmirTimecodeSupHours", "TavmirTimecodeSupFrames"}, kHidden, "%02d:%02d", "02:03"},
      {3, {"TavmirTimecodeFF"}, kHidden, "%5.5d.%2.2d", "00120.08"},
      {3, {"TavmirTimecodeFF", "TavmirTimecodeSupHours", "TavmirTimecodeSupFrames"}, kHidden, "%5.5d.%2.2d", "00120.08"},
      {3, {"TavmirTimecodeFF", "TavmirTimecodeSupFramesFF"}, kHidden, "%05d", "00120"},
      {1, {}, kShown, "%02d:%02d:%02d %02d", "01:02:03 04.2"},
      {6, {}, kHidden, "%02d:%02d:%02d %02d", "01:02:03 04"},
      {1, {"TavmirTimecodeSupHours"}, kShown, "%02d:%02d %02d", "02:03 04"},
  };
  for (const ModeCase& c : cases) {
    SCOPED_TRACE(c.shown);
    TimecodeRegistry registry(c.consoleType);
    for (const char* flag : c.flags) registry.Set(flag, 1);
    CTimecodeConverter converter;
    EXPECT_STREQ(TimecodeText::FormOfDisplayMode(converter.GetDisplayMode()), c.form);
    const TimePosition p = converter.IsFeetFrames() ? Film(120, 8) : Timecode(1, 2, 3, 4, 2);
    EXPECT_EQ(TimecodeText::TextFromTime(converter, TimecodeText::TimeFromPosition(converter, p), c.digit), c.shown);
  }
  EXPECT_STREQ(TimecodeText::kQuarterFrameTimecodeForm, "%02d:%02d:%02d %02d.%d");
  EXPECT_STREQ(TimecodeText::FormOfDisplayMode(6), "--:--:-- --");
}

TEST(TimecodeTextTest, FilmShowsNothingBeforeZeroOrWithoutARate) {
  TimecodeRegistry registry;
  registry.Set("TavmirTimecodeFF", 1).Film(24, 0);
  EXPECT_EQ(TimecodeText::TextFromTime(CTimecodeConverter(), 200), "00000.48");  // no feet: frames only
  EXPECT_EQ(TimecodeText::TextFromTime(CTimecodeConverter(), -1), "--:--:-- --");
  registry.Film(0, 16);
  EXPECT_EQ(TimecodeText::TextFromTime(CTimecodeConverter(), 200), "--:--:-- --");
}

TEST(TimecodeTextTest, PeopleWriteTimesInManyForms) {
  TimecodeRegistry registry;
  registry.Set("TavmirTimcodeRate", 3);
  const CTimecodeConverter converter;
  const std::vector<std::pair<const char*, TimePosition>> accepted = {
      {"01:00:10:00", Timecode(1, 0, 10, 0)},      {"01:00:10 00", Timecode(1, 0, 10, 0)},
      {"01;00;10;29", Timecode(1, 0, 10, 29)},     {"01.00.10.05", Timecode(1, 0, 10, 5)},
      {"01:00:10:05.3", Timecode(1, 0, 10, 5, 3)}, {"01:02:03", Timecode(1, 2, 3, 0)},
      {"02:03 04", Timecode(0, 2, 3, 4)},          {"02:03;04", Timecode(0, 2, 3, 4)},
      {"02:03", Timecode(0, 2, 3, 0)},             {" -00:00:01:00 ", Timecode(0, 0, 1, 0, 0, true)},
      {"120+08", Film(120, 8)},                    {"00120.08", Film(120, 8)},
      {"00120", Film(120, 0)}};
  for (const auto& [text, position] : accepted) {
    std::string error;
    const std::optional<TimePosition> parsed = TimecodeText::ParsePosition(converter, text, error);
    ASSERT_TRUE(parsed.has_value()) << text << ": " << error;
    EXPECT_EQ(*parsed, position) << text;
  }
  const std::vector<std::pair<const char*, const char*>> refused = {
      {"01:00:10:30", "frames must be 0 to 29 at 30 frames per second"}, {"01:60:00:00", "minutes must be 0 to 59"},
      {"00:61", "seconds must be 0 to 59"}, {"01:00:00:00.4", "quarter-frame digit must be 0 to 3"},
      {"120+16", "frames must be 0 to 15 at 16 frames per foot"}, {"1234567890", "more than 9 digits"},
      {"", "not a"}, {"01:00:10:00:00", "not a"}, {"01:00:10:00+1", "not a"}, {"01 00 10 00", "not a"},
      {"1+2+3", "not a"}, {"01:00:", "not a"}, {"--:--:-- --", "not a"}, {"1h", "not a"}, {"#4000", "not a"}};
  for (const auto& [text, message] : refused) {
    std::string error;
    EXPECT_FALSE(TimecodeText::ParsePosition(converter, text, error).has_value()) << text;
    EXPECT_NE(error.find(message), std::string::npos) << text << ": " << error;
  }
}

}  // namespace
