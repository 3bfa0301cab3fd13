// The C++ side of bench/python_bench.py: the same work as the Python module's benchmark, done
// directly with the library, on the mixes the script writes. COMMONOBJECTS_BENCH_MIX names a
// structured mix, COMMONOBJECTS_BENCH_COMPRESSED_MIX the same mix compressed; without them
// the benchmarks are not registered (make bench runs without them). Both sides read the same registry (console type 3 by
// default, 2000 paths).
//
//   Load           a fresh package loads the mix (what Mix.load does); destruction untimed
//   EditAndSort    paths 0-7 move 37 units later and their fader levels 240 steps (3 dB) down,
//                  then the events are sorted by time (what the script does through NumPy)
// Run with --benchmark_filter=PythonReference.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "commonobjects/package/AutomationPackage.h"

namespace {

std::unique_ptr<CAutomationPackage> Load(const std::string& file) {
  auto mix = std::make_unique<CAutomationPackage>();
  mix->SetNotifyOnDestruction(false);
  mix->SetFileName(file);
  mix->Load();
  return mix;
}

void BM_PythonReferenceLoad(benchmark::State& state, const std::string& file) {
  for (auto _ : state) {
    std::unique_ptr<CAutomationPackage> mix = Load(file);
    benchmark::DoNotOptimize(mix->GetSize());
    state.PauseTiming();
    mix.reset();
    state.ResumeTiming();
  }
}

void BM_PythonReferenceEditAndSort(benchmark::State& state, const std::string& file) {
  const std::unique_ptr<CAutomationPackage> mix = Load(file);
  CAutomationEventArray events;
  for (auto _ : state) {
    state.PauseTiming();
    events = *mix;  // the loaded order each time
    state.ResumeTiming();
    for (CAutomationEvent& e : events) {
      if (e.Path >= 8) continue;
      e.Time += 37;
      if (e.Proc == 14 && e.Control == 0) e.Value = static_cast<int16_t>(e.Value - 240);
    }
    events.Sort(CAutomationEventArray::SortByTime);
    benchmark::DoNotOptimize(events.GetData());
  }
}

std::string Named(const char* variable) {
  const char* file = std::getenv(variable);
  return file != nullptr ? file : "";
}

template <typename Work>
void Register(const char* name, Work work, const std::string& file) {
  if (file.empty()) return;
  benchmark::RegisterBenchmark(name, work, file)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
}

const bool registered = [] {
  Register("BM_PythonReferenceLoadStructured", BM_PythonReferenceLoad, Named("COMMONOBJECTS_BENCH_MIX"));
  Register("BM_PythonReferenceLoadCompressed", BM_PythonReferenceLoad, Named("COMMONOBJECTS_BENCH_COMPRESSED_MIX"));
  Register("BM_PythonReferenceEditAndSort", BM_PythonReferenceEditAndSort, Named("COMMONOBJECTS_BENCH_MIX"));
  return true;
}();

}  // namespace
