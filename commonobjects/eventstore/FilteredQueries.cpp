// The filtered queries of CAutomationEventArray: count, copy all, and page through the events
// that a CEventFilter selects.
//
// An event matches when its Path is in the filter's Paths (or Paths is empty) and its
// (Proc, Control) pair is in ProcControls (or ProcControls is empty). Every query turns the
// two lists into bit sets once, so that the scan costs two table looks per event whatever
// the lists' lengths; the answer is the same as testing the lists entry by entry.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "commonobjects/eventstore/AutomationEventArray.h"

namespace {

// ---- Tests of one event against the selection ----

struct AnyPath {
  bool operator()(int32_t) const { return true; }
};

// Paths within 64K of each other: one bit per path from `base` on.
struct PathBits {
  const uint64_t* bits;
  int32_t base;
  uint32_t span;
  bool operator()(int32_t path) const {
    const uint32_t offset = static_cast<uint32_t>(path) - static_cast<uint32_t>(base);
    // Branch-free: an offset past the span reads the last word and is then masked out.
    const uint64_t word = bits[std::min(offset, span - 1) >> 6];
    return (offset < span) & static_cast<bool>((word >> (offset & 63)) & 1u);
  }
};

// Paths spread wider than a bit set should cover: a sorted list.
struct PathSorted {
  const int32_t* first;
  const int32_t* last;
  bool operator()(int32_t path) const { return std::binary_search(first, last, path); }
};

struct AnyPair {
  bool operator()(const CAutomationEvent&) const { return true; }
};

// One bit per possible ProcControls entry (low byte block, high byte control).
struct PairBits {
  const uint64_t* bits;
  bool operator()(const CAutomationEvent& e) const {
    const uint32_t key = static_cast<uint32_t>(e.Proc) | (static_cast<uint32_t>(e.Control) << 8);
    return (bits[key >> 6] >> (key & 63)) & 1u;
  }
};

template <typename PathTest, typename PairTest>
struct Match {
  PathTest path;
  PairTest pair;
  // Both tests are evaluated (no short circuit), so the scan has no data-dependent branch.
  bool operator()(const CAutomationEvent& e) const {
    return (static_cast<unsigned>(path(e.Path)) & static_cast<unsigned>(pair(e))) != 0;
  }
};

// The filter's Paths and ProcControls as bit sets, built once per query.
class CEventMatcher {
 public:
  explicit CEventMatcher(const CEventFilter& filter) {
    BuildPaths(filter.Paths);
    if (!filter.ProcControls.IsEmpty()) {
      pairBits_.assign(kPairWords, 0);
      for (uint16_t pair : filter.ProcControls) pairBits_[pair >> 6] |= uint64_t{1} << (pair & 63);
    }
  }

  // Calls f with the cheapest predicate that decides the selection, and returns its result.
  template <typename F>
  auto Apply(F&& f) const {
    switch (pathMode_) {
      case PathMode::kAll:
        return WithPairs(AnyPath{}, f);
      case PathMode::kBits:
        return WithPairs(PathBits{pathBits_.data(), pathBase_, pathSpan_}, f);
      default:
        return WithPairs(PathSorted{sortedPaths_.data(), sortedPaths_.data() + sortedPaths_.size()},
                         f);
    }
  }

 private:
  enum class PathMode { kAll, kBits, kSorted };
  static constexpr size_t kPairWords = 65536 / 64;
  static constexpr int64_t kMaxPathSpan = 65536;

  void BuildPaths(const CIntArray& paths) {
    if (paths.IsEmpty()) return;
    const auto [lo, hi] = std::minmax_element(paths.begin(), paths.end());
    const int64_t span = static_cast<int64_t>(*hi) - *lo + 1;
    if (span <= kMaxPathSpan) {
      pathMode_ = PathMode::kBits;
      pathBase_ = *lo;
      pathSpan_ = static_cast<uint32_t>(span);
      pathBits_.assign((pathSpan_ + 63) / 64, 0);
      for (int32_t path : paths) {
        const uint32_t offset = static_cast<uint32_t>(path) - static_cast<uint32_t>(pathBase_);
        pathBits_[offset >> 6] |= uint64_t{1} << (offset & 63);
      }
    } else {
      pathMode_ = PathMode::kSorted;
      sortedPaths_.assign(paths.begin(), paths.end());
      std::sort(sortedPaths_.begin(), sortedPaths_.end());
    }
  }

  template <typename PathTest, typename F>
  auto WithPairs(PathTest path, F& f) const {
    if (pairBits_.empty()) return f(Match<PathTest, AnyPair>{path, AnyPair{}});
    return f(Match<PathTest, PairBits>{path, PairBits{pairBits_.data()}});
  }

