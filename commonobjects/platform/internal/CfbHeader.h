// The compound file's header: the first 512 bytes of the file, which locate everything else
// (the FAT through the DIFAT, the directory, the mini FAT) and fix the sector size.
//
// Sector numbers are 32-bit; the values from kMaxRegularSector + 1 up are markers, never
// sectors. Sector n starts at byte (n + 1) * sector size: the header occupies sector "-1",
// which is 512 bytes in version 3 and 4096 in version 4 (the rest of it zero).
// Plain values, no I/O: parsing checks every field before it is used in arithmetic.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <string>

#include "commonobjects/platform/ByteOrder.h"

namespace commonobjects::platform::cfb {

constexpr uint32_t kMaxRegularSector = 0xFFFFFFFA;
constexpr uint32_t kDifatSector = 0xFFFFFFFC;  // FAT value of a sector that holds DIFAT entries
constexpr uint32_t kFatSector = 0xFFFFFFFD;    // FAT value of a sector that holds FAT entries
constexpr uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr uint32_t kFreeSector = 0xFFFFFFFF;
constexpr uint32_t kNoEntry = 0xFFFFFFFF;  // directory link to nothing

constexpr uint32_t kHeaderSize = 512;
constexpr uint32_t kHeaderDifatEntries = 109;
constexpr uint32_t kMiniSectorShift = 6;
constexpr uint32_t kMiniSectorSize = 1u << kMiniSectorShift;
constexpr uint32_t kMiniStreamCutoff = 4096;  // streams shorter than this live in the mini stream
constexpr uint32_t kDirectoryEntrySize = 128;
constexpr uint8_t kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};

struct CfbHeader {
  uint16_t minorVersion = 0x003E;
  uint16_t majorVersion = 3;
  uint16_t sectorShift = 9;
  uint32_t directorySectorCount = 0;  // version 4 only; 0 in version 3
  uint32_t fatSectorCount = 0;
  uint32_t firstDirectorySector = kEndOfChain;
  uint32_t firstMiniFatSector = kEndOfChain;
  uint32_t miniFatSectorCount = 0;
  uint32_t firstDifatSector = kEndOfChain;
  uint32_t difatSectorCount = 0;
  std::array<uint32_t, kHeaderDifatEntries> difat{};  // the first 109 FAT sector numbers

  CfbHeader() { difat.fill(kFreeSector); }
  uint32_t SectorSize() const { return 1u << sectorShift; }
  uint32_t EntriesPerSector() const { return SectorSize() / 4; }
  // Where sector n starts in the file.
  uint64_t OffsetOf(uint32_t sector) const { return (static_cast<uint64_t>(sector) + 1) << sectorShift; }
};

enum class HeaderVerdict { kOk, kNotCompoundFile, kCorrupt };

// Reads the header from its 512 bytes. kNotCompoundFile when the signature is missing;
// kCorrupt, with *problem saying which field, when a field is impossible.
HeaderVerdict ParseHeader(const uint8_t* bytes, CfbHeader* header, std::string* problem);
// Writes the header as 512 bytes: zero CLSID and reserved fields, transaction number 0,
// the mini sector shift 6 and the cutoff 4096.
void SerializeHeader(const CfbHeader& header, uint8_t* bytes);

}  // namespace commonobjects::platform::cfb
