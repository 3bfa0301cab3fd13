// Storage, insertion, search and sort of CAutomationEventArray.
//
// Both searches are the recorder's own binary search: lo = 0, hi = size, and it stops when
// the midpoint repeats. Hosts and files depend on the exact index it lands on, so it is
// kept step for step, and so is the walk after it: GetAtTime(time, after != 0) looks at
// each event at or before `time` in turn (FirstLaterFrom), never jumping by a search that
// would take the array to be in time order.
#include "commonobjects/eventstore/AutomationEventArray.h"

#include "commonobjects/eventstore/internal/EventSort.h"
#include "commonobjects/eventstore/Notifications.h"
#include "commonobjects/settings/RegistryAccess.h"
#include "commonobjects/settings/SharedNames.h"

namespace {

constexpr char kCardLinkTypeName[] = "CardLinkType";
constexpr int32_t kCardLinkType4 = 4;
constexpr uint32_t kSortCode = 31;

bool ReadCardLinkIsType4() {
  CRegistryAccess registry;
  registry.SetRoot(HKEY_LOCAL_MACHINE);
  int32_t type = 0;
  registry.ReadNumber(SharedNames::kConsoleServerKey, kCardLinkTypeName, type, 0);
  return type == kCardLinkType4;
}

inline void FetchAhead(const CAutomationEvent* event) {
#if defined(__GNUC__)
  __builtin_prefetch(event);
#else
  static_cast<void>(event);
#endif
}

// The recorder's binary search over [0, n), n > 0: moves lo up while `below(event[mid])`,
// else hi down, until the midpoint repeats; returns the last midpoint.
// Both midpoints that can come next are fetched ahead, so that a search through a large
// array waits for memory about once per two steps instead of once per step.
template <typename Below>
int32_t LastMidpoint(const CAutomationEvent* events, int32_t n, Below below) {
  int32_t lo = 0;
  int32_t hi = n;
  int32_t previous = -1;
  for (;;) {
    const int32_t mid = lo + (hi - lo) / 2;  // (lo + hi) / 2 without overflow; both >= 0
    if (mid == previous) return mid;
    FetchAhead(events + (lo + (mid - lo) / 2));
    FetchAhead(events + (mid + (hi - mid) / 2));
    if (below(events[mid])) {
      lo = mid;
    } else {
      hi = mid;
    }
    previous = mid;
  }
}

// From i, the first index whose time is later than `time`, or n when there is none: the
// event-by-event walk, exactly. Every event from i on is looked at in order, so the answer
// does not depend on the array being in time order (it is not, between the steps of a
// merge). Blocks of eight are tested with no branch per event (unrolled: GCC leaves the
// inner loop rolled otherwise, at about 1.4 times the cost), and the block holding the
// later event is then walked one event at a time.
int32_t FirstLaterFrom(const CAutomationEvent* events, int32_t n, int32_t i, int32_t time) {
  constexpr int32_t kBlock = 8;
  for (; i <= n - kBlock; i += kBlock) {
    bool later = false;
#pragma GCC unroll 8
    for (int32_t k = 0; k < kBlock; ++k) later |= events[i + k].Time > time;
    if (later) break;
  }
  while (i < n && events[i].Time <= time) ++i;
  return i;
}

// The time-0 event of e's channel among the leading events at or before time 0, or -1.
int32_t FindTimeZeroTwin(const CAutomationEvent* events, int32_t n, const CAutomationEvent& e) {
  for (int32_t i = 0; i < n && events[i].Time <= 0; ++i) {
    if (events[i].Time == 0 && events[i].SameChannel(e)) return i;
  }
  return -1;
}

}  // namespace

CAutomationEventArray::CAutomationEventArray() : CardLinkIsType4(ReadCardLinkIsType4()) {
  RecordSize = GetMaxPathsMode() == 0 ? 12 : 16;
}

CAutomationEventArray::~CAutomationEventArray() = default;

int32_t CAutomationEventArray::AddAtTime(const CAutomationEvent& e) {
  const int32_t n = GetSize();
  const int32_t t = e.Time;
  if (n == 0 || t >= ElementAt(n - 1).Time) return Add(e);

  const CAutomationEvent* events = GetData();
  if (t == 0) {
    const int32_t twin = FindTimeZeroTwin(events, n, e);
    if (twin >= 0) {
      SetAt(twin, e);
      return twin;
    }
  }
  int32_t i = LastMidpoint(events, n, [t](const CAutomationEvent& x) { return x.Time <= t; });
  while (events[i].Time <= t) ++i;  // stops: the last event is later than t
  InsertAt(i, e);
  return i;
}

int32_t CAutomationEventArray::GetAtTime(int32_t time, int after) const {
  if (time == -1) return 0;
  const int32_t n = GetSize();
  if (n == 0) return -1;

  const CAutomationEvent* events = GetData();
  int32_t i = LastMidpoint(events, n, [time](const CAutomationEvent& x) { return x.Time < time; });
  while (events[i].Time < time && i < n - 1) ++i;
  if (after == 0 || events[i].Time > time) return i;
  const int32_t later = FirstLaterFrom(events, n, i, time);
  return later < n ? later : n - 1;
}

void CAutomationEventArray::Sort(SortMode mode) {
  using commonobjects::eventstore::EventOrder;
  if (StatusWnd != nullptr) PostEventNotification(kSortCode, 0);
  switch (mode) {
    case SortByTime:
      commonobjects::eventstore::SortEvents(GetData(), GetSize(), EventOrder::TimePathProcControl);
      break;
    case SortByPathControl:
      commonobjects::eventstore::SortEvents(GetData(), GetSize(), EventOrder::PathProcControlTime);
      break;
    case SortByPathTime:
      commonobjects::eventstore::SortEvents(GetData(), GetSize(), EventOrder::PathTimeProcControl);
      break;
    default: break;  // an unknown order leaves the events as they are
  }
}

void CAutomationEventArray::DebugMe() const {
  for (const CAutomationEvent& e : *this) e.DebugMe();
}
