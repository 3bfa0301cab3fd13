// CAutomationEventArray::CopyChannelData: one path's automation over the edit range,
// copied within the array onto the destination paths at the destination time.
//
//   Paths[0]   ..a..|b..c..d|..e..          [StartTime, EndTime)
//   ExtraList  ..p..q..|b'.c'.d'|..u..      at ExtraValue, edges joined by step or ramp
#include <cstdint>

#include "commonobjects/editing/ChannelDataWorkers.h"
#include "commonobjects/editing/SameTimeDuplicates.h"
#include "commonobjects/console/SlotAlignment.h"
#include "commonobjects/eventstore/AutomationEventArray.h"
#include "commonobjects/editing/SlotOffset.h"

void CAutomationEventArray::CopyChannelData(int16_t rampStep, int16_t rampLength,
                                            TimeDirection startDirection,
                                            TimeDirection endDirection, int32_t highBase,
                                            const CPathMap& map) {
  if (IsEmpty()) return;
  // The slot offset is that of the mix as recorded, before its duplicates are merged away.
  const int32_t slotOffset = SlotOffset(*this);
  RemoveSameTimeDuplicates(*this);
  Sort(SortByPathControl);
  CAutomationEventArray extracted;
  ExtractChannelData(*this, extracted, highBase, map, slotOffset);
  if (!extracted.IsEmpty()) {
    PasteChannelData(*this, extracted, rampLength, rampStep, startDirection, endDirection,
                     highBase, map, slotOffset, 0, 0, 0);
  }
  Sort(SortByTime);
}
