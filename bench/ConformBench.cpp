// Conform at the size of a long feature mix: 10 million events over 256 paths, one event
// per path at every frame (about 26 minutes), re-cut by a 500-event edit list (500 stretches
// covering the mix, taken in a shuffled order, one in ten removed and one in ten a blank insert)
// and by a 500-change text change list; and a 1 M-event mix by a 5,000-event list. Beside
// them one Sort(SortByTime) of the same events shuffled, the yardstick: the goal is a
// conform within 3x of it. "peak_rss_per_event_bytes" is the process's peak resident memory
// during the conform, above what it held before the mix was made (other benchmarks' data),
// over the mix's events in bytes (16 per event; goal: within 3x). The mix is never
// saved, so it is its own source; a saved mix reads its file once more.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "BenchConsole.h"
#include "commonobjects/conform/ConformEngine.h"
#include "commonobjects/conform/EDLReader.h"
#include "commonobjects/package/AutomationPackage.h"

namespace {

constexpr int32_t kPaths = 256;
constexpr int32_t kUnitsPerFrame = 4;

std::string BenchPath(const std::string& name) {
  return (std::filesystem::temp_directory_path() / ("co-bench-" + name)).string();
}

// One event per path at every frame: the paths' faders, each moving its own way.
void FillMix(CAutomationEventArray& mix, int32_t events) {
  mix.SetSize(events);
  CAutomationEvent* e = mix.GetData();
  for (int32_t i = 0; i < events; ++i) {
    const int32_t path = i % kPaths;
    e[i] = CAutomationEvent();
    e[i].Time = i / kPaths * kUnitsPerFrame;
    e[i].Path = path;
    e[i].Proc = 14;
    e[i].Value = static_cast<int16_t>((i / kPaths) * (path + 1) % 2000);
  }
}

// A binary edit list in frames: the mix's stretches in a shuffled order, some removed (left
// out) and some blank inserts (a gap in the new picture).
std::string ShuffledList(int32_t stretches, int32_t stretchFrames) {
  const std::string path = BenchPath("conform-" + std::to_string(stretches) + ".edl");
  std::vector<int32_t> order(static_cast<size_t>(stretches));
  std::iota(order.begin(), order.end(), 0);
  std::mt19937 random(5);
  std::shuffle(order.begin(), order.end(), random);
  CEDLReader writer(path, CEDLReader::kQrx);
  writer.Create();
  writer.WriteHeader(CTimecodeSettings(), CReelTable());
  int32_t record = 0;
  for (int32_t i = 0; i < stretches; ++i) {
    if (i % 10 == 9) record += stretchFrames;  // a blank insert
    if (i % 10 == 4) continue;                  // removed
    CSourceDestItem source, destination;
    source.Start = order[static_cast<size_t>(i)] * stretchFrames;
    destination.Start = record;
    source.Length = destination.Length = stretchFrames;
    destination.EnsureDetail();
    writer.WriteEvent(source, destination);
    record += stretchFrames;
  }
  writer.Close();
  return path;
}

// A text change list of n changes spread over the mix (16 frames a foot).
std::string ChangeList(int32_t changes, int32_t frames) {
  const std::string path = BenchPath("conform-" + std::to_string(changes) + ".txt");
  const char* const wordings[] = {"TRIM HEAD", "TRIM TAIL", "DELETE", "INSERT", "LENGTHEN TAIL", "MOVE"};
  std::ofstream out(path, std::ios::binary);
  out << "PICTURE CHANGE LIST\r\nOld Duration:\t" << frames / 16 << "+00\r\n\r\nChg\tFootage\tChange\tLength\tClip Name\r\n";
  const int32_t spacing = frames / changes;
  for (int32_t i = 1; i <= changes; ++i) {
    const int32_t at = i * spacing;
    char line[96];
    std::snprintf(line, sizeof line, "%d.\t%d+%02d\t%s\t%d+%02d\r\n", i, at / 16, at % 16, wordings[i % 6], 1 + i % 3, i % 13);
    out << line;
  }
  out << "\r\n(END OF CHANGE LIST)\r\n";
  return path;
}

// The mix's length in the lists' frames (24 a second; 100 automation units a second).
int32_t ListFrames(int64_t events) { return static_cast<int32_t>(events / kPaths * kUnitsPerFrame * 24 / 100); }

// The peak resident memory since the last ResetPeak, and the resident memory now, in bytes
// (Linux: VmHWM and VmRSS).
void ResetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }
double StatusBytes(const std::string& field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field, 0) == 0) return std::stod(line.substr(field.size())) * 1024.0;
  }
  return 0;
}

void Conform(benchmark::State& state, const std::string& list) {
  BenchConsole console;
  // The temporary edit list goes to a Windows drive of the benchmark's own.
  const std::string drive = BenchPath("drive");
  std::filesystem::create_directories(drive);
  setenv("COMMONOBJECTS_ROOT", drive.c_str(), 1);
  const int32_t events = static_cast<int32_t>(state.range(0));
  double peak = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const double held = StatusBytes("VmRSS:");
    auto mix = std::make_unique<CAutomationPackage>();
    FillMix(*mix, events);
    for (int32_t path = 0; path < kPaths; ++path) mix->Filter.Paths.Add(path);
    ResetPeak();
    state.ResumeTiming();
    if (DoConform(mix.get(), list) != kConformDone) state.SkipWithError("the conform failed");
    state.PauseTiming();
    peak = std::max(peak, StatusBytes("VmHWM:") - held);
    benchmark::DoNotOptimize(mix->GetData());
    mix.reset();
    state.ResumeTiming();
  }
  state.counters["peak_rss_per_event_bytes"] = peak / (16.0 * events);
  std::remove(list.c_str());
  std::filesystem::remove_all(drive);
}

void BM_ConformEdl(benchmark::State& state) {
  const int32_t stretches = static_cast<int32_t>(state.range(1));
  Conform(state, ShuffledList(stretches, std::max(1, ListFrames(state.range(0)) / stretches)));
}
BENCHMARK(BM_ConformEdl)->Args({10'000'000, 500})->Args({1'000'000, 5'000})->Iterations(3)
    ->Unit(benchmark::kMillisecond);

void BM_ConformChangeList(benchmark::State& state) {
  Conform(state, ChangeList(static_cast<int32_t>(state.range(1)), ListFrames(state.range(0))));
}
BENCHMARK(BM_ConformChangeList)->Args({10'000'000, 500})->Iterations(3)->Unit(benchmark::kMillisecond);

// The yardstick: one sort by time of the same mix, shuffled (the goal's measure: what any
// order costs a sort) or as it is, already in time order. Args: events, shuffled.
void BM_ConformYardstickSort(benchmark::State& state) {
  BenchConsole console;
  const auto events = static_cast<int32_t>(state.range(0));
  CAutomationEventArray mix;
  FillMix(mix, events);
  std::vector<CAutomationEvent> source(mix.begin(), mix.end());
  if (state.range(1) != 0) std::shuffle(source.begin(), source.end(), std::mt19937(11));
  for (auto _ : state) {
    state.PauseTiming();
    std::copy(source.begin(), source.end(), mix.begin());
    state.ResumeTiming();
    mix.Sort(CAutomationEventArray::SortByTime);
  }
}
BENCHMARK(BM_ConformYardstickSort)
    ->Args({10'000'000, 1})
    ->Args({10'000'000, 0})
    ->Args({1'000'000, 1})
    ->Args({1'000'000, 0})
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

}  // namespace
