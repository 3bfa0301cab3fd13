// Ranged erase of CAutomationEventArray: removes the selected channels' events (the filter's
// Paths and the controls it accepts) from [max(StartTime, 1), EndTime), both ends moved into
// the path's slot, and joins the value before the range to the value after it at EndTime by
// a step, or on slot-aligned controls by a ramp of the given length and direction.
//
//   StartTime 100, EndTime 300, ramp length 0; one selected channel:
//   before  40 @ 50    60 @ 120    80 @ 200    90 @ 400
//   after   40 @ 50                step 40 -> 80 @ 300    90 @ 400
//
//   the channel ends inside the range while its path goes on to 500:
//   before  40 @ 50    60 @ 120    80 @ 200
//   after   40 @ 50    step 40 -> 60 @ 300    80 @ 304 (one frame after the range)
//
// Each selected channel is taken out of the array (in channel order), edited, and appended
// at the end; the places of the channels' old events are recorded and closed up in one pass
// at the end, so no index moves while the paths are searched. One sort into channel order
// and one back into time order. Edge cases: an empty Paths list changes nothing but the
// order of equal-time events and same-time duplicates; time 0 is never erased; the filter's
// times are taken as they stand (-1 is not widened).
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "commonobjects/editing/AutomationChannel.h"
#include "commonobjects/editing/ChannelSearch.h"
#include "commonobjects/editing/EditPointList.h"
#include "commonobjects/console/PathMap.h"
#include "commonobjects/editing/SameTimeDuplicates.h"
#include "commonobjects/console/SlotAlignment.h"
#include "commonobjects/eventstore/AutomationEventArray.h"
#include "commonobjects/eventstore/Notifications.h"
#include "commonobjects/editing/SlotOffset.h"

namespace {

constexpr uint32_t kErasePathCode = 20;      // param: the path being erased + 1
constexpr uint32_t kEraseProgressCode = 23;  // param: percentage of the Paths list begun

// The old events of one edited channel: [first, first + count) of the original array.
struct OldEvents {
  int32_t first;
  int32_t count;
};

// One ranged erase over an array in channel order.
class CRangedErase {
 public:
  CRangedErase(CAutomationEventArray& array, int32_t highBase, const CPathMap& map,
               int32_t slotOffset, const CEditPointList& points)
      : array_(array), map_(map), highBase_(highBase), slotOffset_(slotOffset),
        lastOriginal_(array.GetSize() - 1), hasPoint_(points.GetEditPoint(0, point_)) {}

  // Erases path's selected channels, once per path however often the list names it.
  void ErasePath(int32_t path);
  // Closes up the places of the edited channels' old events; the edited channels follow
  // the untouched events in the order they were appended.
  void RemoveOldEvents();

 private:
  void EraseChannel();

  CAutomationEventArray& array_;
  const CPathMap& map_;
  int32_t highBase_;
  int32_t slotOffset_;
  int32_t lastOriginal_;  // the last index before anything was appended
  CEditPoint point_;
  bool hasPoint_;
  CAutomationChannel channel_;
  CAutomationEventArray removed_;  // RemoveRange's output, unused
  std::vector<OldEvents> oldEvents_;
  std::vector<int32_t> pathsDone_;
};

void CRangedErase::ErasePath(int32_t path) {
  // Every path is searched over the whole original array, so a list in any order works;
  // a path named twice would otherwise be appended twice.
  if (std::find(pathsDone_.begin(), pathsDone_.end(), path) != pathsDone_.end()) return;
  pathsDone_.push_back(path);
  int32_t pathFirst = 0;
  int32_t latestTime = 0;
  const int32_t pathLast = FindPathEvents(array_, path, 0, lastOriginal_, pathFirst, latestTime);
  if (pathLast < 0) return;
  const int32_t group = map_.GetGroup(path);
  int32_t i = pathFirst;
  while (i <= pathLast) {
    const int32_t proc = array_[i].Proc;
    const int32_t control = array_[i].Control;
    if (array_.Filter.IsProcControlInFilter(proc, control) == 0) {
      const int32_t channelLast = FindChannelIndex(array_, path, proc, control, i, pathLast);
      if (channelLast < 0) return;
      i = channelLast + 1;
      continue;
    }
    channel_.Setup(group, path, proc, control, highBase_, latestTime, slotOffset_);
    int32_t channelFirst = 0;
    if (!FindChannelEvents(array_, i, pathLast, path, proc, control, channel_, channelFirst)) {
      return;
    }
    oldEvents_.push_back({channelFirst, channel_.GetSize()});
    i = channelFirst + channel_.GetSize();
    EraseChannel();
    array_.Append(channel_);
  }
}

void CRangedErase::EraseChannel() {
  // Time 0 holds the channel's starting value and is never erased.
  const int32_t from = channel_.AlignTime(std::max(array_.Filter.StartTime, 1));
  const int32_t to = channel_.AlignTime(array_.Filter.EndTime);
  channel_.RemoveRange(removed_, from, to, false);
  if (hasPoint_) channel_.ApplyEditPoint(point_);
}

void CRangedErase::RemoveOldEvents() {
  std::sort(oldEvents_.begin(), oldEvents_.end(),
            [](const OldEvents& a, const OldEvents& b) { return a.first < b.first; });
  CAutomationEvent* events = array_.GetData();
  int32_t write = 0;
  int32_t read = 0;
  const auto keep = [&](int32_t end) {  // the ranges are disjoint: end >= read
    if (write != read) {
      std::memmove(static_cast<void*>(events + write), events + read,
                   sizeof(CAutomationEvent) * static_cast<size_t>(end - read));
    }
    write += end - read;
  };
  for (const OldEvents& old : oldEvents_) {
    keep(old.first);
    read = old.first + old.count;
  }
  keep(array_.GetSize());
  array_.SetSize(write);
}

}  // namespace

void CAutomationEventArray::EraseChannelData(int16_t rampStep, int16_t rampLength,
                                             TimeDirection direction, int32_t highBase,
                                             const CPathMap& map) {
  if (GetSize() == 0) return;
  RemoveSameTimeDuplicates(*this);
  const int32_t slotOffset = SlotOffset(*this);
  Sort(SortByPathControl);
  CEditPointList points;
  points.AddEditPoint(direction, Filter.EndTime, rampLength, rampStep);

  CRangedErase erase(*this, highBase, map, slotOffset, points);
  const int32_t pathCount = Filter.Paths.GetSize();
  for (int32_t i = 0; i < pathCount; ++i) {
    const int32_t path = Filter.Paths[i];
    if (StatusWnd != nullptr) {
      PostEventNotification(kErasePathCode, path + 1);
      PostEventNotification(kEraseProgressCode,
                            static_cast<int32_t>(int64_t{i} * 100 / std::max(pathCount, 1)));
    }
    erase.ErasePath(path);
  }
  erase.RemoveOldEvents();
  Sort(SortByTime);
}
