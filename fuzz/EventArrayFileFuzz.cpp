// Fuzz target: the event-array file loader over arbitrary file bytes.
//
// The input is a whole file. It is opened as a compound file in memory and its events are
// loaded as CAutomationEventArray::Load does, in the path width its "Path Mode" names (8-bit
// without one). Besides the sanitizers, two promises are checked:
//  - a failed load leaves the array as it was;
//  - whatever loads, saved again and reloaded, gives the same events.
//
// The corpus (fuzz/corpus/event-array-file/) holds files written by Save in max paths modes
// 0, 1 and 2 (a few events, and 250 events so that the records leave the mini stream), an
// empty array's file, a file without "Path Mode" (the narrow writer), and files of versions
// 1.1 and 1.2 whose events were compressed with zlib's compress.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "commonobjects/eventstore/AutomationEventArray.h"
#include "commonobjects/files/internal/EventRecords.h"
#include "commonobjects/platform/CompoundFile.h"
#include "commonobjects/platform/MemoryRegistryStore.h"
#include "commonobjects/platform/RandomAccessFile.h"

namespace {

namespace files = commonobjects::files;
using commonobjects::platform::CompoundStorage;
using commonobjects::platform::MemoryFile;
using Bytes = std::vector<uint8_t>;

// Arrays read the registry when built: a registry of our own, so no user's file is touched.
const commonobjects::platform::ScopedRegistryOverride& Registry() {
  static const commonobjects::platform::ScopedRegistryOverride guard(
      std::make_shared<commonobjects::platform::MemoryRegistryStore>());
  return guard;
}

CAutomationEvent Sentinel() {
  CAutomationEvent e;
  e.Time = 123456, e.Path = 77, e.Proc = 5, e.Control = 6, e.Value = -7, e.Flags = 8, e.OldValue = 9;
  return e;
}

bool Same(const CAutomationEventArray& a, const CAutomationEventArray& b) {
  if (a.GetSize() != b.GetSize()) return false;
  for (int32_t i = 0; i < a.GetSize(); ++i) {
    if (!(a[i] == b[i])) return false;
  }
  return true;
}

// Saves the events into a new file in memory, loads them back and insists on equality.
void CheckRoundTrip(const CAutomationEventArray& events, files::PathWidth width) {
  auto bytes = std::make_shared<Bytes>();
  std::unique_ptr<CompoundStorage> storage;
  if (!CompoundStorage::Create(std::make_unique<MemoryFile>(bytes), &storage).IsOk()) std::abort();
  if (files::SaveEventStream(*storage, files::kAutomationDataStream, width, events) != 1) std::abort();
  files::WriteVersionStreams(*storage);
  if (!storage->Release().IsOk()) std::abort();

  if (!CompoundStorage::Open(std::make_unique<MemoryFile>(bytes), files::kReadMode, &storage).IsOk()) std::abort();
  CAutomationEventArray again;
  if (files::LoadEventStream(*storage, files::kAutomationDataStream, width, again) != 1) std::abort();
  if (events.GetSize() > 0 && !Same(events, again)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static_cast<void>(Registry());
  auto bytes = std::make_shared<Bytes>(data, data + size);
  std::unique_ptr<CompoundStorage> storage;
  if (!CompoundStorage::Open(std::make_unique<MemoryFile>(bytes), files::kReadMode, &storage).IsOk()) return 0;

  int32_t mode = 0;
  const files::PathWidth width =
      files::ReadPathModeStream(*storage, &mode) ? files::PathWidthForMode(mode) : files::PathWidth::kNarrow;
  CAutomationEventArray events;
  events.Add(Sentinel());
  const int loaded = files::LoadEventStream(*storage, files::kAutomationDataStream, width, events);
  if (loaded != 0 && loaded != 1) std::abort();
  if (loaded == 0 && !(events.GetSize() == 1 && events[0] == Sentinel())) std::abort();
  if (loaded == 1) CheckRoundTrip(events, width);
  return 0;
}
