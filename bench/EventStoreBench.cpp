// The event store at the size of a long feature mix: 10 million events.
//
// Every figure is reported per event (or per search) as "per_event", in seconds with an SI
// prefix ("3.2n" is 3.2 nanoseconds), from CPU time. The sorts run the
// array's Sort and std::sort with the same key comparison on the same shuffled events; the
// ratio of the two is the speed-up. Run with --benchmark_min_time=0.1 for a quick pass.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <random>
#include <vector>

#include "commonobjects/console/ConsoleConfiguration.h"
#include "commonobjects/eventstore/AutomationEventArray.h"
#include "commonobjects/eventstore/internal/EventSort.h"
#include "commonobjects/platform/MemoryRegistryStore.h"

namespace {

using commonobjects::eventstore::EventKeyLess;
using commonobjects::eventstore::EventOrder;
using commonobjects::platform::MemoryRegistryStore;
using commonobjects::platform::RegistryValue;
using commonobjects::platform::ScopedRegistryOverride;

constexpr int32_t kEvents = 10'000'000;
constexpr int32_t kOutOfOrder = 100'000;

// A large console in max paths mode 2 (16-byte records), card link as asked.
std::unique_ptr<CAutomationEventArray> MakeArray(bool cardLink = false) {
  auto store = std::make_shared<MemoryRegistryStore>();
  store->SetValue(HKEY_LOCAL_MACHINE, "Software\\QRX Tarn Tavmir\\Main", "TavmirConsoleType",
                  RegistryValue::Dword(3));
  store->SetValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\QRXTARN\\QENSERVER", "CardLinkType",
                  RegistryValue::Dword(cardLink ? 4 : 0));
  ScopedRegistryOverride guard(store);
  CConsoleConfiguration::ResetForTesting();
  return std::make_unique<CAutomationEventArray>();
}

