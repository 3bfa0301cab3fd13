#include "commonobjects/eventstore/Archive.h"

#include <cstring>

CArchive::CArchive(std::vector<uint8_t>& buffer, Mode mode) : buffer_(buffer), mode_(mode) {}

void CArchive::Write(const void* data, size_t count) {
  if (!IsStoring()) throw CArchiveException("write to an archive that is loading");
  const auto* bytes = static_cast<const uint8_t*>(data);
  buffer_.insert(buffer_.end(), bytes, bytes + count);
}

void CArchive::Read(void* data, size_t count) {
  if (!IsLoading()) throw CArchiveException("read from an archive that is storing");
  if (count > Remaining()) throw CArchiveException("archive ends early");
  if (count > 0) std::memcpy(data, buffer_.data() + position_, count);
  position_ += count;
}

void CArchive::WriteUInt16(uint16_t v) {
  const uint8_t bytes[2] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)};
  Write(bytes, sizeof bytes);
}

void CArchive::WriteUInt32(uint32_t v) {
  const uint8_t bytes[4] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8),
                            static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 24)};
  Write(bytes, sizeof bytes);
}

uint16_t CArchive::ReadUInt16() {
  uint8_t bytes[2];
  Read(bytes, sizeof bytes);
  return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
}

uint32_t CArchive::ReadUInt32() {
  uint8_t bytes[4];
  Read(bytes, sizeof bytes);
  return static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
         (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}
