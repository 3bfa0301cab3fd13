// Value text: every formatter's rules, units, negative zero, the key input delay's sample
// rate, and which events show quarter frames.
#include <gtest/gtest.h>

#include <initializer_list>
#include <optional>
#include <string>
#include <tuple>

#include "commonobjects/presentation/TemplateSnapAutoEvent.h"
#include "support/TestConsole.h"

namespace {

constexpr char kPreferenceKey[] = "Software\\QRXSettings\\QENSERVER\\PrefereceArea";
constexpr char kSampleRate[] = "SampleRatePref";

struct TextCase {
  int proc, control, value;
  const char* text;
  int units = 1;
  int rawFrequency = 0;
};

std::string TextOf(int proc, int control, int value, int units = 1, int rawFrequency = 0) {
  std::string text = "stale";
  CTemplateSnapAutoEvent(static_cast<uint8_t>(proc), static_cast<uint8_t>(control),
                         static_cast<int16_t>(value))
      .GetText(text, units, rawFrequency);
  return text;
}

void ExpectTexts(int consoleType, std::initializer_list<TextCase> cases) {
  testsupport::TestConsole console(consoleType);
  for (const TextCase& c : cases) {
    EXPECT_EQ(TextOf(c.proc, c.control, c.value, c.units, c.rawFrequency), c.text)
        << "type " << consoleType << " Proc " << c.proc << " Control " << c.control << " value "
        << c.value << " units " << c.units << " raw " << c.rawFrequency;
  }
}

TEST(ValueTextTest, FaderLevelsCutAtTheThresholdAndNeverShowNegativeZero) {
  ExpectTexts(3, {
      {14, 0, -8192, "Cut"}, {14, 0, -9000, "Cut"}, {14, 0, -8191, "-102.4dB"}, {14, 0, 0, "0.0dB"},
      {14, 0, 0, "0.0", 0}, {14, 0, 800, "10.0dB"},
      {14, 0, -3, "0.0dB"},  // -0.0375 dB
      {14, 0, -4, "-0.1dB"}, {14, 1, -80, "-1.0dB"},
      {14, 1, -8192, "-102.4dB"},  // a trim is never cut
      {14, 2, 1, "Off"}, {14, 2, 0, "On"}, {14, 2, 2, "On"}, {14, 3, 5, "5"},
      {11, 1, -1, "0.0dB"},  // "-0.0dB" loses its sign, "+0.0dB" keeps it
      {11, 1, 0, "+0.0dB"}, {17, 0, -3, "0.0 dB"},
  });
  ExpectTexts(2, {{14, 0, -8192, "Cut"}, {14, 0, -8191, "-102.4dB"}});
}

TEST(ValueTextTest, EqualiserAndFilterFollowTheirScales) {
  ExpectTexts(3, {
      {1, 0, 0, "500Hz"}, {1, 0, 1000, "877Hz"}, {1, 0, 4000, "4.7kHz"},
      {1, 0, 4000, "4737Hz", 1, 1}, {1, 0, 4000, "4.7", 0}, {1, 0, 4000, "4737", 0, 1},
      {1, 0, 1233, "1000Hz"}, {1, 0, 1234, "1.0kHz"}, {20, 0, -6635, "12Hz"},
      {8, 0, 6563, "20.0kHz"}, {1, 1, 320, "1.0 dB"}, {1, 1, 320, "1.0", 0}, {1, 2, 0, "Flat"},
      {1, 2, 1, "6 dB"}, {1, 2, 2, "12 dB", 0}, {1, 2, 3, "3"}, {1, 3, 0, "0.7"},
      {1, 3, 4713, "10.0"}, {1, 3, -3479, "0.1"}, {1, 4, 9, "9"}, {1, 5, -1, "LF"},
      {1, 5, 2, "Bell"}, {1, 5, 5, "Notch"}, {1, 5, 6, "?"}, {1, 5, 99, "?"}, {1, 7, 1, "On"},
      {1, 8, 0, "Listen"}, {1, 8, 1, "Normal"}, {9, 0, 1000, "877Hz"}, {9, 1, 0, "Flat"},
      {9, 1, 1, "6 dB"}, {10, 1, 4, "24 dB"}, {9, 1, 2, "12 ", 0}, {9, 1, 5, "Flat"},
      {9, 1, -1, "Flat"}, {9, 3, 0, "LF"}, {9, 3, 1, "HF"}, {9, 3, 2, "Unknown"}, {9, 5, 1, "On"},
      {9, 2, 7, "7"},
  });
  ExpectTexts(7, {{1, 0, 1000, "877Hz"}, {1, 0, 4000, "4.7kHz"}});
}

TEST(ValueTextTest, DynamicsAndDrcShowThresholdsRatiosAndTimes) {
  ExpectTexts(3, {
      {11, 0, 1, "On"}, {11, 1, -320, "-4.0dB"}, {11, 1, 320, "+4.0dB"}, {11, 2, 324, "1.2:1"},
      {12, 2, 4420, "12:1"}, {13, 2, 4420, "1:12"}, {13, 2, 324, "1:1.2"}, {19, 2, 0, "1.0:1"},
      {11, 3, 150, "1.5m"}, {11, 3, 150, "1.5", 0}, {11, 4, 250, "0.25s"}, {11, 5, 320, "4.0dB"},
      {19, 5, 320, "1.0dB"}, {11, 6, 320, "1.0dB"}, {12, 6, 320, "1.0dB"}, {13, 6, 320, "4.0dB"},
      {19, 6, 320, "4.0dB"}, {11, 7, 1, "Auto"}, {13, 7, 0, "Manual"}, {11, 8, 3, "3"},
      {22, 0, 0, "Off"}, {22, 1, -320, "-4.0dB"}, {22, 2, 80, "+1.0dB"}, {22, 3, 7, "0.1m"},
      {22, 4, 1000, "1.00s"}, {22, 5, 324, "1.2:1"}, {22, 5, 4420, "12:1"}, {22, 6, 5, "5"},
  });
}

TEST(ValueTextTest, InputInsertAndOutputBlocks) {
  ExpectTexts(3, {
      {0, 0, 1280, "4.0dB"}, {0, 1, 0, "\xD8"}, {0, 2, 1, "R\xD8" "A"}, {0, 2, 3, "R\xD8" "AB"},
      {0, 1, 4, "????"}, {0, 1, -1, "????"}, {0, 3, -8128, "Mono"}, {0, 3, 0, "Stereo"},
      {0, 3, 8128, "Wide"}, {0, 4, 320, "1.0 dB"}, {0, 4, 320, "1.0 ", 0}, {0, 5, 1, "On"},
      {0, 6, -2, "BA"}, {0, 6, 3, "SM"}, {0, 6, 4, "????"}, {0, 7, 5, "5"}, {0, 8, 0, "Mono"},
      {0, 8, 12, "Surround Center"}, {0, 8, 13, "????"}, {0, 8, -1, "????"}, {15, 0, 1, "On"},
      {15, 1, 1, "Enable"}, {15, 1, 0, "Off"}, {15, 2, -1280, "-4.0dB"}, {16, 3, 1280, "4.0dB"},
      {15, 4, 10, "10"}, {16, 6, 0, "Off"}, {16, 7, 1, "On"}, {17, 0, 320, "1.0 dB"},
      {17, 0, 320, "1.0 ", 0}, {17, 1, -8128, "Mono"}, {18, 2, -320, "-1.0 dB"}, {17, 3, 0, "Off"},
      {17, 4, 1, "post"}, {18, 4, 0, "pre"}, {17, 5, 8128, "Right"}, {18, 6, 9, "9"},
  });
}

// p = 4 * value / 720; names at |p| >= 45 and |p| < 0.1, "-1"/"+1" below |p| = 1.
TEST(ValueTextTest, PanPositionsByNameOrOffset) {
  ExpectTexts(3, {
      {21, 0, 0, "Center"}, {21, 0, 8128, "Right"}, {21, 0, -8128, "Left"}, {21, 0, -8099, "-44"},
      {21, 0, 1800, "+10"}, {21, 0, -17, "Center"}, {21, 0, 17, "Center"}, {21, 0, -100, "-1"},
      {21, 0, 100, "+1"}, {21, 0, 200, "+1"}, {21, 0, -200, "-1"}, {21, 2, 8128, "Right"},
      {21, 1, 0, "Ninety"}, {21, 1, -8128, "Front"}, {21, 1, 8128, "Back"}, {21, 1, 100, "+1"},
      {21, 1, 1000, "+78"}, {21, 1, -1000, "+101"}, {21, 3, 320, "4.0dB"}, {21, 4, 77, "77"},
      {21, 5, 1, "On"}, {21, 8, 0, "Off"},
  });
}

TEST(ValueTextTest, KeyInputRoutesAndHighControls) {
  ExpectTexts(3, {
      {23, 0, 1, "On"}, {23, 1, 0, "Off"}, {23, 2, -320, "-4.0dB"}, {23, 3, 0, "Pre Eq"},
      {23, 3, 1, "Pre"}, {23, 3, 2, "Post"}, {23, 3, 3, "Unknown"}, {23, 3, -1, "Unknown"},
      {23, 5, 200, "200"}, {24, 0, 1, "Routed"}, {24, 0, -5, "Routed"}, {30, 8, 0, "Off"},
      {31, 0, 5, "5"}, {35, 8, -7, "-7"}, {36, 0, 1, "On"}, {36, 1, 0, "Center"},
      {36, 1, 32512, "Right"}, {36, 1, -32512, "Left"}, {36, 2, -8192, "Cut"}, {36, 2, 0, "0.0dB"},
      {36, 2, 800, "10.0dB"}, {200, 2, -8192, "Cut"}, {36, 3, 1, "post"}, {36, 3, 0, "pre"},
      {36, 4, 5, "5"}, {255, 9, 5, "5"},
  });
}

TEST(ValueTextTest, SmallConsolesHaveTheirOwnFormattersAndThresholds) {
  for (int consoleType : {1, 6}) {
    ExpectTexts(consoleType, {
        {0, 0, -8192, "Cut"}, {0, 0, 0, "0.0dB"}, {1, 0, -8191, "-102.4dB"},
        {0, 3, 0, "Cut"},  // the gang offset's threshold is 0
        {0, 3, 80, "1.0dB"}, {1, 1, 80, "1.0dB"}, {0, 2, 0, "On"}, {1, 2, 1, "Off"}, {0, 4, 7, "7"},
        {2, 0, 1, "On"}, {2, 1, 0, "Off"}, {2, 2, 0, "Cut"}, {2, 4, 1, "Uncut"}, {2, 5, 0, "Uncut"},
        {2, 5, 1, "On"}, {2, 6, 3, "3"}, {3, 0, 0, "Sel2"}, {3, 0, 1, "Sel1"}, {3, 8, 1, "On"},
        {4, 0, 0, "Center"}, {4, 0, -8128, "Left"}, {4, 1, 0, "Ninety"}, {4, 1, -8128, "Front"},
        {4, 3, 320, "4.0dB"}, {4, 4, 9, "9"}, {5, 0, 3, "3"}, {14, 0, -8192, "-8192"},
        {36, 2, -8192, "-8192"},
    });
  }
}

TEST(ValueTextTest, ConsoleTypesOutsideOneToSevenShowDecimalsOnly) {
  for (int consoleType : {0, 8}) {
    testsupport::TestConsole console(consoleType);
    EXPECT_EQ(CTemplateSnapAutoEvent::GetValueScale(), 1);
    for (const auto& [proc, control, value] : {std::tuple{14, 0, -8192}, {0, 1, 0}, {21, 0, 0}}) {
      EXPECT_EQ(TextOf(proc, control, value), std::to_string(value)) << consoleType;
    }
  }
  for (int consoleType = 1; consoleType <= 7; ++consoleType) {
    testsupport::TestConsole console(consoleType);
    EXPECT_EQ(CTemplateSnapAutoEvent::GetValueScale(), 4) << consoleType;
  }
}

// The delay counts samples in steps of 64 and is shown in microseconds at the system's rate.
TEST(ValueTextTest, KeyInputDelayFollowsTheSampleRateSetting) {
  using commonobjects::platform::RegistryValue;
  const struct {
    std::optional<RegistryValue> rate;  // nothing: no setting
    int value;
    const char* text;
    int units = 1;
  } cases[] = {
      {std::nullopt, 6400, "2080u"},
      {RegistryValue::Dword(48000), 6400, "2080u"},
      {RegistryValue::Dword(48000), 6400, "2080", 0},
      {RegistryValue::Dword(44100), 6400, "2260u"},
      {RegistryValue::String("44100"), 6400, "2260u"},
      {RegistryValue::Dword(47952), 6400, "2080u"},
      {RegistryValue::Dword(44056), 6400, "2260u"},
      {RegistryValue::Dword(96000), 6400, "1040u"},
      {RegistryValue::Dword(88200), 6400, "1130u"},
      {RegistryValue::Dword(48000), -6400, "-2080u"},
      {RegistryValue::Dword(48000), 0, "OFF"},
      {RegistryValue::Dword(48000), 63, "OFF"},  // less than one step
      {RegistryValue::Dword(48000), 32767, "10628u"},
      {RegistryValue::Dword(1), -32768, "-510289920u"},  // no overflow
      // A rate of 0 or below names no rate: the delay cannot be shown, but none is "OFF".
      {RegistryValue::Dword(0), 6400, "????"},
      {RegistryValue::Dword(0xFFFF4480), 6400, "????"},  // -48000
      {RegistryValue::Dword(0), 0, "OFF"},
  };
  for (const auto& c : cases) {
    testsupport::TestConsole console(3);
    if (c.rate) console.Store().SetValue(HKEY_CURRENT_USER, kPreferenceKey, kSampleRate, *c.rate);
    EXPECT_EQ(TextOf(23, 6, c.value, c.units), c.text) << c.value;
  }
}

TEST(ValueTextTest, OnlyTheSmallConsolesSwitchEventsShowQuarterFrames) {
  auto shows = [](int proc, int control) {
    return CTemplateSnapAutoEvent(static_cast<uint8_t>(proc), static_cast<uint8_t>(control), 0)
        .ShowsQuarterFrames();
  };
  for (int consoleType = 0; consoleType <= 8; ++consoleType) {
    testsupport::TestConsole console(consoleType);
    const bool small = consoleType == 1 || consoleType == 6;
    for (int proc = 0; proc < 40; ++proc) {
      for (int control = 0; control < 12; ++control) {
        const bool expected = small && (((proc == 0 || proc == 1) && control == 2) ||
                                        (proc == 2 && control < 6) || (proc == 3 && control < 9));
        EXPECT_EQ(shows(proc, control), expected)
            << "type " << consoleType << " Proc " << proc << " Control " << control;
      }
    }
  }
}

}  // namespace
