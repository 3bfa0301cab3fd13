// Change lists: reading a text report (layout 0) and the binary form of N changes, and
// converting what was read to the binary edit list. Reports time per change
// ("time_per_change"); the goal is time linear in the size.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "commonobjects/conform/CutListReader.h"
#include "commonobjects/platform/MemoryRegistryStore.h"

namespace {

std::string BenchPath(const std::string& name) {
  return (std::filesystem::temp_directory_path() / ("co-bench-" + name)).string();
}

const char* const kWordings[] = {"TRIM HEAD", "TRIM TAIL", "DELETE", "INSERT", "LENGTHEN TAIL", "MOVE"};

// A report of n changes, 20 feet apart, cycling through the wordings.
std::string TextReport(int32_t n) {
  const std::string path = BenchPath("report-" + std::to_string(n) + ".cut");
  std::ofstream out(path, std::ios::binary);
  out << "PICTURE CHANGE LIST\r\nOld Duration:\t" << 20 * n << "+00\r\n\r\nChg\tFootage\tChange\tLength\tClip Name\r\n";
  for (int32_t i = 1; i <= n; ++i) {
    char line[96];
    std::snprintf(line, sizeof line, "%d.\t%d+%02d\t%s\t%d+%02d\r\n", i, 20 * i, i % 16, kWordings[i % 6], 1 + i % 3, i % 13);
    out << line;
  }
  out << "\r\n(END OF CHANGE LIST)\r\n";
  return path;
}

std::string BinaryList(int32_t n) {
  const std::string path = BenchPath("changes-" + std::to_string(n) + ".cut");
  std::ofstream out(path, std::ios::binary);
  auto put = [&out](int32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };  // little-endian machine
  out << CCutListReader::kMagic;
  put(20 * n);
  put(0);
  put(n);
  for (int32_t i = 1; i <= n; ++i) {
    put(1 + i % 8);
    put(320 * i);
    put(16 + i % 40);
    put(-1);
  }
  return path;
}

void Read(benchmark::State& state, const std::string& path, bool convert) {
  const commonobjects::platform::ScopedRegistryOverride registry(
      std::make_shared<commonobjects::platform::MemoryRegistryStore>());
  const auto changes = state.range(0);
  const std::string edl = BenchPath("converted.edl");
  for (auto _ : state) {
    CCutListReader reader;
    if (!reader.Read(path) || static_cast<int64_t>(reader.GetChanges().size()) < changes * 5 / 6) {
      state.SkipWithError("the list did not read");
    }
    if (convert && !ConvertCutListToEDL(reader, "MIX.aut", edl)) state.SkipWithError("no edit list written");
  }
  state.counters["time_per_change"] =
      benchmark::Counter(static_cast<double>(state.iterations() * changes),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  std::remove(path.c_str());
  std::remove(edl.c_str());
}

void BM_ReadTextChangeList(benchmark::State& state) {
  Read(state, TextReport(static_cast<int32_t>(state.range(0))), false);
}
void BM_ReadBinaryChangeList(benchmark::State& state) {
  Read(state, BinaryList(static_cast<int32_t>(state.range(0))), false);
}
void BM_ConvertChangeListToEdl(benchmark::State& state) {
  Read(state, BinaryList(static_cast<int32_t>(state.range(0))), true);
}

BENCHMARK(BM_ReadTextChangeList)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadBinaryChangeList)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertChangeListToEdl)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);

}  // namespace
