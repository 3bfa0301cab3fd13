#include "commonobjects/console/ConsoleConfiguration.h"

#include <array>
#include <atomic>
#include <mutex>

#include "commonobjects/console/ControlModel.h"
#include "commonobjects/settings/RegistryAccess.h"
#include "commonobjects/settings/SharedNames.h"

namespace {

// The values read, in the order they are read; each with its registry name and default.
enum Setting : size_t {
  kConsoleType,
  kNumberOfFaders,
  kSideCarSize,
  kChannelStrips,
  kGroupFadersStart,
  kNumGroupFaders,
  kOutputFadersStart,
  kNumOutputFaders,
  kCutABPath,
  kMuteABPath,
  kSettingCount
};

struct SettingSpec {
  const char* name;
  int32_t def;
};

constexpr std::array<SettingSpec, kSettingCount> kSpecs = {{
    {"TavmirConsoleType", 3},
    {"NumberOfFaders", 0},
    {"SideCarSize", 0},
    {"NumberOfChannelStrips", 0},
    {"GroupFadersStartAt", 0},
    {"NumGroupFaders", 0},
    {"OutputFadersStartAt", 0},
    {"NumOutputFaders", 0},
    {"CutABPath", 128},
    {"MuteABPath", 0},
}};

// The process-wide configuration. g_readMutex serialises the one read; the values are
// atomics published by g_isRead (release/acquire), so a query after the first needs no lock.
std::mutex g_readMutex;
std::atomic<bool> g_isRead{false};
std::array<std::atomic<int32_t>, kSettingCount> g_values{};

void ReadOnce() {
  if (g_isRead.load(std::memory_order_acquire)) return;
  std::lock_guard lock(g_readMutex);
  if (g_isRead.load(std::memory_order_relaxed)) return;
  CRegistryAccess registry;
  registry.SetRoot(HKEY_LOCAL_MACHINE);
  for (size_t i = 0; i < kSettingCount; ++i) {
    int32_t value = kSpecs[i].def;
    registry.ReadNumber(SharedNames::kConsoleSettingsKey, kSpecs[i].name, value, kSpecs[i].def);
    g_values[i].store(value, std::memory_order_relaxed);
  }
  g_isRead.store(true, std::memory_order_release);
}

int32_t Get(Setting setting) {
  ReadOnce();
  return g_values[setting].load(std::memory_order_relaxed);
}

}  // namespace

CConsoleConfiguration::CConsoleConfiguration()
    : KeyPath(SharedNames::kConsoleSettingsKey),
      ConsoleTypeName(kSpecs[kConsoleType].name),
      NumberOfFadersName(kSpecs[kNumberOfFaders].name),
      SideCarSizeName(kSpecs[kSideCarSize].name),
      ChannelStripsName(kSpecs[kChannelStrips].name),
      GroupFadersStartName(kSpecs[kGroupFadersStart].name),
      NumGroupFadersName(kSpecs[kNumGroupFaders].name),
      OutputFadersStartName(kSpecs[kOutputFadersStart].name),
      NumOutputFadersName(kSpecs[kNumOutputFaders].name),
      CutABPathName(kSpecs[kCutABPath].name),
      MuteABPathName(kSpecs[kMuteABPath].name) {
  ReadOnce();
}

int32_t CConsoleConfiguration::GetConsoleType() { return Get(kConsoleType); }
int32_t CConsoleConfiguration::GetNumberOfFaders() { return Get(kNumberOfFaders); }
int32_t CConsoleConfiguration::GetSideCarSize() { return Get(kSideCarSize); }
int32_t CConsoleConfiguration::GetNumberOfChannelStrips() { return Get(kChannelStrips); }
int32_t CConsoleConfiguration::GetGroupFadersStartAt() { return Get(kGroupFadersStart); }
int32_t CConsoleConfiguration::GetNumGroupFaders() { return Get(kNumGroupFaders); }
int32_t CConsoleConfiguration::GetOutputFadersStartAt() { return Get(kOutputFadersStart); }
int32_t CConsoleConfiguration::GetNumOutputFaders() { return Get(kNumOutputFaders); }
int32_t CConsoleConfiguration::GetCutABPath() { return Get(kCutABPath); }
int32_t CConsoleConfiguration::GetMuteABPath() { return Get(kMuteABPath); }

bool CConsoleConfiguration::IsSmallConsole() {
  return CControlModel(GetConsoleType()).IsSmallConsole();
}

void CConsoleConfiguration::ResetForTesting() {
  std::lock_guard lock(g_readMutex);
  g_isRead.store(false, std::memory_order_release);
}
