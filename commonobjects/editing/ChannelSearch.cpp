// Bisection searches over an array in channel order (Path, then Proc and Control as unsigned
// 8-bit numbers, then Time). Every search is logarithmic in the range it is given, except
// that FindPathEvents visits each of the path's channels once (one bisection per channel)
// and FindChannelEvents copies the channel it finds.
#include "commonobjects/editing/ChannelSearch.h"

#include <algorithm>
#include <cstdint>

#include "commonobjects/editing/AutomationChannel.h"
#include "commonobjects/eventstore/AutomationEventArray.h"
#include "commonobjects/eventstore/Notifications.h"

namespace {

constexpr uint32_t kRunCopyCode = 1;      // param: the index being copied
constexpr int32_t kRunCopyInterval = 500;  // posted at every index divisible by this

// A channel's place in channel order. Wider than the event's fields, so a Proc or Control
// outside 0..255 sorts after (or before) every event and simply matches none.
struct ChannelKey {
  int64_t path;
  int64_t proc;
  int64_t control;
};

// -1, 0, 1 as the event's channel sorts before, with, or after the key.
int CompareChannel(const CAutomationEvent& e, const ChannelKey& key) {
  if (e.Path != key.path) return e.Path < key.path ? -1 : 1;
  if (e.Proc != key.proc) return e.Proc < key.proc ? -1 : 1;
  if (e.Control != key.control) return e.Control < key.control ? -1 : 1;
  return 0;
}

// [first, last] clipped to the array; empty (last < first) when nothing of it exists.
void ClipRange(const CAutomationEventArray& array, int32_t& first, int32_t& last) {
  first = std::max(first, 0);
  last = std::min(last, array.GetSize() - 1);
}

// The first index in [first, last + 1) whose channel does not sort before the key.
int32_t LowerBound(const CAutomationEventArray& array, int32_t first, int32_t last,
                   const ChannelKey& key) {
  const CAutomationEvent* events = array.GetData();
  const auto before = [&key](const CAutomationEvent& e) { return CompareChannel(e, key) < 0; };
  const CAutomationEvent* found = std::partition_point(events + first, events + last + 1, before);
  return static_cast<int32_t>(found - events);
}

// The first index in [first, last + 1) whose channel sorts after the key.
int32_t UpperBound(const CAutomationEventArray& array, int32_t first, int32_t last,
                   const ChannelKey& key) {
  const CAutomationEvent* events = array.GetData();
  const auto notAfter = [&key](const CAutomationEvent& e) { return CompareChannel(e, key) <= 0; };
  const CAutomationEvent* found = std::partition_point(events + first, events + last + 1, notAfter);
  return static_cast<int32_t>(found - events);
}

// Replaces the channel's events by events [first, end) of the array, keeping its buffer.
void RefillChannel(CAutomationChannel& channel, const CAutomationEventArray& array,
                   int32_t first, int32_t end) {
  channel.RemoveAt(0, channel.GetSize());
  channel.SetSize(end - first);
  std::copy(array.GetData() + first, array.GetData() + end, channel.GetData());
}

}  // namespace

int32_t FindLastEventOfPath(const CAutomationEventArray& array, int32_t path, int32_t first,
                            int32_t last) {
  ClipRange(array, first, last);
  if (last < first) return -1;
  const CAutomationEvent* events = array.GetData();
  const CAutomationEvent* after = std::partition_point(
      events + first, events + last + 1,
      [path](const CAutomationEvent& e) { return e.Path <= path; });
  if (after == events + first || (after - 1)->Path != path) return -1;
  return static_cast<int32_t>(after - 1 - events);
}

int32_t FindPathEvents(const CAutomationEventArray& array, int32_t path, int32_t first,
                       int32_t last, int32_t& pathFirst, int32_t& latestTime) {
  pathFirst = -1;
  latestTime = -1;
  const int32_t pathLast = FindLastEventOfPath(array, path, first, last);
  if (pathLast < 0) return -1;
  ClipRange(array, first, last);
  const CAutomationEvent* events = array.GetData();
  pathFirst = static_cast<int32_t>(
      std::partition_point(events + first, events + pathLast + 1,
                           [path](const CAutomationEvent& e) { return e.Path < path; }) -
      events);
  // Each channel is in time order, so its last event holds its latest time.
  latestTime = events[pathFirst].Time;
  for (int32_t i = pathFirst; i <= pathLast;) {
    const ChannelKey key{path, events[i].Proc, events[i].Control};
    const int32_t channelLast = UpperBound(array, i, pathLast, key) - 1;
    latestTime = std::max(latestTime, events[channelLast].Time);
    i = channelLast + 1;
  }
  return pathLast;
}

int32_t FindChannelIndex(const CAutomationEventArray& array, int32_t path, int32_t proc,
                         int32_t control, int32_t first, int32_t last) {
  ClipRange(array, first, last);
  if (last < first) return -1;
  const ChannelKey key{path, proc, control};
  const int32_t after = UpperBound(array, first, last, key);
  if (after == first || CompareChannel(array[after - 1], key) != 0) return -1;
  return after - 1;
}

bool FindChannelEvents(const CAutomationEventArray& array, int32_t first, int32_t last,
                       int32_t path, int32_t proc, int32_t control, CAutomationChannel& channel,
                       int32_t& channelFirst) {
  channelFirst = -1;
  channel.RemoveAt(0, channel.GetSize());
  ClipRange(array, first, last);
  if (last < first) return false;
  const ChannelKey key{path, proc, control};
  const int32_t begin = LowerBound(array, first, last, key);
  if (begin > last || CompareChannel(array[begin], key) != 0) return false;
  const int32_t end = UpperBound(array, begin, last, key);
  // The host's run-copy progress, reported whether or not a status window is set.
  const int64_t firstPost =
      (int64_t{begin} + kRunCopyInterval - 1) / kRunCopyInterval * kRunCopyInterval;
  for (int64_t index = firstPost; index < end; index += kRunCopyInterval) {
    PostEventNotification(kRunCopyCode, static_cast<int32_t>(index));
  }
  RefillChannel(channel, array, begin, end);
  channelFirst = begin;
  return true;
}
