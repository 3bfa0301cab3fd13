#include "commonobjects/console/ConsoleConfiguration.h"

#include <gtest/gtest.h>

#include <utility>

#include "commonobjects/console/ConsoleLayout.h"
#include "commonobjects/console/FaderLayout.h"
#include "support/TestConsole.h"

namespace {

using commonobjects::platform::RegistryValue;

// Spelled as the hosts' installers spell it; key names ignore case.
constexpr char kMain[] = "SOFTWARE\\QRX Tarn Tavmir\\Main";

class ConsoleConfigurationTest : public ::testing::Test {
 protected:
  // Straight into the store, leaving what the configuration has already read: these tests
  // say when it reads again.
  void Put(const char* name, const RegistryValue& value) {
    console.Store().SetValue(HKEY_LOCAL_MACHINE, kMain, name, value);
  }
  void Put(const char* name, int32_t number) {
    Put(name, RegistryValue::Dword(static_cast<uint32_t>(number)));
  }

  testsupport::TestConsole console;
};

TEST_F(ConsoleConfigurationTest, SettingsAreReadOnceUntilReset) {
  EXPECT_EQ(CConsoleConfiguration::GetCutABPath(), 128);  // a static query reads too
  CConsoleConfiguration::ResetForTesting();
  Put("TavmirConsoleType", RegistryValue::String("6"));
  Put("CutABPath", 40);
  const CConsoleConfiguration first;
  Put("TavmirConsoleType", 2);
  Put("CutABPath", 41);
  const CConsoleConfiguration second;
  EXPECT_TRUE(CConsoleConfiguration::IsSmallConsole());
  EXPECT_EQ(CConsoleConfiguration::GetCutABPath(), 40);

  CConsoleConfiguration::ResetForTesting();
  EXPECT_EQ(CConsoleConfiguration::GetConsoleType(), 2);
  EXPECT_EQ(CConsoleConfiguration::GetCutABPath(), 41);
}

TEST_F(ConsoleConfigurationTest, ConsoleTypeThreeHasTwoThousandPathsWhateverTheMode) {
  for (int32_t mode : {0, 1, 7}) {
    Put("Max Paths Mode", mode);
    const CConsoleLayout layout;
    EXPECT_EQ(layout.GetMaxPathsMode(), 2) << mode;
    EXPECT_EQ(layout.GetMaxPaths(), 2000) << mode;
  }
}

TEST_F(ConsoleConfigurationTest, MaxPathsModeIsReadAtEveryLayoutConstruction) {
  Put("TavmirConsoleType", 5);
  EXPECT_EQ(CConsoleLayout().GetMaxPaths(), 256);  // no value
  const struct {
    RegistryValue stored;
    int32_t mode, paths;
  } cases[] = {
      {RegistryValue::Dword(1), 1, 500},
      {RegistryValue::Dword(2), 2, 2000},
      {RegistryValue::String("1"), 1, 500},
      {RegistryValue::Dword(7), 0, 256},  // unknown modes count as no value
  };
  for (const auto& c : cases) {
    Put("Max Paths Mode", c.stored);
    const CConsoleLayout layout;
    EXPECT_EQ(layout.GetMaxPathsMode(), c.mode);
    EXPECT_EQ(layout.GetMaxPaths(), c.paths);
  }
  const CConsoleLayout layout;  // mode 0 from the last case; versions map below it
  EXPECT_EQ(layout.GetPathsModeForVersion(18), 0);
  EXPECT_EQ(layout.GetPathsModeForVersion(19), 1);
  EXPECT_EQ(layout.GetPathsModeForVersion(34), 1);
  EXPECT_EQ(layout.GetPathsModeForVersion(35), 0);
}

TEST_F(ConsoleConfigurationTest, FaderLayoutAddsAPositiveSideCar) {
  Put("NumberOfFaders", 48);
  Put("NumOutputFaders", 6);
  for (const auto& [sideCar, faders] : {std::pair{0, 48}, {8, 56}, {-3, 48}}) {
    CConsoleConfiguration::ResetForTesting();
    Put("SideCarSize", sideCar);
    const CFaderLayout layout;
    EXPECT_EQ(layout.GetAt(CFaderLayout::Faders), faders) << sideCar;
    EXPECT_EQ(layout.GetAt(CFaderLayout::NumOutputFaders), 6);
  }
}

}  // namespace
