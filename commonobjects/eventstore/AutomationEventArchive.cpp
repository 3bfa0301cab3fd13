// The archive form of an event array:
//   count: uint16 when below 0xFFFF, else uint16 0xFFFF then the count as uint32;
//   then per event 16 bytes, little-endian:
//   0 Proc | 1 Control | 2-3 Value | 4-7 Path | 8-11 Time | 12 Flags | 13 zero (ignored
//   when read) | 14-15 OldValue.
// Events are staged in chunks so that writing and reading cost one buffer copy per chunk.
#include <algorithm>
#include <array>
#include <memory>

#include "commonobjects/eventstore/ArchiveRecords.h"
#include "commonobjects/eventstore/AutomationEventArray.h"

namespace {

constexpr uint16_t kWideCount = 0xFFFF;
constexpr size_t kEventBytes = kArchiveRecordBytes;
constexpr size_t kChunkEvents = 4096;

using Chunk = std::array<uint8_t, kChunkEvents * kEventBytes>;

}  // namespace

void CAutomationEventArray::Serialize(CArchive& ar) {
  auto chunk = std::make_unique<Chunk>();
  if (ar.IsStoring()) {
    const auto count = static_cast<uint32_t>(GetSize());
    if (count < kWideCount) {
      ar.WriteUInt16(static_cast<uint16_t>(count));
    } else {
      ar.WriteUInt16(kWideCount);
      ar.WriteUInt32(count);
    }
    for (size_t first = 0; first < count; first += kChunkEvents) {
      const size_t n = std::min<size_t>(kChunkEvents, count - first);
      const CAutomationEvent* events = GetData() + first;
      EncodeArchiveRecords(events, n, chunk->data());
      ar.Write(chunk->data(), n * kEventBytes);
    }
    return;
  }
  uint32_t count = ar.ReadUInt16();
  if (count == kWideCount) count = ar.ReadUInt32();
  // Everything is checked before the array changes, so a short archive leaves it as it was.
  if (count > static_cast<uint32_t>(INT32_MAX) || ar.Remaining() / kEventBytes < count) {
    throw CArchiveException("archive holds fewer events than its count");
  }
  SetSize(static_cast<int32_t>(count));
  for (size_t first = 0; first < count; first += kChunkEvents) {
    const size_t n = std::min<size_t>(kChunkEvents, count - first);
    ar.Read(chunk->data(), n * kEventBytes);
    CAutomationEvent* events = GetData() + first;
    DecodeArchiveRecords(chunk->data(), n, events);
  }
}
