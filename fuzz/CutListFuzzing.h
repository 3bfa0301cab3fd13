// What the change-list fuzz targets check of every read: a read succeeds exactly when it
// keeps a change, keeps no no-change entry, and says where it stopped when it fails. What
// reads is converted to the binary edit list, which must be written and read back in whole
// pairs.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "FuzzFile.h"
#include "commonobjects/conform/CutListReader.h"
#include "commonobjects/conform/SourceDestItem.h"
#include "commonobjects/platform/MemoryRegistryStore.h"

namespace fuzzing {


inline void CheckRead(CCutListReader& reader, bool read) {
  if (read != !reader.GetChanges().empty()) std::abort();
  if (!read && reader.GetFailureStage() != CCutListReader::kFailedAfterOpening &&
      reader.GetFailureStage() != CCutListReader::kFailedInChanges) {
    std::abort();
  }
  if (read && reader.GetFailureStage() != CCutListReader::kNoFailure) std::abort();
  for (const auto& change : reader.GetChanges()) {
    if (change->Kind == CCutListChange::kNoChange) std::abort();
    if (!reader.IsBinary() && (change->Kind < 0 || change->Kind > CCutListChange::kInsertFrom)) std::abort();
  }
}



// Reads the change list at path and checks it (above).
inline void CheckChangeList(const std::string& path) {
  static const commonobjects::platform::ScopedRegistryOverride registry(
      std::make_shared<commonobjects::platform::MemoryRegistryStore>());
  static FuzzFile edl(".edl");
  CCutListReader reader;
  const bool read = reader.Read(path);
  CheckRead(reader, read);
  if (!read) return;

  if (!ConvertCutListToEDL(reader, "FUZZ.aut", edl.Path())) std::abort();
  CGrowableArray<CSourceDestItem> items;
  GetSourceDestItems(edl.Path(), items, true);
  // At most a lead-in and one placed pair per change, and the tail.
  const size_t most = 2 * (2 * reader.GetChanges().size() + 1);
  if (items.GetSize() % 2 != 0 || static_cast<size_t>(items.GetSize()) > most) std::abort();
}

}  // namespace fuzzing
