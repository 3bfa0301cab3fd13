// Fuzz target: the text edit decision list reader in every dialect.
//
// The first byte picks the dialect (format code -1 to 6); the rest is the file. Besides the
// sanitizers: the header stops at an event line or says there is none; every event read
// is one event line; a line that places an edit has the frames of its timecode block;
// GetSourceDestItems gives two items per placed edit.
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "FuzzFile.h"
#include "commonobjects/conform/EDLReader.h"
#include "commonobjects/platform/MemoryRegistryStore.h"

namespace {

const commonobjects::platform::ScopedRegistryOverride& Registry() {
  static const commonobjects::platform::ScopedRegistryOverride guard(
      std::make_shared<commonobjects::platform::MemoryRegistryStore>());
  return guard;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static_cast<void>(Registry());
  static fuzzing::FuzzFile file(".edl");
  if (size < 1) return 0;
  const int32_t format = static_cast<int32_t>(data[0] % 8) - 1;
  const std::string& path = file.Write(std::string(), data + 1, size - 1);

  CEDLReader reader(path, format);
  if (!reader.Open()) std::abort();
  CTimecodeSettings settings;
  CReelTable reels;
  const int32_t header = reader.ReadHeader(settings, reels);
  if (header != CEDLReader::kEventLine && header != CEDLReader::kOtherLine &&
      header != CEDLReader::kBinaryHeader && header != CEDLReader::kEndOfFile) {
    std::abort();
  }
  CEDLTimecodeBlock tc;
  CSourceDestItem source, dest;
  int32_t placed = 0;
  for (size_t events = 0; reader.ReadEvent(tc, source, dest) == 1; ++events) {
    if (events > size) std::abort();  // more events than bytes: the reader is not moving on
    if (dest.Detail == nullptr) std::abort();
    if (!reader.EventYieldsEdit()) {
      if (source.Start != 0 || dest.Start != 0 || dest.Length != 0) std::abort();
      continue;
    }
    ++placed;
    if (source.Length != dest.Length) std::abort();
  }
  if (reader.ReadEvent(tc, source, dest) != 0) std::abort();  // the end stays the end

  CGrowableArray<CSourceDestItem> items;
  GetSourceDestItems(path, items, false);
  if (format == CEDLReader::kQrx && !reader.IsBinary() && items.GetSize() != 2 * placed) std::abort();
  return 0;
}
