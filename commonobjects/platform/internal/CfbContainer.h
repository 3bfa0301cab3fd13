// CfbContainer: one open compound file in memory: its header, FAT, mini FAT, directory tree
// and the content of streams written since the last commit. CompoundStorage and
// CompoundStream objects share it; it owns the file.
//
// Invariants:
//  1. The file always holds a consistent compound file. Between commits new content lives
//     in memory (CfbNode::pending), or, for a large stream written whole in place, in
//     sectors that the committed header does not reach (WriteThrough); a commit writes the
//     rest, and every FAT, mini FAT, DIFAT, directory and mini-stream sector it changes,
//     into such sectors too, syncs, writes the header, and syncs again.
//  2. A sector (or mini sector) that the committed state uses is never written and never
//     allocated, even after the working state freed it, until the next header is durable.
//  3. Opening for writing refuses a file whose chains are not exactly as long as their
//     sizes or that gives one sector to two owners, since freeing such a chain could destroy
//     another stream.
// After a failed commit the container is broken: everything but Close fails, and the file
// keeps its last committed state. One thread at a time.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "commonobjects/platform/CompoundFile.h"
#include "commonobjects/platform/RandomAccessFile.h"
#include "commonobjects/platform/internal/CfbAllocationTable.h"
#include "commonobjects/platform/internal/CfbHeader.h"
#include "commonobjects/platform/internal/CfbTree.h"

namespace commonobjects::platform::cfb {

class CfbContainer {
 public:
  // Use Load or Initialize.
  CfbContainer(std::unique_ptr<RandomAccessFile> file, bool writable);

  // Reads and checks the header, DIFAT, FAT, mini FAT, directory tree and mini stream.
  static StgStatus Load(std::unique_ptr<RandomAccessFile> file, bool writable, std::unique_ptr<CfbContainer>* out);
  // Writes a new, empty compound file over `file` and commits it. The system writes version
  // 3; version 4 (4096-byte sectors) serves the tests of the reader.
  static StgStatus Initialize(std::unique_ptr<RandomAccessFile> file, std::unique_ptr<CfbContainer>* out,
                              uint16_t majorVersion = 3);

  bool Writable() const { return writable_; }
  // Ok while open and not broken; otherwise why not.
  StgStatus Usable() const;
  const std::vector<CfbNode>& Nodes() const { return nodes_; }
  CfbNode& Node(uint32_t node) { return nodes_[node]; }
  const CfbHeader& Header() const { return header_; }

  // A new empty stream `name` in `storage`, replacing a stream of that name (kInUse while it
  // is open; kAccessDenied when a storage has the name).
  StgStatus CreateStream(uint32_t storage, std::u16string name, uint32_t* node);
  // Takes a stream's content into memory so that it can be written.
  StgStatus MakePending(uint32_t node);
  uint64_t StreamSize(uint32_t node) const;
  // Reads up to count bytes at offset; *bytesRead is below count only at the end.
  StgStatus ReadStream(uint32_t node, uint64_t offset, void* buffer, size_t count, size_t* bytesRead);
  // Writes into a pending stream, growing it (a gap reads as zeros).
  StgStatus WriteStream(uint32_t node, uint64_t offset, const void* data, size_t count);
  // Grows a pending stream to hold [offset, offset + count) as WriteStream would and sets *at
  // to where that range lies in its memory, for the caller to store every byte of it before
  // any other call on the container; the bytes of the range are unset until then.
  StgStatus ReserveStream(uint32_t node, uint64_t offset, size_t count, uint8_t** at);
  // Writes [offset, offset + count) of a pending stream with the pieces that fill produces
  // (CompoundStream::WriteInPlace): the whole content of an empty stream, when large, goes
  // straight into free sectors (WriteThrough); anything else into the stream's memory.
  StgStatus FillStream(uint32_t node, uint64_t offset, uint64_t count, const FillPiece& fill);

