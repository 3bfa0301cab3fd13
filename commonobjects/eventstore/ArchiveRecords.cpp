#include "commonobjects/eventstore/ArchiveRecords.h"

#include <bit>
#include <cstring>

#include "commonobjects/platform/ByteOrder.h"

namespace {

using commonobjects::platform::Load16;
using commonobjects::platform::Load32;
using commonobjects::platform::Store16;
using commonobjects::platform::Store32;

// Whether an event's memory is its record (but for the padding byte 13).
constexpr bool kMemoryIsRecord = std::endian::native == std::endian::little &&
                                 offsetof(CAutomationEvent, Proc) == 0 && offsetof(CAutomationEvent, Control) == 1 &&
                                 offsetof(CAutomationEvent, Value) == 2 && offsetof(CAutomationEvent, Path) == 4 &&
                                 offsetof(CAutomationEvent, Time) == 8 && offsetof(CAutomationEvent, Flags) == 12 &&
                                 offsetof(CAutomationEvent, OldValue) == 14;

}  // namespace

bool EventMemoryIsArchiveRecord() { return kMemoryIsRecord; }

void EncodeArchiveRecords(const CAutomationEvent* events, size_t count, uint8_t* out) {
  for (size_t i = 0; i < count; ++i, out += kArchiveRecordBytes) {
    const CAutomationEvent& e = events[i];
    if constexpr (kMemoryIsRecord) {
      std::memcpy(out, &e, kArchiveRecordBytes);
    } else {
      out[0] = e.Proc;
      out[1] = e.Control;
      Store16(out + 2, static_cast<uint16_t>(e.Value));
      Store32(out + 4, static_cast<uint32_t>(e.Path));
      Store32(out + 8, static_cast<uint32_t>(e.Time));
      out[12] = e.Flags;
      Store16(out + 14, static_cast<uint16_t>(e.OldValue));
    }
    out[13] = 0;
  }
}

void DecodeArchiveRecords(const uint8_t* in, size_t count, CAutomationEvent* events) {
  for (size_t i = 0; i < count; ++i, in += kArchiveRecordBytes) {
    CAutomationEvent& e = events[i];
    e.Proc = in[0];
    e.Control = in[1];
    e.Value = static_cast<int16_t>(Load16(in + 2));
    e.Path = static_cast<int32_t>(Load32(in + 4));
    e.Time = static_cast<int32_t>(Load32(in + 8));
    e.Flags = in[12];
    e.OldValue = static_cast<int16_t>(Load16(in + 14));
  }
}
