// What mixauto info and check say about a loaded mix: its identity and members, and whether
// the members hang together (events in time order, whole records, maps and parameter blocks
// of the mix's paths). Used from the main thread only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "commonobjects/package/AutomationPackage.h"
#include "commonobjects/platform/CompoundFile.h"

class CCompressedAutoFile;

namespace mixauto {

// The paths the mix's members are laid out for: the package's own, or those of the max paths
// mode the file was written in (`fileMode`) when that is larger, since a load never shrinks
// a mix.
int32_t MixPaths(const CAutomationPackage& mix, int32_t fileMode);

// The lines of info after the form: console type, max paths modes, snapshot version, mix
// pass, frame rate, events, records per slot, parameter blocks, maps, path groups, and what
// the load found missing or unreadable. `fileMode` is the max paths mode of the file's events.
void PrintMixSummary(const CAutomationPackage& mix, int32_t fileMode);

// A slot as the file stores it: a name for messages, its stored bytes (-1: not stored) and
// the size of the records it was stored with.
struct StoredSlot {
  std::string label;
  int64_t bytes = -1;
  int32_t recordBytes = 1;
};

// The slots of the loaded mix as the structured file lists its streams, or as the compressed
// file's blocks hold them.
std::vector<StoredSlot> StructuredSlots(const CAutomationPackage& mix,
                                        const std::vector<commonobjects::platform::StorageEntry>& streams);
std::vector<StoredSlot> CompressedSlots(const CAutomationPackage& mix, CCompressedAutoFile& file);

// The findings of check on a loaded mix: errors (members unreadable, events not read or out
// of time order, partial records, maps and parameter blocks not of the mix's paths) and
// warnings (members missing).
void CheckMix(const CAutomationPackage& mix, int32_t fileMode, const std::vector<StoredSlot>& slots,
              std::vector<std::string>* errors, std::vector<std::string>* warnings);

}  // namespace mixauto
