// Reading a 100 MB stream from a compound file: ours against `gsf cat` of the same stream
// (a separate process writing to /dev/null, timed by wall clock). The ratio of the two is
// the figure to watch; ours reads each run of consecutive sectors in one call. Writing one,
// by Write (the content held in memory until the commit) and by WriteInPlace (each piece
// straight to the file).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "commonobjects/platform/CompoundFile.h"

namespace {

using namespace commonobjects::platform;

constexpr size_t kStreamSize = 100u << 20;

// The file is written once per run of the benchmark program, by our writer.
const std::string& HundredMegabyteFile() {
  static const std::string path = [] {
    const std::string file = (std::filesystem::temp_directory_path() / "co-cfb-bench-100mb.cfb").string();
    std::vector<uint8_t> content(kStreamSize);
    for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<uint8_t>(i * 31 + (i >> 12));
    std::unique_ptr<CompoundStorage> storage;
    std::unique_ptr<CompoundStream> stream;
    uint32_t written = 0;
    if (!CompoundStorage::Create(file, 0x1012, &storage).IsOk() || !storage->CreateStream("Big", 0x1012, &stream).IsOk() ||
        !stream->Write(content.data(), static_cast<uint32_t>(content.size()), &written).IsOk() ||
        !storage->Release().IsOk()) {
      std::abort();
    }
    return file;
  }();
  return path;
}

void BM_CompoundFileRead100MB(benchmark::State& state) {
  const std::string& file = HundredMegabyteFile();
  std::vector<uint8_t> buffer(static_cast<size_t>(state.range(0)));
  for (auto _ : state) {
    std::unique_ptr<CompoundStorage> storage;
    std::unique_ptr<CompoundStream> stream;
    if (!CompoundStorage::Open(file, 0x10, &storage).IsOk() || !storage->OpenStream("Big", 0x10, &stream).IsOk()) {
      state.SkipWithError("cannot open the benchmark file");
      return;
    }
    uint64_t total = 0;
    for (uint32_t got = 1; got > 0;) {
      stream->Read(buffer.data(), static_cast<uint32_t>(buffer.size()), &got);
      total += got;
    }
    benchmark::DoNotOptimize(total);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kStreamSize));
}
BENCHMARK(BM_CompoundFileRead100MB)->Arg(64 << 10)->Arg(1 << 20)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_GsfCat100MB(benchmark::State& state) {
  if (access("/usr/bin/gsf", X_OK) != 0) {
    state.SkipWithError("gsf is missing: install the Debian package libgsf-bin");
    return;
  }
  const std::string command = "/usr/bin/gsf cat '" + HundredMegabyteFile() + "' Big > /dev/null";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) {
      state.SkipWithError("gsf cat failed");
      return;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kStreamSize));
}
BENCHMARK(BM_GsfCat100MB)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CompoundFileWrite100MB(benchmark::State& state) {
  const std::string file = (std::filesystem::temp_directory_path() / "co-cfb-bench-write.cfb").string();
  std::vector<uint8_t> content(kStreamSize, 0x5A);
  for (auto _ : state) {
    std::unique_ptr<CompoundStorage> storage;
    std::unique_ptr<CompoundStream> stream;
    uint32_t written = 0;
    if (!CompoundStorage::Create(file, 0x1012, &storage).IsOk() || !storage->CreateStream("Big", 0x1012, &stream).IsOk() ||
        !stream->Write(content.data(), static_cast<uint32_t>(content.size()), &written).IsOk() ||
        !storage->Release().IsOk()) {
      state.SkipWithError("cannot write the benchmark file");
      return;
    }
  }
  std::filesystem::remove(file);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kStreamSize));
}
BENCHMARK(BM_CompoundFileWrite100MB)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same content through WriteInPlace: it goes to the file a piece at a time as it is
// produced, with no copy of the whole held in the stream's memory.
void BM_CompoundFileWriteInPlace100MB(benchmark::State& state) {
  const std::string file = (std::filesystem::temp_directory_path() / "co-cfb-bench-write-in-place.cfb").string();
  const std::vector<uint8_t> content(kStreamSize, 0x5A);
  const auto fill = [&content](uint8_t* at, uint64_t done, size_t length) {
    std::copy_n(content.begin() + static_cast<std::ptrdiff_t>(done), length, at);
  };
  for (auto _ : state) {
    std::unique_ptr<CompoundStorage> storage;
    std::unique_ptr<CompoundStream> stream;
    if (!CompoundStorage::Create(file, 0x1012, &storage).IsOk() || !storage->CreateStream("Big", 0x1012, &stream).IsOk() ||
        !stream->WriteInPlace(content.size(), fill).IsOk() || !storage->Release().IsOk()) {
      state.SkipWithError("cannot write the benchmark file");
      return;
    }
  }
  std::filesystem::remove(file);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kStreamSize));
}
BENCHMARK(BM_CompoundFileWriteInPlace100MB)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
