// The archive form of an event array:
//   count: uint16 when below 0xFFFF, else uint16 0xFFFF then the count as uint32;
//   then per event 16 bytes, little-endian:
//   0 Proc | 1 Control | 2-3 Value | 4-7 Path | 8-11 Time | 12 Flags | 13 zero (ignored
//   when read) | 14-15 OldValue.
// Events are staged in chunks so that writing and reading cost one buffer copy per chunk.
#include <algorithm>
#include <array>
#include <memory>

#include "commonobjects/eventstore/AutomationEventArray.h"

namespace {

constexpr uint16_t kWideCount = 0xFFFF;
constexpr size_t kEventBytes = 16;
constexpr size_t kChunkEvents = 4096;

using Chunk = std::array<uint8_t, kChunkEvents * kEventBytes>;

uint32_t Get(const uint8_t* at, int bytes) {
  uint32_t v = 0;
  for (int k = bytes - 1; k >= 0; --k) v = (v << 8) | at[k];
  return v;
}

void Put(uint8_t* at, uint32_t v, int bytes) {
  for (int k = 0; k < bytes; ++k, v >>= 8) at[k] = static_cast<uint8_t>(v);
}

void Encode(const CAutomationEvent& e, uint8_t* r) {
  r[0] = e.Proc;
  r[1] = e.Control;
  Put(r + 2, static_cast<uint16_t>(e.Value), 2);
  Put(r + 4, static_cast<uint32_t>(e.Path), 4);
  Put(r + 8, static_cast<uint32_t>(e.Time), 4);
  r[12] = e.Flags;
  r[13] = 0;
  Put(r + 14, static_cast<uint16_t>(e.OldValue), 2);
}

CAutomationEvent Decode(const uint8_t* r) {
  CAutomationEvent e;
  e.Proc = r[0];
  e.Control = r[1];
  e.Value = static_cast<int16_t>(Get(r + 2, 2));
  e.Path = static_cast<int32_t>(Get(r + 4, 4));
  e.Time = static_cast<int32_t>(Get(r + 8, 4));
  e.Flags = r[12];
  e.OldValue = static_cast<int16_t>(Get(r + 14, 2));
  return e;
}

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
      for (size_t i = 0; i < n; ++i) Encode(events[i], &(*chunk)[i * kEventBytes]);
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
    for (size_t i = 0; i < n; ++i) events[i] = Decode(&(*chunk)[i * kEventBytes]);
  }
}
