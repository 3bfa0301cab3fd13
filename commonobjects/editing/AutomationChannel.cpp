// One channel's automation: range copies and removals, shifted pastes, and the steps and ramps
// that join a channel at an edit point.
#include "commonobjects/editing/AutomationChannel.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "commonobjects/console/ControlModel.h"
#include "commonobjects/console/DefaultConsoleState.h"
#include "commonobjects/console/SlotAlignment.h"

namespace {

constexpr int32_t kFrame = 4;  // time units per frame: the spacing of ramp events per step
constexpr int32_t kCopyGrowBy = 1024;

int32_t ClampTime(int64_t time) {
  return static_cast<int32_t>(std::clamp<int64_t>(time, INT32_MIN, INT32_MAX));
}

// Index of the first event at or after time (the size when every event is earlier).
int32_t FirstAtOrAfter(const CAutomationEventArray& events, int32_t time) {
  const auto it = std::lower_bound(
      events.begin(), events.end(), time,
      [](const CAutomationEvent& e, int32_t t) { return e.Time < t; });
  return static_cast<int32_t>(it - events.begin());
}

// Index of the first event later than time (the size when there is none).
int32_t FirstAfter(const CAutomationEventArray& events, int32_t time) {
  const auto it = std::upper_bound(
      events.begin(), events.end(), time,
      [](int32_t t, const CAutomationEvent& e) { return t < e.Time; });
  return static_cast<int32_t>(it - events.begin());
}

// The event that holds the channel's value at a time whose search stopped at `first`: the
// last event before it, or the first event when none is earlier.
int32_t ValueHolderIndex(int32_t first) { return first > 0 ? first - 1 : 0; }

void AppendEvents(CAutomationEventArray& target, const CAutomationEvent* from, int32_t count) {
  if (count <= 0) return;
  const int32_t first = target.GetSize();
  target.SetSize(first + count);
  std::copy(from, from + count, target.GetData() + first);
}

void InsertEvents(CAutomationEventArray& events, int32_t at,
                  const std::vector<CAutomationEvent>& inserted) {
  if (inserted.empty()) return;
  const auto count = static_cast<int32_t>(inserted.size());
  events.InsertAt(at, CAutomationEvent{}, count);
  std::copy(inserted.begin(), inserted.end(), events.GetData() + at);
}

}  // namespace

void CAutomationChannel::Setup(int32_t group, int32_t path, int32_t proc, int32_t control,
                               int32_t base, int32_t pathEndTime, int32_t slotOffset) {
  ChannelPath = path;
  ChannelProc = proc;
  ChannelControl = control;
  HighBase = base;
  PathEndTime = pathEndTime;
  SlotOffsetValue = slotOffset;

  const CControlModel model = CControlModel::ForCurrentConsole();
  if (model.IsLowRangeControl(proc, control)) {
    const int32_t at = proc * CControlModel::kControlsPerProc + control;
    const int32_t variant = model.GetDefaultVariant();
    const bool knownGroup = group >= 0 && group < DefaultConsoleState::kGroups;
    if (model.IsSmallConsole()) {
      DefaultValue = DefaultConsoleState::SmallTable()[at];
    } else if (variant != CControlModel::kNoVariant) {
      DefaultValue = DefaultConsoleState::LowTable(variant, knownGroup ? group : 0)[at];
    } else {
      DefaultValue = 0;  // a console type without a default state starts every channel at 0
    }
  } else if (model.IsHighRangeControl(proc, control, base)) {
    const int32_t at = (proc - base) * CControlModel::kControlsPerHighProc + control;
    DefaultValue = DefaultConsoleState::HighTable()[at];
  }
}

int32_t CAutomationChannel::AlignTime(int32_t time, bool mayMoveBack) const {
  return AlignTimeToSlot(SlotOffsetValue, ChannelPath, time, mayMoveBack);
}

int32_t CAutomationChannel::FindIndexAtTime(int32_t time) const { return GetAtTime(time, 0); }

