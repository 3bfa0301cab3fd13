// The writing half of CfbContainer: streams replaced in memory, and the commit that makes
// them durable without ever touching a sector the committed header still reaches.
//
// Commit order:
//   1. stream content into free sectors (large streams) or free mini sectors (small ones;
//      a mini-stream sector in committed use is copied to a free sector, patched there, and
//      relinked); a large stream written whole in place is there already (WriteThrough);
//   2. the mini FAT and the directory, whole, into free sectors;
//   3. the FAT sectors that changed, each moved to a free sector when its old place is in
//      committed use, which changes the FAT again, until nothing moves; the same for DIFAT
//      sectors;
//   4. sync; the header (one 512-byte write at offset 0); sync.
// Only then do the sectors that the old header used become free for the next commit.
#include <algorithm>
#include <cstring>
#include <memory>

#include "commonobjects/platform/internal/CfbContainer.h"
#include "commonobjects/platform/internal/CfbNames.h"

namespace commonobjects::platform::cfb {
namespace {

uint64_t CeilDiv(uint64_t value, uint32_t shift) { return (value >> shift) + ((value & ((1ull << shift) - 1)) != 0); }

// Version 3 files hold streams of at most 2 GB; version 4 ones are kept below 2^40 bytes.
uint64_t MaxStreamSize(const CfbHeader& header) { return header.majorVersion == 3 ? 0x80000000ull : 1ull << 40; }

// What WriteThrough asks of fill at a time: small enough to stay in the cache between fill
// and the write, large enough that a write costs nothing beside its bytes.
constexpr size_t kPieceBytes = 256 << 10;

}  // namespace

StgStatus CfbContainer::CreateStream(uint32_t storage, std::u16string name, uint32_t* node) {
  StgStatus status = Usable();
  if (!status.IsOk()) return status;
  const uint32_t existing = FindChild(nodes_, storage, name);
  if (existing != kNoEntry) {
    CfbNode& old = nodes_[existing];
    if (old.IsStorage()) return Fail(StgStatus::kAccessDenied, "a storage is named \"" + NameToAnsi(name) + "\"");
    if (old.openCount > 0) return Fail(StgStatus::kInUse, "stream \"" + NameToAnsi(name) + "\" is open");
    DropContent(existing);
    old.entry.name = std::move(name);
    old.pending = std::make_unique<StreamBytes>();
    changed_ = true;
    *node = existing;
    return StgStatus::Ok();
  }
  CfbNode created;
  created.entry.name = std::move(name);
  created.entry.type = kStreamEntry;
  created.parent = storage;
  created.pending = std::make_unique<StreamBytes>();
  nodes_.push_back(std::move(created));
  maps_.emplace_back();
  *node = static_cast<uint32_t>(nodes_.size() - 1);
  InsertChild(&nodes_, storage, *node);
  changed_ = true;
  return StgStatus::Ok();
}

// Frees the stream's sectors in the working state (they stay untouched until the commit
// that stops using them is durable).
void CfbContainer::DropContent(uint32_t node) {
  CfbNode& n = nodes_[node];
  if (!n.pending && n.entry.size > 0) {
    StreamMap mapped;
    const StreamMap* map = maps_[node].get();
    if (!map && MapStream(node, &mapped).IsOk()) map = &mapped;
    if (map) (map->mini ? miniFat_ : fat_).FreeChain(map->chain);
  }
  n.pending.reset();
  n.entry.start = kEndOfChain;
  n.entry.size = 0;
  maps_[node].reset();
}

StgStatus CfbContainer::MakePending(uint32_t node) {
  StgStatus status = Usable();
  if (!status.IsOk() || nodes_[node].pending) return status;
  auto content = std::make_unique<StreamBytes>(StreamSize(node));
  size_t got = 0;
  status = ReadStream(node, 0, content->data(), content->size(), &got);
  if (!status.IsOk()) return status;
  content->resize(got);
  DropContent(node);
  nodes_[node].pending = std::move(content);
  changed_ = true;
  return StgStatus::Ok();
}

StgStatus CfbContainer::WriteStream(uint32_t node, uint64_t offset, const void* data, size_t count) {
  uint8_t* at = nullptr;
  StgStatus status = ReserveStream(node, offset, count, &at);
  if (status.IsOk() && count > 0) std::memcpy(at, data, count);
  return status;
}

StgStatus CfbContainer::ReserveStream(uint32_t node, uint64_t offset, size_t count, uint8_t** at) {
  StgStatus status = Usable();
  if (!status.IsOk()) return status;
  StreamBytes& content = *nodes_[node].pending;
  const uint64_t limit = MaxStreamSize(header_);
  if (offset > limit || count > limit - offset) {
    return Fail(StgStatus::kIoError, "a stream may hold at most " + std::to_string(limit) + " bytes");
  }
  const size_t oldSize = content.size();
  if (offset + count > oldSize) content.resize(offset + count);  // the added bytes start unset
  if (offset > oldSize) std::memset(content.data() + oldSize, 0, offset - oldSize);  // the gap reads as zeros
  *at = content.data() + offset;
  changed_ = true;
  return StgStatus::Ok();
}

StgStatus CfbContainer::FillStream(uint32_t node, uint64_t offset, uint64_t count, const FillPiece& fill) {
  StgStatus status = Usable();
  if (!status.IsOk()) return status;
  const bool whole = nodes_[node].pending->empty() && offset == 0;
  if (whole && count >= kMiniStreamCutoff && count <= MaxStreamSize(header_)) return WriteThrough(node, count, fill);
  uint8_t* at = nullptr;
  status = ReserveStream(node, offset, static_cast<size_t>(count), &at);
  if (status.IsOk() && count > 0) fill(at, 0, static_cast<size_t>(count));
  return status;
}

// The stream's sectors come from the working FAT as the commit's would, so they are free in
// the committed state too (invariant 2), and no header reaches them before the commit. A
// failed write breaks the container as a failed commit does.
StgStatus CfbContainer::WriteThrough(uint32_t node, uint64_t count, const FillPiece& fill) {
  const uint32_t shift = header_.sectorShift;
  auto map = std::make_unique<StreamMap>();
  map->chain = fat_.AllocateChain(CeilDiv(count, shift));
  CfbNode& n = nodes_[node];
  n.pending.reset();
  n.entry.size = count;
  n.entry.start = map->chain[0];
  changed_ = true;
  const std::span<const uint32_t> chain(map->chain);
  maps_[node] = std::move(map);
  const size_t perPiece = kPieceBytes >> shift;
  const auto piece = std::make_unique_for_overwrite<uint8_t[]>(std::min(chain.size(), perPiece) << shift);
  for (size_t first = 0; first < chain.size(); first += perPiece) {
    const size_t sectors = std::min(perPiece, chain.size() - first);
    const uint64_t done = uint64_t{first} << shift;
    const auto length = static_cast<size_t>(std::min<uint64_t>(uint64_t{sectors} << shift, count - done));
    fill(piece.get(), done, length);
    const StgStatus status = WriteSectors(chain.subspan(first, sectors), piece.get(), length);
    if (!status.IsOk()) {
      broken_ = true;
      return status;
    }
  }
  RefreshSectorCount();
  return StgStatus::Ok();
}

StgStatus CfbContainer::Commit() {
  StgStatus status = Usable();
  if (!status.IsOk() || !writable_ || !changed_) return status;
  status = WritePendingStreams();
  if (status.IsOk()) status = WriteMiniFat();
  if (status.IsOk()) status = WriteDirectory();
  if (status.IsOk()) {
    PlaceFat();
    status = WriteFatAndDifat();
  }
  if (status.IsOk()) {
    const FileStatus io = file_->Sync();
    if (!io.IsOk()) status = IoFail(io);
  }
  if (status.IsOk()) status = WriteHeader();
  if (status.IsOk()) {
    const FileStatus io = file_->Sync();
    if (!io.IsOk()) status = IoFail(io);
  }
  if (!status.IsOk()) {
    broken_ = true;
    return status;
  }
  AfterCommit();
  return StgStatus::Ok();
}

StgStatus CfbContainer::Close() {
  StgStatus status = StgStatus::Ok();
  if (file_ && writable_ && !broken_) status = Commit();
  file_.reset();
  return status;
}

StgStatus CfbContainer::WritePendingStreams() {
  std::vector<uint32_t> small;
  for (uint32_t node = 0; node < nodes_.size(); ++node) {
    CfbNode& n = nodes_[node];
    if (!n.pending) continue;
    const StreamBytes& content = *n.pending;
    n.entry.size = content.size();
    n.entry.start = kEndOfChain;
    if (content.empty()) continue;
    if (content.size() < kMiniStreamCutoff) {
      small.push_back(node);
      continue;
    }
    const std::vector<uint32_t> chain = fat_.AllocateChain(CeilDiv(content.size(), header_.sectorShift));
    n.entry.start = chain[0];
    StgStatus status = WriteSectors(chain, content.data(), content.size());
    if (!status.IsOk()) return status;
  }
  return WriteMiniStream(small);
}

StgStatus CfbContainer::WriteMiniStream(const std::vector<uint32_t>& smallStreams) {
  for (uint32_t node : smallStreams) {
    CfbNode& n = nodes_[node];
    auto map = std::make_unique<StreamMap>();
    map->mini = true;
    map->chain = miniFat_.AllocateChain(CeilDiv(n.pending->size(), kMiniSectorShift));
    n.entry.start = map->chain[0];
    maps_[node] = std::move(map);
  }
  if (!miniFat_.AnyDirty()) return StgStatus::Ok();
  std::vector<uint32_t> chain = miniStreamChain_;
  StgStatus status = PatchMiniSectors(smallStreams, &chain);
  if (!status.IsOk()) return status;
  miniStreamChain_ = chain;
  fat_.LinkChain(chain);
  nodes_[0].entry.start = chain.empty() ? kEndOfChain : chain[0];
  nodes_[0].entry.size = uint64_t{miniFat_.UsedEnd()} << kMiniSectorShift;
  return StgStatus::Ok();
}

// Sizes the mini stream's chain to the mini FAT's last used entry; sectors added start as
// zero images.
void CfbContainer::ResizeMiniStream(std::vector<uint32_t>* chain, std::map<uint32_t, std::vector<uint8_t>>* images) {
  const uint64_t needed = CeilDiv(uint64_t{miniFat_.UsedEnd()} << kMiniSectorShift, header_.sectorShift);
  const size_t kept = std::min<size_t>(chain->size(), needed);
  for (size_t i = kept; i < chain->size(); ++i) fat_.Set((*chain)[i], kFreeSector);
  chain->resize(kept);
  while (chain->size() < needed) {
    (*images)[static_cast<uint32_t>(chain->size())].assign(header_.SectorSize(), 0);
    chain->push_back(fat_.Allocate(kEndOfChain));
  }
}

// Writes the small streams' mini sectors: each mini-stream sector they touch is read,
// patched and written back, to a new place when the committed state uses its old one.
StgStatus CfbContainer::PatchMiniSectors(const std::vector<uint32_t>& smallStreams, std::vector<uint32_t>* chain) {
  const uint32_t sectorSize = header_.SectorSize();
  std::map<uint32_t, std::vector<uint8_t>> images;  // by index in the chain
  ResizeMiniStream(chain, &images);
  for (uint32_t node : smallStreams) {
    const StreamBytes& content = *nodes_[node].pending;
    const std::vector<uint32_t>& miniChain = maps_[node]->chain;
    for (size_t k = 0; k < miniChain.size(); ++k) {
      const uint64_t at = uint64_t{miniChain[k]} << kMiniSectorShift;
      const uint32_t index = static_cast<uint32_t>(at >> header_.sectorShift);
      std::vector<uint8_t>& image = images[index];
      if (image.empty()) {
        image.resize(sectorSize);
        StgStatus status = ReadSectors({(*chain)[index]}, image.data());
        if (!status.IsOk()) return status;
      }
      uint8_t* target = image.data() + (at & (sectorSize - 1));
      const size_t length = std::min<size_t>(kMiniSectorSize, content.size() - k * kMiniSectorSize);
      std::memset(target, 0, kMiniSectorSize);
      std::memcpy(target, content.data() + k * kMiniSectorSize, length);
    }
  }
  std::map<uint32_t, std::vector<uint8_t>> bySector;
  for (auto& [index, image] : images) {
    uint32_t& sector = (*chain)[index];
    if (fat_.IsCommitted(sector)) {
      const uint32_t moved = fat_.Allocate(kEndOfChain);
      fat_.Set(sector, kFreeSector);
      sector = moved;
    }
    bySector[sector] = std::move(image);
  }
  return WriteScattered(bySector);
}

StgStatus CfbContainer::WriteMiniFat() {
  if (!miniFat_.AnyDirty()) return StgStatus::Ok();
  const uint32_t perSector = header_.EntriesPerSector();
  fat_.FreeChain(miniFatChain_);
  const size_t count = (miniFat_.UsedEnd() + perSector - 1) / perSector;
  miniFatChain_ = fat_.AllocateChain(count);
  std::vector<uint8_t> bytes(count * header_.SectorSize());
  for (size_t i = 0; i < count * perSector; ++i) Store32(bytes.data() + 4 * i, miniFat_.Get(static_cast<uint32_t>(i)));
  header_.firstMiniFatSector = miniFatChain_.empty() ? kEndOfChain : miniFatChain_[0];
  header_.miniFatSectorCount = static_cast<uint32_t>(count);
  return WriteSectors(miniFatChain_, bytes.data(), bytes.size());
}

StgStatus CfbContainer::WriteDirectory() {
  fat_.FreeChain(directoryChain_);
  const std::vector<CfbDirectoryEntry> entries = LayOutTree(nodes_, header_.SectorSize() / kDirectoryEntrySize);
  std::vector<uint8_t> bytes(entries.size() * kDirectoryEntrySize);
  for (size_t i = 0; i < entries.size(); ++i) EncodeEntry(entries[i], bytes.data() + i * kDirectoryEntrySize);
  directoryChain_ = fat_.AllocateChain(bytes.size() / header_.SectorSize());
  header_.firstDirectorySector = directoryChain_[0];
  header_.directorySectorCount = static_cast<uint32_t>(directoryChain_.size());
  return WriteSectors(directoryChain_, bytes.data(), bytes.size());
}

void CfbContainer::MarkDifatEntryDirty(size_t fatIndex) {
  if (fatIndex >= kHeaderDifatEntries) dirtyDifat_.insert((fatIndex - kHeaderDifatEntries) / (header_.EntriesPerSector() - 1));
}

// Gives the FAT enough sectors to describe every sector (its own included), enough DIFAT
// sectors to list them, and moves each changed FAT or DIFAT sector out of committed use.
// Each move changes the FAT again; it ends because a moved sector never moves twice.
void CfbContainer::PlaceFat() {
  const uint32_t perSector = header_.EntriesPerSector();
  for (bool moved = true; moved;) {
    moved = false;
    while (fatSectors_.size() * perSector < fat_.Size()) {
      fatSectors_.push_back(fat_.Allocate(kFatSector));
      MarkDifatEntryDirty(fatSectors_.size() - 1);
      moved = true;
    }
    const size_t beyond = fatSectors_.size() > kHeaderDifatEntries ? fatSectors_.size() - kHeaderDifatEntries : 0;
    while (difatSectors_.size() < (beyond + perSector - 2) / (perSector - 1)) {
      difatSectors_.push_back(fat_.Allocate(kDifatSector));
      dirtyDifat_.insert(static_cast<uint32_t>(difatSectors_.size() - 1));
      if (difatSectors_.size() > 1) dirtyDifat_.insert(static_cast<uint32_t>(difatSectors_.size() - 2));
      moved = true;
    }
    for (uint32_t j : fat_.DirtySectors()) {
      if (j >= fatSectors_.size() || !fat_.IsCommitted(fatSectors_[j])) continue;
      const uint32_t old = fatSectors_[j];
      fatSectors_[j] = fat_.Allocate(kFatSector);
      fat_.Set(old, kFreeSector);
      MarkDifatEntryDirty(j);
      moved = true;
    }
    const std::set<uint32_t> dirtyDifat = dirtyDifat_;
    for (uint32_t d : dirtyDifat) {
      if (d >= difatSectors_.size() || !fat_.IsCommitted(difatSectors_[d])) continue;
      const uint32_t old = difatSectors_[d];
      difatSectors_[d] = fat_.Allocate(kDifatSector);
      fat_.Set(old, kFreeSector);
      if (d > 0) dirtyDifat_.insert(d - 1);
      moved = true;
    }
  }
}

void CfbContainer::EncodeFatSector(uint32_t j, uint8_t* out) const {
  const uint32_t perSector = header_.EntriesPerSector();
  const uint32_t* entries = fat_.Entries().data() + size_t{j} * perSector;
  for (uint32_t i = 0; i < perSector; ++i) Store32(out + 4 * i, entries[i]);
}

void CfbContainer::EncodeDifatSector(uint32_t d, uint8_t* out) const {
  const uint32_t perSector = header_.EntriesPerSector();
  for (uint32_t i = 0; i + 1 < perSector; ++i) {
    const size_t index = kHeaderDifatEntries + size_t{d} * (perSector - 1) + i;
    Store32(out + 4 * i, index < fatSectors_.size() ? fatSectors_[index] : kFreeSector);
  }
  Store32(out + 4 * (perSector - 1), d + 1 < difatSectors_.size() ? difatSectors_[d + 1] : kEndOfChain);
}

// The changed FAT and DIFAT sectors, encoded side by side in the order of their places in
// the file, so that each run of neighbouring places takes one write.
StgStatus CfbContainer::WriteFatAndDifat() {
  struct Image {
    uint32_t sector;  // where it goes
    bool difat;
    uint32_t index;  // FAT sector j or DIFAT sector d
  };
  std::vector<Image> images;
  for (uint32_t j : fat_.DirtySectors()) images.push_back({fatSectors_[j], false, j});
  for (uint32_t d : dirtyDifat_) images.push_back({difatSectors_[d], true, d});
  std::sort(images.begin(), images.end(), [](const Image& a, const Image& b) { return a.sector < b.sector; });
  const uint32_t sectorSize = header_.SectorSize();
  std::vector<uint32_t> order(images.size());
  std::vector<uint8_t> bytes(images.size() * sectorSize);
  for (size_t k = 0; k < images.size(); ++k) {
    order[k] = images[k].sector;
    uint8_t* out = bytes.data() + k * sectorSize;
    if (images[k].difat) {
      EncodeDifatSector(images[k].index, out);
    } else {
      EncodeFatSector(images[k].index, out);
    }
  }
  header_.fatSectorCount = static_cast<uint32_t>(fatSectors_.size());
  for (uint32_t i = 0; i < kHeaderDifatEntries; ++i) header_.difat[i] = i < fatSectors_.size() ? fatSectors_[i] : kFreeSector;
  header_.firstDifatSector = difatSectors_.empty() ? kEndOfChain : difatSectors_[0];
  header_.difatSectorCount = static_cast<uint32_t>(difatSectors_.size());
  return WriteSectors(order, bytes.data(), bytes.size());
}

StgStatus CfbContainer::WriteHeader() {
  uint8_t bytes[kHeaderSize];
  SerializeHeader(header_, bytes);
  const FileStatus io = file_->WriteAt(0, bytes, kHeaderSize);
  return io.IsOk() ? StgStatus::Ok() : IoFail(io);
}

// Writes `size` bytes over the sectors, one write per run of consecutive sectors; the last
// sector is padded with zeros.
StgStatus CfbContainer::WriteSectors(std::span<const uint32_t> sectors, const uint8_t* data, size_t size) {
  const size_t sectorSize = header_.SectorSize();
  StgStatus status = StgStatus::Ok();
  ForEachRun(sectors, 0, sectors.size(), [&](size_t first, size_t count) {
    if (!status.IsOk()) return;
    const size_t begin = first * sectorSize;
    const size_t end = std::min(size, (first + count) * sectorSize);
    const size_t whole = (end - begin) / sectorSize * sectorSize;
    FileStatus io = FileStatus::Ok();
    if (whole > 0) io = file_->WriteAt(header_.OffsetOf(sectors[first]), data + begin, whole);
    if (io.IsOk() && whole < end - begin) {
      std::vector<uint8_t> last(sectorSize, 0);
      std::memcpy(last.data(), data + begin + whole, end - begin - whole);
      io = file_->WriteAt(header_.OffsetOf(sectors[first]) + whole, last.data(), sectorSize);
    }
    if (!io.IsOk()) status = IoFail(io);
  });
  return status;
}

StgStatus CfbContainer::WriteScattered(const std::map<uint32_t, std::vector<uint8_t>>& sectors) {
  std::vector<uint32_t> order;
  std::vector<uint8_t> bytes;
  for (const auto& [sector, image] : sectors) {
    order.push_back(sector);
    bytes.insert(bytes.end(), image.begin(), image.end());
  }
  return WriteSectors(order, bytes.data(), bytes.size());
}

void CfbContainer::AfterCommit() {
  std::vector<uint32_t> kept = fatSectors_;
  kept.insert(kept.end(), difatSectors_.begin(), difatSectors_.end());
  fat_.MarkCommitted(kept);
  fat_.ClearDirty();
  miniFat_.MarkCommitted();
  miniFat_.ClearDirty();
  dirtyDifat_.clear();
  for (size_t node = 0; node < nodes_.size(); ++node) {
    if (nodes_[node].pending && !(maps_[node] && maps_[node]->mini)) maps_[node].reset();
    nodes_[node].pending.reset();
  }
  RefreshSectorCount();
  changed_ = false;
}

}  // namespace commonobjects::platform::cfb
