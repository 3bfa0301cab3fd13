// A whole mix at the size of a long feature on the largest console: Save and Load of a
// package of console type 3 (max paths mode 2, 2000 paths) holding 10 million events and
// every other member full: the sixteen slots with 2000 records each, the complete control
// parameter block (2000 x 45 words), a route parameter block (2000 x 3 words), the link map
// (2000) and the gang map (2000 x 2000), in both forms.
//
// Every figure is wall-clock time per event ("per_event", "30n" is 30 nanoseconds). Each
// form is measured beside the same bytes written (with fsync, as a save syncs) and read as
// a plain file; the compressed form also beside its codec alone on the same blocks, to show
// what compression costs. Compressed saves run with CompressedAutoPauseMs 0, and once with
// the shipped pause of 10 ms after each chunk. The event-array file of the same events
// (CAutomationEventArray::Save and Load) shows how much of a structured save and load is
// the event stream. Files go to the temporary folder ($TMPDIR, else /tmp).
// Run with --benchmark_filter=Package.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "commonobjects/console/ConsoleConfiguration.h"
#include "commonobjects/files/CompressedAutoFile.h"
#include "commonobjects/files/internal/ChunkCodec.h"
#include "commonobjects/package/AutomationPackage.h"
#include "commonobjects/platform/File.h"
#include "commonobjects/platform/MemoryRegistryStore.h"

namespace {

using commonobjects::files::internal::ChunkCompressor;
using commonobjects::files::internal::ChunkExpander;
using commonobjects::platform::File;
using commonobjects::platform::FileMode;
using commonobjects::platform::MemoryRegistryStore;
using commonobjects::platform::RegistryValue;
using Bytes = std::vector<uint8_t>;

constexpr int32_t kEvents = 10'000'000;
constexpr int32_t kPaths = 2000;
constexpr int32_t kRecords = 2000;
constexpr size_t kChunk = CCompressedAutoFile::kChunkBytes;

// Console type 3 with the given pause after each compressed chunk, for one benchmark.
class BenchConsole {
 public:
  explicit BenchConsole(uint32_t pauseMilliseconds) : guard_(Store(pauseMilliseconds)) {
    CConsoleConfiguration::ResetForTesting();
  }
  ~BenchConsole() { CConsoleConfiguration::ResetForTesting(); }
  BenchConsole(const BenchConsole&) = delete;
  BenchConsole& operator=(const BenchConsole&) = delete;

 private:
  static std::shared_ptr<MemoryRegistryStore> Store(uint32_t pauseMilliseconds) {
    auto store = std::make_shared<MemoryRegistryStore>();
    store->SetValue(HKEY_LOCAL_MACHINE, "Software\\QRX Tarn Tavmir\\Main", "TavmirConsoleType", RegistryValue::Dword(3));
    store->SetValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\QRXTARN\\QENSERVER", "CompressedAutoPauseMs",
                    RegistryValue::Dword(pauseMilliseconds));
    return store;
  }

  commonobjects::platform::ScopedRegistryOverride guard_;
};

std::string TempPath(const char* name) {
  return (std::filesystem::temp_directory_path() / (std::string("package-bench-") + name)).string();
}

// A recorded mix: moves of 5 to 40 points on fader, mute, EQ and pan controls of 2000 paths,
// about 40 events per time unit, each point a small step from the last.
void FillEvents(CAutomationPackage& mix) {
  constexpr std::array<std::pair<uint8_t, uint8_t>, 5> kControls = {{{14, 0}, {14, 0}, {14, 2}, {1, 1}, {21, 0}}};
  struct Move {
    CAutomationEvent next;
    int left = 0;
  };
  std::mt19937 rng(20261206);
  std::vector<Move> moves(60);
  mix.SetSize(kEvents);
  int32_t n = 0;
  for (int32_t time = 0; n < kEvents; ++time) {
    for (Move& m : moves) {
      if (m.left == 0) {
        const auto [proc, control] = kControls[rng() % kControls.size()];
        m.next = CAutomationEvent{proc, control, static_cast<int16_t>(static_cast<int>(rng() % 1100) - 1000),
                                  static_cast<int32_t>(rng() % kPaths), time, 0, 0};
        m.left = 5 + static_cast<int>(rng() % 36);
      }
      if (n == kEvents || rng() % 3 == 0) continue;
      m.next.Time = time;
      mix[n++] = m.next;
      m.next.OldValue = m.next.Value;
      m.next.Value = static_cast<int16_t>(m.next.Value + static_cast<int>(rng() % 25) - 12);
      --m.left;
    }
  }
}

