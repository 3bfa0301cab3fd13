// Fuzz target for the compound-file reader: any bytes, opened as a compound file, listed,
// every stream of every storage read to its end, the consistency check run, and a save
// into the file tried. Nothing may crash, hang or run out of memory; a save that succeeds
// must leave the streams it did not touch as they read before.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <utility>
#include <vector>

#include "commonobjects/platform/CompoundFile.h"

namespace {

using namespace commonobjects::platform;
using Bytes = std::vector<uint8_t>;
using Contents = std::vector<std::pair<std::string, Bytes>>;

// Reads every stream below the root, storages first-in first-out (no recursion: a damaged
// file may nest deeply). Returns false when anything failed to read.
bool ReadAll(CompoundStorage& root, Contents* contents) {
  std::vector<std::pair<std::string, std::unique_ptr<CompoundStorage>>> storages;
  bool ok = true;
  CompoundStorage* current = &root;
  std::string prefix;
  for (size_t next = 0;; ++next) {
    for (const StorageEntry& entry : current->List()) {
      if (entry.isStorage) {
        std::unique_ptr<CompoundStorage> child;
        if (current->OpenStorage(entry.name, STGM_SHARE_EXCLUSIVE, &child).IsOk()) {
          storages.emplace_back(prefix + entry.name + "/", std::move(child));
        } else {
          ok = false;
        }
        continue;
      }
      std::unique_ptr<CompoundStream> stream;
      Bytes content;
      uint8_t piece[4096];
      uint32_t got = sizeof piece;
      StgStatus status = current->OpenStream(entry.name, STGM_SHARE_EXCLUSIVE, &stream);
      while (status.IsOk() && got == sizeof piece) {
        status = stream->Read(piece, sizeof piece, &got);
        content.insert(content.end(), piece, piece + got);
      }
      ok = ok && status.IsOk() && content.size() == stream->Length();
      if (status.IsOk()) contents->emplace_back(prefix + entry.name, std::move(content));
    }
    if (next >= storages.size()) break;
    prefix = storages[next].first;
    current = storages[next].second.get();
  }
  return ok;
}

void TrySave(const Bytes& input, const Contents& before, bool readWhole) {
  auto bytes = std::make_shared<Bytes>(input);
  std::unique_ptr<CompoundStorage> storage;
  if (!CompoundStorage::Open(std::make_unique<MemoryFile>(bytes), 0x12, &storage).IsOk()) return;
  std::unique_ptr<CompoundStream> stream;
  uint32_t written = 0;
  const uint8_t data[5000] = {1, 2, 3};
  bool saved = storage->CreateStream("AutomationData", 0x1012, &stream).IsOk() &&
               stream->Write(data, sizeof data, &written).IsOk();
  stream.reset();
  saved = storage->Release().IsOk() && saved;
  if (!saved || !readWhole) return;
  std::unique_ptr<CompoundStorage> reopened;
  Contents after;
  if (!CompoundStorage::Open(std::make_unique<MemoryFile>(bytes), 0x10, &reopened).IsOk() || !ReadAll(*reopened, &after)) {
    abort();  // a save into a readable file left it unreadable
  }
  for (const auto& [name, content] : before) {
    if (name == "AutomationData") continue;
    bool found = false;
    for (const auto& [afterName, afterContent] : after) found = found || (afterName == name && afterContent == content);
    if (!found) abort();  // a save lost a stream it did not touch
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const Bytes input(data, data + size);
  std::unique_ptr<CompoundStorage> storage;
  Contents contents;
  bool readWhole = false;
  if (CompoundStorage::Open(std::make_unique<MemoryFile>(std::make_shared<Bytes>(input)), 0x10, &storage).IsOk()) {
    readWhole = ReadAll(*storage, &contents);
  }
  storage.reset();
  MemoryFile file(std::make_shared<Bytes>(input));
  CompoundFileReport report;
  CheckCompoundFile(file, &report);
  TrySave(input, contents, readWhole);
  return 0;
}
