// Thinning of CAutomationEventArray: drops the least significant events of dense automation
// inside the edit range, on the selected paths and controls.
//
// The range events are visited once, in channel order. Each selected, thinnable event after
// time 0 is an anchor: the fader threshold pass drops its followers that stay within the
// threshold of it while the run keeps its direction, and the window pass drops one event
// of the W that follow on from there when they lie within a frame per step:
//
//   W = 3, one channel written every time unit (a steady ramp), range t1..t12:
//   before  t1 t2 t3 | t4 t5 t6 | t7 t8 t9 | t10 t11 t12
//   after   t1    t3 | t4    t6 | t7    t9 | t10 t11 t12    (the last W events stay)
//
// Kept events are appended to a temporary buffer behind the events outside the range;
// dropped ones are never copied, and the whole array is sorted by time once at the end.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "commonobjects/console/ControlModel.h"
#include "commonobjects/editing/SameTimeDuplicates.h"
#include "commonobjects/editing/Thinning.h"
#include "commonobjects/eventstore/AutomationEventArray.h"
#include "commonobjects/eventstore/Notifications.h"

namespace {

using EventBuffer = CGrowableArray<CAutomationEvent>;

constexpr uint32_t kProgressCode = 33;  // param: percentage of the range visited
constexpr uint32_t kRemovedCode = 34;   // param: events removed so far
constexpr int32_t kFlaggedPaths = 2000;
constexpr int32_t kTemporaryGrowBy = 1000;
constexpr int64_t kFrame = 4;  // time units per frame; the k-th follower lies within k frames
constexpr int32_t kThresholdPostDivisor = 10;  // counts from 100 on post when divisible by count/10
constexpr int32_t kWindowPostDivisor = 100;    // ... by count/100 in the window pass

// Every count below 100 is reported, then only counts divisible by count / divisor (the
// integer quotient equals the floor of count * 0.1 or count * 0.01 for every count).
void PostRemoved(int32_t removed, int32_t divisor) {
  if (removed < 100 || removed % (removed / divisor) == 0) {
    PostEventNotification(kRemovedCode, removed);
  }
}

// Moves the events before the range and after it, in that order, into a new buffer
// (grow-by 1000); the array keeps only the range events, from the first event at or after
// StartTime to the first at or after EndTime, both inclusive. An end index before the start
// index (EndTime before StartTime, or EndTime -1, which finds index 0) makes the range
// empty, and every event then stays once, outside it.
EventBuffer TakeOutsideEvents(CAutomationEventArray& array) {
  const int32_t size = array.GetSize();
  int32_t first = 0;
  int32_t last = -1;
  if (size > 0) {
    first = array.GetAtTime(array.Filter.StartTime, 0);
    last = array.GetAtTime(array.Filter.EndTime, 0);
  }
  const int32_t after = std::max(first, last + 1);
  const int32_t rangeCount = after - first;
  EventBuffer outside;
  outside.SetSize(size - rangeCount, kTemporaryGrowBy);
  CAutomationEvent* events = array.GetData();
  if (first > 0) std::memcpy(outside.GetData(), events, sizeof(CAutomationEvent) * first);
  if (after < size) {
    std::memcpy(outside.GetData() + first, events + after,
                sizeof(CAutomationEvent) * static_cast<size_t>(size - after));
  }
  if (first > 0 && rangeCount > 0) {
    std::memmove(events, events + first, sizeof(CAutomationEvent) * rangeCount);
  }
  array.SetSize(rangeCount);
  return outside;
}

struct ThinningSettings {
  int32_t windowSize;  // W; 0: no window pass
  int32_t threshold;   // 0: no threshold pass
  int32_t highBase;
  bool smallConsole;   // small consoles select by path alone
};

// One pass over the range events (in channel order) appending the kept ones to `kept`.
class CRangeThinner {
 public:
  CRangeThinner(const CAutomationEventArray& range, const ThinningSettings& settings,
                int32_t& removed, EventBuffer& kept)
      : events_(range.GetData()), count_(range.GetSize()), filter_(range.Filter),
        settings_(settings), removed_(removed), kept_(kept) {
    // Selected paths past the flag table (or negative) select nothing.
    for (int32_t i = 0; i < filter_.Paths.GetSize(); ++i) {
      const int32_t path = filter_.Paths[i];
      if (path >= 0 && path < kFlaggedPaths) pathFlags_[path] = true;
    }
  }

