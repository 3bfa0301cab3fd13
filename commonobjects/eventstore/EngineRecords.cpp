// The events as the host's automation engine reads them: fixed-size little-endian records.
//
// 12-byte record (max paths mode 0):
//   0-3 Time | 4 zero | 5 Path low 8 bits | 6 Proc | 7 Control | 8-9 OldValue | 10-11 Value
// 16-byte record (max paths modes 1 and 2):
//   0-3 Time | 4-5 Path low 16 bits | 6 zero | 7 Proc | 8 Control | 9 zero |
//   10-11 OldValue | 12-13 Value | 14-15 zero
// Card link of type 4 takes the 16-byte record rearranged into the event's own field order:
//   0 Proc | 1 Control | 2-3 Value | 4-5 Path | 6 zero | 7 Proc | 8-11 Time | 12 zero |
//   13 Value high byte | 14-15 OldValue
// where bytes 6, 7 and 13 keep what the 16-byte record held there. Flags are never exported.
#include <array>
#include <cstring>

#include "commonobjects/eventstore/AutomationEventArray.h"
#include "commonobjects/platform/ByteOrder.h"

namespace {

using Record16 = std::array<uint8_t, 16>;

using commonobjects::platform::Store16;
using commonobjects::platform::Store32;

void Write12(const CAutomationEvent& e, uint8_t* r) {
  Store32(r, static_cast<uint32_t>(e.Time));
  r[4] = 0;
  r[5] = static_cast<uint8_t>(e.Path);
  r[6] = e.Proc;
  r[7] = e.Control;
  Store16(r + 8, static_cast<uint16_t>(e.OldValue));
  Store16(r + 10, static_cast<uint16_t>(e.Value));
}

Record16 Make16(const CAutomationEvent& e) {
  Record16 r{};
  Store32(&r[0], static_cast<uint32_t>(e.Time));
  Store16(&r[4], static_cast<uint16_t>(e.Path));
  r[7] = e.Proc;
  r[8] = e.Control;
  Store16(&r[10], static_cast<uint16_t>(e.OldValue));
  Store16(&r[12], static_cast<uint16_t>(e.Value));
  return r;
}

// The card-link layout, built from the 16-byte record's own bytes.
Record16 CardLinkFrom(const Record16& r) {
  Record16 c;
  c[0] = r[7];   // Proc
  c[1] = r[8];   // Control
  c[2] = r[12];  // Value
  c[3] = r[13];
  c[4] = r[4];  // Path
  c[5] = r[5];
  c[6] = r[6];  // kept
  c[7] = r[7];  // kept
  c[8] = r[0];  // Time
  c[9] = r[1];
  c[10] = r[2];
  c[11] = r[3];
  c[12] = 0;      // where the event keeps its flags
  c[13] = r[13];  // kept
  c[14] = r[10];  // OldValue
  c[15] = r[11];
  return c;
}

}  // namespace

int32_t CAutomationEventArray::GetRecords(int32_t count, int32_t first, void* dest) {
  if (count <= 0) return count;
  const CAutomationEvent* events = GetData() + first;
  auto* out = static_cast<uint8_t*>(dest);
  if (RecordSize == 12) {
    for (int32_t i = 0; i < count; ++i) Write12(events[i], out + 12 * static_cast<size_t>(i));
  } else if (CardLinkIsType4) {
    for (int32_t i = 0; i < count; ++i) {
      const Record16 r = CardLinkFrom(Make16(events[i]));
      std::memcpy(out + 16 * static_cast<size_t>(i), r.data(), r.size());
    }
  } else {
    for (int32_t i = 0; i < count; ++i) {
      const Record16 r = Make16(events[i]);
      std::memcpy(out + 16 * static_cast<size_t>(i), r.data(), r.size());
    }
  }
  return count;
}

int32_t CAutomationEventArray::GetBlockCount(int32_t blockSize) {
  const int64_t recordSize = RecordSize;
  const int64_t block = recordSize > 0 ? blockSize / recordSize * recordSize : 0;
  if (block <= 0) return 0;  // a block smaller than one record holds nothing
  const int64_t bytes = static_cast<int64_t>(GetSize()) * recordSize;
  return static_cast<int32_t>((bytes + block - 1) / block);
}