// Every member full. Records and parameters vary from path to path, as a console's do; the
// gang map holds gangs of eight paths.
void FillMembers(CAutomationPackage& mix) {
  for (auto set : {CAutomationPackage::FullControl, CAutomationPackage::FullRoute}) {
    for (int k = 0; k < MixLayout::kSlotCount; ++k) {
      CRecordArray* slot = mix.GetSlot(set, k);
      slot->SetSize(kRecords);
      for (size_t b = 0; b < slot->GetByteCount(); b += 4) slot->GetData()[b] = static_cast<uint8_t>(b / 4 % 7 + k);
    }
  }
  mix.ControlParms.SetSize(kPaths * MixLayout::kControlParmWordsPerPath);
  for (int32_t i = 0; i < mix.ControlParms.GetSize(); ++i) {
    mix.ControlParms[i] = static_cast<uint16_t>(i % 45 * 100 + i / 45 % 3);
  }
  mix.RouteParms.SetSize(kPaths * 3);
  for (int32_t i = 0; i < mix.RouteParms.GetSize(); ++i) mix.RouteParms[i] = static_cast<uint16_t>(i % 3);
  mix.LinkMap.SetSize(kPaths);
  for (int32_t p = 0; p < kPaths; ++p) mix.LinkMap[p] = static_cast<uint32_t>(p);
  for (int32_t p = 0; p < kPaths; ++p) {
    for (int32_t q = p / 8 * 8; q < p / 8 * 8 + 8; ++q) mix.GangMap[p * kPaths + q] = static_cast<uint16_t>(p / 8);
  }
  for (uint32_t v : {0u, 1024u, 1024u, 976u}) mix.PathMapData.Add(v);
  mix.FirstAutoRte.Add(1024);
  mix.SnapshotVersion.Add(static_cast<uint32_t>(MixLayout::CurrentSnapshotVersion(2, false)));
  mix.SetMixPass(3, 4);
}

CAutomationPackage& FullMix() {
  static const auto mix = [] {
    const BenchConsole console(0);
    auto m = std::make_unique<CAutomationPackage>();
    m->SetNotifyOnDestruction(false);
    FillEvents(*m);
    FillMembers(*m);
    return m;
  }();
  return *mix;
}

Bytes FileBytes(const std::string& path) {
  File file;
  uint64_t size = 0;
  if (!file.Open(path, FileMode::kRead).IsOk() || !file.Size(&size).IsOk()) std::abort();
  Bytes bytes(size);
  size_t got = 0;
  if (!file.Read(bytes.data(), bytes.size(), &got).IsOk() || got != bytes.size()) std::abort();
  return bytes;
}

// The file a save of the full mix writes, as bytes; written once per form.
const Bytes& SavedBytes(int compressed) {
  static std::array<Bytes, 2> saved;
  Bytes& bytes = saved[compressed != 0 ? 1 : 0];
  if (bytes.empty()) {
    const BenchConsole console(0);
    const std::string path = TempPath("saved");
    std::filesystem::remove(path);
    CAutomationPackage& mix = FullMix();
    mix.SetFileName(path);
    if (mix.Save(compressed) == 0) std::abort();
    bytes = FileBytes(path);
    std::filesystem::remove(path);
  }
  return bytes;
}

