// The event-array file at the size of a long feature mix: Save and Load of 10 million events
// (200 MB of records) against the same bytes written and read as a plain file.
//
// Every figure is wall-clock time, reported per event as "per_event" ("3.2n" is 3.2
// nanoseconds). A save is durable when it returns (the compound file syncs before and after
// switching to the new content), so the plain-file baseline syncs too; the unsynced write is
// shown as well. Save and Load divided by their baseline give the cost of the container and
// the record conversion. Files go to the temporary folder ($TMPDIR, else /tmp).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "commonobjects/console/ConsoleConfiguration.h"
#include "commonobjects/eventstore/AutomationEventArray.h"
#include "commonobjects/files/internal/EventRecords.h"
#include "commonobjects/platform/File.h"
#include "commonobjects/platform/MemoryRegistryStore.h"

namespace {

using commonobjects::platform::File;
using commonobjects::platform::FileMode;

constexpr int32_t kEvents = 10'000'000;
constexpr size_t kBytes = static_cast<size_t>(kEvents) * commonobjects::files::kEventRecordBytes;

// A large console of max paths mode 2; kept for the whole run, since Save and Load read the
// mode at every call.
void UseMode2() {
  static const auto guard = [] {
    auto store = std::make_shared<commonobjects::platform::MemoryRegistryStore>();
    store->SetValue(HKEY_LOCAL_MACHINE, "Software\\QRX Tarn Tavmir\\Main", "TavmirConsoleType",
                    commonobjects::platform::RegistryValue::Dword(3));
    auto scoped = std::make_unique<commonobjects::platform::ScopedRegistryOverride>(store);
    CConsoleConfiguration::ResetForTesting();
    return scoped;
  }();
  static_cast<void>(guard);
}

std::string TempPath(const char* name) {
  return (std::filesystem::temp_directory_path() / (std::string("event-array-bench-") + name)).string();
}

// A recorded mix: about 40 events per time unit over 2000 paths.
const CAutomationEventArray& RecordedMix() {
  static const CAutomationEventArray* events = [] {
    UseMode2();
    static CAutomationEventArray a;
    a.SetSize(kEvents);
    std::mt19937 rng(7);
    for (int32_t i = 0; i < kEvents; ++i) {
      CAutomationEvent& e = a[i];
      e.Time = i / 40;
      e.Path = static_cast<int32_t>(rng() % 2000);
      e.Proc = static_cast<uint8_t>(rng() % 84);
      e.Control = static_cast<uint8_t>(rng() % 9);
      e.Value = static_cast<int16_t>(rng());
      e.OldValue = static_cast<int16_t>(rng());
    }
    return &a;
  }();
  return *events;
}

// The mix's records, as the plain-file baseline writes them.
const std::vector<uint8_t>& RecordBytes() {
  static const std::vector<uint8_t> bytes = [] {
    std::vector<uint8_t> b(kBytes);
    commonobjects::files::EncodeEventRecords(RecordedMix().GetData(), kEvents, commonobjects::files::PathWidth::kWide,
                                             b.data());
    return b;
  }();
  return bytes;
}

void PerEvent(benchmark::State& state) {
  state.counters["per_event"] = benchmark::Counter(
      kEvents, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_Save(benchmark::State& state) {
  const CAutomationEventArray& mix = RecordedMix();
  const std::string path = TempPath("save.mix");
  std::filesystem::remove(path);
  for (auto _ : state) {
    if (mix.Save(path) != 1) state.SkipWithError("Save failed");
  }
  PerEvent(state);
  std::filesystem::remove(path);
}

void BM_Load(benchmark::State& state) {
  const std::string path = TempPath("load.mix");
  std::filesystem::remove(path);
  if (RecordedMix().Save(path) != 1) state.SkipWithError("Save failed");
  for (auto _ : state) {
    CAutomationEventArray loaded;  // a fresh array each time, as a host loading a mix has
    if (loaded.Load(path) != 1 || loaded.GetSize() != kEvents) state.SkipWithError("Load failed");
  }
  PerEvent(state);
  std::filesystem::remove(path);
}

void PlainWrite(benchmark::State& state, bool sync) {
  const std::vector<uint8_t>& bytes = RecordBytes();
  const std::string path = TempPath("plain.bin");
  for (auto _ : state) {
    File file;
    bool ok = file.Open(path, FileMode::kCreateAlways).IsOk() && file.Write(bytes.data(), bytes.size()).IsOk();
    if (sync) ok = ok && file.Sync().IsOk();
    if (!ok || !file.Close().IsOk()) state.SkipWithError("plain write failed");
  }
  PerEvent(state);
  std::filesystem::remove(path);
}

void BM_PlainWriteSynced(benchmark::State& state) { PlainWrite(state, true); }
void BM_PlainWriteUnsynced(benchmark::State& state) { PlainWrite(state, false); }

void BM_PlainRead(benchmark::State& state) {
  const std::string path = TempPath("plain-read.bin");
  {
    File file;
    if (!file.Open(path, FileMode::kCreateAlways).IsOk() || !file.Write(RecordBytes().data(), kBytes).IsOk()) {
      state.SkipWithError("plain write failed");
    }
  }
  for (auto _ : state) {
    auto buffer = std::make_unique_for_overwrite<uint8_t[]>(kBytes);  // a fresh buffer, as Load has
    File file;
    size_t got = 0;
    if (!file.Open(path, FileMode::kRead).IsOk() || !file.Read(buffer.get(), kBytes, &got).IsOk() || got != kBytes) {
      state.SkipWithError("plain read failed");
    }
    benchmark::DoNotOptimize(buffer.get());
  }
  PerEvent(state);
  std::filesystem::remove(path);
}

BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
BENCHMARK(BM_PlainWriteSynced)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
BENCHMARK(BM_PlainWriteUnsynced)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

}  // namespace
