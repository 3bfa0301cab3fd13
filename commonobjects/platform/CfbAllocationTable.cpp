#include "commonobjects/platform/internal/CfbAllocationTable.h"

#include <algorithm>

namespace commonobjects::platform::cfb {

void CfbAllocationTable::Set(uint32_t index, uint32_t value) {
  if (index >= entries_.size()) {
    const size_t sectors = index / perSector_ + 1;
    entries_.resize(sectors * perSector_, kFreeSector);
  }
  if (entries_[index] == value) return;
  entries_[index] = value;
  const uint32_t sector = index / perSector_;
  if (sector != lastDirty_) {  // long chains touch one table sector many times in a row
    dirty_.insert(sector);
    lastDirty_ = sector;
  }
  if (value == kFreeSector && !IsCommitted(index)) searchFrom_ = std::min(searchFrom_, index);
}

void CfbAllocationTable::Assign(std::vector<uint32_t> entries) {
  entries_ = std::move(entries);
  entries_.resize((entries_.size() + perSector_ - 1) / perSector_ * perSector_, kFreeSector);
  committed_.clear();
  ClearDirty();
  searchFrom_ = 0;
}

ChainEnd CfbAllocationTable::Walk(uint32_t start, uint32_t limit, size_t maxLength, std::vector<uint32_t>* chain,
                                  uint32_t* badLink) const {
  uint32_t current = start;
  for (size_t walked = 0; current != kEndOfChain; ++walked) {
    if (walked == maxLength) return ChainEnd::kTooLong;
    if (current >= limit || current > kMaxRegularSector) {
      if (badLink) *badLink = current;
      return ChainEnd::kBadLink;
    }
    chain->push_back(current);
    current = Get(current);
    if (current == kFreeSector || current == kFatSector || current == kDifatSector) {
      if (badLink) *badLink = current;
      return ChainEnd::kBadLink;
    }
  }
  return ChainEnd::kEndOfChain;
}

void CfbAllocationTable::MarkCommitted(const std::vector<uint32_t>& extraUsed) {
  committed_.assign(entries_.size(), false);
  for (size_t i = 0; i < entries_.size(); ++i) committed_[i] = entries_[i] != kFreeSector;
  for (uint32_t sector : extraUsed) {
    if (sector < committed_.size()) committed_[sector] = true;
  }
  searchFrom_ = 0;
}

uint32_t CfbAllocationTable::Allocate(uint32_t value) {
  uint32_t index = searchFrom_;
  while (index < entries_.size() && (entries_[index] != kFreeSector || IsCommitted(index))) ++index;
  searchFrom_ = index + 1;
  Set(index, value);
  return index;
}

void CfbAllocationTable::FreeChain(const std::vector<uint32_t>& chain) {
  for (uint32_t sector : chain) Set(sector, kFreeSector);
}

void CfbAllocationTable::LinkChain(const std::vector<uint32_t>& chain) {
  for (size_t i = 0; i < chain.size(); ++i) Set(chain[i], i + 1 < chain.size() ? chain[i + 1] : kEndOfChain);
}

uint32_t CfbAllocationTable::UsedEnd() const {
  size_t end = entries_.size();
  while (end > 0 && entries_[end - 1] == kFreeSector) --end;
  return static_cast<uint32_t>(end);
}

}  // namespace commonobjects::platform::cfb
