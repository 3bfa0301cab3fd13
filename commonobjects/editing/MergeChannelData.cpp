// CAutomationEventArray::MergeChannelData: one path's automation of another mix, over that
// mix's edit range, merged into this array's destination paths at this array's
// destination time. A merge of several sources is one call per source (step 1..n of n):
// between the calls the array stays in channel order with the rewritten channels appended,
// and only the last call puts it back in time order.
#include <cstdint>

#include "commonobjects/editing/ChannelDataWorkers.h"
#include "commonobjects/editing/SameTimeDuplicates.h"
#include "commonobjects/eventstore/AutomationEventArray.h"

void CAutomationEventArray::MergeChannelData(CAutomationEventArray& source, int16_t rampStep,
                                             int16_t rampLength, TimeDirection startDirection,
                                             TimeDirection endDirection, int32_t highBase,
                                             const CPathMap& map, int32_t sourceSlotOffset,
                                             int32_t stepNumber, int32_t stepCount,
                                             int32_t sameSource) {
  if (IsEmpty()) return;
  RemoveSameTimeDuplicates(*this);
  Sort(SortByPathControl);
  source.Sort(SortByPathControl);
  CAutomationEventArray extracted;
  ExtractChannelData(source, extracted, highBase, map, sourceSlotOffset);
  if (!extracted.IsEmpty()) {
    // The paste finds the source path here when it pastes the source onto every destination.
    extracted.Filter.Paths.Append(source.Filter.Paths);
    PasteChannelData(*this, extracted, rampLength, rampStep, startDirection, endDirection,
                     highBase, map, sourceSlotOffset, stepNumber, stepCount, sameSource);
  }
  if (stepNumber == stepCount) Sort(SortByTime);
}
