// SortEvents: a radix sort over packed keys, one pass through memory by the top bits and
// then a least-significant-digit sort of each part while it sits in cache.
//
// 1. One pass finds each key's smallest and largest value (as an unsigned number that
//    orders as the key does) and whether the events are already in order (then done).
// 2. Each key shrinks to the bits that vary: key - smallest, bit_width(largest - smallest)
//    bits. Keys are packed, least significant first, into 64-bit groups; a key that does
//    not fit starts the next group. Packing keeps order because every packed key is below
//    2^width and a more significant key sits in higher bits (or a higher group).
// 3. The events are spread into a scratch copy by the top bits of the packed key (up to
//    256 parts, each of a size that sits in cache), keeping their order within a part.
// 4. Within a part, each event's lower key bits are tagged with its place in the part; the
//    tagged words get a least-significant-digit radix sort (stable 8-bit passes, a digit
//    with one value across the part skipped), and the events are copied back to the array
//    in the order of their words. Stable passes from the lowest digit up order the part by
//    its whole key, and the parts are in order of their top bits, so the array ends in the
//    key order of std::sort. Keys that need two groups, or parts too big for a tag, sort
//    their parts with std::sort instead.
// Typical mixes (times under 2^24, paths under 2000, blocks under 84, controls under 9)
// pack into one group of about 46 bits.
#include "commonobjects/eventstore/internal/EventSort.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstring>
#include <memory>
#include <new>
#include <utility>
#include <vector>

namespace commonobjects::eventstore {
namespace {

constexpr int kKeys = 4;
constexpr int kMaxSplitBits = 8;     // at most 256 parts
constexpr int kPartTargetBits = 16;  // parts of 2^15 to 2^16 events
constexpr int kDigitBits = 8;
constexpr uint32_t kDigitValues = 1u << kDigitBits;
constexpr int32_t kSmallCount = 512;  // below this std::sort is as quick
constexpr int32_t kSmallPart = 48;

using Keys = std::array<uint32_t, kKeys>;  // most significant first

// The keys of an event as unsigned numbers in the same order: signed keys get their sign
// bit flipped, which maps INT32_MIN..INT32_MAX onto 0..UINT32_MAX in order.
template <EventOrder Order>
Keys KeysOf(const CAutomationEvent& e) {
  const uint32_t time = static_cast<uint32_t>(e.Time) ^ 0x80000000u;
  const uint32_t path = static_cast<uint32_t>(e.Path) ^ 0x80000000u;
  if constexpr (Order == EventOrder::TimePathProcControl) {
    return {time, path, e.Proc, e.Control};
  } else if constexpr (Order == EventOrder::PathProcControlTime) {
    return {path, e.Proc, e.Control, time};
  } else {
    return {path, time, e.Proc, e.Control};
  }
}

struct KeyRange {
  Keys min;
  Keys max;
  bool sorted = true;  // already in key order
};

template <EventOrder Order>
KeyRange RangeOf(const CAutomationEvent* events, int32_t count) {
  KeyRange range;
  range.min = range.max = KeysOf<Order>(events[0]);
  const EventKeyLess<Order> less;
  bool sorted = true;
  for (int32_t i = 1; i < count; ++i) {
    const Keys keys = KeysOf<Order>(events[i]);
    for (int k = 0; k < kKeys; ++k) {
      range.min[k] = std::min(range.min[k], keys[k]);
      range.max[k] = std::max(range.max[k], keys[k]);
    }
    sorted = sorted && !less(events[i], events[i - 1]);
  }
  range.sorted = sorted;
  return range;
}

// Which keys a 64-bit group holds and where: (key - min[k]) & mask[k], shifted by shift[k].
// Keys outside the group have a mask of 0.
struct Group {
  Keys min{};
  std::array<uint64_t, kKeys> mask{};
  std::array<int, kKeys> shift{};
  int bits = 0;

