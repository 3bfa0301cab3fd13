// CfbAllocationTable: a FAT (one entry per sector) or a mini FAT (one per 64-byte mini
// sector). Each entry names the next sector of its chain, or a marker (end of chain, free,
// FAT sector, DIFAT sector).
//
// Besides the working entries the table remembers the committed state: the sectors that the
// durable header still reaches. Allocate never hands out such a sector, even after the
// working state freed it, so a commit never overwrites what the file on disk still needs;
// MarkCommitted, called once a new header is durable, lets them go.
//
// Invariants: Size() is a whole number of table sectors; the dirty set names every table
// sector whose entries changed since ClearDirty. One thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <set>
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
  explicit CfbAllocationTable(uint32_t entriesPerSector) : perSector_(entriesPerSector) {}

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
  bool IsCommitted(uint32_t index) const { return index < committed_.size() && committed_[index]; }
  // The lowest sector free both now and in the committed state, set to `value`.
  uint32_t Allocate(uint32_t value);
  // Frees each sector of the chain in the working state.
  void FreeChain(const std::vector<uint32_t>& chain);
  // Links chain[i] to chain[i + 1] and ends the chain.
  void LinkChain(const std::vector<uint32_t>& chain);
  // One past the highest entry that is not free (0 when all are free).
  uint32_t UsedEnd() const;

  const std::set<uint32_t>& DirtySectors() const { return dirty_; }
  void ClearDirty() {
    dirty_.clear();
    lastDirty_ = kNoDirtySector;
  }

 private:
  uint32_t perSector_;
  std::vector<uint32_t> entries_;
  std::vector<bool> committed_;
  static constexpr uint32_t kNoDirtySector = 0xFFFFFFFF;
  std::set<uint32_t> dirty_;
  uint32_t lastDirty_ = kNoDirtySector;  // the table sector dirty_ received last
  uint32_t searchFrom_ = 0;  // no allocatable entry lies below it
};

}  // namespace commonobjects::platform::cfb
