// The compressed automation file on a mix of 100 MiB of events (6.5 million 16-byte events:
// fader rides, mutes, EQ and pan moves over 192 paths, as a console records them).
//
// The codec baseline compresses and expands the same bytes with zlib alone, in the same
// 256 KiB chunks at level 1 and in one call; the file benchmarks write the block into a file
// in memory, with the pause after each chunk off (0) and as shipped (10 ms), and read it
// back, with the library's chunk codec (zlib, or libdeflate in builds that have it).
// Throughput is bytes_per_second of uncompressed data; "ratio" is stored bytes per
// uncompressed byte. The goal: the file with the pause off within 1.5 times the time of the
// chunked zlib codec. Times are wall-clock (the pause is a sleep). Run with
// --benchmark_filter=CompressedAuto.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <array>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "commonobjects/eventstore/AutomationEvent.h"
#include "commonobjects/files/CompressedAutoFile.h"
#include "commonobjects/platform/MemoryRegistryStore.h"

namespace {

using commonobjects::platform::MemoryFile;
using commonobjects::platform::MemoryRegistryStore;
using commonobjects::platform::RegistryValue;
using commonobjects::platform::ScopedRegistryOverride;

constexpr size_t kEvents = 100u * 1024 * 1024 / 16;
constexpr size_t kChunk = CCompressedAutoFile::kChunkBytes;

// A recorded mix: about 24 moves at a time, each a run of 5 to 40 points 2 to 4 units apart.
const std::vector<uint8_t>& MixBytes() {
  static const std::vector<uint8_t> bytes = [] {
    struct Move {
      CAutomationEvent next;
      int left = 0;
    };
    const std::array<std::pair<uint8_t, uint8_t>, 5> controls = {
        {{14, 0}, {14, 0}, {14, 2}, {1, 1}, {21, 0}}};
    std::mt19937 rng(20261205);
    std::vector<Move> moves(24);
    std::vector<uint8_t> out(kEvents * 16);
    int32_t time = 0;
    for (size_t n = 0; n < kEvents; ++time) {
      for (Move& m : moves) {
        if (m.left == 0) {
          const auto [proc, control] = controls[rng() % controls.size()];
          m.next = CAutomationEvent{proc,
                                    control,
                                    static_cast<int16_t>(static_cast<int>(rng() % 1100) - 1000),
                                    static_cast<int32_t>(rng() % 192),
                                    time,
                                    0,
                                    0};
          m.left = 5 + static_cast<int>(rng() % 36);
        }
        if (n == kEvents || rng() % 3 != 0) continue;
        m.next.Time = time;
        std::memcpy(out.data() + 16 * n++, &m.next, 16);
        m.next.OldValue = m.next.Value;
        m.next.Value = static_cast<int16_t>(m.next.Value + static_cast<int>(rng() % 25) - 12);
        --m.left;
      }
    }
    return out;
  }();
  return bytes;
}

void Report(benchmark::State& state, size_t stored) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * MixBytes().size()));
  state.counters["ratio"] = static_cast<double>(stored) / static_cast<double>(MixBytes().size());
}

// A file object built under a registry with the given pause.
std::unique_ptr<CCompressedAutoFile> MakeFile(uint32_t pauseMilliseconds) {
  auto store = std::make_shared<MemoryRegistryStore>();
  store->SetValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\QRXTARN\\QENSERVER", "CompressedAutoPauseMs",
                  RegistryValue::Dword(pauseMilliseconds));
  ScopedRegistryOverride guard(store);
  return std::make_unique<CCompressedAutoFile>();
}

void BM_CompressedAutoCodecChunked(benchmark::State& state) {
  const auto& in = MixBytes();
  std::vector<uint8_t> out(compressBound(kChunk));
  size_t stored = 0;
  for (auto _ : state) {
    stored = 0;
    for (size_t at = 0; at < in.size(); at += kChunk) {
      uLongf n = out.size();
      compress2(out.data(), &n, in.data() + at, std::min(kChunk, in.size() - at), 1);
      stored += 12 + n;
    }
  }
  Report(state, stored);
}

void BM_CompressedAutoCodecOneCall(benchmark::State& state) {
  const auto& in = MixBytes();
  std::vector<uint8_t> out(compressBound(in.size()));
  uLongf n = 0;
  for (auto _ : state) {
    n = out.size();
    compress2(out.data(), &n, in.data(), in.size(), 1);
  }
  Report(state, n);
}

void BM_CompressedAutoWriteBlock(benchmark::State& state) {
  const auto& in = MixBytes();
  auto file = MakeFile(static_cast<uint32_t>(state.range(0)));
  size_t stored = 0;
  for (auto _ : state) {
    auto bytes = std::make_shared<std::vector<uint8_t>>();
    bytes->reserve(in.size());
    file->OpenFile(std::make_unique<MemoryFile>(bytes));
    file->WriteBlock(1, in.data(), in.size());
    file->CloseFile();
    stored = bytes->size();
  }
  Report(state, stored);
}

// The stored block expanded, by zlib alone and through the file.
std::shared_ptr<std::vector<uint8_t>> StoredMix() {
  static const auto bytes = [] {
    auto b = std::make_shared<std::vector<uint8_t>>();
    auto file = MakeFile(0);
    file->OpenFile(std::make_unique<MemoryFile>(b));
    file->WriteBlock(1, MixBytes().data(), MixBytes().size());
    file->CloseFile();
    return b;
  }();
  return bytes;
}

void BM_CompressedAutoCodecUncompressChunked(benchmark::State& state) {
  const auto stored = StoredMix();
  std::vector<uint8_t> out(MixBytes().size());
  for (auto _ : state) {
    size_t at = 1024;
    for (size_t done = 0; done < out.size(); done += kChunk) {
      uint32_t packed = 0;
      std::memcpy(&packed, stored->data() + at + 8, 4);
      uLongf n = kChunk;
      uncompress(out.data() + done, &n, stored->data() + at + 12, packed);
      at += 12 + packed;
    }
  }
  if (out != MixBytes()) state.SkipWithError("zlib did not give the mix back");
  Report(state, stored->size());
}

void BM_CompressedAutoReadBlock(benchmark::State& state) {
  const auto stored = StoredMix();
  std::vector<uint8_t> out(MixBytes().size());
  auto file = MakeFile(0);
  file->OpenFile(std::make_unique<MemoryFile>(stored));
  for (auto _ : state) {
    if (!file->ReadBlock(1, out.data(), out.size())) state.SkipWithError("ReadBlock failed");
  }
  if (out != MixBytes()) state.SkipWithError("the file did not give the mix back");
  Report(state, stored->size());
}

BENCHMARK(BM_CompressedAutoCodecChunked)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CompressedAutoCodecOneCall)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CompressedAutoWriteBlock)
    ->Arg(0)
    ->Arg(10)
    ->ArgName("pause_ms")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_CompressedAutoCodecUncompressChunked)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CompressedAutoReadBlock)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