  uint64_t ValueOf(const Keys& keys) const {
    uint64_t value = 0;
    for (int k = 0; k < kKeys; ++k) value |= ((keys[k] - min[k]) & mask[k]) << shift[k];
    return value;
  }
};

// Bits [shift, shift + width) of one group's value.
struct Digit {
  int group = 0;
  int shift = 0;
  uint64_t mask = 0;

  template <EventOrder Order>
  uint32_t Of(const CAutomationEvent& e, const Group* groups) const {
    return static_cast<uint32_t>((groups[group].ValueOf(KeysOf<Order>(e)) >> shift) & mask);
  }
};

// The packed key: its groups (least significant first), the top digit that splits the
// events into parts, and how many bits of the key lie below that digit.
struct Plan {
  std::vector<Group> groups;
  Digit split;
  int splitBits = 0;
  int lowerBits = 0;  // bits below the split digit; radix within parts needs one group

  // The key bits below the split digit (single-group keys only).
  template <EventOrder Order>
  uint64_t LowerKey(const CAutomationEvent& e) const {
    const uint64_t mask = lowerBits >= 64 ? ~uint64_t{0} : (uint64_t{1} << lowerBits) - 1;
    return groups[0].ValueOf(KeysOf<Order>(e)) & mask;
  }
};

Plan MakePlan(const KeyRange& range, int32_t count) {
  Plan plan;
  plan.groups.emplace_back();
  for (int k = kKeys - 1; k >= 0; --k) {
    const int width = std::bit_width(range.max[k] - range.min[k]);
    if (width == 0) continue;  // the same in every event: no bits needed
    if (plan.groups.back().bits + width > 64) plan.groups.emplace_back();
    Group& group = plan.groups.back();
    group.min[k] = range.min[k];
    group.mask[k] = 0xFFFFFFFFu;
    group.shift[k] = group.bits;
    group.bits += width;
  }
  const int top = static_cast<int>(plan.groups.size()) - 1;
  const int topBits = plan.groups[top].bits;
  const int wanted = std::bit_width(static_cast<uint32_t>(count)) - kPartTargetBits;
  plan.splitBits = std::clamp(wanted, 0, std::min(kMaxSplitBits, topBits));
  plan.lowerBits = topBits - plan.splitBits;
  // With no split bits every event is in the one part (shift 0 keeps the shift below 64).
  plan.split =
      Digit{top, plan.splitBits > 0 ? plan.lowerBits : 0, (uint64_t{1} << plan.splitBits) - 1};
  return plan;
}

// Stable spread of events by one digit; counts[v] events have digit value v.
template <EventOrder Order>
void SpreadByDigit(const CAutomationEvent* from, CAutomationEvent* to, int32_t count,
                   const Plan& plan, const std::vector<uint32_t>& counts) {
  std::vector<uint32_t> next(counts.size());
  uint32_t offset = 0;
  for (size_t v = 0; v < counts.size(); ++v) {
    next[v] = offset;
    offset += counts[v];
  }
  for (int32_t i = 0; i < count; ++i) {
    to[next[plan.split.Of<Order>(from[i], plan.groups.data())]++] = from[i];
  }
}

// Radix sort of words whose bits [low, 64) are the key and [0, low) carry an index:
// stable 8-bit passes over the key bits, least significant first, skipping a digit that has
// one value in every word. The result ends in `words`.
void SortTaggedWords(std::vector<uint64_t>& words, std::vector<uint64_t>& spare, int low,
                     int keyBits) {
  const size_t m = words.size();
  const int digits = (keyBits + kDigitBits - 1) / kDigitBits;
  std::vector<std::array<uint32_t, kDigitValues>> counts(static_cast<size_t>(digits));
  for (const uint64_t w : words) {
    for (int d = 0; d < digits; ++d) {
      ++counts[d][(w >> (low + d * kDigitBits)) & (kDigitValues - 1)];
    }
  }
  spare.resize(m);
  for (int d = 0; d < digits; ++d) {
    auto& count = counts[d];
    if (std::find(count.begin(), count.end(), static_cast<uint32_t>(m)) != count.end()) continue;
    uint32_t offset = 0;
    for (uint32_t& c : count) offset += std::exchange(c, offset);
    const int shift = low + d * kDigitBits;
    for (const uint64_t w : words) spare[count[(w >> shift) & (kDigitValues - 1)]++] = w;
    words.swap(spare);
  }
}

// Sorts the m events at `part`, whose split digits are equal, into `home`. The lower key of
// each event is tagged with its place in the part, the tagged words are radix sorted, and
// the events follow their words. Keys of two groups, or too wide for a tag, go to std::sort.
template <EventOrder Order>
void SortPart(const CAutomationEvent* part, CAutomationEvent* home, int32_t m, const Plan& plan,
              std::vector<uint64_t>& words, std::vector<uint64_t>& spare) {
  const int tagBits = std::bit_width(static_cast<uint32_t>(m));
  if (m < kSmallPart || plan.groups.size() > 1 || plan.lowerBits + tagBits > 64) {
    std::memcpy(static_cast<void*>(home), part, sizeof(CAutomationEvent) * static_cast<size_t>(m));
    std::sort(home, home + m, EventKeyLess<Order>());
    return;
  }
  words.resize(static_cast<size_t>(m));
  for (int32_t i = 0; i < m; ++i) {
    words[i] = plan.LowerKey<Order>(part[i]) << tagBits | static_cast<uint32_t>(i);
  }
  SortTaggedWords(words, spare, tagBits, plan.lowerBits);
  const uint64_t tagMask = (uint64_t{1} << tagBits) - 1;
  for (int32_t i = 0; i < m; ++i) home[i] = part[words[i] & tagMask];
}

template <EventOrder Order>
void SplitAndSort(CAutomationEvent* events, CAutomationEvent* scratch, int32_t count,
                  const Plan& plan) {
  std::vector<uint32_t> sizes(size_t{1} << plan.splitBits);
  for (int32_t i = 0; i < count; ++i) ++sizes[plan.split.Of<Order>(events[i], plan.groups.data())];
  SpreadByDigit<Order>(events, scratch, count, plan, sizes);
  std::vector<uint64_t> words;
  std::vector<uint64_t> spare;
  uint32_t first = 0;
  for (const uint32_t size : sizes) {
    SortPart<Order>(scratch + first, events + first, static_cast<int32_t>(size), plan, words,
                    spare);
    first += size;
  }
}

// Uninitialised room for count events (the events are trivially copyable); null when the
// memory cannot be had.
std::unique_ptr<std::byte[]> ScratchFor(int32_t count) {
  static_assert(alignof(CAutomationEvent) <= __STDCPP_DEFAULT_NEW_ALIGNMENT__);
  try {
    return std::make_unique_for_overwrite<std::byte[]>(sizeof(CAutomationEvent) *
                                                       static_cast<size_t>(count));
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

template <EventOrder Order>
void SortBy(CAutomationEvent* events, int32_t count) {
  if (count < 2) return;
  if (count >= kSmallCount) {
    const KeyRange range = RangeOf<Order>(events, count);
    if (range.sorted) return;
    if (const auto scratch = ScratchFor(count)) {
      auto* room = reinterpret_cast<CAutomationEvent*>(scratch.get());
      SplitAndSort<Order>(events, room, count, MakePlan(range, count));
      return;
    }
  }
  std::sort(events, events + count, EventKeyLess<Order>());
}

}  // namespace

void SortEvents(CAutomationEvent* events, int32_t count, EventOrder order) {
  switch (order) {
    case EventOrder::TimePathProcControl:
      SortBy<EventOrder::TimePathProcControl>(events, count);
      break;
    case EventOrder::PathProcControlTime:
      SortBy<EventOrder::PathProcControlTime>(events, count);
      break;
    case EventOrder::PathTimeProcControl:
      SortBy<EventOrder::PathTimeProcControl>(events, count);
      break;
  }
}

}  // namespace commonobjects::eventstore
