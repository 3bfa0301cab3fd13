// Fuzz target: a mix loaded from a structured (compound) file, saved again and reloaded.
//
// The input is a console choice byte, then the file (see MixFuzzing.h). The file is opened
// as a compound file in memory and loaded into a new package with LoadFrom, converting old
// snapshot versions and max paths modes as a load does. Whatever loads is saved into a new
// compound file in memory, committed, and loaded into another package: besides the
// sanitizers, the save must succeed and every member must come back as it was saved.
//
// The corpus (fuzz/corpus/mix-structured/, written by MixCorpusGenerator) holds current
// mixes of console types 3, 2 (modes 0 and 1) and 6, mixes of snapshot versions 15, 17 and
// 21 to be converted, mixes that lack streams, and a mix of version 1.2 whose streams are
// zlib-compressed.
#include <cstdint>
#include <memory>
#include <vector>

#include "MixFuzzing.h"
#include "commonobjects/files/internal/EventRecords.h"
#include "commonobjects/platform/CompoundFile.h"
#include "commonobjects/platform/RandomAccessFile.h"

namespace {

using commonobjects::platform::CompoundStorage;
using commonobjects::platform::MemoryFile;
using Bytes = std::vector<uint8_t>;

void CheckRoundTrip(CAutomationPackage& mix) {
  auto bytes = std::make_shared<Bytes>();
  std::unique_ptr<CompoundStorage> storage;
  if (!CompoundStorage::Create(std::make_unique<MemoryFile>(bytes), &storage).IsOk()) mixfuzz::Fail("create");
  if (mix.SaveTo(*storage) != 1) mixfuzz::Fail("SaveTo failed");
  if (!storage->Release().IsOk()) mixfuzz::Fail("commit failed");

  const auto kRead = commonobjects::files::kReadMode;
  if (!CompoundStorage::Open(std::make_unique<MemoryFile>(bytes), kRead, &storage).IsOk()) mixfuzz::Fail("reopen");
  CAutomationPackage again;
  again.SetNotifyOnDestruction(false);
  again.LoadFrom(*storage);
  mixfuzz::ExpectSameMix(mix, again);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const mixfuzz::InputConsole console(data[0]);
  auto bytes = std::make_shared<Bytes>(data + 1, data + size);
  std::unique_ptr<CompoundStorage> storage;
  const auto kRead = commonobjects::files::kReadMode;
  if (!CompoundStorage::Open(std::make_unique<MemoryFile>(bytes), kRead, &storage).IsOk()) return 0;
  CAutomationPackage mix;
  mix.SetNotifyOnDestruction(false);
  mix.LoadFrom(*storage);
  storage.reset();
  CheckRoundTrip(mix);
  return 0;
}
