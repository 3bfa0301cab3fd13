// Edit lists: reading a text EDL of N events (a CMX 3600-style list with comments between
// events) through GetSourceDestItems, and the binary form of the same list. Reports time per
// event ("time_per_event"); the goal is time linear in the size, under 100 ms for 100,000.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "commonobjects/conform/EDLReader.h"
#include "commonobjects/platform/MemoryRegistryStore.h"

namespace {

std::string BenchPath(const std::string& name) {
  return (std::filesystem::temp_directory_path() / ("co-bench-" + name)).string();
}

std::string Timecode(int64_t frames) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d:%02d", static_cast<int>(frames / 86400 % 24),
                static_cast<int>(frames / 1440 % 60), static_cast<int>(frames / 24 % 60), static_cast<int>(frames % 24));
  return text;
}

// A text list of n events, each followed by a clip-name comment, as editing systems write.
const std::string& TextList(int32_t n) {
  static std::string path;
  path = BenchPath("text-" + std::to_string(n) + ".edl");
  std::ofstream out(path, std::ios::binary);
  out << "TITLE: BENCH\r\nFCM: NON-DROP FRAME\r\n\r\n";
  int64_t record = 86400;
  for (int32_t i = 1; i <= n; ++i) {
    const int64_t length = 24 + i % 97;
    char line[128];
    std::snprintf(line, sizeof line, "%06d  REEL%03d  AA/V  C        %s %s %s %s\r\n", i, i % 500,
                  Timecode(3600 * 24 + i * 7).c_str(), Timecode(3600 * 24 + i * 7 + length).c_str(),
                  Timecode(record).c_str(), Timecode(record + length).c_str());
    out << line << "* FROM CLIP NAME:  SHOT_" << i << ".MOV\r\n";
    record += length;
  }
  return path;
}

const std::string& BinaryList(int32_t n) {
  static std::string path;
  path = BenchPath("binary-" + std::to_string(n) + ".edl");
  CEDLReader writer(path, CEDLReader::kGeneric);
  writer.Create();
  CReelTable reels;
  reels.Add("MIX");
  writer.WriteHeader(CTimecodeSettings(), reels);
  CSourceDestItem source, dest;
  dest.EnsureDetail().ReelName = "MIX";
  for (int32_t i = 0; i < n; ++i) {
    source.Start = i * 100;
    dest.Start = i * 90;
    dest.Length = 90;
    writer.WriteEvent(source, dest);
  }
  writer.Close();
  return path;
}

void Read(benchmark::State& state, const std::string& path) {
  const commonobjects::platform::ScopedRegistryOverride registry(
      std::make_shared<commonobjects::platform::MemoryRegistryStore>());
  const auto events = state.range(0);
  for (auto _ : state) {
    CGrowableArray<CSourceDestItem> items;
    GetSourceDestItems(path, items, false);
    if (items.GetSize() != 2 * events) state.SkipWithError("wrong number of items");
    benchmark::DoNotOptimize(items.GetData());
  }
  state.counters["time_per_event"] =
      benchmark::Counter(static_cast<double>(state.iterations() * events),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  std::remove(path.c_str());
}

void BM_ReadTextEdl(benchmark::State& state) { Read(state, TextList(static_cast<int32_t>(state.range(0)))); }
void BM_ReadBinaryEdl(benchmark::State& state) { Read(state, BinaryList(static_cast<int32_t>(state.range(0)))); }

BENCHMARK(BM_ReadTextEdl)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadBinaryEdl)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);

}  // namespace