  PathMode pathMode_ = PathMode::kAll;
  int32_t pathBase_ = 0;
  uint32_t pathSpan_ = 0;
  std::vector<uint64_t> pathBits_;
  std::vector<int32_t> sortedPaths_;
  std::vector<uint64_t> pairBits_;  // empty: every pair
};

// ---- Scans ----

// What a scan examined: indices from its start up to `stop` (exclusive, in the scan's
// direction), `count` matches among them, the first of them at `firstMatch` (-1: none found,
// or not tracked).
struct ScanResult {
  int32_t stop;
  int32_t count;
  int32_t firstMatch;
};

// EndTime -1 becomes the last event's time, for good. The array is not empty.
void SettleEndTime(const CAutomationEventArray& events, CEventFilter& filter) {
  if (filter.EndTime == -1) filter.EndTime = events[events.GetSize() - 1].Time;
}

// Start index of a whole-range scan: the first event at or after StartTime, the last event
// when every one is earlier (it is still examined), 0 for StartTime -1.
int32_t BeginScan(const CAutomationEventArray& events, CEventFilter& filter) {
  SettleEndTime(events, filter);
  return events.GetAtTime(filter.StartTime, 0);
}

// Forward from `start` while events are not later than endTime; counts matches.
template <typename Pred>
ScanResult CountForward(const CAutomationEvent* ev, int32_t n, int32_t start, int32_t endTime,
                        const Pred& match) {
  int32_t count = 0;
  int32_t i = start;
  for (; i < n && ev[i].Time <= endTime; ++i) count += match(ev[i]);
  return {i, count, -1};
}

// Like CountForward, also writing the matching indices to indices[0, count). indices must
// hold n - start entries: the write at indices[count] always lands there, match or not.
template <typename Pred>
int32_t ListForward(const CAutomationEvent* ev, int32_t n, int32_t start, int32_t endTime,
                    const Pred& match, int32_t* indices) {
  int32_t count = 0;
  for (int32_t i = start; i < n && ev[i].Time <= endTime; ++i) {
    indices[count] = i;
    count += match(ev[i]);
  }
  return count;
}

// One page: from i, one step at a time (+1 or -1), while events are not later than endTime,
// until the end of the array or until the count reaches max; each match goes to `found` in
// scan order. The count is tested after each examined event, so at least one event is
// examined. An i outside the array examines nothing.
template <typename Pred>
ScanResult ScanPage(const CAutomationEvent* ev, int32_t n, int32_t i, int32_t step,
                    int32_t endTime, int32_t max, const Pred& match,
                    std::vector<CAutomationEvent>& found) {
  ScanResult r{i, 0, -1};
  if (i < 0 || i >= n) return r;
  while (ev[i].Time <= endTime) {
    if (match(ev[i])) {
      if (r.count == 0) r.firstMatch = i;
      found.push_back(ev[i]);
      ++r.count;
    }
    i += step;
    if (i >= n || i < 0 || r.count >= max) break;
  }
  r.stop = i;
  return r;
}

// Copies the matching events of indices [from, to) to dest, in index order.
template <typename Pred>
void CopyMatches(const CAutomationEvent* ev, int32_t from, int32_t to, const Pred& match,
                 CAutomationEvent* dest) {
  for (int32_t i = from; i < to; ++i) {
    if (match(ev[i])) *dest++ = ev[i];
  }
}

}  // namespace

uint32_t CAutomationEventArray::GetFilteredTotal(CEventFilter& filter, CIntArray* indices) const {
  const int32_t n = GetSize();
  if (n == 0) return 0;
  if (indices != nullptr) indices->SetSize(n);
  const int32_t start = BeginScan(*this, filter);
  const CEventMatcher matcher(filter);
  const CAutomationEvent* ev = GetData();
  const int32_t endTime = filter.EndTime;
  const int32_t count = matcher.Apply([&](const auto& match) {
    if (indices == nullptr) return CountForward(ev, n, start, endTime, match).count;
    return ListForward(ev, n, start, endTime, match, indices->GetData());
  });
  if (indices != nullptr) indices->SetSize(count);
  return static_cast<uint32_t>(count);
}

int32_t CAutomationEventArray::GetAllFilteredEvents(CEventFilter& filter,
                                                    CAutomationEventArray& out) const {
  out.RemoveAll();
  const int32_t n = GetSize();
  if (n == 0) return 0;
  const int32_t start = BeginScan(*this, filter);
  const CEventMatcher matcher(filter);
  const CAutomationEvent* ev = GetData();
  const int32_t endTime = filter.EndTime;
  // Count first and size out once: appending one by one regrows by at most 1024 events.
  return matcher.Apply([&](const auto& match) {
    const ScanResult r = CountForward(ev, n, start, endTime, match);
    if (r.count > 0) {
      out.SetSize(r.count);
      CopyMatches(ev, start, r.stop, match, out.GetData());
    }
    return r.count;
  });
}

int32_t CAutomationEventArray::GetFilteredEvents(CEventFilter& filter, int32_t max,
                                                 int32_t& first, int32_t& resume,
                                                 CAutomationEventArray& out, int forward) const {
  const int32_t n = GetSize();
  if (n == 0) return 0;
  if (!out.IsEmpty()) out.RemoveAll();
  int32_t start = resume;
  if (resume <= 0) start = GetAtTime(filter.StartTime, 0);
  SettleEndTime(*this, filter);

  const CEventMatcher matcher(filter);
  const CAutomationEvent* ev = GetData();
  const int32_t endTime = filter.EndTime;
  const int32_t step = forward ? 1 : -1;
  std::vector<CAutomationEvent> found;
  found.reserve(static_cast<size_t>(std::clamp(max, 1, 4096)));
  const ScanResult r = matcher.Apply([&](const auto& match) {
    return ScanPage(ev, n, start, step, endTime, max, match, found);
  });
  if (r.count > 0) {
    first = r.firstMatch;
    out.SetSize(r.count);
    // In index order either way; a backward page is then put in time order below.
    if (forward) {
      std::copy(found.begin(), found.end(), out.GetData());
    } else {
      std::reverse_copy(found.begin(), found.end(), out.GetData());
    }
  }
  resume = r.stop;
  if (!forward) {
    // Paging backward goes on from the lower end: hand it back in first.
    std::swap(first, resume);
    out.Sort(SortByTime);
  }
  return r.count;
}

int32_t CAutomationEventArray::GetFilteredEvents(CEventFilter& filter, int32_t max,
                                                 int32_t& resume, CAutomationEventArray& out,
                                                 int forward) const {
  // With no match a backward page hands back the resume position it was given.
  int32_t first = resume;
  return GetFilteredEvents(filter, max, first, resume, out, forward);
}