  void Run() {
    const int32_t progressStep = count_ / 100 + 1;
    for (int32_t i = 0; i < count_; ++i) {
      if (i % progressStep == 0) {
        PostEventNotification(kProgressCode, static_cast<int32_t>(int64_t{i} * 100 / count_));
      }
      const CAutomationEvent& anchor = events_[i];
      kept_.Add(anchor);
      if (anchor.Time <= 0 || !IsSelected(anchor)) continue;
      if (!IsThinnableControl(anchor, settings_.highBase)) continue;
      if (settings_.threshold != 0 && IsThresholdFaderControl(anchor)) {
        i = ThresholdPass(i, anchor);
      }
      if (settings_.windowSize != 0 && i < count_ - settings_.windowSize) i = WindowPass(i);
    }
  }

 private:
  bool IsSelected(const CAutomationEvent& e) const {
    if (e.Path < 0 || e.Path >= kFlaggedPaths || !pathFlags_[e.Path]) return false;
    return settings_.smallConsole || filter_.IsProcControlInFilter(e.Proc, e.Control) != 0;
  }

  // Drops the followers of event i that stay within the threshold of the anchor while the
  // run from event i keeps one direction; returns the index of the last event dropped (or
  // i). The last three range events are never dropped here.
  int32_t ThresholdPass(int32_t i, const CAutomationEvent& anchor) {
    while (i < count_ - 3) {
      const int32_t distance = std::abs(anchor.Value - events_[i + 1].Value);
      if (distance > settings_.threshold || !IsMonotonicRun(events_ + i, 3)) break;
      ++i;
      ++removed_;
      PostRemoved(removed_, kThresholdPostDivisor);
    }
    return i;
  }

  // The window of event i and its W - 1 followers (i < count_ - W, so all exist): when every
  // follower is of its channel within k frames, drops the one with the smallest step from
  // its predecessor (the later on a tie; never the last, and only inside a monotonic run),
  // keeps the others and returns the window's last index; otherwise returns i.
  int32_t WindowPass(int32_t i) {
    const int32_t w = settings_.windowSize;
    const CAutomationEvent& first = events_[i];
    int32_t base = std::abs(events_[i + 1].Value - first.Value);
    int32_t best = 0;  // 0: none yet (followers count from 1)
    int32_t count = 0;
    for (int32_t k = 1; k < w; ++k) {
      const CAutomationEvent& follower = events_[i + k];
      if (!SameChannelWithin(follower, first, static_cast<int32_t>(kFrame * k))) break;
      const int32_t step = std::abs(follower.Value - events_[i + k - 1].Value);
      if (step <= base && k < w - 1 && IsMonotonicRun(events_ + i + k - 1, 3)) {
        best = k;
        base = step;
      }
      ++count;
    }
    if (count != w - 1 || best == 0) return i;
    // The whole window within its count of frames (the per-follower test already implies it).
    if (int64_t{events_[i + count].Time} - first.Time > kFrame * count) return i;
    for (int32_t k = 1; k < w; ++k) {
      if (k != best) kept_.Add(events_[i + k]);
    }
    ++removed_;
    PostRemoved(removed_, kWindowPostDivisor);
    return i + w - 1;
  }

  const CAutomationEvent* events_;
  int32_t count_;
  const CEventFilter& filter_;
  ThinningSettings settings_;
  std::array<bool, kFlaggedPaths> pathFlags_{};
  int32_t& removed_;
  EventBuffer& kept_;
};

}  // namespace

int32_t CAutomationEventArray::ThinAutoData(int32_t highBase, const CPathMap& map,
                                            int32_t windowLevel, int32_t threshold) {
  int32_t removed = RemoveSameTimeDuplicates(*this);
  const int32_t windowSize = Thinning::WindowSize(windowLevel);
  if (windowSize < 0) return 0;

  EventBuffer kept = TakeOutsideEvents(*this);
  Sort(SortByPathControl);
  PostEventNotification(kProgressCode, 0);
  PostEventNotification(kRemovedCode, removed);
  if (GetSize() - windowSize > 0) {
    const ThinningSettings settings{windowSize, threshold, highBase,
                                    CControlModel::ForCurrentConsole().IsSmallConsole()};
    CRangeThinner(*this, settings, removed, kept).Run();
  } else {
    kept.Append(*this);  // too few range events: every one is kept
  }

  // The array takes the temporary buffer's events but keeps its own grow-by.
  const int32_t growBy = GetGrowBy();
  static_cast<EventBuffer&>(*this) = std::move(kept);
  SetSize(GetSize(), growBy);
  Sort(SortByTime);
  SetOldValues(highBase, map);
  PostEventNotification(kRemovedCode, removed);
  return removed;
}
