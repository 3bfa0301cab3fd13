// The binary form of a change list (integers 32-bit little-endian):
//
//   0   16  magic "QRX_CUTLIST_FILE", no terminator
//   16   4  old duration, feet
//   20   4  old duration, frames
//   24   4  number of change records
//   28      change records: kind, position (frames), length (frames), source change;
//           kind 10 only, further: extra value, name length, name bytes (no terminator)
//
// A record cut short fails the whole file. A count or name length larger than the bytes
// left is refused before anything is allocated for it.
#include <cstdint>
#include <cstring>
#include <string_view>

#include "commonobjects/conform/CutListReader.h"
#include "commonobjects/conform/internal/ByteCursor.h"
#include "commonobjects/conform/internal/CutListParsing.h"

namespace commonobjects::conform::internal {
namespace {

constexpr size_t kMagicBytes = sizeof(CCutListReader::kMagic) - 1;
constexpr size_t kRecordBytes = 16;  // the smallest record

bool ReadRecord(ByteCursor& in, CCutListChange& change) {
  if (!in.Get32(change.Kind) || !in.Get32(change.Position) || !in.Get32(change.Length) ||
      !in.Get32(change.SourceChange)) {
    return false;
  }
  if (change.Kind != CCutListChange::kClip) return true;
  return in.Get32(change.Extra) && in.GetString(change.Name);
}

}  // namespace

CutListParse ParseCutListBinary(std::string_view bytes) {
  CutListParse out;
  ByteCursor in(bytes, kMagicBytes);
  int32_t count = 0;
  if (!in.Get32(out.OldDurationFeet) || !in.Get32(out.OldDurationFrames) || !in.Get32(count) || count <= 0 ||
      static_cast<size_t>(count) > in.Remaining() / kRecordBytes) {
    out.Stage = CCutListReader::kFailedAfterOpening;
    return out;
  }
  out.Changes.reserve(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) {
    auto change = std::make_unique<CCutListChange>();
    if (!ReadRecord(in, *change)) {
      out.Changes.clear();
      out.Stage = CCutListReader::kFailedInChanges;
      return out;
    }
    if (change->Kind != CCutListChange::kNoChange) out.Changes.push_back(std::move(change));
  }
  if (out.Changes.empty()) out.Stage = CCutListReader::kFailedInChanges;
  return out;
}

}  // namespace commonobjects::conform::internal
