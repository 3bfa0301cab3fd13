// CheckCompoundFile: a reader of its own that reports every defect it finds instead of
// stopping at the first, for `mixauto check` and the tests. Every walk is bounded by the
// number of sectors in the file, and the report by kMaxLines.
#include <algorithm>

#include "commonobjects/platform/CompoundFile.h"
#include "commonobjects/platform/internal/CfbAllocationTable.h"
#include "commonobjects/platform/internal/CfbDirectoryEntry.h"
#include "commonobjects/platform/internal/CfbNames.h"

namespace commonobjects::platform {
namespace {

using namespace cfb;

constexpr size_t kMaxLines = 200;

uint64_t CeilDiv(uint64_t value, uint32_t shift) { return (value >> shift) + ((value & ((1ull << shift) - 1)) != 0); }

class Checker {
 public:
  Checker(RandomAccessFile& file, CompoundFileReport* report) : file_(file), report_(report) {}

  void Run() {
    if (!ReadHeader() || !ReadFat()) return;
    ReadDirectory();
    CheckTrees();
    CheckStreams();
    CheckUnreachable();
  }

 private:
  struct Owners {
    std::vector<uint32_t> of;  // per sector: 0 free of claims, else 1 + index into names
    std::vector<std::string> names;
  };

  void Add(std::vector<std::string>* lines, std::string text) {
    if (report_->errors.size() + report_->warnings.size() < kMaxLines) lines->push_back(std::move(text));
    else if (lines->empty() || lines->back() != "(more problems not listed)") lines->push_back("(more problems not listed)");
  }
  void Error(std::string text) { Add(&report_->errors, std::move(text)); }
  void Warn(std::string text) { Add(&report_->warnings, std::move(text)); }

  bool ReadBytes(uint64_t offset, uint8_t* out, size_t count, const std::string& what) {
    size_t got = 0;
    const FileStatus io = file_.ReadAt(offset, out, count, &got);
    if (io.IsOk() && got == count) return true;
    Error(what + ": " + (io.IsOk() ? std::string("the file ends inside it") : io.message));
    return false;
  }
  bool ReadSector(uint32_t sector, uint8_t* out, const std::string& what) {
    return ReadBytes(header_.OffsetOf(sector), out, header_.SectorSize(), what + " (sector " + std::to_string(sector) + ")");
  }

  bool ReadHeader();
  bool ReadFat();
  bool ReadDifat();
  void ReadDirectory();
  void CheckTrees();
  void CheckTree(uint32_t storage);
  void CheckPlace(const std::string& where, uint32_t id, uint32_t lower, uint32_t upper, bool redUnderRed);
  void CheckStreams();
  void CheckMiniStreams();
  void CheckUnreachable();
  // Walks a chain; reports a bad link or loop, and a length other than `expected` sectors
  // (when expected is given). Returns the sectors walked.
  std::vector<uint32_t> Walk(const CfbAllocationTable& table, uint32_t start, uint32_t limit, const std::string& what,
                             int64_t expected);
  void Claim(Owners* owners, const std::vector<uint32_t>& sectors, const std::string& owner, const char* unit);

