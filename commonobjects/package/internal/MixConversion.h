// Conversions of old mixes, on the members' stored bytes and arrays. Private to package/;
// the package decides when each applies (package/MixConversion.cpp, doc/formats/mix-file.md).
//
//   control records, large consoles   version < 16: 20 words   version 16, 17: 27 words
//                                     version >= 18: 36 words (current)
//   control records, small consoles   version < 22: 4 words    version >= 22: 5 words (current)
//
// Converted records start all 0; old words keep their meaning at their new place and the
// fields an old layout lacks take the slot's fill word:
//   20 -> 36 words: 0-4 <- 0-4, 9-23 <- 5-19, 5-8 and 24-35 fill
//   27 -> 36 words: 0-4 <- 0-4, 9-30 <- 5-26, 5-8 fill, 31-35 stay 0
//    4 ->  5 words: 0-3 <- 0-3, 4 fill
#pragma once

#include <cstdint>
#include <vector>

#include "commonobjects/eventstore/GrowableArray.h"
#include "commonobjects/package/RecordArray.h"

namespace commonobjects::package {

enum class ControlRecordLayout { kCurrent, kOldest, kSecond, kSmallOld };

// The layout control records of snapshot `version` were stored with.
ControlRecordLayout ControlLayoutForVersion(uint32_t version, bool smallConsole);
// Bytes of one stored record of that layout (144 or 20 for kCurrent).
int32_t StoredControlRecordBytes(ControlRecordLayout layout, bool smallConsole);
// Old records (whole records of the layout's size; a partial one at the end is dropped) as
// current records, as many as were read, new fields filled with `fill`.
std::vector<uint8_t> ConvertControlRecords(const std::vector<uint8_t>& old, ControlRecordLayout layout,
                                           uint32_t fill);

// The stored control records of slot `slot` (0..7) become target's records, converted first
// (with notification 26 and the slot's percentage) when `layout` is an old one.
void AssignControlRecords(std::vector<uint8_t> stored, ControlRecordLayout layout, int32_t slot,
                          CRecordArray& target);

// Mode change: nothing here ever shrinks a member.
// Adds all-zero records up to `records`.
void ExtendRecords(CRecordArray& slot, int32_t records);
// Adds entries up to `paths`, each new entry holding its own index.
void ExtendLinkMap(CGrowableArray<uint32_t>& map, int32_t paths);
// A row-major oldPaths x oldPaths map becomes newPaths x newPaths: every entry keeps its row
// and column, new entries are 0xFFFF (no gang). A map of any other size is left alone.
void RelayGangMap(CGrowableArray<uint16_t>& map, int32_t oldPaths, int32_t newPaths);
// A block of w words per path for oldPaths paths (path p at [p*w, (p+1)*w)) becomes one for
// newPaths paths, the new paths' words 0. A block whose size is not a whole number of words
// per old path is left alone.
void RelayParameterBlock(CGrowableArray<uint16_t>& block, int32_t oldPaths, int32_t newPaths);

}  // namespace commonobjects::package
