// The two halves of copy and merge (CAutomationEventArray::CopyChannelData, MergeChannelData).
//
// ExtractChannelData collects, channel by channel, the source path's automation over the edit
// range of source's filter [StartTime, EndTime): every selected control of the first path of
// source.Filter.Paths yields at least one event (its value at StartTime when the range holds
// none). PasteChannelData writes those channels onto each destination path of the target's
// filter (ExtraList) at ExtraValue, replacing what the destination channel had over the
// pasted length and joining both edges by the edit points (steps or ramps):
//
//   source   ..a..|b..c..d|..e..           (range [StartTime, EndTime))
//   dest     ..p..q..|r..s..t..|..u..      (ExtraValue, same length)
//   after    ..p..q..|[q->b] b..c..d [d->t']|..u..   (edge joins; t' = value dest had there)
//
// Both need their arrays in channel order (SortByPathControl). The paste appends the
// rewritten channels at the end of the target and removes their old events, leaving the
// target unsorted (the caller sorts). Not thread-safe.
#pragma once

#include <cstdint>

#include "commonobjects/eventstore/AutomationEventArray.h"

class CPathMap;

void ExtractChannelData(CAutomationEventArray& source, CAutomationEventArray& target,
                        int32_t highBase, const CPathMap& map, int32_t slotOffset);

void PasteChannelData(CAutomationEventArray& target, CAutomationEventArray& extracted,
                      int16_t rampLength, int16_t rampStep,
                      CAutomationEventArray::TimeDirection startDirection,
                      CAutomationEventArray::TimeDirection endDirection, int32_t highBase,
                      const CPathMap& map, int32_t slotOffset, int32_t stepNumber,
                      int32_t stepCount, int32_t sameSource);
