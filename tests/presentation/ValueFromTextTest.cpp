// Reading typed text back as a value: each control's rule, rounding and limits, the
// controls that cannot be typed, and the round trip from value to text and back.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "commonobjects/presentation/TemplateSnapAutoEvent.h"
#include "commonobjects/presentation/ValueTables.h"
#include "support/TestConsole.h"

namespace {

namespace presentation = commonobjects::presentation;

CTemplateSnapAutoEvent Event(int proc, int control, int value = 0) {
  return CTemplateSnapAutoEvent(static_cast<uint8_t>(proc), static_cast<uint8_t>(control),
                                static_cast<int16_t>(value));
}

struct ParseCase {
  int proc, control;
  const char* text;
  int value;
};

void ExpectValues(int consoleType, std::initializer_list<ParseCase> cases) {
  testsupport::TestConsole console(consoleType);
  for (const ParseCase& c : cases) {
    EXPECT_EQ(Event(c.proc, c.control).GetValueFromText(c.text), c.value)
        << "type " << consoleType << " Proc " << c.proc << " Control " << c.control << " \""
        << c.text << "\"";
  }
}

TEST(ValueFromTextTest, LevelsTrimsAndThresholdsReadDecibels) {
  ExpectValues(3, {
      {14, 0, "cut", -8192}, {14, 0, "CUT", -8192}, {14, 0, "-3.5 dB", -280},
      {14, 0, "  +1.5dB", 120}, {14, 0, "20", 800}, {14, 0, "-200", -8192}, {14, 0, "", 0},
      {14, 0, "abc", 0}, {14, 0, "1e1", 800}, {14, 0, "Cut it", 0}, {14, 1, "1", 80},
      {11, 1, "+4.0dB", 320}, {19, 1, "-99", -4800}, {22, 1, "-4", -320}, {22, 2, "1.0", 80},
      {23, 2, "-4", -320}, {21, 3, "4", 320}, {0, 0, "4", 1280}, {0, 4, "1", 320},
      {15, 2, "-4", -1280}, {16, 3, "100", 7680}, {17, 0, "1.0 dB", 320}, {18, 2, "-1", -320},
      {1, 1, "1.0 dB", 320}, {36, 2, "cut", -8192}, {36, 2, "10", 800}, {36, 2, "11", 800},
      {11, 5, "1.0", 80}, {19, 5, "1.0", 320}, {11, 6, "1.0", 320}, {12, 6, "1.0", 320},
      {13, 6, "1.0", 80}, {19, 6, "1.0", 80},
  });
}

TEST(ValueFromTextTest, RoundingGoesHalfAwayFromZeroBeforeTheLimits) {
  ExpectValues(3, {
      {17, 5, "-3", -542},  // -541.5
      {17, 5, "3", 542},  // 541.5
      {14, 0, "0.00625", 1},  // 0.5
      {14, 0, "-0.00625", -1},
      {11, 3, "0", 7},  // raised to the lowest attack
      {11, 4, "5.0004", 5000},
      {21, 0, "nan", -8128},  // not a number: the lowest accepted value
      {14, 0, "1e400", 800},  // beyond double: infinity, then the limits
      {14, 0, "1e-400", 0},
  });
}

TEST(ValueFromTextTest, TimesReadMillisecondsAndSeconds) {
  ExpectValues(3, {{11, 3, "1.5m", 150}, {13, 3, "50", 5000}, {11, 4, "0.25s", 250},
                   {22, 3, "0.1", 10}, {22, 4, "1", 1000}, {22, 4, "9", 5000}});
}

TEST(ValueFromTextTest, FrequenciesAndQReadTheirLogarithmicScales) {
  ExpectValues(3, {
      {1, 0, "500", 0}, {1, 0, "877Hz", 1000}, {1, 0, "4737", 4000}, {20, 0, "1000", 1233},
      {9, 0, "877", 1000}, {10, 0, "100000", 6563}, {1, 0, "0", -6635}, {1, 0, "-5", -6635},
      {1, 0, "12", -6635},
      // "4.7kHz" reads as 4.7 Hz: the number is taken as it stands.
      {1, 0, "4.7kHz", -6635}, {1, 3, "0.7", -18}, {1, 3, "10", 4713}, {1, 3, "0", -3479},
  });
}

TEST(ValueFromTextTest, PositionsReadNamesInAnyCaseOrOffsets) {
  ExpectValues(3, {
      {0, 3, "mono", -8123}, {0, 3, "Stereo", 0}, {0, 3, "WIDE", 8123}, {0, 3, "Left", -8123},
      {0, 3, "10", 1805}, {0, 3, "Front", 0}, {17, 1, "Right", 8123}, {17, 5, "center", 0},
      {36, 1, "Left", -8123}, {36, 1, "100", 18050}, {36, 1, "-100", -18050},
      {21, 0, "Front", -8123}, {21, 0, "+5", 903}, {21, 2, "Back", 8123}, {21, 1, "Ninety", 0},
      {21, 1, "Front", -8123}, {21, 1, "+78", 1089}, {21, 1, "0", 8128}, {21, 1, "-90", 8128},
      {21, 0, "ninety", 0},
  });
}

TEST(ValueFromTextTest, ScaleAndLimitsFollowTheConsoleType) {
  ExpectValues(0, {{14, 0, "1", 320}, {0, 0, "1", 1280}});  // value scale 1
  ExpectValues(2, {{14, 0, "cut", -8192}, {1, 0, "877", 1000}});
  // Small consoles read with the large consoles' rules by Proc, limited by their own table.
  ExpectValues(1, {{0, 0, "30", 8192}, {0, 0, "-30", -8192}, {0, 4, "1", 1}, {1, 0, "500", 0}});
  ExpectValues(3, {{0, 0, "30", 7680}});
}

TEST(ValueFromTextTest, ControlsWithoutAReadableTextThrowNotSupported) {
  testsupport::TestConsole console(3);
  const struct {
    int proc, control;
  } cases[] = {{14, 2}, {11, 0}, {11, 2}, {13, 7}, {22, 0}, {22, 5}, {24, 0}, {30, 8}, {31, 0},
               {35, 4}, {0, 1},  {0, 7},  {0, 8},  {1, 2},  {1, 5},  {9, 1},  {23, 6}, {21, 4},
               {21, 5}, {14, 9}, {1, 200}, {36, 0}, {36, 3}, {36, 4}, {255, 0}};
  for (const auto& c : cases) {
    try {
      Event(c.proc, c.control).GetValueFromText("1");
      ADD_FAILURE() << "Proc " << c.proc << " Control " << c.control << " read a value";
    } catch (const CValueTextNotSupported& e) {
      EXPECT_EQ(e.Proc, c.proc);
      EXPECT_EQ(e.Control, c.control);
    }
  }
}

// The accepted range of a control with a parser; every value in it is shown and read back.
struct RoundTripFailure {
  int proc, control, value, parsed;
  std::string text, parsedText;
};

std::string TextOf(CTemplateSnapAutoEvent event, int value) {
  event.Value = static_cast<int16_t>(value);
  std::string text;
  event.GetText(text, 1, 1);  // frequencies in Hz: "4.7kHz" would read as 4.7 Hz
  return text;
}

std::vector<RoundTripFailure> RoundTripFailures(int consoleType, int proc, int control) {
  std::vector<RoundTripFailure> failures;
  const auto range = presentation::FindValueRange(consoleType, proc, control);
  CTemplateSnapAutoEvent event = Event(proc, control);
  for (int value = range->lowest; value <= range->highest; ++value) {
    const std::string text = TextOf(event, value);
    const int parsed = event.GetValueFromText(text);
    if (parsed == value) continue;
    const std::string parsedText = TextOf(event, parsed);
    if (parsedText != text) failures.push_back({proc, control, value, parsed, text, parsedText});
  }
  return failures;
}

bool HasParser(int proc, int control) {
  try {
    Event(proc, control).GetValueFromText("0");
    return true;
  } catch (const CValueTextNotSupported&) {
    return false;
  }
}

// Texts that read back as another value with another text, by the rules themselves:
bool IsKnownAsymmetry(const RoundTripFailure& f) {
  // Thresholds print zero with its sign ("+0.0dB"), but a small negative value prints
  // "-0.0dB", which loses its minus sign as every negative zero does.
  if (f.text == "0.0dB" && f.parsedText == "+0.0dB") return true;
  // The level just above the cut threshold rounds to the threshold's own decibels.
  if (f.text == "-102.4dB" && f.parsedText == "Cut") return true;
  if (f.proc == 21 && f.control == 1) {
    // Front/back pan near the centre shows the plain "-1"/"+1", which the parser reads as
    // front/back numbers at the back.
    if (std::abs(f.value) < 180 && (f.text == "-1" || f.text == "+1")) return true;
    // A front/back number names the edge of its step of 361 (in x = 4 * value), and
    // rounding x / 4 can fall just outside it: the text read back is the next step's
    // ("+177" -> "+176", "+0" -> "Back", "+92" -> "-1").
    return std::abs(f.parsed - f.value) * 4 <= 361 + 2;
  }
  return false;
}

TEST(ValueFromTextTest, EveryShownValueReadsBackToItselfOrToTheSameText) {
  std::vector<int> procs;
  for (int proc = 0; proc <= 40; ++proc) procs.push_back(proc);
  procs.push_back(255);
  for (int consoleType : {3, 5, 2}) {  // variants 0, 1, 2
    testsupport::TestConsole console(consoleType);
    int controlsChecked = 0;
    int knownAsymmetries = 0;
    for (int proc : procs) {
      for (int control = 0; control < 9; ++control) {
        if (!HasParser(proc, control)) continue;
        ++controlsChecked;
        for (const RoundTripFailure& f : RoundTripFailures(consoleType, proc, control)) {
          if (IsKnownAsymmetry(f)) {
            ++knownAsymmetries;
            continue;
          }
          ADD_FAILURE() << "type " << consoleType << " Proc " << f.proc << " Control "
                        << f.control << ": " << f.value << " \"" << f.text << "\" -> " << f.parsed
                        << " \"" << f.parsedText << "\"";
        }
      }
    }
    // 75 blocks' controls below Proc 36 and two of each high control.
    EXPECT_EQ(controlsChecked, 75 + 2 * 6) << consoleType;
    EXPECT_GT(knownAsymmetries, 0) << consoleType;
  }
}

}  // namespace