void CAutomationChannel::CopyRange(CAutomationEventArray& target, int32_t t1, int32_t t2,
                                   bool append) const {
  if (!append) target.SetSize(0, kCopyGrowBy);
  const int32_t n = GetSize();
  if (n == 0) return;
  const int32_t end = t2 == -1 ? (*this)[n - 1].Time : t2;
  const int32_t lo = FirstAtOrAfter(*this, t1);
  const int32_t hi = std::max(lo, FirstAtOrAfter(*this, end));
  if (lo < hi) {
    AppendEvents(target, GetData() + lo, hi - lo);
    return;
  }
  CAutomationEvent held = (*this)[ValueHolderIndex(lo)];
  held.Time = t1;
  held.OldValue = held.Value;
  target.Add(held);
}

int32_t CAutomationChannel::RemoveRange(CAutomationEventArray& out, int32_t t1, int32_t t2,
                                        bool copy) {
  out.SetSize(0);
  const int32_t n = GetSize();
  if (n == 0) return -1;
  const int32_t lo = FirstAtOrAfter(*this, t1);
  const int32_t hi = std::max(lo, FirstAtOrAfter(*this, t2));
  if (lo == hi) {
    if (copy) {
      CAutomationEvent held = (*this)[ValueHolderIndex(lo)];
      held.Time = t1;
      out.Add(held);
    }
    return lo;
  }
  // A channel whose path goes on after the range must not lose its value there: its last
  // event survives one frame after the range.
  const int32_t alignedEnd = AlignTime(t2);
  const bool keepLast = hi == n && alignedEnd < PathEndTime;
  const int32_t removed = keepLast ? hi - 1 - lo : hi - lo;
  if (copy) AppendEvents(out, GetData() + lo, removed);
  if (keepLast) {
    CAutomationEvent kept = (*this)[hi - 1];
    kept.Time = ClampTime(static_cast<int64_t>(alignedEnd) + kFrame);
    (*this)[lo] = kept;
    RemoveAt(lo + 1, removed);
  } else {
    RemoveAt(lo, removed);
  }
  return lo;
}

void CAutomationChannel::PasteShifted(const CAutomationChannel& a, int32_t from, int32_t to) {
  if (a.IsEmpty()) return;
  if (a.GetSize() == 1 && IsEmpty() && a[0].OldValue == a[0].Value &&
      a[0].Value == DefaultValue) {
    return;  // it would only restate the default this empty channel already has
  }
  const int64_t shift = static_cast<int64_t>(to) - from;
  const int32_t first = GetSize();
  AppendEvents(*this, a.GetData(), a.GetSize());
  for (int32_t i = first; i < GetSize(); ++i) {
    CAutomationEvent& e = (*this)[i];
    if (e.Time != 0) e.Time = AlignTime(ClampTime(e.Time + shift));
    e.Path = ChannelPath;
  }
  (*this)[0].OldValue = DefaultValue;
  std::stable_sort(begin(), end(), [](const CAutomationEvent& x, const CAutomationEvent& y) {
    return x.Time < y.Time;
  });
}

bool CAutomationChannel::FindValuesAround(int32_t t, int32_t& index, int16_t& before,
                                          int16_t& after) {
  const int32_t n = GetSize();
  if (n < 2) return false;
  const int32_t i = FirstAtOrAfter(*this, t);
  if (i == n) return false;
  index = i;
  before = i == 0 ? DefaultValue : (*this)[i - 1].Value;
  const CAutomationEvent& e = (*this)[i];
  if (e.OldValue != before) {
    after = e.Time == t ? e.Value : e.OldValue;
    return true;
  }
  if (e.Value == before) {
    RemoveAt(i);  // joins nothing to nothing
    return false;
  }
  // e already continues from before; only a later event at the same time can break the
  // chain, and then the channel is to reach e's own value.
  if (i + 1 < n && (*this)[i + 1].Time == e.Time) {
    after = e.Value;
    return true;
  }
  return false;
}

