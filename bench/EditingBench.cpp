// Editing at the size of a long feature mix: 10 million events over 256 paths of a large
// console (about 98 minutes at 100 units a second), written as fader and parameter moves
// (runs of one channel at every time unit), with about one event in a hundred a same-time
// duplicate.
//
// "per_event" is CPU time per event of the array; "events_per_s" its inverse. The duplicate
// merge runs beside the straightforward full-table merge (two tables of every key of 2000
// paths, 67 MB, filled per call) on the same events; the ratio of the two is the speed-up.
// The channel edits (copy, merge, isolate, erase) run over a 10-minute range; they sort the
// array into channel order and back, so BM_SortIntoChannelOrderAndBack is their yardstick.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <vector>

#include "../tests/support/FullTableDuplicates.h"
#include "BenchConsole.h"
#include "commonobjects/editing/ChannelStateTracker.h"
#include "commonobjects/console/PathMap.h"
#include "commonobjects/editing/SameTimeDuplicates.h"
#include "commonobjects/eventstore/AutomationEventArray.h"

namespace {

constexpr int32_t kMixEvents = 10'000'000;
constexpr int32_t kPaths = 256;
constexpr int32_t kHighBase = 36;

// Moves: a channel written at every time unit for 20 to 200 units, several channels moving
// at once; one event in a hundred repeats its predecessor's time and channel.
std::vector<CAutomationEvent> MoveEvents(int32_t count) {
  std::mt19937 rng(5);
  std::vector<CAutomationEvent> events;
  events.reserve(static_cast<size_t>(count));
  int32_t time = 1;
  while (static_cast<int32_t>(events.size()) < count) {
    const int32_t channels = 1 + static_cast<int32_t>(rng() % 16);
    const int32_t length = 20 + static_cast<int32_t>(rng() % 180);
    std::vector<CAutomationEvent> moving(static_cast<size_t>(channels));
    for (CAutomationEvent& e : moving) {
      e.Path = static_cast<int32_t>(rng() % kPaths);
      e.Proc = static_cast<uint8_t>(rng() % 4 == 0 ? kHighBase + rng() % 48 : rng() % 36);
      e.Control = static_cast<uint8_t>(rng() % (e.Proc >= kHighBase ? 4 : 9));
      e.Value = static_cast<int16_t>(rng());
    }
    for (int32_t t = 0; t < length && static_cast<int32_t>(events.size()) < count; ++t) {
      for (CAutomationEvent& e : moving) {
        if (static_cast<int32_t>(events.size()) >= count) break;
        e.Time = time + t;
        e.Value = static_cast<int16_t>(e.Value + 3);
        events.push_back(e);
        if (rng() % 100 == 0 && static_cast<int32_t>(events.size()) < count) events.push_back(e);
      }
    }
    time += length / 2;
  }
  return events;
}

const std::vector<CAutomationEvent>& Mix() {
  static const std::vector<CAutomationEvent> events = MoveEvents(kMixEvents);
  return events;
}

void Fill(CAutomationEventArray& array, const std::vector<CAutomationEvent>& events, int32_t count) {
  array.SetSize(count);
  std::copy(events.begin(), events.begin() + count, array.GetData());
}

void Rate(benchmark::State& state, int64_t events) {
  state.counters["per_event"] = benchmark::Counter(
      static_cast<double>(events),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.counters["events_per_s"] =
      benchmark::Counter(static_cast<double>(events), benchmark::Counter::kIsIterationInvariantRate);
}

// Arg: number of events of the mix.
template <int32_t (*Merge)(CAutomationEventArray&)>
void BM_Duplicates(benchmark::State& state) {
  BenchConsole console;
  const int32_t count = static_cast<int32_t>(state.range(0));
  CAutomationEventArray array;
  int32_t merged = 0;
  for (auto _ : state) {
    state.PauseTiming();
    Fill(array, Mix(), count);
    state.ResumeTiming();
    merged = Merge(array);
  }
  state.counters["merged"] = merged;
  Rate(state, count);
}
int32_t FastMerge(CAutomationEventArray& a) { return RemoveSameTimeDuplicates(a); }
int32_t FullTableMerge(CAutomationEventArray& a) {
  return testsupport::RemoveSameTimeDuplicatesFullTable(a);
}
BENCHMARK(BM_Duplicates<FastMerge>)->Name("RemoveSameTimeDuplicates")->Arg(1000)->Arg(kMixEvents)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Duplicates<FullTableMerge>)->Name("RemoveSameTimeDuplicates_FullTable")->Arg(1000)
    ->Arg(kMixEvents)->Unit(benchmark::kMillisecond);

void BM_StepToTime(benchmark::State& state) {
  BenchConsole console;
  CAutomationEventArray array;
  Fill(array, Mix(), kMixEvents);
  const CPathMap map;
  for (auto _ : state) {
    CChannelStateTracker tracker(&array, kHighBase, &map, 0, nullptr);
    tracker.StepToTime(INT32_MAX, false);
    benchmark::DoNotOptimize(tracker.GetLastIndex());
  }
  Rate(state, kMixEvents);
}
BENCHMARK(BM_StepToTime)->Unit(benchmark::kMillisecond);

// Two trackers in equal states: fresh ones (Arg 0), or both stepped through the whole mix so
// that every path in use holds its own values (Arg 1). One comparison, nothing emitted.
void BM_EmitDifferencesOfEqualStates(benchmark::State& state) {
  BenchConsole console;
  CAutomationEventArray array;
  Fill(array, Mix(), state.range(0) != 0 ? kMixEvents : 0);
  const CPathMap map;
  CChannelStateTracker a(&array, kHighBase, &map, 0, nullptr);
  CChannelStateTracker b(&array, kHighBase, &map, 0, nullptr);
  a.StepToTime(INT32_MAX, false);
  b.StepToTime(INT32_MAX, false);
  const int32_t size = array.GetSize();
  for (auto _ : state) {
    a.EmitDifferences(b);
    benchmark::DoNotOptimize(array.GetSize());
  }
  if (array.GetSize() != size) state.SkipWithError("equal states emitted events");
}
BENCHMARK(BM_EmitDifferencesOfEqualStates)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_TrackerConstruction(benchmark::State& state) {
  BenchConsole console;
  const CPathMap map;
  for (auto _ : state) {
    CChannelStateTracker tracker(nullptr, kHighBase, &map, 0, nullptr);
    benchmark::DoNotOptimize(&tracker);
  }
}
BENCHMARK(BM_TrackerConstruction)->Unit(benchmark::kMicrosecond);

void BM_SetOldValues(benchmark::State& state) {
  BenchConsole console;
  CAutomationEventArray array;
  Fill(array, Mix(), kMixEvents);
  const CPathMap map;
  for (auto _ : state) array.SetOldValues(kHighBase, map);
  Rate(state, kMixEvents);
}
BENCHMARK(BM_SetOldValues)->Unit(benchmark::kMillisecond);

// Window level 6 (W = 3) and threshold 8 on every path and control over the whole mix.
void BM_ThinAutoData(benchmark::State& state) {
  BenchConsole console;
  CAutomationEventArray array;
  const CPathMap map;
  int32_t removed = 0;
  for (auto _ : state) {
    state.PauseTiming();
    Fill(array, Mix(), kMixEvents);
    array.Filter.StartTime = 0;
    array.Filter.EndTime = INT32_MAX;
    array.Filter.Paths.SetSize(0);
    for (int32_t p = 0; p < kPaths; ++p) array.Filter.Paths.Add(p);
    state.ResumeTiming();
    removed = array.ThinAutoData(kHighBase, map, 6, 8);
  }
  state.counters["removed"] = removed;
  Rate(state, kMixEvents);
}
BENCHMARK(BM_ThinAutoData)->Unit(benchmark::kMillisecond)->Iterations(3);

// The channel edits' range: 10 minutes (60,000 units) from minute 16, pasted at minute 50.
constexpr int32_t kRangeStart = 100'000;
constexpr int32_t kRangeEnd = 160'000;
constexpr int32_t kDestination = 300'000;

// The whole mix again, with the channel edits' range and no selection yet.
void FillForEdit(CAutomationEventArray& array) {
  Fill(array, Mix(), kMixEvents);
  array.Filter.Clear();
  array.Filter.StartTime = kRangeStart;
  array.Filter.EndTime = kRangeEnd;
  array.Filter.ExtraValue = kDestination;
}

void BM_SortIntoChannelOrderAndBack(benchmark::State& state) {
  BenchConsole console;
  CAutomationEventArray array;
  for (auto _ : state) {
    state.PauseTiming();
    Fill(array, Mix(), kMixEvents);
    state.ResumeTiming();
    array.Sort(CAutomationEventArray::SortByPathControl);
    array.Sort(CAutomationEventArray::SortByTime);
  }
  Rate(state, kMixEvents);
}
BENCHMARK(BM_SortIntoChannelOrderAndBack)->Unit(benchmark::kMillisecond)->Iterations(3);

// Path 3 onto paths 100 to 107, every control, steps at the edges (Arg 0) or 40-unit ramps
// (Arg 40).
void BM_CopyChannelData(benchmark::State& state) {
  BenchConsole console;
  CAutomationEventArray array;
  const CPathMap map;
  for (auto _ : state) {
    state.PauseTiming();
    FillForEdit(array);
    array.Filter.Paths.Add(3);
    for (int32_t p = 100; p < 108; ++p) array.Filter.ExtraList.Add(p);
    state.ResumeTiming();
    array.CopyChannelData(1, static_cast<int16_t>(state.range(0)),
                          CAutomationEventArray::RampToPoint, CAutomationEventArray::RampFromPoint,
                          kHighBase, map);
  }
  Rate(state, kMixEvents);
}
BENCHMARK(BM_CopyChannelData)->Arg(0)->Arg(40)->Unit(benchmark::kMillisecond)->Iterations(3);

// Path 3 of a second 10-million-event mix onto paths 100 to 107, in one step.
void BM_MergeChannelData(benchmark::State& state) {
  BenchConsole console;
  CAutomationEventArray array;
  CAutomationEventArray source;
  const CPathMap map;
  for (auto _ : state) {
    state.PauseTiming();
    FillForEdit(array);
    FillForEdit(source);
    source.Filter.Paths.Add(3);
    for (int32_t p = 100; p < 108; ++p) array.Filter.ExtraList.Add(p);
    state.ResumeTiming();
    array.MergeChannelData(source, 1, 0, CAutomationEventArray::RampToPoint,
                           CAutomationEventArray::RampFromPoint, kHighBase, map, 0, 1, 1, 0);
  }
  Rate(state, kMixEvents);
}
BENCHMARK(BM_MergeChannelData)->Unit(benchmark::kMillisecond)->Iterations(3);

// Arg: 0 isolate, 1 erase restoring the values after the range, 2 ranged erase with a step.
void BM_IsolateAndErase(benchmark::State& state) {
  BenchConsole console;
  CAutomationEventArray array;
  const CPathMap map;
  for (auto _ : state) {
    state.PauseTiming();
    FillForEdit(array);
    for (int32_t p = 0; p < 8; ++p) array.Filter.Paths.Add(p * 32);
    state.ResumeTiming();
    switch (state.range(0)) {
      case 0: array.IsolateChannelData(kHighBase, map); break;
      case 1: array.EraseChannelData(kHighBase, map); break;
      default:
        array.EraseChannelData(1, 0, CAutomationEventArray::RampFromPoint, kHighBase, map);
        break;
    }
  }
  Rate(state, kMixEvents);
}
BENCHMARK(BM_IsolateAndErase)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
