#include "commonobjects/conform/internal/EDLBinaryForm.h"

#include <array>

namespace commonobjects::conform {
namespace {

constexpr size_t kSmallestReel = 4 + 4 + 2 * 4 + 2 + 4;  // two empty names, no sub-records
constexpr size_t kSubRecordSize = 3 + 4;

// The settings in the order of the header record.
std::array<int32_t*, 8> HeaderFields(CTimecodeSettings& s) {
  return {&s.RateCode,        &s.SampleRate, &s.FilmFramesPerSecond, &s.FilmFramesPerFoot,
          &s.FilmEquivalence, &s.FeetFrames, &s.CodeConvert,         &s.FeetFramesConvert};
}

bool ReadReel(ByteCursor& in, CReel& reel) {
  int32_t count = 0;
  if (!in.GetString(reel.Name) || !in.GetString(reel.UsedName) || !in.Get32(reel.Values[0]) ||
      !in.Get32(reel.Values[1]) || !in.GetBytes(reel.Flags, 2) || !in.Get32(count)) {
    return false;
  }
  if (count < 0 || static_cast<size_t>(count) > in.Remaining() / kSubRecordSize) return false;
  reel.SubRecords.resize(static_cast<size_t>(count));
  for (CReelSubRecord& sub : reel.SubRecords) {
    if (!in.GetBytes(sub.Bytes, 3) || !in.Get32(sub.Value)) return false;
  }
  return true;
}

}  // namespace

bool ReadHeaderRecord(ByteCursor& in, CTimecodeSettings& settings) {
  if (in.Remaining() < kHeaderRecordSize) return false;
  for (int32_t* field : HeaderFields(settings)) in.Get32(*field);
  return true;
}

void WriteHeaderRecord(ByteWriter& out, const CTimecodeSettings& settings) {
  CTimecodeSettings copy = settings;
  for (const int32_t* field : HeaderFields(copy)) out.Put32(*field);
}

bool ReadReelTable(ByteCursor& in, CReelTable& reels) {
  for (int32_t& setting : reels.Settings) {
    if (!in.Get32(setting)) return false;
  }
  int32_t count = 0;
  if (!in.Get32(count) || count < 0 || static_cast<size_t>(count) > in.Remaining() / kSmallestReel) {
    return false;
  }
  std::vector<CReel>& list = reels.GetReels();
  list.clear();
  list.resize(static_cast<size_t>(count));
  for (CReel& reel : list) {
    if (!ReadReel(in, reel)) return false;
  }
  return true;
}

void WriteReelTable(ByteWriter& out, const CReelTable& reels) {
  for (int32_t setting : reels.Settings) out.Put32(setting);
  out.Put32(reels.GetSize());
  for (const CReel& reel : reels.GetReels()) {
    out.PutString(reel.Name);
    out.PutString(reel.UsedName);
    out.Put32(reel.Values[0]);
    out.Put32(reel.Values[1]);
    out.PutByte(reel.Flags[0]);
    out.PutByte(reel.Flags[1]);
    out.Put32(static_cast<int32_t>(reel.SubRecords.size()));
    for (const CReelSubRecord& sub : reel.SubRecords) {
      out.PutBytes(std::string_view(reinterpret_cast<const char*>(sub.Bytes), 3));
      out.Put32(sub.Value);
    }
  }
}

}  // namespace commonobjects::conform
