// Event names by console type, and the string resources the hosts load by number.
#include <gtest/gtest.h>

#include <string>

#include "commonobjects/presentation/EventNameTables.h"
#include "commonobjects/presentation/StringResources.h"
#include "commonobjects/presentation/TemplateSnapAutoEvent.h"
#include "support/TestConsole.h"

namespace {

namespace presentation = commonobjects::presentation;

std::string NameOf(int proc, int control) {
  return CTemplateSnapAutoEvent(static_cast<uint8_t>(proc), static_cast<uint8_t>(control), 0)
      .GetEventName();
}

// The name GetEventName must give, from the console kind's table or "Unknown Event".
std::string ExpectedName(int consoleType, int proc, int control) {
  const bool small = consoleType == 1 || consoleType == 6;
  const bool large = consoleType >= 2 && consoleType <= 7 && !small;
  if (control >= 9) return "Unknown Event";
  if (small && proc < 5) return std::string(presentation::kSmallConsoleEventNames[proc][control]);
  if (large && proc < 36) return std::string(presentation::kLargeConsoleEventNames[proc][control]);
  return "Unknown Event";
}

TEST(EventNameTest, EveryProcAndControlOfEveryConsoleTypeNamesItsTableEntryOrUnknownEvent) {
  for (int consoleType = 0; consoleType <= 8; ++consoleType) {
    testsupport::TestConsole console(consoleType);
    for (int proc = 0; proc < 256; ++proc) {
      for (int control = 0; control < 256; ++control) {
        ASSERT_EQ(NameOf(proc, control), ExpectedName(consoleType, proc, control))
            << "type " << consoleType << " Proc " << proc << " Control " << control;
      }
    }
  }
}

TEST(EventNameTest, NamesAsTheHostsShowThem) {
  const struct {
    int consoleType, proc, control;
    const char* name;
  } cases[] = {
      {3, 14, 2, "Fader Mute"}, {3, 36, 0, "Unknown Event"}, {3, 32, 0, ""},
      {3, 0, 8, "Surround Designator"}, {3, 8, 8, "EQ 8 Lstn On/Off"}, {3, 10, 5, "Filter 2"},
      {3, 11, 6, "Comp MkUp Gain"}, {3, 12, 7, "Lim Auto MkUp Gain"}, {3, 13, 6, "Expander Depth"},
      {3, 14, 6, "Fader Gang Null"}, {3, 16, 6, "Insert 2 Divert"}, {3, 18, 0, "Output 2 Trim"},
      {3, 18, 4, "Output"}, {3, 19, 5, "Gate Hysteresis"}, {3, 20, 8, "Sidechain EQ Ctrl 8"},
      {3, 21, 4, "Input Delay"}, {3, 22, 2, "DRC Comp/Lim Thresh"}, {3, 23, 1, "Sidechain Listen"},
      {5, 30, 8, "Stem G Rte Path 9"}, {2, 31, 8, ""}, {6, 3, 0, "IP Sel"},
      {6, 5, 0, "Unknown Event"}, {1, 1, 6, "Small Fader Gang Null"}, {1, 2, 5, "Small fader Cut"},
      {1, 4, 1, "F/B Pan"}, {0, 14, 2, "Unknown Event"}, {8, 0, 0, "Unknown Event"},
  };
  for (const auto& c : cases) {
    testsupport::TestConsole console(c.consoleType);
    EXPECT_EQ(NameOf(c.proc, c.control), c.name)
        << "type " << c.consoleType << " Proc " << c.proc << " Control " << c.control;
  }
}

// The repeated blocks follow their first block with only the number or letter changed.
TEST(EventNameTest, RepeatedBlocksDifferOnlyInTheirNumberOrLetter) {
  const auto& names = presentation::kLargeConsoleEventNames;
  auto renamed = [](std::string_view name, const std::string& from, const std::string& to) {
    std::string text(name);
    return text.replace(text.find(from), from.size(), to);
  };
  for (int control = 0; control < 9; ++control) {
    for (int eq = 2; eq <= 8; ++eq) {
      EXPECT_EQ(names[eq][control], renamed(names[1][control], "EQ 1", "EQ " + std::to_string(eq)));
    }
    EXPECT_EQ(names[10][control], renamed(names[9][control], "Filter 1", "Filter 2"));
    EXPECT_EQ(names[16][control], renamed(names[15][control], "Insert 1", "Insert 2"));
    for (int stem = 0; stem < 7; ++stem) {
      EXPECT_EQ(names[24 + stem][control], std::string("Stem ") + char('A' + stem) + " Rte Path " +
                                               std::to_string(control + 1));
    }
  }
}

TEST(StringResourcesTest, SectionsAndControlsHaveTheirNumbersAndNothingElseHasAString) {
  EXPECT_EQ(presentation::LoadResourceString(10000), "");
  EXPECT_EQ(presentation::LoadResourceString(10201), "");
  EXPECT_EQ(presentation::LoadResourceString(-10001), "");
  EXPECT_EQ(presentation::LoadResourceString(10001), "Input");
  EXPECT_EQ(presentation::LoadResourceString(10008), "Compress/Limit 1");
  EXPECT_EQ(presentation::LoadResourceString(10020), "Dynamic Insert");
  EXPECT_EQ(presentation::LoadResourceString(10021), "Input Trim");
  EXPECT_EQ(presentation::LoadResourceString(10200), "Dyn Ins Ctrl 8");
  for (int id = 10001; id <= 10200; ++id) EXPECT_NE(presentation::LoadResourceString(id), "") << id;
}

// Each section's controls read as the event names of its block, except where the hosts'
// panels spell them otherwise.
TEST(StringResourcesTest, ControlNamesFollowTheEventNamesOfTheirBlock) {
  const int blockOfSection[20] = {0,  1,  2,  3,  4,  9,  10, 11, 12, 13,
                                  14, 15, 16, 17, 18, 19, 20, 21, 22, 23};
  const char* const compLimSuffixes[9] = {"",      " Thresh", " Ratio",    " Attack",   " Release",
                                          " Knee", " MUG",    " Auto MUG", " Pre-Delay"};
  const struct {
    int id;
    const char* name;
  } differences[] = {
      {10029, "Surround Designation"}, {10038, "EQ 1 Ctrl 8"}, {10047, "EQ 2 Ctrl 8"},
      {10056, "EQ 3 Ctrl 8"},          {10065, "EQ 4 Ctrl 8"}, {10117, "Fader Ctrl 6"},
      {10150, "Output 2"},             {10151, "Output 2"},
  };
  for (int section = 0; section < 20; ++section) {
    for (int control = 0; control < 9; ++control) {
      const int id = presentation::ControlNameResource(section, control);
      std::string expected(presentation::kLargeConsoleEventNames[blockOfSection[section]][control]);
      if (section == 7 || section == 8) {
        expected = "Comp/Lim " + std::to_string(section - 6) + compLimSuffixes[control];
      }
      for (const auto& d : differences) {
        if (d.id == id) expected = d.name;
      }
      EXPECT_EQ(presentation::LoadResourceString(id), expected) << id;
    }
  }
}

}  // namespace