  RandomAccessFile& file_;
  CompoundFileReport* report_;
  CfbHeader header_;
  uint32_t sectorCount_ = 0;
  std::vector<uint32_t> fatSectors_;
  std::vector<uint32_t> difatSectors_;
  CfbAllocationTable fat_{128};
  CfbAllocationTable miniFat_{128};
  Owners sectors_;
  Owners miniSectors_;
  std::vector<CfbDirectoryEntry> entries_;
  std::vector<bool> reached_;     // directory entries reached from the root
  std::vector<uint32_t> streams_;  // reachable stream entries
  std::vector<uint32_t> pendingStorages_;  // storages found by CheckTree, not yet walked
  std::vector<uint32_t> miniStreamChain_;
};

bool Checker::ReadHeader() {
  uint64_t size = 0;
  const FileStatus io = file_.Size(&size);
  if (!io.IsOk()) {
    Error(io.message);
    return false;
  }
  uint8_t bytes[kHeaderSize];
  if (size < kHeaderSize || !ReadBytes(0, bytes, kHeaderSize, "header")) {
    Error("shorter than a compound file header");
    return false;
  }
  std::string problem;
  if (ParseHeader(bytes, &header_, &problem) != HeaderVerdict::kOk) {
    Error("header: " + problem);
    return false;
  }
  const uint32_t sectorSize = header_.SectorSize();
  const uint64_t sectors = size <= sectorSize ? 0 : CeilDiv(size - sectorSize, header_.sectorShift);
  sectorCount_ = static_cast<uint32_t>(std::min<uint64_t>(sectors, uint64_t{kMaxRegularSector} + 1));
  if (size % sectorSize != 0) Warn("the file size " + std::to_string(size) + " is not a whole number of sectors");
  if (header_.minorVersion != 0x3E) Warn("minor version " + std::to_string(header_.minorVersion) + " (0x3E expected)");
  if (header_.majorVersion == 3 && header_.directorySectorCount != 0) {
    Error("the header of a version 3 file counts directory sectors");
  }
  sectors_.of.assign(sectorCount_, 0);
  return true;
}

bool Checker::ReadDifat() {
  const uint32_t perSector = header_.EntriesPerSector();
  const uint32_t fatCount = header_.fatSectorCount;
  for (uint32_t i = 0; i < kHeaderDifatEntries; ++i) {
    if (i < fatCount) fatSectors_.push_back(header_.difat[i]);
    else if (header_.difat[i] != kFreeSector) Warn("header DIFAT entry " + std::to_string(i) + " is used beyond the FAT");
  }
  const uint32_t needed =
      fatCount > kHeaderDifatEntries ? (fatCount - kHeaderDifatEntries + perSector - 2) / (perSector - 1) : 0;
  if (header_.difatSectorCount != needed) {
    Error("the header counts " + std::to_string(header_.difatSectorCount) + " DIFAT sectors; the FAT needs " +
          std::to_string(needed));
  }
  std::vector<uint8_t> bytes(header_.SectorSize());
  uint32_t sector = header_.firstDifatSector;
  for (uint32_t d = 0; d < needed; ++d) {
    if (sector >= sectorCount_) {
      Error("DIFAT sector " + std::to_string(d) + " is missing (link " + std::to_string(sector) + ")");
      return false;
    }
    difatSectors_.push_back(sector);
    if (!ReadSector(sector, bytes.data(), "DIFAT")) return false;
    for (uint32_t i = 0; i + 1 < perSector && fatSectors_.size() < fatCount; ++i) {
      fatSectors_.push_back(Load32(bytes.data() + 4 * i));
    }
    sector = Load32(bytes.data() + 4 * (perSector - 1));
  }
  if (sector != kEndOfChain && sector != kFreeSector) Error("the DIFAT chain does not end after its last sector");
  for (uint32_t s : fatSectors_) {
    if (s >= sectorCount_) {
      Error("a FAT sector lies at " + std::to_string(s) + ", past the end of the file");
      return false;
    }
  }
  return true;
}

bool Checker::ReadFat() {
  if (header_.fatSectorCount > sectorCount_) {
    Error("the header counts " + std::to_string(header_.fatSectorCount) + " FAT sectors in a file of " +
          std::to_string(sectorCount_) + " sectors");
    return false;
  }
  if (!ReadDifat()) return false;
  const uint32_t perSector = header_.EntriesPerSector();
  std::vector<uint32_t> entries(fatSectors_.size() * perSector);
  std::vector<uint8_t> bytes(header_.SectorSize());
  for (size_t j = 0; j < fatSectors_.size(); ++j) {
    if (!ReadSector(fatSectors_[j], bytes.data(), "FAT sector " + std::to_string(j))) return false;
    for (uint32_t i = 0; i < perSector; ++i) entries[j * perSector + i] = Load32(bytes.data() + 4 * i);
  }
  fat_ = CfbAllocationTable(perSector);
  fat_.Assign(std::move(entries));
  Claim(&sectors_, fatSectors_, "the FAT", "sector");
  Claim(&sectors_, difatSectors_, "the DIFAT", "sector");
  for (uint32_t s : fatSectors_) {
    if (fat_.Get(s) != kFatSector) Error("FAT sector " + std::to_string(s) + " is not marked as one in the FAT");
  }
  for (uint32_t s : difatSectors_) {
    if (fat_.Get(s) != kDifatSector) Error("DIFAT sector " + std::to_string(s) + " is not marked as one in the FAT");
  }
  if (fat_.Size() < sectorCount_) Warn("the FAT does not describe the last sectors of the file");
  return true;
}

std::vector<uint32_t> Checker::Walk(const CfbAllocationTable& table, uint32_t start, uint32_t limit,
                                    const std::string& what, int64_t expected) {
  std::vector<uint32_t> chain;
  uint32_t bad = 0;
  switch (table.Walk(start, limit, limit, &chain, &bad)) {
    case ChainEnd::kBadLink: Error("the chain of " + what + " links to " + std::to_string(bad)); return chain;
    case ChainEnd::kTooLong: Error("the chain of " + what + " loops"); return chain;
    case ChainEnd::kEndOfChain: break;
  }
  if (expected >= 0 && static_cast<int64_t>(chain.size()) != expected) {
    Error("the chain of " + what + " has " + std::to_string(chain.size()) + " sectors; its size needs " +
          std::to_string(expected));
  }
  return chain;
}

void Checker::Claim(Owners* owners, const std::vector<uint32_t>& sectors, const std::string& owner, const char* unit) {
  owners->names.push_back(owner);
  const uint32_t id = static_cast<uint32_t>(owners->names.size());
  for (uint32_t s : sectors) {
    if (s >= owners->of.size()) continue;
    if (owners->of[s] != 0 && owners->of[s] != id) {
      Error(std::string(unit) + " " + std::to_string(s) + " belongs both to " + owners->names[owners->of[s] - 1] +
            " and to " + owner);
    } else if (owners->of[s] == id) {
      Error(std::string(unit) + " " + std::to_string(s) + " appears twice in " + owner);
    }
    owners->of[s] = id;
  }
}

void Checker::ReadDirectory() {
  const std::vector<uint32_t> chain = Walk(fat_, header_.firstDirectorySector, sectorCount_, "the directory", -1);
  Claim(&sectors_, chain, "the directory", "sector");
  if (header_.majorVersion == 4 && header_.directorySectorCount != chain.size()) {
    Error("the header counts " + std::to_string(header_.directorySectorCount) + " directory sectors; the chain has " +
          std::to_string(chain.size()));
  }
  std::vector<uint8_t> bytes(header_.SectorSize());
  for (uint32_t sector : chain) {
    if (!ReadSector(sector, bytes.data(), "directory")) {
      entries_.clear();
      return;
    }
    for (size_t at = 0; at < bytes.size(); at += kDirectoryEntrySize) {
      entries_.push_back(DecodeEntry(bytes.data() + at, header_.majorVersion == 3));
    }
  }
  if (entries_.empty() || entries_[0].type != kRootEntry) {
    Error("the first directory entry is not the root storage");
    entries_.clear();
  }
  reached_.assign(entries_.size(), false);
}

void Checker::CheckTrees() {
  if (entries_.empty() || reached_.size() != entries_.size()) return;
  reached_[0] = true;
  if (entries_[0].left != kNoEntry || entries_[0].right != kNoEntry) Error("the root entry has siblings");
  std::vector<uint32_t> storages = {0};
  for (size_t i = 0; i < storages.size(); ++i) {
    CheckTree(storages[i]);
    for (uint32_t found : pendingStorages_) storages.push_back(found);
    pendingStorages_.clear();
  }
  for (size_t id = 0; id < entries_.size(); ++id) {
    if (!reached_[id] && entries_[id].type != kUnusedEntry) {
      Warn("directory entry " + std::to_string(id) + " (type " + std::to_string(entries_[id].type) +
           ") is allocated but in no tree");
    }
  }
}

// One storage's sibling tree, walked without recursion: links in range, each entry once,
// names in strict order between the bounds its ancestors set (errors: a search would miss
// entries); no red child of a red node and the same number of black nodes on the way to
// every empty link (warnings: readers search without the colours, and files written by
// Word on Windows break these rules).
void Checker::CheckTree(uint32_t storage) {
  const std::string where =
      storage == 0 ? std::string("the root storage") : "storage \"" + NameToAnsi(entries_[storage].name) + "\"";
  struct Item {
    uint32_t id, blacks;
    bool parentRed;
    uint32_t lower, upper;  // entries whose names bound this subtree, or kNoEntry
  };
  std::vector<Item> stack;
  if (entries_[storage].child != kNoEntry) stack.push_back({entries_[storage].child, 0, false, kNoEntry, kNoEntry});
  int64_t blackHeight = -1;
  bool heightReported = false;
  auto emptyLink = [&](uint32_t blacks) {
    if (blackHeight < 0) blackHeight = blacks;
    if (blackHeight != blacks && !heightReported) {
      Warn(where + ": paths of its tree hold different numbers of black entries");
      heightReported = true;
    }
  };
  if (stack.empty()) emptyLink(0);
  while (!stack.empty()) {
    const Item item = stack.back();
    stack.pop_back();
    const std::string entryName = "entry " + std::to_string(item.id);
    if (item.id >= entries_.size()) {
      Error(where + ": a link names " + entryName + ", past the last entry");
      continue;
    }
    if (reached_[item.id]) {
      Error(where + ": " + entryName + " is reached twice (a loop or a shared entry)");
      continue;
    }
    reached_[item.id] = true;
    const CfbDirectoryEntry& entry = entries_[item.id];
    if (entry.type != kStorageEntry && entry.type != kStreamEntry) {
      Error(where + ": " + entryName + " in the tree is neither a stream nor a storage");
      continue;
    }
    const bool red = entry.colour == kRed;
    CheckPlace(where, item.id, item.lower, item.upper, red && item.parentRed);
    if (entry.type == kStorageEntry) pendingStorages_.push_back(item.id);
    else streams_.push_back(item.id);
    if (entry.type == kStreamEntry && entry.child != kNoEntry) Error(where + ": stream " + entryName + " has children");
    const uint32_t blacks = item.blacks + (red ? 0 : 1);
    if (entry.left == kNoEntry) emptyLink(blacks);
    else stack.push_back({entry.left, blacks, red, item.lower, item.id});
    if (entry.right == kNoEntry) emptyLink(blacks);
    else stack.push_back({entry.right, blacks, red, item.id, item.upper});
  }
}

// One entry's name, colour and order between the entries that bound its subtree.
void Checker::CheckPlace(const std::string& where, uint32_t id, uint32_t lower, uint32_t upper, bool redUnderRed) {
  const CfbDirectoryEntry& entry = entries_[id];
  const std::string entryName = "entry " + std::to_string(id);
  if (!entry.nameValid) Error(where + ": " + entryName + " has an impossible name length");
  if (entry.colour != kRed && entry.colour != kBlack) Warn(where + ": " + entryName + " has colour " + std::to_string(entry.colour));
  if (redUnderRed) Warn(where + ": red " + entryName + " has a red parent");
  for (uint32_t bound : {lower, upper}) {
    if (bound == kNoEntry || !entry.nameValid || !entries_[bound].nameValid) continue;
    const int order = CompareNames(entries_[bound].name, entry.name);
    if ((bound == lower && order >= 0) || (bound == upper && order <= 0)) {
      Error(where + ": \"" + NameToAnsi(entry.name) + "\" (" + entryName + ") is out of name order, or a duplicate");
    }
  }
}

void Checker::CheckStreams() {
  if (entries_.empty()) return;
  for (uint32_t id : streams_) {
    const CfbDirectoryEntry& entry = entries_[id];
    if (entry.size < kMiniStreamCutoff) continue;
    const std::string what = "stream \"" + NameToAnsi(entry.name) + "\"";
    if (CeilDiv(entry.size, header_.sectorShift) > sectorCount_) {
      Error(what + " is larger than the file");
      continue;
    }
    Claim(&sectors_, Walk(fat_, entry.start, sectorCount_, what, CeilDiv(entry.size, header_.sectorShift)), what, "sector");
  }
  const std::vector<uint32_t> miniFat =
      Walk(fat_, header_.firstMiniFatSector, sectorCount_, "the mini FAT", header_.miniFatSectorCount);
  Claim(&sectors_, miniFat, "the mini FAT", "sector");
  std::vector<uint32_t> entries;
  std::vector<uint8_t> bytes(header_.SectorSize());
  for (uint32_t sector : miniFat) {
    if (!ReadSector(sector, bytes.data(), "mini FAT")) break;
    for (size_t at = 0; at < bytes.size(); at += 4) entries.push_back(Load32(bytes.data() + at));
  }
  miniFat_ = CfbAllocationTable(header_.EntriesPerSector());
  miniFat_.Assign(std::move(entries));
  const CfbDirectoryEntry& root = entries_[0];
  if (root.size > 0) {
    const uint64_t needed = CeilDiv(root.size, header_.sectorShift);
    if (needed > sectorCount_) Error("the mini stream is larger than the file");
    else miniStreamChain_ = Walk(fat_, root.start, sectorCount_, "the mini stream", static_cast<int64_t>(needed));
    Claim(&sectors_, miniStreamChain_, "the mini stream", "sector");
  }
  CheckMiniStreams();
}

void Checker::CheckMiniStreams() {
  const uint64_t present = std::min<uint64_t>(CeilDiv(entries_[0].size, kMiniSectorShift),
                                              uint64_t{miniStreamChain_.size()} << (header_.sectorShift - kMiniSectorShift));
  miniSectors_.of.assign(present, 0);
  for (uint32_t id : streams_) {
    const CfbDirectoryEntry& entry = entries_[id];
    if (entry.size == 0 || entry.size >= kMiniStreamCutoff) continue;
    const std::string what = "stream \"" + NameToAnsi(entry.name) + "\"";
    const std::vector<uint32_t> chain = Walk(miniFat_, entry.start, static_cast<uint32_t>(present), what + " in the mini stream",
                                             CeilDiv(entry.size, kMiniSectorShift));
    Claim(&miniSectors_, chain, what, "mini sector");
  }
}

void Checker::CheckUnreachable() {
  uint64_t lost = 0, beyond = 0, lostMini = 0;
  std::string examples;
  for (uint32_t s = 0; s < fat_.Size(); ++s) {
    if (fat_.Get(s) == kFreeSector) continue;
    if (s >= sectorCount_) ++beyond;
    else if (sectors_.of[s] == 0 && ++lost <= 5) examples += " " + std::to_string(s);
  }
  for (uint32_t m = 0; m < miniFat_.Size(); ++m) {
    if (miniFat_.Get(m) != kFreeSector && (m >= miniSectors_.of.size() || miniSectors_.of[m] == 0)) ++lostMini;
  }
  if (lost > 0) Warn(std::to_string(lost) + " sectors are marked used but nothing reaches them (" + examples.substr(1) + (lost > 5 ? " ...)" : ")"));
  if (beyond > 0) Warn("the FAT marks " + std::to_string(beyond) + " sectors past the end of the file as used");
  if (lostMini > 0) Warn(std::to_string(lostMini) + " mini sectors are marked used but nothing reaches them");
}

}  // namespace

bool CheckCompoundFile(RandomAccessFile& file, CompoundFileReport* report) {
  *report = CompoundFileReport();
  Checker(file, report).Run();
  return report->IsClean();
}

bool CheckCompoundFile(const std::string& path, CompoundFileReport* report) {
  *report = CompoundFileReport();
  std::unique_ptr<RandomAccessFile> file;
  const FileStatus status = OpenRandomAccessFile(path, FileMode::kRead, FileShare::kShared, &file);
  if (!status.IsOk()) {
    report->errors.push_back(status.message);
    return false;
  }
  Checker(*file, report).Run();
  return report->IsClean();
}

}  // namespace commonobjects::platform
