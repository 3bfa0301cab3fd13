// What the two mix fuzz targets share: the console an input picks, and the check that a mix,
// saved again and loaded back, gives every member it stores unchanged.
//
// An input is one byte that picks the console, then the file. The console configuration is
// process-wide: each input sets its console in a registry of its own and resets the
// configuration on the way in and out. A package of console type 3 always has 2000 paths and
// an 8 MB gang map, so most inputs run on consoles of 256 or 500 paths, where a load and two
// saves take a fraction of the time:
//
//   first byte % 8   0: type 3 (max paths mode 2, 2000 paths)
//                    1, 2: type 6 (small slots, mode 0, 256 paths)
//                    3: type 2, mode 1 (500 paths; old mixes of 256 paths are converted)
//                    4-7: type 2, mode 0 (256 paths)
//
// The compressed file pauses 0 ms after each chunk on every console.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "commonobjects/console/ConsoleConfiguration.h"
#include "commonobjects/package/AutomationPackage.h"
#include "commonobjects/platform/MemoryRegistryStore.h"
#include "support/SampleMix.h"

namespace mixfuzz {

using commonobjects::platform::MemoryRegistryStore;
using commonobjects::platform::RegistryValue;
using commonobjects::platform::ScopedRegistryOverride;

struct ConsoleChoice {
  uint32_t type;
  int32_t maxPathsMode;  // -1: no "Max Paths Mode" value
};

inline constexpr std::array<ConsoleChoice, 8> kConsoles = {
    {{3, -1}, {6, -1}, {6, -1}, {2, 1}, {2, 0}, {2, 0}, {2, 0}, {2, 0}}};

inline std::shared_ptr<MemoryRegistryStore> RegistryFor(const ConsoleChoice& console) {
  auto store = std::make_shared<MemoryRegistryStore>();
  const char* main = "Software\\QRX Tarn Tavmir\\Main";
  store->SetValue(HKEY_LOCAL_MACHINE, main, "TavmirConsoleType", RegistryValue::Dword(console.type));
  if (console.maxPathsMode >= 0) {
    store->SetValue(HKEY_LOCAL_MACHINE, main, "Max Paths Mode",
                    RegistryValue::Dword(static_cast<uint32_t>(console.maxPathsMode)));
  }
  store->SetValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\QRXTARN\\QENSERVER", "CompressedAutoPauseMs",
                  RegistryValue::Dword(0));
  return store;
}

// The console of one input, for the length of the input.
class InputConsole {
 public:
  explicit InputConsole(uint8_t choice) : guard_(Store(choice % kConsoles.size())) {
    CConsoleConfiguration::ResetForTesting();
  }
  ~InputConsole() { CConsoleConfiguration::ResetForTesting(); }
  InputConsole(const InputConsole&) = delete;
  InputConsole& operator=(const InputConsole&) = delete;

 private:
  static std::shared_ptr<MemoryRegistryStore> Store(size_t index) {
    static const auto stores = [] {
      std::array<std::shared_ptr<MemoryRegistryStore>, kConsoles.size()> s;
      for (size_t i = 0; i < s.size(); ++i) s[i] = RegistryFor(kConsoles[i]);
      return s;
    }();
    return stores[index];
  }

  ScopedRegistryOverride guard_;
};

[[noreturn]] inline void Fail(const std::string& what) {
  std::fprintf(stderr, "mix round trip: %s\n", what.c_str());
  std::abort();
}

// Every member of `saved` that its form stores comes back in `reloaded`, and nothing the save
// wrote is missing or unreadable. `skipped` names members the form does not take from the
// mix (the compressed form's header values).
inline void ExpectSameMix(const CAutomationPackage& saved, const CAutomationPackage& reloaded,
                          const std::vector<std::string>& skipped = {}) {
  const PackageLoadReportStructure& report = reloaded.GetLoadReport();
  if (!report.Opened || !report.EventsLoaded) Fail("the saved mix did not load");
  if (!report.Missing.empty()) Fail("missing after the save: " + report.Missing.front());
  if (!report.Unreadable.empty()) Fail("unreadable after the save: " + report.Unreadable.front());
  const auto before = testsupport::MixMembers(saved);
  const auto after = testsupport::MixMembers(reloaded);
  if (before.size() != after.size()) Fail("the mixes have different members");
  for (size_t i = 0; i < before.size(); ++i) {
    const std::string& name = before[i].first;
    if (std::find(skipped.begin(), skipped.end(), name) != skipped.end()) continue;
    if (before[i].second != after[i].second) {
      Fail(name + " differs: " + std::to_string(before[i].second.size()) + " bytes saved, " +
           std::to_string(after[i].second.size()) + " loaded");
    }
  }
}

}  // namespace mixfuzz