void PerEvent(benchmark::State& state) {
  state.counters["per_event"] =
      benchmark::Counter(kEvents, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void ReportFileSize(benchmark::State& state, const Bytes& bytes) {
  state.counters["file_MB"] = static_cast<double>(bytes.size()) / 1e6;
}

void PackageSave(benchmark::State& state, int compressed, uint32_t pauseMilliseconds) {
  const BenchConsole console(pauseMilliseconds);
  CAutomationPackage& mix = FullMix();
  const std::string path = TempPath(compressed != 0 ? "save.cmx" : "save.mix");
  std::filesystem::remove(path);
  mix.SetFileName(path);
  for (auto _ : state) {
    if (mix.Save(compressed) == 0) state.SkipWithError("Save failed");
  }
  PerEvent(state);
  ReportFileSize(state, SavedBytes(compressed));
  std::filesystem::remove(path);
}

void PackageLoad(benchmark::State& state, int compressed) {
  const BenchConsole console(0);
  const std::string path = TempPath(compressed != 0 ? "load.cmx" : "load.mix");
  {
    File file;
    const Bytes& bytes = SavedBytes(compressed);
    if (!file.Open(path, FileMode::kCreateAlways).IsOk() || !file.Write(bytes.data(), bytes.size()).IsOk()) {
      state.SkipWithError("cannot write the mix");
    }
  }
  for (auto _ : state) {
    CAutomationPackage loaded;  // a fresh package each time, as a host loading a mix has
    loaded.SetNotifyOnDestruction(false);
    loaded.SetFileName(path);
    loaded.Load();
    if (loaded.GetSize() != kEvents || !loaded.GetLoadReport().Missing.empty()) state.SkipWithError("Load failed");
  }
  PerEvent(state);
  std::filesystem::remove(path);
}

void PlainWriteSynced(benchmark::State& state, const Bytes& bytes) {
  const std::string path = TempPath("plain.bin");
  for (auto _ : state) {
    File file;
    if (!file.Open(path, FileMode::kCreateAlways).IsOk() || !file.Write(bytes.data(), bytes.size()).IsOk() ||
        !file.Sync().IsOk() || !file.Close().IsOk()) {
      state.SkipWithError("plain write failed");
    }
  }
  PerEvent(state);
  ReportFileSize(state, bytes);
  std::filesystem::remove(path);
}

void PlainRead(benchmark::State& state, const Bytes& bytes) {
  const std::string path = TempPath("plain-read.bin");
  {
    File file;
    if (!file.Open(path, FileMode::kCreateAlways).IsOk() || !file.Write(bytes.data(), bytes.size()).IsOk()) {
      state.SkipWithError("plain write failed");
    }
  }
  for (auto _ : state) {
    auto buffer = std::make_unique_for_overwrite<uint8_t[]>(bytes.size());  // a fresh buffer, as a load has
    File file;
    size_t got = 0;
    if (!file.Open(path, FileMode::kRead).IsOk() || !file.Read(buffer.get(), bytes.size(), &got).IsOk() ||
        got != bytes.size()) {
      state.SkipWithError("plain read failed");
    }
    benchmark::DoNotOptimize(buffer.get());
  }
  PerEvent(state);
  std::filesystem::remove(path);
}

// The blocks of the saved compressed mix, uncompressed: what its codec works on.
const std::vector<Bytes>& CompressedBlocks() {
  static const std::vector<Bytes> blocks = [] {
    const BenchConsole console(0);
    CCompressedAutoFile file;
    if (!file.OpenFile(std::make_unique<commonobjects::platform::MemoryFile>(
            std::make_shared<Bytes>(SavedBytes(1))))) {
      std::abort();
    }
    std::vector<Bytes> b;
    for (const CompressedAutoSlotStructure& slot : file.Slots) {
      if (slot.BlockNumber < 0) continue;
      b.emplace_back(slot.Length);
      if (!file.ReadBlock(slot.BlockNumber, b.back().data(), slot.Length)) std::abort();
    }
    return b;
  }();
  return blocks;
}

// Each block's chunks, compressed as the file stores them (blocks of over 1000 bytes).
struct StoredChunk {
  Bytes packed;
  size_t length;
};
const std::vector<StoredChunk>& CompressedChunks() {
  static const std::vector<StoredChunk> chunks = [] {
    std::vector<StoredChunk> c;
    ChunkCompressor codec;
    for (const Bytes& block : CompressedBlocks()) {
      if (block.size() <= CCompressedAutoFile::kRawLimit) continue;
      for (size_t at = 0; at < block.size(); at += kChunk) {
        const size_t length = std::min(kChunk, block.size() - at);
        Bytes out(length * 110 / 100 + 12);
        size_t packed = 0;
        if (!codec.Compress(block.data() + at, static_cast<uint32_t>(length), out.data(), out.size(), &packed)) {
          std::abort();
        }
        out.resize(packed);
        c.push_back({std::move(out), length});
      }
    }
    return c;
  }();
  return chunks;
}

void BM_PackageSaveStructured(benchmark::State& state) { PackageSave(state, 0, 0); }
void BM_PackageSaveStructuredPlainWrite(benchmark::State& state) { PlainWriteSynced(state, SavedBytes(0)); }
void BM_PackageLoadStructured(benchmark::State& state) { PackageLoad(state, 0); }
void BM_PackageLoadStructuredPlainRead(benchmark::State& state) { PlainRead(state, SavedBytes(0)); }

void BM_PackageSaveCompressed(benchmark::State& state) {
  PackageSave(state, 1, static_cast<uint32_t>(state.range(0)));
}
void BM_PackageSaveCompressedPlainWrite(benchmark::State& state) { PlainWriteSynced(state, SavedBytes(1)); }
void BM_PackageSaveCompressedCodecOnly(benchmark::State& state) {
  const std::vector<Bytes>& blocks = CompressedBlocks();
  ChunkCompressor codec;
  Bytes out(kChunk * 110 / 100 + 12);
  for (auto _ : state) {
    for (const Bytes& block : blocks) {
      if (block.size() <= CCompressedAutoFile::kRawLimit) continue;
      for (size_t at = 0; at < block.size(); at += kChunk) {
        size_t packed = 0;
        const auto length = static_cast<uint32_t>(std::min(kChunk, block.size() - at));
        if (!codec.Compress(block.data() + at, length, out.data(), out.size(), &packed)) state.SkipWithError("codec");
      }
    }
  }
  PerEvent(state);
}
void BM_PackageLoadCompressed(benchmark::State& state) { PackageLoad(state, 1); }
void BM_PackageLoadCompressedPlainRead(benchmark::State& state) { PlainRead(state, SavedBytes(1)); }
void BM_PackageLoadCompressedCodecOnly(benchmark::State& state) {
  const std::vector<StoredChunk>& chunks = CompressedChunks();
  ChunkExpander codec;
  Bytes out(kChunk);
  for (auto _ : state) {
    for (const StoredChunk& chunk : chunks) {
      codec.Expand(chunk.packed.data(), static_cast<uint32_t>(chunk.packed.size()), out.data(), chunk.length);
    }
    benchmark::DoNotOptimize(out.data());
  }
  PerEvent(state);
}

// The event-array file of the same events: the event stream's share of a structured save.
void BM_PackageEventArraySave(benchmark::State& state) {
  const BenchConsole console(0);
  const CAutomationEventArray& events = FullMix();
  const std::string path = TempPath("events.mix");
  std::filesystem::remove(path);
  for (auto _ : state) {
    if (events.Save(path) != 1) state.SkipWithError("Save failed");
  }
  PerEvent(state);
  std::filesystem::remove(path);
}

void BM_PackageEventArrayLoad(benchmark::State& state) {
  const BenchConsole console(0);
  const std::string path = TempPath("events-load.mix");
  std::filesystem::remove(path);
  if (static_cast<const CAutomationEventArray&>(FullMix()).Save(path) != 1) state.SkipWithError("Save failed");
  for (auto _ : state) {
    CAutomationEventArray loaded;
    if (loaded.Load(path) != 1 || loaded.GetSize() != kEvents) state.SkipWithError("Load failed");
  }
  PerEvent(state);
  std::filesystem::remove(path);
}

BENCHMARK(BM_PackageSaveStructured)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
BENCHMARK(BM_PackageSaveStructuredPlainWrite)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
BENCHMARK(BM_PackageEventArraySave)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
BENCHMARK(BM_PackageLoadStructured)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
BENCHMARK(BM_PackageLoadStructuredPlainRead)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
BENCHMARK(BM_PackageEventArrayLoad)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
BENCHMARK(BM_PackageSaveCompressed)->Arg(0)->ArgName("pause_ms")->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
BENCHMARK(BM_PackageSaveCompressed)->Arg(10)->ArgName("pause_ms")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_PackageSaveCompressedPlainWrite)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
BENCHMARK(BM_PackageSaveCompressedCodecOnly)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
BENCHMARK(BM_PackageLoadCompressed)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
BENCHMARK(BM_PackageLoadCompressedPlainRead)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
BENCHMARK(BM_PackageLoadCompressedCodecOnly)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

}  // namespace
