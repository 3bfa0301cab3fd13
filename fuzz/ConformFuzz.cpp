// Fuzz target: a conform of a small mix to a fuzzed edit decision list or change list.
//
// The first byte picks how the list is named, and so read: ".edl" (an edit list, text or
// binary), ".cut" (a change list), ".txt" (a text change list with moves paired) or no
// extension (the same); the rest is the file. Besides the sanitizers: the status is one of
// the seven; a conform that did not finish leaves the mix's events as they were; one that
// finished leaves them in time order, on the mix's own paths.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "FuzzFile.h"
#include "commonobjects/conform/ConformEngine.h"
#include "commonobjects/package/AutomationPackage.h"
#include "commonobjects/platform/MemoryRegistryStore.h"

namespace {

constexpr int32_t kPaths = 4;

// An in-memory registry and a Windows drive of the process's own (the temporary edit list).
struct World {
  World() {
    std::filesystem::create_directories(drive);
    setenv("COMMONOBJECTS_ROOT", drive.c_str(), 1);
  }
  ~World() { std::filesystem::remove_all(drive); }
  commonobjects::platform::ScopedRegistryOverride registry{
      std::make_shared<commonobjects::platform::MemoryRegistryStore>()};
  std::string drive = fuzzing::FuzzFile("-drive").Path();
};

// Events on four paths, a fader and an EQ gain each, every 37 units over about a minute.
void FillMix(CAutomationPackage& mix) {
  for (int32_t t = 0; t < 6000; t += 37) {
    for (int32_t path = 0; path < kPaths; ++path) {
      CAutomationEvent e;
      e.Time = t;
      e.Path = path;
      e.Proc = static_cast<uint8_t>(t % 2 == 0 ? 14 : 1);
      e.Control = static_cast<uint8_t>(t % 2 == 0 ? 0 : 1);
      e.Value = static_cast<int16_t>(t * (path + 1));
      mix.Add(e);
    }
  }
  for (int32_t path = 0; path < kPaths; ++path) mix.Filter.Paths.Add(path);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static World world;
  static fuzzing::FuzzFile edl(".edl"), cut(".cut"), txt(".txt"), bare("");
  if (size < 1) return 0;
  fuzzing::FuzzFile* const files[] = {&edl, &cut, &txt, &bare};
  const std::string& path = files[data[0] % 4]->Write(std::string(), data + 1, size - 1);

  // Never saved: the list conforms it from itself. Built once (a package's maps are large)
  // and kept to the end of the process: it must outlive nothing it notifies at destruction.
  static CAutomationPackage& mix = *new CAutomationPackage;
  mix.SetSize(0);
  mix.Filter.Paths.SetSize(0);
  FillMix(mix);
  const std::vector<CAutomationEvent> before(mix.GetData(), mix.GetData() + mix.GetSize());
  const enConformStatus status = DoConform(&mix, path);
  if (status < kConformDone || status > kConformAssemblyFailed) std::abort();
  if (status != kConformDone) {
    if (before.size() != static_cast<size_t>(mix.GetSize())) std::abort();
    if (!before.empty() && std::memcmp(before.data(), mix.GetData(), before.size() * sizeof(CAutomationEvent)) != 0) {
      std::abort();
    }
    return 0;
  }
  for (int32_t i = 0; i < mix.GetSize(); ++i) {
    if (i > 0 && mix[i - 1].Time > mix[i].Time) std::abort();
    if (mix[i].Path < 0 || mix[i].Path >= kPaths) std::abort();
  }
  return 0;
}
