// Fuzz target: the change list, in both text layouts and the binary form.
//
// The first byte picks the form: 0 the binary form (the magic goes first, the rest follows
// it), 1 a text report named ".cut" (layout 0 first), 2 one named ".txt" (layout 1 first);
// other values as their remainder by 3. A read succeeds exactly when it keeps a change, keeps
// no no-change entry, and says where it stopped when it fails. What reads is converted to
// the binary edit list, which must be written and read back in whole pairs. Counts and name
// lengths larger than the file must be refused, never allocated (ASan's allocation limit
// catches them).
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "FuzzFile.h"
#include "commonobjects/conform/CutListReader.h"
#include "commonobjects/conform/SourceDestItem.h"
#include "commonobjects/platform/MemoryRegistryStore.h"

namespace {

void CheckRead(CCutListReader& reader, bool read) {
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const commonobjects::platform::ScopedRegistryOverride registry(
      std::make_shared<commonobjects::platform::MemoryRegistryStore>());
  static fuzzing::FuzzFile binary(".cut");
  static fuzzing::FuzzFile layout0(".cut");
  static fuzzing::FuzzFile layout1(".TXT");
  static fuzzing::FuzzFile edl(".edl");
  if (size < 1) return 0;
  const int form = data[0] % 3;
  const std::string& path = form == 0   ? binary.Write(CCutListReader::kMagic, data + 1, size - 1)
                            : form == 1 ? layout0.Write("", data + 1, size - 1)
                                        : layout1.Write("", data + 1, size - 1);
  CCutListReader reader;
  const bool read = reader.Read(path);
  CheckRead(reader, read);
  if (!read) return 0;

  if (!ConvertCutListToEDL(reader, "FUZZ.aut", edl.Path())) std::abort();
  CGrowableArray<CSourceDestItem> items;
  GetSourceDestItems(edl.Path(), items, true);
  // At most a lead-in and one placed pair per change, and the tail.
  const size_t most = 2 * (2 * reader.GetChanges().size() + 1);
  if (items.GetSize() % 2 != 0 || static_cast<size_t>(items.GetSize()) > most) std::abort();
  return 0;
}
