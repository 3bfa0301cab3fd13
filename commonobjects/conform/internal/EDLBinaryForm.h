// The parts of the binary edit list that sit between the magic and the event records: the
// header record (the timecode settings as eight integers) and the reel table.
#pragma once

#include "commonobjects/conform/ReelTable.h"
#include "commonobjects/conform/internal/ByteCursor.h"
#include "commonobjects/timecode/TimecodeSettings.h"

namespace commonobjects::conform {

constexpr size_t kHeaderRecordSize = 32;

// Rate code, sample rate, film frames per second, film frames per foot, film equivalence,
// feet+frames flag, code convert, feet+frames convert. False (settings unchanged) when
// fewer than 32 bytes are left.
bool ReadHeaderRecord(ByteCursor& in, CTimecodeSettings& settings);
void WriteHeaderRecord(ByteWriter& out, const CTimecodeSettings& settings);

// The table's five settings, the reel count, then per reel its name, used name, two
// integers, two bytes and its sub-records (three bytes and an integer each). False when
// the table is cut short or a count exceeds what the bytes left could hold; reels is then
// unspecified.
bool ReadReelTable(ByteCursor& in, CReelTable& reels);
void WriteReelTable(ByteWriter& out, const CReelTable& reels);

}  // namespace commonobjects::conform