void CAutomationChannel::ApplyEditPoint(const CEditPoint& point) {
  const int32_t t = AlignTime(point.Time);
  int32_t i = 0;
  int16_t before = 0;
  int16_t after = 0;
  if (!FindValuesAround(t, i, before, after)) return;
  const bool ramps = point.RampLength > 0 &&
                     (point.Direction == RampFromPoint || point.Direction == RampToPoint) &&
                     IsSlotAlignedControl(ChannelProc, ChannelControl, HighBase);
  if (ramps && point.Direction == RampFromPoint) {
    const int32_t last =
        FirstAfter(*this, ClampTime(static_cast<int64_t>(t) + point.RampLength)) - 1;
    if (last >= 0) {
      MakeRamp(t, RampFromPoint, before, (*this)[last].Value, point.RampStep, point.RampLength);
    }
  } else if (ramps) {
    const int64_t rampStart = static_cast<int64_t>(t) - point.RampLength;
    int32_t j = i;
    while (j >= 0 && (*this)[j].Time >= rampStart) --j;
    const int16_t start = (*this)[j >= 0 ? j : 0].Value;
    MakeRamp(t, RampToPoint, start, after, point.RampStep, point.RampLength);
  } else if ((*this)[i].Time != t) {
    InsertAt(i, MakeEvent(t, after, before));
  } else if ((*this)[i].Value == before) {
    RemoveAt(i);
  } else {
    (*this)[i].OldValue = before;
  }
  if (GetSize() == 2 && (*this)[1].OldValue == (*this)[1].Value) RemoveAt(1);
}

void CAutomationChannel::MakeRamp(int32_t t, TimeDirection direction, int16_t start,
                                  int16_t end, int16_t step, int16_t length) {
  if (IsEmpty() || length <= 0) return;
  if (direction != RampFromPoint && direction != RampToPoint) return;
  int32_t rampStart = t;
  int32_t n = length;
  if (direction == RampToPoint) {
    const int64_t from = static_cast<int64_t>(t) - length;
    if (from < 0) {
      if (t <= 0) return;
      n = t;  // a ramp never starts before time 0
    }
    rampStart = static_cast<int32_t>(std::max<int64_t>(from, 0));
  }
  const int64_t t0 = AlignTime(rampStart, true);
  const int64_t delta = static_cast<int64_t>(end) - start;
  // A step below 1 would never end the ramp: it counts as 1.
  const int64_t spacing = static_cast<int64_t>(kFrame) * std::max<int16_t>(step, 1);
  std::vector<CAutomationEvent> ramp;
  int16_t previous = start;
  for (int64_t k = 0; k < n - kFrame; k += spacing) {
    const auto value = static_cast<int16_t>(start + delta * k / n);
    if (value == previous) continue;
    ramp.push_back(MakeEvent(ClampTime(t0 + k), value, previous));
    previous = value;
  }
  CAutomationEventArray removed;
  const int32_t rampEnd = ClampTime(static_cast<int64_t>(rampStart) + n);
  const int32_t at = RemoveRange(removed, rampStart, rampEnd, false);
  if (at >= 0 && at < GetSize()) (*this)[at].OldValue = previous;
  // Every ramp event lies inside the emptied range, so inserting them there keeps time order.
  InsertEvents(*this, std::clamp(at, 0, GetSize()), ramp);
  if (!IsEmpty() && (*this)[0].Time > 0 && (*this)[0].OldValue != DefaultValue) {
    InsertAt(0, MakeEvent(0, (*this)[0].OldValue, DefaultValue));
  }
}

CAutomationEvent CAutomationChannel::MakeEvent(int32_t time, int16_t value,
                                               int16_t oldValue) const {
  CAutomationEvent e;
  e.Path = ChannelPath;
  e.Proc = static_cast<uint8_t>(ChannelProc);
  e.Control = static_cast<uint8_t>(ChannelControl);
  e.Time = time;
  e.Value = value;
  e.OldValue = oldValue;
  e.Flags = 1;
  return e;
}
