// Filtered queries over a large mix: 10 million events on 256 paths, a view of 8 paths with
// the fader group selected. Reports the CPU time per event scanned ("time_per_event").
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <random>

#include "commonobjects/console/ConsoleConfiguration.h"
#include "commonobjects/eventstore/AutomationEventArray.h"
#include "commonobjects/platform/MemoryRegistryStore.h"

namespace {

constexpr int32_t kEventCount = 10'000'000;
constexpr int32_t kPathCount = 256;

// The mix and the view, built once. The view's pairs come from console type 3 in an
// in-memory registry, so the fader group means the same pairs on every machine; the real
// registry is back in place before any benchmark runs.
struct FilterBenchData {
  CAutomationEventArray events;
  CEventFilter view;

  FilterBenchData() {
    std::mt19937 rng(2024);
    std::uniform_int_distribution<int32_t> path(0, kPathCount - 1), proc(0, 35), control(0, 8);
    std::uniform_int_distribution<int32_t> step(0, 2);
    events.SetSize(kEventCount);
    int32_t time = 0;
    for (CAutomationEvent& e : events) {
      time += step(rng);
      e.Time = time;
      e.Path = path(rng);
      // Two events in nine on the fader block, as in a mix that rides faders.
      e.Proc = static_cast<uint8_t>(control(rng) < 2 ? 14 : proc(rng));
      e.Control = static_cast<uint8_t>(control(rng));
    }
    for (int32_t p = 0; p < kPathCount; p += kPathCount / 8) view.Paths.Add(p);
    {
      commonobjects::platform::ScopedRegistryOverride registry(ConsoleType3());
      CConsoleConfiguration::ResetForTesting();
      view.TranslateFilter({0x0002});
      CConsoleConfiguration::ResetForTesting();
    }
  }

  static std::shared_ptr<commonobjects::platform::MemoryRegistryStore> ConsoleType3() {
    auto store = std::make_shared<commonobjects::platform::MemoryRegistryStore>();
    store->SetValue(HKEY_LOCAL_MACHINE, "Software\\QRX Tarn Tavmir\\Main", "TavmirConsoleType",
                    commonobjects::platform::RegistryValue::Dword(3));
    return store;
  }
};

FilterBenchData& Data() {
  static FilterBenchData data;
  return data;
}

void ReportPerEvent(benchmark::State& state) {
  state.counters["time_per_event"] = benchmark::Counter(
      static_cast<double>(kEventCount),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_FilteredTotal(benchmark::State& state) {
  FilterBenchData& data = Data();
  const bool withIndices = state.range(0) != 0;
  CIntArray indices;
  uint32_t found = 0;
  for (auto _ : state) {
    CEventFilter filter(data.view);
    found = data.events.GetFilteredTotal(filter, withIndices ? &indices : nullptr);
    benchmark::DoNotOptimize(found);
  }
  state.counters["matches"] = found;
  ReportPerEvent(state);
}
BENCHMARK(BM_FilteredTotal)
    ->ArgName("indices")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(0.5);

void BM_FilteredEventsForwardPages(benchmark::State& state) {
  FilterBenchData& data = Data();
  CAutomationEventArray page;
  int64_t pages = 0;
  for (auto _ : state) {
    CEventFilter filter(data.view);
    int32_t first = 0, resume = 0;
    while (resume < data.events.GetSize()) {
      ++pages;
      if (data.events.GetFilteredEvents(filter, 1000, first, resume, page, 1) < 1000) break;
    }
  }
  state.counters["pages"] =
      benchmark::Counter(static_cast<double>(pages), benchmark::Counter::kAvgIterations);
  ReportPerEvent(state);
}
BENCHMARK(BM_FilteredEventsForwardPages)->Unit(benchmark::kMillisecond)->MinTime(0.5);

}  // namespace
