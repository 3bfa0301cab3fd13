// ConformReport: what a conform did to a mix, as mixauto conform and recut report it and a
// page can draw it. The stretches come from the edit list's pairs alone:
//
//   old cut  |--A--|--B--|--C--|          pairs: A -> A (kept), C -> B' (moved)
//   new cut  |--A--|--C--|.....|--        B: old time no source covers (removed)
//                               ^ new time no destination covers before the last one (inserted)
//
// - A pair whose source start equals its destination start is kept, any other pair moved;
//   pairs of no length are left out, and neighbouring pairs of one kind and reel that
//   continue each other in both cuts make one stretch.
// - Removed: the old time of [0, old end) that no source covers, where old end is the later
//   of the last source end and the mix's own end (its last event time + 1).
// - Inserted: the new time of [0, last destination end) that no destination covers; conform
//   writes only the console state there (a blank).
// All times are automation units; every range includes its start and excludes its end.
// Plain values; building and drawing are pure functions.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "commonobjects/conform/ConformStatus.h"
#include "commonobjects/conform/SourceDestItem.h"
#include "commonobjects/eventstore/GrowableArray.h"

class CTimecodeConverter;

namespace mixauto {

struct ConformStretch {
  enum Kind { kKept, kRemoved, kMoved, kInserted };
  Kind kind = kKept;
  int32_t oldStart = -1;  // -1 for an inserted stretch, which has no old place
  int32_t newStart = -1;  // -1 for a removed stretch, which has no new place
  int32_t length = 0;
  int32_t reel = -1;  // a kept or moved stretch's reel in the list's reel table; -1 names none
};

const char* StretchKindName(ConformStretch::Kind kind);  // "kept", "removed", "moved", "inserted"

// One edit of the list: its source start, destination start and length.
struct ConformPair {
  int32_t source = 0;
  int32_t dest = 0;
  int32_t length = 0;
  int32_t reel = -1;  // the destination's reel in the list's reel table; -1 names none
};

// The pairs of items as GetSourceDestItems gives them: source item, then destination item;
// the length and the reel are the destination's.
std::vector<ConformPair> PairsOfItems(const CGrowableArray<CSourceDestItem>& items);

// The stretches of the pairs (see above), ordered by their place in the new cut; a removed
// stretch by its old place, before a stretch that starts where it did.
std::vector<ConformStretch> StretchesOfPairs(const std::vector<ConformPair>& pairs, int32_t mixEnd);

struct SourceMix {
  std::string name;  // as the report shows it
  bool own = false;  // the mix's own file
};

// The source mix of a stretch: its reel's, the first when it names none (as conform takes
// it); nullptr when there are no sources.
const SourceMix* SourceOfStretch(const ConformStretch& stretch, const std::vector<SourceMix>& sources);

struct ConformReport {
  std::string title;     // "Conform of MIX to LIST (an edit decision list)", "Recut: move ..."
  std::string pathNote;  // which paths were conformed, and what became of the others
  std::vector<ConformStretch> stretches;
  std::vector<SourceMix> sources;
  int64_t eventsBefore = 0;
  int64_t eventsAfter = 0;
  enConformStatus status = kConformDone;
};

// The report as lines of text: title, paths, stretch table (timecode under the converter's
// settings), source mixes, event counts, status.
std::string ConformReportText(const ConformReport& report, const CTimecodeConverter& converter);
// The report as one JSON object; times in units and as timecode.
std::string ConformReportJson(const ConformReport& report, const CTimecodeConverter& converter);

}  // namespace mixauto