  // Makes every change durable (invariant 1). Nothing is written when nothing changed.
  StgStatus Commit();
  // Commits when writable, then closes the file (releasing its lock).
  StgStatus Close();
  // Closes the file without committing (the file keeps its last committed state).
  void Abandon() { file_.reset(); }

 private:
  struct StreamMap {
    bool mini = false;
    std::vector<uint32_t> chain;  // sectors, or mini sectors
  };

  StgStatus Fail(StgStatus::Code code, const std::string& problem) const;
  StgStatus IoFail(const FileStatus& status) const;

  // Loading (CfbContainer.cpp).
  StgStatus LoadHeader();
  StgStatus LoadDifat();
  StgStatus LoadFat();
  StgStatus LoadDirectory();
  StgStatus LoadMiniStream();
  StgStatus CheckOwnership();
  StgStatus ReadMetadataChain(uint32_t start, const char* what, std::vector<uint32_t>* chain);
  StgStatus MapStream(uint32_t node, StreamMap* map);
  StgStatus ReadSectors(const std::vector<uint32_t>& sectors, uint8_t* out);
  StgStatus ReadMapped(const StreamMap& map, uint64_t offset, uint8_t* out, size_t count);
  void RefreshSectorCount();

  // Writing (CfbCommit.cpp).
  void DropContent(uint32_t node);
  StgStatus WriteThrough(uint32_t node, uint64_t count, const FillPiece& fill);
  StgStatus WritePendingStreams();
  StgStatus WriteMiniStream(const std::vector<uint32_t>& smallStreams);
  void ResizeMiniStream(std::vector<uint32_t>* chain, std::map<uint32_t, std::vector<uint8_t>>* images);
  StgStatus PatchMiniSectors(const std::vector<uint32_t>& smallStreams, std::vector<uint32_t>* chain);
  StgStatus WriteMiniFat();
  StgStatus WriteDirectory();
  void PlaceFat();
  StgStatus WriteFatAndDifat();
  void EncodeFatSector(uint32_t j, uint8_t* out) const;
  void EncodeDifatSector(uint32_t d, uint8_t* out) const;
  StgStatus WriteHeader();
  StgStatus WriteSectors(std::span<const uint32_t> sectors, const uint8_t* data, size_t size);
  StgStatus WriteScattered(const std::map<uint32_t, std::vector<uint8_t>>& sectors);
  void MarkDifatEntryDirty(size_t fatIndex);
  void AfterCommit();

  std::unique_ptr<RandomAccessFile> file_;
  std::string name_;
  bool writable_;
  bool broken_ = false;
  bool changed_ = false;  // something awaits a commit
  CfbHeader header_;
  uint32_t sectorCount_ = 0;  // sectors present in the file (a partial last one counts)
  CfbAllocationTable fat_{128};
  CfbAllocationTable miniFat_{128};
  std::vector<uint32_t> fatSectors_;    // where FAT sector i lies
  std::vector<uint32_t> difatSectors_;  // the DIFAT chain beyond the header
  std::set<uint32_t> dirtyDifat_;       // DIFAT sectors to rewrite
  std::vector<uint32_t> directoryChain_;
  std::vector<uint32_t> miniFatChain_;
  std::vector<uint32_t> miniStreamChain_;
  std::vector<CfbNode> nodes_;
  std::vector<std::unique_ptr<StreamMap>> maps_;  // per node, built on first read
};

// The sectors of a chain taken as runs of consecutive sector numbers: calls
// visit(first index in chain, run length) for each.
template <class Visit>
void ForEachRun(std::span<const uint32_t> chain, size_t begin, size_t end, Visit visit) {
  size_t i = begin;
  while (i < end) {
    size_t j = i + 1;
    while (j < end && chain[j] == chain[j - 1] + 1) ++j;
    visit(i, j - i);
    i = j;
  }
}

}  // namespace commonobjects::platform::cfb
