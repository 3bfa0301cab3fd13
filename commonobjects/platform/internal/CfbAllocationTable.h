// CfbAllocationTable: a FAT (one entry per sector) or a mini FAT (one per 64-byte mini
// sector). Each entry names the next sector of its chain, or a marker (end of chain, free,
// FAT sector, DIFAT sector).
//
// Besides the working entries the table remembers the committed state: the sectors that the
// durable header still reaches. Allocate never hands out such a sector, even after the
// working state freed it, so a commit never overwrites what the file on disk still needs;
// MarkCommitted, called once a new header is durable, lets them go.
//
// Invariants: Size() is a whole number of table sectors; the dirty flags name every table
// sector whose entries changed since ClearDirty. One thread at a time.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "commonobjects/platform/internal/CfbHeader.h"

namespace commonobjects::platform::cfb {

enum class ChainEnd {
  kEndOfChain,  // the chain ended where it should
  kBadLink,     // a link names a marker, a free sector or a sector past the limit
  kTooLong,     // maxLength sectors were walked and the chain goes on (or loops)
};

class CfbAllocationTable {
 public:
  // entriesPerSector is a power of two (128 or 1024).
  explicit CfbAllocationTable(uint32_t entriesPerSector)
      : perSector_(entriesPerSector), perSectorShift_(std::countr_zero(entriesPerSector)) {}

  uint32_t EntriesPerSector() const { return perSector_; }
  size_t Size() const { return entries_.size(); }
  const std::vector<uint32_t>& Entries() const { return entries_; }
  // kFreeSector past the end.
  uint32_t Get(uint32_t index) const { return index < entries_.size() ? entries_[index] : kFreeSector; }
  // Grows the table by whole sectors as needed; marks the entry's table sector dirty when the
  // value changes.
  void Set(uint32_t index, uint32_t value);
  // Entries read from a file (padded to whole sectors with free entries); nothing dirty,
  // nothing committed yet.
  void Assign(std::vector<uint32_t> entries);

  // Follows the chain from `start` (kEndOfChain: an empty chain) for at most maxLength
  // sectors, each below `limit`, appending them to *chain. *badLink receives the offending
  // value on kBadLink.
  ChainEnd Walk(uint32_t start, uint32_t limit, size_t maxLength, std::vector<uint32_t>* chain,
                uint32_t* badLink = nullptr) const;

  // The entries as they stand become the committed state: every entry that is not free is
  // kept from Allocate until the next MarkCommitted. extraUsed names sectors to keep as well
  // (those a file uses without marking them).
  void MarkCommitted(const std::vector<uint32_t>& extraUsed = {});
  bool IsCommitted(uint32_t index) const {
    return (index >> 6) < committed_.size() && (committed_[index >> 6] >> (index & 63) & 1) != 0;
  }
  // The lowest sector free both now and in the committed state, set to `value`.
  uint32_t Allocate(uint32_t value);
  // count sectors chosen as count calls of Allocate would choose them, linked in that order
  // as one chain (empty for 0).
  std::vector<uint32_t> AllocateChain(size_t count);
  // Frees each sector of the chain in the working state.
  void FreeChain(std::span<const uint32_t> chain);
  // Links chain[i] to chain[i + 1] and ends the chain.
  void LinkChain(std::span<const uint32_t> chain);
  // One past the highest entry that is not free (0 when all are free).
  uint32_t UsedEnd() const;

  // The table sectors whose entries changed since ClearDirty, in ascending order.
  std::vector<uint32_t> DirtySectors() const;
  bool AnyDirty() const { return anyDirty_; }
  void ClearDirty();

 private:
  // Grows the table by whole sectors to hold entry `index`.
  void GrowTo(uint32_t index);
  // Set for an entry inside the table, without the search bound's upkeep.
  void Put(uint32_t index, uint32_t value) {
    if (entries_[index] == value) return;
    entries_[index] = value;
    dirty_[index >> perSectorShift_] = 1;
    anyDirty_ = true;
  }

  uint32_t perSector_;
  int perSectorShift_;
  std::vector<uint32_t> entries_;
  std::vector<uint64_t> committed_;  // one bit per entry, as MarkCommitted found them
  std::vector<uint8_t> dirty_;       // one flag per table sector
  bool anyDirty_ = false;
  uint32_t searchFrom_ = 0;  // no allocatable entry lies below it
};

}  // namespace commonobjects::platform::cfb