void PerEvent(benchmark::State& state, int64_t events) {
  state.counters["per_event"] = benchmark::Counter(
      static_cast<double>(events),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// A recorded mix: about 40 events per time unit over 2000 paths, 84 blocks of 9 controls.
const std::vector<CAutomationEvent>& RecordedMix() {
  static const std::vector<CAutomationEvent> events = [] {
    std::mt19937 rng(99);
    std::vector<CAutomationEvent> v(kEvents);
    for (int32_t i = 0; i < kEvents; ++i) {
      v[i].Time = i / 40;
      v[i].Path = static_cast<int32_t>(rng() % 2000);
      v[i].Proc = static_cast<uint8_t>(rng() % 84);
      v[i].Control = static_cast<uint8_t>(rng() % 9);
      v[i].Value = static_cast<int16_t>(rng());
    }
    return v;
  }();
  return events;
}

const std::vector<CAutomationEvent>& ShuffledMix() {
  static const std::vector<CAutomationEvent> events = [] {
    std::vector<CAutomationEvent> v = RecordedMix();
    std::shuffle(v.begin(), v.end(), std::mt19937(5));
    return v;
  }();
  return events;
}

void BM_AddAtTimeInTimeOrder(benchmark::State& state) {
  const auto& source = RecordedMix();
  for (auto _ : state) {
    auto array = MakeArray();
    for (const CAutomationEvent& e : source) array->AddAtTime(e);
    benchmark::DoNotOptimize(array->GetData());
  }
  PerEvent(state, kEvents);
}

// The same into a buffer already in memory (shrinking keeps it): the cost of AddAtTime
// itself, without the system's first touch of 160 MB.
void BM_AddAtTimeInTimeOrderWarm(benchmark::State& state) {
  const auto& source = RecordedMix();
  auto array = MakeArray();
  for (auto _ : state) {
    state.PauseTiming();
    array->SetSize(kEvents);
    array->SetSize(1);
    array->SetAt(0, source[0]);
    state.ResumeTiming();
    for (int32_t i = 1; i < kEvents; ++i) array->AddAtTime(source[i]);
    benchmark::DoNotOptimize(array->GetData());
  }
  PerEvent(state, kEvents);
}

// A recording of 10 million events in which every 100th arrives late, behind up to a
// thousand events already recorded: 100,000 out-of-order inserts among 9.9 million appends.
// Per event over the whole recording; compare with the recording in time order.
void BM_AddAtTimeWithLateArrivals(benchmark::State& state) {
  const auto& source = RecordedMix();
  std::mt19937 rng(3);
  for (auto _ : state) {
    auto array = MakeArray();
    for (int32_t i = 0; i < kEvents; ++i) {
      const bool late = i % 100 == 99 && i >= 1000;
      array->AddAtTime(source[late ? i - 1 - static_cast<int32_t>(rng() % 1000) : i]);
    }
    benchmark::DoNotOptimize(array->GetData());
  }
  PerEvent(state, kEvents);
}

// Random times into an array that grows from empty to 100,000 events: each insertion moves
// on average a quarter of the final array.
void BM_AddAtTimeRandomTimes(benchmark::State& state) {
  std::mt19937 rng(4);
  for (auto _ : state) {
    auto array = MakeArray();
    for (int32_t k = 0; k < kOutOfOrder; ++k) {
      CAutomationEvent e;
      e.Time = static_cast<int32_t>(rng() % 1'000'000) + 1;
      array->AddAtTime(e);
    }
    benchmark::DoNotOptimize(array->GetData());
  }
  PerEvent(state, kOutOfOrder);
}

void BM_GetAtTime(benchmark::State& state) {
  auto array = MakeArray();
  array->SetSize(kEvents);
  std::copy(RecordedMix().begin(), RecordedMix().end(), array->begin());
  const int after = static_cast<int>(state.range(0));
  std::mt19937 rng(6);
  std::vector<int32_t> probes(1 << 16);
  for (int32_t& t : probes) t = static_cast<int32_t>(rng() % (kEvents / 40));
  size_t k = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(array->GetAtTime(probes[k++ & 0xFFFF], after));
  }
  PerEvent(state, 1);
}

// GetAtTime(0, after) over a million default states at time 0.
void BM_GetAtTimeLongRun(benchmark::State& state) {
  auto array = MakeArray();
  array->SetSize(kEvents);
  std::copy(RecordedMix().begin(), RecordedMix().end(), array->begin());
  for (int32_t i = 0; i < 1'000'000; ++i) (*array)[i].Time = 0;
  for (auto _ : state) benchmark::DoNotOptimize(array->GetAtTime(0, 1));
  PerEvent(state, 1);
}

template <typename SortFn>
void RunSort(benchmark::State& state, const std::vector<CAutomationEvent>& source, SortFn sort) {
  auto array = MakeArray();
  array->SetSize(kEvents);
  for (auto _ : state) {
    state.PauseTiming();
    std::copy(source.begin(), source.end(), array->begin());
    state.ResumeTiming();
    sort(*array);
    benchmark::ClobberMemory();
  }
  PerEvent(state, kEvents);
}

// The recording in the full order of one sort, with every 100th event up to a thousand
// places out of place, alternately late and early: what a sort meets after a recording with
// late arrivals or a small edit.
template <EventOrder Order>
const std::vector<CAutomationEvent>& NearlyInOrder() {
  static const std::vector<CAutomationEvent> events = [] {
    std::vector<CAutomationEvent> v = RecordedMix();
    std::sort(v.begin(), v.end(), EventKeyLess<Order>());
    std::mt19937 rng(7);
    const auto at = [&](size_t i) { return v.begin() + static_cast<std::ptrdiff_t>(i); };
    for (size_t i = 1000; i + 1000 < v.size(); i += 100) {
      const size_t places = rng() % 1000;
      if (i % 200 == 0) {
        std::rotate(at(i), at(i + 1), at(i + 1 + places));  // late
      } else {
        std::rotate(at(i - places), at(i), at(i + 1));  // early
      }
    }
    return v;
  }();
  return events;
}

// Data: 0 shuffled, 1 as recorded (time order, paths unordered within a time), 2 nearly in
// the sort's own order.
template <CAutomationEventArray::SortMode Mode, EventOrder Order>
void BM_Sort(benchmark::State& state) {
  const auto& source = state.range(0) == 0   ? ShuffledMix()
                       : state.range(0) == 1 ? RecordedMix()
                                             : NearlyInOrder<Order>();
  if (state.range(1) == 0) {
    RunSort(state, source, [](CAutomationEventArray& a) { a.Sort(Mode); });
  } else {
    RunSort(state, source, [](CAutomationEventArray& a) {
      std::sort(a.begin(), a.end(), EventKeyLess<Order>());
    });
  }
}

void BM_GetRecords(benchmark::State& state) {
  auto array = MakeArray(state.range(0) != 0);
  array->SetSize(kEvents);
  std::copy(RecordedMix().begin(), RecordedMix().end(), array->begin());
  std::vector<uint8_t> records(static_cast<size_t>(kEvents) * 16);
  for (auto _ : state) {
    array->GetRecords(kEvents, 0, records.data());
    benchmark::ClobberMemory();
  }
  PerEvent(state, kEvents);
}

void SortArgs(benchmark::internal::Benchmark* b) {
  b->ArgNames({"data", "std_sort"});
  for (int ordered : {0, 1, 2}) {
    for (int stdSort : {0, 1}) b->Args({ordered, stdSort});
  }
  b->Iterations(2)->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_AddAtTimeInTimeOrder)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AddAtTimeInTimeOrderWarm)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AddAtTimeWithLateArrivals)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AddAtTimeRandomTimes)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GetAtTime)->ArgName("after")->Arg(0)->Arg(1);
BENCHMARK(BM_GetAtTimeLongRun);
BENCHMARK(BM_Sort<CAutomationEventArray::SortByTime, EventOrder::TimePathProcControl>)
    ->Apply(SortArgs);
BENCHMARK(BM_Sort<CAutomationEventArray::SortByPathControl, EventOrder::PathProcControlTime>)
    ->Apply(SortArgs);
BENCHMARK(BM_Sort<CAutomationEventArray::SortByPathTime, EventOrder::PathTimeProcControl>)
    ->Apply(SortArgs);
BENCHMARK(BM_GetRecords)
    ->ArgName("card_link")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

}  // namespace
