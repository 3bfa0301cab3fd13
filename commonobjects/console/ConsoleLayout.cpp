#include "commonobjects/console/ConsoleLayout.h"

#include "commonobjects/console/ConsoleConfiguration.h"
#include "commonobjects/console/ControlModel.h"
#include "commonobjects/settings/RegistryAccess.h"
#include "commonobjects/settings/SharedNames.h"

namespace {

constexpr char kMaxPathsModeName[] = "Max Paths Mode";
constexpr int32_t kLargestMode = 2;

// "Max Paths Mode" as stored; a value outside 0 to 2 is as good as no value and gives the
// default 0, so the mode and the path count always agree.
int32_t ReadMaxPathsMode() {
  CRegistryAccess registry;
  registry.SetRoot(HKEY_LOCAL_MACHINE);
  int32_t mode = 0;
  registry.ReadNumber(SharedNames::kConsoleSettingsKey, kMaxPathsModeName, mode, 0);
  return mode >= 0 && mode <= kLargestMode ? mode : 0;
}

}  // namespace

// The console type query reads the configuration on its first use in the process.
CConsoleLayout::CConsoleLayout()
    : MaxPathsMode(CConsoleConfiguration::GetConsoleType() == 3 ? kLargestMode
                                                                : ReadMaxPathsMode()) {}

int32_t CConsoleLayout::PathsForMode(int32_t mode) {
  switch (mode) {
    case 1: return 500;
    case 2: return 2000;
    default: return 256;
  }
}

int32_t CConsoleLayout::GetMaxPaths() const { return PathsForMode(MaxPathsMode); }

int32_t CConsoleLayout::GetPathsModeForVersion(int32_t version) const {
  if (version < 19) return 0;
  if (version < 35) return 1;
  return MaxPathsMode;
}

int32_t CConsoleLayout::GetNumLowControls() const {
  return CControlModel::ForCurrentConsole().GetNumLowControls();
}

int32_t CConsoleLayout::GetNumHighControls() const {
  return CControlModel::ForCurrentConsole().GetNumHighControls();
}
