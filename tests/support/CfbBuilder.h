// Compound files for tests: built in memory with the library's writer, read back whole, and
// edited byte by byte to make the defects a reader must survive (loops, short chains,
// impossible sizes and counts, bad names).
//
// CfbEditor finds the FAT, mini FAT and directory the way a reader does and offers each
// field by name; it trusts the file it edits (build it first, then break it).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "commonobjects/platform/CompoundFile.h"

namespace testsupport {

using Bytes = std::vector<uint8_t>;
using StreamContents = std::map<std::string, Bytes>;  // stream name -> content

// Content of `size` bytes that differs from stream to stream and from byte to byte.
Bytes PatternBytes(size_t size, uint32_t seed);
// A compound file holding the given root streams, written by the library.
Bytes BuildCompoundFile(const StreamContents& streams);
// Opens the bytes for reading and reads every root stream; child storages' streams are
// named "storage/stream". Returns the first failure.
commonobjects::platform::StgStatus ReadCompoundFile(const Bytes& bytes, StreamContents* streams);

// Header field offsets.
constexpr size_t kHeaderMajorVersion = 26;
constexpr size_t kHeaderSectorShift = 30;
constexpr size_t kHeaderMiniSectorShift = 32;
constexpr size_t kHeaderFatCount = 44;
constexpr size_t kHeaderFirstDirectory = 48;
constexpr size_t kHeaderMiniCutoff = 56;
constexpr size_t kHeaderFirstMiniFat = 60;
constexpr size_t kHeaderMiniFatCount = 64;
constexpr size_t kHeaderFirstDifat = 68;
constexpr size_t kHeaderDifatCount = 72;
constexpr size_t kHeaderDifat = 76;
// Directory entry field offsets.
constexpr size_t kEntryNameLength = 64;
constexpr size_t kEntryType = 66;
constexpr size_t kEntryColour = 67;
constexpr size_t kEntryLeft = 68;
constexpr size_t kEntryRight = 72;
constexpr size_t kEntryChild = 76;
constexpr size_t kEntryStart = 116;
constexpr size_t kEntrySize = 120;

class CfbEditor {
 public:
  explicit CfbEditor(Bytes bytes);

  const Bytes& bytes() const { return bytes_; }
  uint32_t SectorSize() const { return 1u << Get16(kHeaderSectorShift); }
  size_t SectorOffset(uint32_t sector) const { return (size_t{sector} + 1) * SectorSize(); }

  uint16_t Get16(size_t offset) const;
  uint32_t Get32(size_t offset) const;
  void Set16(size_t offset, uint16_t value);
  void Set32(size_t offset, uint32_t value);
  void Set64(size_t offset, uint64_t value);

  uint32_t Fat(uint32_t sector) const { return Get32(FatEntryOffset(sector)); }
  void SetFat(uint32_t sector, uint32_t value) { Set32(FatEntryOffset(sector), value); }
  uint32_t MiniFat(uint32_t index) const { return Get32(MiniFatEntryOffset(index)); }
  void SetMiniFat(uint32_t index, uint32_t value) { Set32(MiniFatEntryOffset(index), value); }
  // The sectors of the chain from `start`, following the FAT (bounded; trusts the file).
  std::vector<uint32_t> Chain(uint32_t start) const;

  // The directory entry of the stream or storage `name` (0 for the root), and its byte offset.
  uint32_t EntryId(const std::string& name) const;
  size_t EntryOffset(uint32_t id) const;
  uint32_t EntryStart(uint32_t id) const { return Get32(EntryOffset(id) + kEntryStart); }

  void Truncate(size_t size) { bytes_.resize(size); }

 private:
  size_t FatEntryOffset(uint32_t sector) const;
  size_t MiniFatEntryOffset(uint32_t index) const;

  Bytes bytes_;
};

}  // namespace testsupport
