#include "commonobjects/platform/internal/CfbAllocationTable.h"

#include <algorithm>

namespace commonobjects::platform::cfb {

void CfbAllocationTable::GrowTo(uint32_t index) {
  const size_t sectors = (size_t{index} >> perSectorShift_) + 1;
  entries_.resize(sectors << perSectorShift_, kFreeSector);
  dirty_.resize(sectors, 0);
}

void CfbAllocationTable::Set(uint32_t index, uint32_t value) {
  if (index >= entries_.size()) GrowTo(index);
  Put(index, value);
  if (value == kFreeSector && !IsCommitted(index)) searchFrom_ = std::min(searchFrom_, index);
}

void CfbAllocationTable::Assign(std::vector<uint32_t> entries) {
  entries_ = std::move(entries);
  entries_.resize((entries_.size() + perSector_ - 1) / perSector_ * perSector_, kFreeSector);
  committed_.clear();
  dirty_.assign(entries_.size() >> perSectorShift_, 0);
  anyDirty_ = false;
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
  committed_.assign((entries_.size() + 63) / 64, 0);
  for (size_t word = 0; word < committed_.size(); ++word) {
    const size_t first = word * 64;
    const size_t count = std::min<size_t>(64, entries_.size() - first);
    uint64_t bits = 0;
    for (size_t k = 0; k < count; ++k) bits |= uint64_t{entries_[first + k] != kFreeSector} << k;
    committed_[word] = bits;
  }
  for (uint32_t sector : extraUsed) {
    if (sector < entries_.size()) committed_[sector >> 6] |= uint64_t{1} << (sector & 63);
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

std::vector<uint32_t> CfbAllocationTable::AllocateChain(size_t count) {
  std::vector<uint32_t> chain;
  chain.reserve(count);
  uint32_t index = searchFrom_;
  while (chain.size() < count && index < entries_.size()) {
    if (index % 64 == 0 && index / 64 < committed_.size() && committed_[index / 64] == ~uint64_t{0}) {
      index += 64;  // a stretch the committed state holds whole, as the replaced content of a save
      continue;
    }
    if (entries_[index] == kFreeSector && !IsCommitted(index)) chain.push_back(index);
    ++index;
  }
  while (chain.size() < count) chain.push_back(index++);  // past the end all is free, and never committed
  if (count == 0) return chain;
  searchFrom_ = index;
  LinkChain(chain);
  return chain;
}

void CfbAllocationTable::FreeChain(std::span<const uint32_t> chain) {
  if (chain.empty()) return;
  const uint32_t last = *std::max_element(chain.begin(), chain.end());
  if (last >= entries_.size()) GrowTo(last);
  for (uint32_t sector : chain) {
    Put(sector, kFreeSector);
    if (sector < searchFrom_ && !IsCommitted(sector)) searchFrom_ = sector;
  }
}

void CfbAllocationTable::LinkChain(std::span<const uint32_t> chain) {
  if (chain.empty()) return;
  const uint32_t last = *std::max_element(chain.begin(), chain.end());
  if (last >= entries_.size()) GrowTo(last);
  for (size_t i = 0; i + 1 < chain.size(); ++i) Put(chain[i], chain[i + 1]);
  Put(chain.back(), kEndOfChain);
}

uint32_t CfbAllocationTable::UsedEnd() const {
  size_t end = entries_.size();
  while (end > 0 && entries_[end - 1] == kFreeSector) --end;
  return static_cast<uint32_t>(end);
}

std::vector<uint32_t> CfbAllocationTable::DirtySectors() const {
  std::vector<uint32_t> sectors;
  for (size_t s = 0; s < dirty_.size(); ++s) {
    if (dirty_[s]) sectors.push_back(static_cast<uint32_t>(s));
  }
  return sectors;
}

void CfbAllocationTable::ClearDirty() {
  dirty_.assign(dirty_.size(), 0);
  anyDirty_ = false;
}

}  // namespace commonobjects::platform::cfb
