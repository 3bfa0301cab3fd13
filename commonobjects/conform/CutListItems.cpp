// A change list as edit items: kept stretches between the changes, removed and inserted
// material, in automation time units.
//
//   changes  |  DELETE 2s at 10s  |  INSERT 3s at 20s  |
//   items    kept 10s, removed 2s, kept 8s, inserted 3s
//
// The running position r counts both removed and inserted lengths, as the change
// positions do. Moves count as removed and inserts from a move as inserted; unrecognised
// and clip changes add no item but still advance r.
#include <cstdint>
#include <string>

#include "commonobjects/conform/CutListReader.h"
#include "commonobjects/conform/EDLItemList.h"
#include "commonobjects/timecode/TimecodeConverter.h"

namespace {

int32_t ItemKindOf(int32_t changeKind) {
  switch (changeKind) {
    case CCutListChange::kDelete:
    case CCutListChange::kTrimHead:
    case CCutListChange::kTrimMiddle:
    case CCutListChange::kTrimTail:
    case CCutListChange::kMove:
      return 1;  // removed
    case CCutListChange::kInsert:
    case CCutListChange::kLengthenHead:
    case CCutListChange::kLengthenTail:
    case CCutListChange::kInsertFrom:
      return 2;  // inserted
    default:
      return -1;  // no item
  }
}

}  // namespace

void GetCutListItems(std::string path, CEDLItemList& items) {
  CCutListReader reader;
  if (!reader.Read(path)) return;
  CTimecodeConverter converter;
  std::vector<CEDLItem> made;
  int32_t r = 0;
  for (const auto& change : reader.GetChanges()) {
    // A position on film counts from the film's equivalence; a length does not.
    converter.SetAddEquivalence(converter.IsFeetFrames() ? 1 : 0);
    converter.TimeFromFrames(change->Position);
    const int32_t s = converter.GetRoundedTime();
    if (r < s) {
      made.emplace_back(0, s - r);
      r = s;
    }
    converter.SetAddEquivalence(0);
    converter.TimeFromFrames(change->Length);
    const int32_t l = converter.GetRoundedTime();
    const int32_t kind = ItemKindOf(change->Kind);
    if (kind >= 0) made.emplace_back(kind, l);
    r = static_cast<int32_t>(int64_t{r} + l);
  }
  for (const CEDLItem& item : made) items.Add(item, 0);
}
