#include "commonobjects/platform/internal/CfbDirectoryEntry.h"

#include <cstring>

namespace commonobjects::platform::cfb {
namespace {

constexpr size_t kNameBytes = 64;
constexpr size_t kNameLengthAt = 64;
constexpr size_t kTypeAt = 66;
constexpr size_t kColourAt = 67;
constexpr size_t kLeftAt = 68;
constexpr size_t kRightAt = 72;
constexpr size_t kChildAt = 76;
constexpr size_t kClsidAt = 80;
constexpr size_t kStateBitsAt = 96;
constexpr size_t kCreatedAt = 100;
constexpr size_t kModifiedAt = 108;
constexpr size_t kStartAt = 116;
constexpr size_t kSizeAt = 120;

// The name up to its terminator; false when the length is impossible or the terminator is
// missing or early.
bool DecodeName(const uint8_t* bytes, uint16_t lengthBytes, std::u16string* name) {
  if (lengthBytes < 2 || lengthBytes > kNameBytes || lengthBytes % 2 != 0) return false;
  const size_t units = lengthBytes / 2 - 1;
  for (size_t i = 0; i < units; ++i) {
    const char16_t unit = Load16(bytes + 2 * i);
    if (unit == 0) return false;
    name->push_back(unit);
  }
  return Load16(bytes + 2 * units) == 0;
}

}  // namespace

CfbDirectoryEntry DecodeEntry(const uint8_t* bytes, bool version3) {
  CfbDirectoryEntry entry;
  entry.nameValid = DecodeName(bytes, Load16(bytes + kNameLengthAt), &entry.name);
  if (!entry.nameValid) entry.name.clear();
  entry.type = bytes[kTypeAt];
  entry.colour = bytes[kColourAt];
  entry.left = Load32(bytes + kLeftAt);
  entry.right = Load32(bytes + kRightAt);
  entry.child = Load32(bytes + kChildAt);
  std::memcpy(entry.clsid.data(), bytes + kClsidAt, entry.clsid.size());
  entry.stateBits = Load32(bytes + kStateBitsAt);
  entry.created = Load64(bytes + kCreatedAt);
  entry.modified = Load64(bytes + kModifiedAt);
  entry.start = Load32(bytes + kStartAt);
  entry.size = version3 ? Load32(bytes + kSizeAt) : Load64(bytes + kSizeAt);
  return entry;
}

void EncodeEntry(const CfbDirectoryEntry& entry, uint8_t* bytes) {
  std::memset(bytes, 0, kDirectoryEntrySize);
  Store32(bytes + kLeftAt, entry.left);
  Store32(bytes + kRightAt, entry.right);
  Store32(bytes + kChildAt, entry.child);
  if (entry.type == kUnusedEntry) return;
  for (size_t i = 0; i < entry.name.size(); ++i) Store16(bytes + 2 * i, entry.name[i]);
  Store16(bytes + kNameLengthAt, static_cast<uint16_t>(2 * (entry.name.size() + 1)));
  bytes[kTypeAt] = entry.type;
  bytes[kColourAt] = entry.colour;
  std::memcpy(bytes + kClsidAt, entry.clsid.data(), entry.clsid.size());
  Store32(bytes + kStateBitsAt, entry.stateBits);
  Store64(bytes + kCreatedAt, entry.created);
  Store64(bytes + kModifiedAt, entry.modified);
  Store32(bytes + kStartAt, entry.start);
  Store64(bytes + kSizeAt, entry.size);
}

}  // namespace commonobjects::platform::cfb
