#include "commonobjects/platform/internal/CfbContainer.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <functional>
#include <memory>

#include "commonobjects/platform/internal/CfbNames.h"

namespace commonobjects::platform::cfb {
namespace {

uint64_t CeilDiv(uint64_t value, uint32_t shift) { return (value >> shift) + ((value & ((1ull << shift) - 1)) != 0); }

std::string StreamName(const CfbNode& node) { return "stream \"" + NameToAnsi(node.entry.name) + "\""; }

// A chain cut off at its size's length may still have looped back on itself before that.
bool Repeats(const std::vector<uint32_t>& chain) {
  // Most chains run upwards (a commit writes them in order): no copy and no sort needed to
  // see that.
  if (std::adjacent_find(chain.begin(), chain.end(), std::greater_equal<>()) == chain.end()) return false;
  std::vector<uint32_t> sorted = chain;
  std::sort(sorted.begin(), sorted.end());
  return std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end();
}

}  // namespace

CfbContainer::CfbContainer(std::unique_ptr<RandomAccessFile> file, bool writable)
    : file_(std::move(file)), name_(file_->Name()), writable_(writable) {}

StgStatus CfbContainer::Fail(StgStatus::Code code, const std::string& problem) const {
  return {code, "compound file '" + name_ + "': " + problem};
}

StgStatus CfbContainer::IoFail(const FileStatus& status) const {
  return {StgStatus::kIoError, "compound file '" + name_ + "': " + status.message};
}

StgStatus CfbContainer::Usable() const {
  if (!file_) return Fail(StgStatus::kIoError, "the storage has been released");
  if (broken_) return Fail(StgStatus::kIoError, "an earlier commit failed; the file keeps its last committed state");
  return StgStatus::Ok();
}

StgStatus CfbContainer::Load(std::unique_ptr<RandomAccessFile> file, bool writable,
                             std::unique_ptr<CfbContainer>* out) {
  auto container = std::make_unique<CfbContainer>(std::move(file), writable);
  StgStatus status = container->LoadHeader();
  if (status.IsOk()) status = container->LoadFat();
  if (status.IsOk()) status = container->LoadDirectory();
  if (status.IsOk()) status = container->LoadMiniStream();
  if (status.IsOk()) container->maps_.resize(container->nodes_.size());
  if (status.IsOk() && writable) status = container->CheckOwnership();
  if (!status.IsOk()) return status;
  if (writable) {
    // Some writers leave FAT and DIFAT sectors unmarked; mark them so that they are kept.
    for (uint32_t sector : container->fatSectors_) container->fat_.Set(sector, kFatSector);
    for (uint32_t sector : container->difatSectors_) container->fat_.Set(sector, kDifatSector);
    if (container->nodes_[0].entry.size == 0) container->nodes_[0].entry.start = kEndOfChain;
    container->AfterCommit();
  }
  *out = std::move(container);
  return StgStatus::Ok();
}

StgStatus CfbContainer::Initialize(std::unique_ptr<RandomAccessFile> file, std::unique_ptr<CfbContainer>* out,
                                  uint16_t majorVersion) {
  auto container = std::make_unique<CfbContainer>(std::move(file), true);
  container->header_.majorVersion = majorVersion;
  container->header_.sectorShift = majorVersion == 4 ? 12 : 9;
  container->fat_ = CfbAllocationTable(container->header_.EntriesPerSector());
  container->miniFat_ = CfbAllocationTable(container->header_.EntriesPerSector());
  CfbNode root;
  root.entry.name = u"Root Entry";
  root.entry.type = kRootEntry;
  container->nodes_.push_back(std::move(root));
  container->maps_.resize(1);
  container->changed_ = true;
  StgStatus status = container->Commit();
  if (status.IsOk()) *out = std::move(container);
  return status;
}

void CfbContainer::RefreshSectorCount() {
  uint64_t size = 0;
  if (!file_->Size(&size).IsOk()) return;
  const uint32_t sectorSize = header_.SectorSize();
  const uint64_t sectors = size <= sectorSize ? 0 : CeilDiv(size - sectorSize, header_.sectorShift);
  sectorCount_ = static_cast<uint32_t>(std::min<uint64_t>(sectors, uint64_t{kMaxRegularSector} + 1));
}

StgStatus CfbContainer::LoadHeader() {
  uint64_t size = 0;
  FileStatus io = file_->Size(&size);
  if (!io.IsOk()) return IoFail(io);
  uint8_t bytes[kHeaderSize];
  size_t got = 0;
  if (size >= kHeaderSize) io = file_->ReadAt(0, bytes, kHeaderSize, &got);
  if (!io.IsOk()) return IoFail(io);
  if (got < kHeaderSize) return Fail(StgStatus::kNotCompoundFile, "shorter than a compound file header");
  std::string problem;
  switch (ParseHeader(bytes, &header_, &problem)) {
    case HeaderVerdict::kNotCompoundFile: return Fail(StgStatus::kNotCompoundFile, problem);
    case HeaderVerdict::kCorrupt: return Fail(StgStatus::kCorrupt, "header: " + problem);
    case HeaderVerdict::kOk: break;
  }
  RefreshSectorCount();
  fat_ = CfbAllocationTable(header_.EntriesPerSector());
  miniFat_ = CfbAllocationTable(header_.EntriesPerSector());
  return StgStatus::Ok();
}

StgStatus CfbContainer::ReadSectors(const std::vector<uint32_t>& sectors, uint8_t* out) {
  const uint32_t sectorSize = header_.SectorSize();
  StgStatus status = StgStatus::Ok();
  ForEachRun(sectors, 0, sectors.size(), [&](size_t first, size_t count) {
    if (!status.IsOk()) return;
    size_t got = 0;
    const FileStatus io = file_->ReadAt(header_.OffsetOf(sectors[first]), out + first * sectorSize,
                                        count * sectorSize, &got);
    if (!io.IsOk()) status = IoFail(io);
    else if (got < count * sectorSize) {
      status = Fail(StgStatus::kCorrupt, "the file ends inside sector " + std::to_string(sectors[first]));
    }
  });
  return status;
}

// The FAT sector numbers: the first 109 from the header, the rest from the DIFAT chain.
StgStatus CfbContainer::LoadDifat() {
  const uint32_t perSector = header_.EntriesPerSector();
  const uint32_t fatCount = header_.fatSectorCount;
  if (fatCount > sectorCount_) {
    return Fail(StgStatus::kCorrupt, "the header counts " + std::to_string(fatCount) + " FAT sectors in a file of " +
                                         std::to_string(sectorCount_) + " sectors");
  }
  for (uint32_t i = 0; i < std::min(fatCount, kHeaderDifatEntries); ++i) fatSectors_.push_back(header_.difat[i]);
  if (fatCount <= kHeaderDifatEntries) return StgStatus::Ok();
  const uint32_t needed = (fatCount - kHeaderDifatEntries + perSector - 2) / (perSector - 1);
  if (header_.difatSectorCount < needed) {
    return Fail(StgStatus::kCorrupt, "the DIFAT has " + std::to_string(header_.difatSectorCount) +
                                         " sectors where the FAT needs " + std::to_string(needed));
  }
  std::vector<uint8_t> bytes(header_.SectorSize());
  uint32_t sector = header_.firstDifatSector;
  for (uint32_t d = 0; d < needed; ++d) {
    if (sector >= sectorCount_) {
      return Fail(StgStatus::kCorrupt, "DIFAT sector " + std::to_string(d) + " is missing (link " +
                                           std::to_string(sector) + ")");
    }
    difatSectors_.push_back(sector);
    StgStatus status = ReadSectors({sector}, bytes.data());
    if (!status.IsOk()) return status;
    for (uint32_t i = 0; i + 1 < perSector && fatSectors_.size() < fatCount; ++i) {
      fatSectors_.push_back(Load32(bytes.data() + 4 * i));
    }
    sector = Load32(bytes.data() + 4 * (perSector - 1));
  }
  return StgStatus::Ok();
}

StgStatus CfbContainer::LoadFat() {
  StgStatus status = LoadDifat();
  if (!status.IsOk()) return status;
  std::vector<bool> seen(sectorCount_, false);
  for (const std::vector<uint32_t>* list : {&fatSectors_, &difatSectors_}) {
    for (uint32_t sector : *list) {
      if (sector >= sectorCount_) {
        return Fail(StgStatus::kCorrupt, "a FAT sector lies at " + std::to_string(sector) + ", past the end");
      }
      if (seen[sector]) return Fail(StgStatus::kCorrupt, "sector " + std::to_string(sector) + " serves twice in the FAT");
      seen[sector] = true;
    }
  }
  // Read straight into the entries: the file holds them little-endian, so only a big-endian
  // machine has to turn them round.
  std::vector<uint32_t> entries(fatSectors_.size() * header_.EntriesPerSector());
  status = ReadSectors(fatSectors_, reinterpret_cast<uint8_t*>(entries.data()));
  if (!status.IsOk()) return status;
  if constexpr (std::endian::native != std::endian::little) {
    for (uint32_t& entry : entries) entry = Load32(reinterpret_cast<const uint8_t*>(&entry));
  }
  fat_.Assign(std::move(entries));
  return StgStatus::Ok();
}

StgStatus CfbContainer::ReadMetadataChain(uint32_t start, const char* what, std::vector<uint32_t>* chain) {
  uint32_t bad = 0;
  switch (fat_.Walk(start, sectorCount_, sectorCount_, chain, &bad)) {
    case ChainEnd::kEndOfChain: return StgStatus::Ok();
    case ChainEnd::kBadLink:
      return Fail(StgStatus::kCorrupt, std::string("the ") + what + " chain links to " + std::to_string(bad));
    case ChainEnd::kTooLong: break;
  }
  return Fail(StgStatus::kCorrupt, std::string("the ") + what + " chain loops");
}

StgStatus CfbContainer::LoadDirectory() {
  StgStatus status = ReadMetadataChain(header_.firstDirectorySector, "directory", &directoryChain_);
  if (!status.IsOk()) return status;
  if (directoryChain_.empty()) return Fail(StgStatus::kCorrupt, "the directory is empty");
  std::vector<uint8_t> bytes(directoryChain_.size() * header_.SectorSize());
  status = ReadSectors(directoryChain_, bytes.data());
  if (!status.IsOk()) return status;
  std::vector<CfbDirectoryEntry> entries;
  entries.reserve(bytes.size() / kDirectoryEntrySize);
  for (size_t at = 0; at < bytes.size(); at += kDirectoryEntrySize) {
    entries.push_back(DecodeEntry(bytes.data() + at, header_.majorVersion == 3));
  }
  std::string problem;
  if (!ReadTree(entries, &nodes_, &problem)) return Fail(StgStatus::kCorrupt, problem);
  return StgStatus::Ok();
}

StgStatus CfbContainer::LoadMiniStream() {
  StgStatus status = ReadMetadataChain(header_.firstMiniFatSector, "mini FAT", &miniFatChain_);
  if (!status.IsOk()) return status;
  std::vector<uint8_t> bytes(miniFatChain_.size() * header_.SectorSize());
  status = ReadSectors(miniFatChain_, bytes.data());
  if (!status.IsOk()) return status;
  std::vector<uint32_t> entries(bytes.size() / 4);
  for (size_t i = 0; i < entries.size(); ++i) entries[i] = Load32(bytes.data() + 4 * i);
  miniFat_.Assign(std::move(entries));

  const CfbDirectoryEntry& root = nodes_[0].entry;
  const uint64_t needed = CeilDiv(root.size, header_.sectorShift);
  if (needed > sectorCount_) return Fail(StgStatus::kCorrupt, "the mini stream is larger than the file");
  if (needed == 0) return StgStatus::Ok();
  uint32_t bad = 0;
  const ChainEnd end = fat_.Walk(root.start, sectorCount_, needed, &miniStreamChain_, &bad);
  if (end == ChainEnd::kBadLink) return Fail(StgStatus::kCorrupt, "the mini stream chain links to " + std::to_string(bad));
  if (miniStreamChain_.size() < needed) return Fail(StgStatus::kCorrupt, "the mini stream chain is shorter than its size");
  if (Repeats(miniStreamChain_)) return Fail(StgStatus::kCorrupt, "the mini stream chain loops");
  return StgStatus::Ok();
}

StgStatus CfbContainer::MapStream(uint32_t node, StreamMap* map) {
  const CfbDirectoryEntry& entry = nodes_[node].entry;
  map->chain.clear();
  map->mini = entry.size < kMiniStreamCutoff;
  if (entry.size == 0) return StgStatus::Ok();
  const uint32_t shift = map->mini ? kMiniSectorShift : header_.sectorShift;
  const uint64_t needed = CeilDiv(entry.size, shift);
  uint64_t limit = sectorCount_;
  if (map->mini) {
    const uint64_t present = uint64_t{miniStreamChain_.size()} << (header_.sectorShift - kMiniSectorShift);
    limit = std::min(CeilDiv(nodes_[0].entry.size, kMiniSectorShift), present);
  }
  if (needed > limit) return Fail(StgStatus::kCorrupt, StreamName(nodes_[node]) + " is larger than the file");
  uint32_t bad = 0;
  const CfbAllocationTable& table = map->mini ? miniFat_ : fat_;
  map->chain.reserve(needed);
  const ChainEnd end = table.Walk(entry.start, static_cast<uint32_t>(limit), needed, &map->chain, &bad);
  if (end == ChainEnd::kBadLink) {
    return Fail(StgStatus::kCorrupt, "the chain of " + StreamName(nodes_[node]) + " links to " + std::to_string(bad));
  }
  if (map->chain.size() < needed) {
    return Fail(StgStatus::kCorrupt, "the chain of " + StreamName(nodes_[node]) + " is shorter than its size");
  }
  if (Repeats(map->chain)) return Fail(StgStatus::kCorrupt, "the chain of " + StreamName(nodes_[node]) + " loops");
  return StgStatus::Ok();
}

StgStatus CfbContainer::ReadMapped(const StreamMap& map, uint64_t offset, uint8_t* out, size_t count) {
  const uint32_t shift = map.mini ? kMiniSectorShift : header_.sectorShift;
  const uint64_t unit = 1ull << shift;
  const uint64_t sectorMask = header_.SectorSize() - 1;
  auto unitOffset = [&](size_t k) {
    if (!map.mini) return header_.OffsetOf(map.chain[k]);
    const uint64_t at = uint64_t{map.chain[k]} << kMiniSectorShift;
    return header_.OffsetOf(miniStreamChain_[at >> header_.sectorShift]) + (at & sectorMask);
  };
  while (count > 0) {
    size_t k = offset >> shift;
    const uint64_t within = offset & (unit - 1);
    const uint64_t start = unitOffset(k) + within;
    size_t length = std::min<uint64_t>(count, unit - within);
    while (length < count && unitOffset(k + 1) == unitOffset(k) + unit) {
      ++k;
      length += std::min<uint64_t>(count - length, unit);
    }
    size_t got = 0;
    const FileStatus io = file_->ReadAt(start, out, length, &got);
    if (!io.IsOk()) return IoFail(io);
    if (got < length) return Fail(StgStatus::kCorrupt, "the file ends inside a stream");
    out += length;
    offset += length;
    count -= length;
  }
  return StgStatus::Ok();
}

uint64_t CfbContainer::StreamSize(uint32_t node) const {
  const CfbNode& n = nodes_[node];
  return n.pending ? n.pending->size() : n.entry.size;
}

StgStatus CfbContainer::ReadStream(uint32_t node, uint64_t offset, void* buffer, size_t count, size_t* bytesRead) {
  *bytesRead = 0;
  StgStatus status = Usable();
  if (!status.IsOk()) return status;
  const uint64_t size = StreamSize(node);
  if (offset >= size || count == 0) return StgStatus::Ok();
  const size_t n = static_cast<size_t>(std::min<uint64_t>(count, size - offset));
  if (nodes_[node].pending) {
    std::memcpy(buffer, nodes_[node].pending->data() + offset, n);
  } else {
    if (!maps_[node]) {
      auto map = std::make_unique<StreamMap>();
      status = MapStream(node, map.get());
      if (!status.IsOk()) return status;
      maps_[node] = std::move(map);
    }
    status = ReadMapped(*maps_[node], offset, static_cast<uint8_t*>(buffer), n);
    if (!status.IsOk()) return status;
  }
  *bytesRead = n;
  return StgStatus::Ok();
}

// Before a writer frees anything, every chain must be exactly as long as its size and every
// sector must have one owner: otherwise freeing one stream's chain could free another's data.
StgStatus CfbContainer::CheckOwnership() {
  std::vector<bool> used(sectorCount_, false);
  std::vector<bool> miniUsed(miniStreamChain_.size() << (header_.sectorShift - kMiniSectorShift), false);
  std::string problem;
  auto claim = [&problem](std::vector<bool>* map, const std::vector<uint32_t>& sectors, const std::string& owner) {
    for (uint32_t sector : sectors) {
      if ((*map)[sector] && problem.empty()) problem = "a sector of " + owner + " is also used elsewhere";
      (*map)[sector] = true;
    }
  };
  claim(&used, fatSectors_, "the FAT");
  claim(&used, difatSectors_, "the DIFAT");
  claim(&used, directoryChain_, "the directory");
  claim(&used, miniFatChain_, "the mini FAT");
  claim(&used, miniStreamChain_, "the mini stream");
  if (!miniStreamChain_.empty() && fat_.Get(miniStreamChain_.back()) != kEndOfChain) {
    problem = "the mini stream chain is longer than its size";
  }
  for (uint32_t node = 1; node < nodes_.size() && problem.empty(); ++node) {
    if (nodes_[node].IsStorage() || nodes_[node].entry.size == 0) continue;
    auto map = std::make_unique<StreamMap>();
    StgStatus status = MapStream(node, map.get());
    if (!status.IsOk()) return status;
    const CfbAllocationTable& table = map->mini ? miniFat_ : fat_;
    if (table.Get(map->chain.back()) != kEndOfChain) {
      problem = "the chain of " + StreamName(nodes_[node]) + " is longer than its size";
    }
    claim(map->mini ? &miniUsed : &used, map->chain, StreamName(nodes_[node]));
    maps_[node] = std::move(map);  // kept for reading and for freeing the stream
  }
  if (problem.empty()) return StgStatus::Ok();
  return Fail(StgStatus::kCorrupt, "cannot be written safely: " + problem);
}

}  // namespace commonobjects::platform::cfb
