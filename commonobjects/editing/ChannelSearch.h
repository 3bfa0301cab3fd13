// Searches of an array in channel order (SortByPathControl: Path, Proc, Control, Time), by
// bisection. Index ranges [first, last] are inclusive; a range with last < first is empty.
// The array is only read, except that FindChannelEvents fills a channel.
#pragma once

#include <cstdint>

class CAutomationEventArray;
class CAutomationChannel;

// The last event of path within [first, last]; -1 when the path has none there.
int32_t FindLastEventOfPath(const CAutomationEventArray& array, int32_t path, int32_t first,
                            int32_t last);
// The path's events within [first, last]: returns the index of its last event (-1 when
// none), with pathFirst the index of its first and latestTime the latest Time among them.
int32_t FindPathEvents(const CAutomationEventArray& array, int32_t path, int32_t first,
                       int32_t last, int32_t& pathFirst, int32_t& latestTime);
// The last event of (path, proc, control) within [first, last]; -1 when absent.
int32_t FindChannelIndex(const CAutomationEventArray& array, int32_t path, int32_t proc,
                         int32_t control, int32_t first, int32_t last);
// Empties channel and fills it with the events of (path, proc, control) within [first, last];
// channelFirst receives the index of the first. Returns whether there were any. Posts code 1
// with the index at every copied index divisible by 500.
bool FindChannelEvents(const CAutomationEventArray& array, int32_t first, int32_t last,
                       int32_t path, int32_t proc, int32_t control, CAutomationChannel& channel,
                       int32_t& channelFirst);
