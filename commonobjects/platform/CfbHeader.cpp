#include "commonobjects/platform/internal/CfbHeader.h"

namespace commonobjects::platform::cfb {
namespace {

// Field offsets within the header.
constexpr size_t kMinorVersionAt = 24;
constexpr size_t kMajorVersionAt = 26;
constexpr size_t kByteOrderAt = 28;
constexpr size_t kSectorShiftAt = 30;
constexpr size_t kMiniSectorShiftAt = 32;
constexpr size_t kDirectorySectorCountAt = 40;
constexpr size_t kFatSectorCountAt = 44;
constexpr size_t kFirstDirectorySectorAt = 48;
constexpr size_t kTransactionAt = 52;
constexpr size_t kMiniStreamCutoffAt = 56;
constexpr size_t kFirstMiniFatSectorAt = 60;
constexpr size_t kMiniFatSectorCountAt = 64;
constexpr size_t kFirstDifatSectorAt = 68;
constexpr size_t kDifatSectorCountAt = 72;
constexpr size_t kDifatAt = 76;
constexpr uint16_t kLittleEndianMark = 0xFFFE;

HeaderVerdict Corrupt(std::string* problem, std::string text) {
  *problem = std::move(text);
  return HeaderVerdict::kCorrupt;
}

}  // namespace

HeaderVerdict ParseHeader(const uint8_t* bytes, CfbHeader* header, std::string* problem) {
  if (std::memcmp(bytes, kSignature, sizeof kSignature) != 0) {
    *problem = "no compound file signature";
    return HeaderVerdict::kNotCompoundFile;
  }
  CfbHeader h;
  h.minorVersion = Load16(bytes + kMinorVersionAt);
  h.majorVersion = Load16(bytes + kMajorVersionAt);
  if (Load16(bytes + kByteOrderAt) != kLittleEndianMark) return Corrupt(problem, "byte order mark is not FFFE");
  if (h.majorVersion != 3 && h.majorVersion != 4) {
    return Corrupt(problem, "unknown major version " + std::to_string(h.majorVersion));
  }
  // The shift is checked against the version before anything is shifted by it.
  const uint16_t shift = Load16(bytes + kSectorShiftAt);
  if (shift != (h.majorVersion == 3 ? 9 : 12)) {
    return Corrupt(problem, "sector shift " + std::to_string(shift) + " does not suit version " +
                                std::to_string(h.majorVersion));
  }
  h.sectorShift = shift;
  if (Load16(bytes + kMiniSectorShiftAt) != kMiniSectorShift) return Corrupt(problem, "mini sector shift is not 6");
  if (Load32(bytes + kMiniStreamCutoffAt) != kMiniStreamCutoff) {
    return Corrupt(problem, "mini stream cutoff is not 4096");
  }
  h.directorySectorCount = Load32(bytes + kDirectorySectorCountAt);
  h.fatSectorCount = Load32(bytes + kFatSectorCountAt);
  h.firstDirectorySector = Load32(bytes + kFirstDirectorySectorAt);
  h.firstMiniFatSector = Load32(bytes + kFirstMiniFatSectorAt);
  h.miniFatSectorCount = Load32(bytes + kMiniFatSectorCountAt);
  h.firstDifatSector = Load32(bytes + kFirstDifatSectorAt);
  h.difatSectorCount = Load32(bytes + kDifatSectorCountAt);
  for (uint32_t i = 0; i < kHeaderDifatEntries; ++i) h.difat[i] = Load32(bytes + kDifatAt + 4 * i);
  *header = h;
  return HeaderVerdict::kOk;
}

void SerializeHeader(const CfbHeader& header, uint8_t* bytes) {
  std::memset(bytes, 0, kHeaderSize);
  std::memcpy(bytes, kSignature, sizeof kSignature);
  Store16(bytes + kMinorVersionAt, 0x003E);
  Store16(bytes + kMajorVersionAt, header.majorVersion);
  Store16(bytes + kByteOrderAt, kLittleEndianMark);
  Store16(bytes + kSectorShiftAt, header.sectorShift);
  Store16(bytes + kMiniSectorShiftAt, kMiniSectorShift);
  Store32(bytes + kDirectorySectorCountAt, header.majorVersion == 3 ? 0 : header.directorySectorCount);
  Store32(bytes + kFatSectorCountAt, header.fatSectorCount);
  Store32(bytes + kFirstDirectorySectorAt, header.firstDirectorySector);
  Store32(bytes + kTransactionAt, 0);
  Store32(bytes + kMiniStreamCutoffAt, kMiniStreamCutoff);
  Store32(bytes + kFirstMiniFatSectorAt, header.firstMiniFatSector);
  Store32(bytes + kMiniFatSectorCountAt, header.miniFatSectorCount);
  Store32(bytes + kFirstDifatSectorAt, header.firstDifatSector);
  Store32(bytes + kDifatSectorCountAt, header.difatSectorCount);
  for (uint32_t i = 0; i < kHeaderDifatEntries; ++i) Store32(bytes + kDifatAt + 4 * i, header.difat[i]);
}

}  // namespace commonobjects::platform::cfb
