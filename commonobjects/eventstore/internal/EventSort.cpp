// SortEvents: a radix sort over packed keys that works in place, with a fast path for
// events that are nearly in order already.
//
// 1. One pass counts the places where an event is before its predecessor. None: done.
// 2. Few such places (a recording with late arrivals, a small edit): the events out of
//    place are lifted out, leaving the rest in order, sorted apart and merged back from the
//    end. When more than a few must be lifted they are put back and the full sort runs.
// 3. One more pass finds each key's smallest and largest value (as an unsigned number that
//    orders as the key does), and each key shrinks to the bits that vary: key - smallest,
//    bit_width(largest - smallest) bits. Keys are packed, least significant first, into 64-bit groups; a key that does
//    not fit starts the next group. Packing keeps order because every packed key is below
//    2^width and a more significant key sits in higher bits (or a higher group).
// 4. The events are permuted in place into buckets by the top 8 bits of the top group
//    (cycle leading, as in an American flag sort), and each bucket still larger than a part
//    that sits in cache is split again by the next 8 bits. No copy of the whole array is
//    made: first touches of fresh memory cost more than the sort itself on large arrays.
// 5. Within a part, each event's remaining key bits are tagged with its place in the part;
//    the tagged words get a least-significant-digit radix sort (11-bit passes, a digit with
//    one value across the part skipped), and the events are gathered back in the order of
//    their words. Keys of two groups, or too wide for a tag, sort their parts with
//    std::sort instead.
// Typical mixes (times under 2^24, paths under 2000, blocks under 84, controls under 9)
// pack into one group of about 46 bits.
#include "commonobjects/eventstore/internal/EventSort.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

namespace commonobjects::eventstore {
namespace {

constexpr int kKeys = 4;
constexpr int kDigitBits = 11;  // digits of the word sort within a part
constexpr uint32_t kDigitValues = 1u << kDigitBits;
constexpr int kSplitBits = 8;  // bits of each in-place split: 256 buckets
constexpr uint32_t kSplitValues = 1u << kSplitBits;
constexpr int32_t kPartMax = 1 << 16;  // a part of 1 MB of events sorts in cache
constexpr int32_t kSmallCount = 512;   // below this std::sort is as quick
constexpr int32_t kSmallPart = 48;
constexpr int32_t kFewDescentsShare = 32;  // nearly in order: under 1 in 32 events
constexpr int32_t kLiftedShare = 8;        // give up lifting beyond 1 in 8 events

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
};

template <EventOrder Order>
KeyRange RangeOf(const CAutomationEvent* events, int32_t count) {
  KeyRange range;
  range.min = range.max = KeysOf<Order>(events[0]);
  for (int32_t i = 1; i < count; ++i) {
    const Keys keys = KeysOf<Order>(events[i]);
    for (int k = 0; k < kKeys; ++k) {
      range.min[k] = std::min(range.min[k], keys[k]);
      range.max[k] = std::max(range.max[k], keys[k]);
    }
  }
  return range;
}

// How many events are before their predecessor.
template <EventOrder Order>
int32_t DescentsOf(const CAutomationEvent* events, int32_t count) {
  const EventKeyLess<Order> less;
  int32_t descents = 0;
  for (int32_t i = 1; i < count; ++i) descents += less(events[i], events[i - 1]) ? 1 : 0;
  return descents;
}

// Which keys a 64-bit group holds and where: (key - min[k]) & mask[k], shifted by shift[k].
// Keys outside the group have a mask of 0. A group that holds every key that varies needs
// no masks: the sum of key << shift less the sum of min << shift is the same value (a key
// that never varies adds as much as it takes away).
struct Group {
  Keys min{};
  std::array<uint64_t, kKeys> mask{};
  std::array<int, kKeys> shift{};
  int bits = 0;
  bool holdsAll = false;
  uint64_t base = 0;  // sum of min << shift, when it holds all

  uint64_t ValueOf(const Keys& keys) const {
    uint64_t value = 0;
    if (holdsAll) {
      for (int k = 0; k < kKeys; ++k) value += uint64_t{keys[k]} << shift[k];
      return value - base;
    }
    for (int k = 0; k < kKeys; ++k) value |= ((keys[k] - min[k]) & mask[k]) << shift[k];
    return value;
  }
};

// The packed key: its groups, least significant first. Splits and parts work on the top
// group; the groups below it only matter to std::sort.
struct Plan {
  std::vector<Group> groups;

  const Group& Top() const { return groups.back(); }
  bool OneGroup() const { return groups.size() == 1; }

  template <EventOrder Order>
  uint64_t TopValue(const CAutomationEvent& e) const {
    return Top().ValueOf(KeysOf<Order>(e));
  }
};

Plan MakePlan(const KeyRange& range) {
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
  if (plan.OneGroup()) {
    Group& group = plan.groups[0];
    group.holdsAll = true;
    for (int k = 0; k < kKeys; ++k) group.base += uint64_t{range.min[k]} << group.shift[k];
  }
  return plan;
}

uint64_t LowBits(int bits) { return bits >= 64 ? ~uint64_t{0} : (uint64_t{1} << bits) - 1; }

// Room reused by every part of one sort: the tagged words, their spare, a copy of the part.
struct PartRoom {
  std::vector<uint64_t> words;
  std::vector<uint64_t> spare;
  std::vector<CAutomationEvent> copy;
};

// Radix sort of words whose bits [low, 64) are the key and [0, low) carry an index: stable
// passes of kDigitBits over the key bits, least significant first, skipping a digit that has
// one value in every word. The result ends in `words`.
void SortTaggedWords(std::vector<uint64_t>& words, std::vector<uint64_t>& spare, int low,
                     int keyBits) {
  const size_t m = words.size();
  const int digits = (keyBits + kDigitBits - 1) / kDigitBits;
  std::array<std::array<uint32_t, kDigitValues>, (64 + kDigitBits - 1) / kDigitBits> counts{};
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

// Sorts the m events at `part`, whose top-group bits from `bits` up are equal. The lower
// bits of each event are tagged with its place in the part, the tagged words are radix
// sorted, and the events are gathered back in the order of their words.
template <EventOrder Order>
void SortPart(CAutomationEvent* part, int32_t m, int bits, const Plan& plan, PartRoom& room) {
  const int tagBits = std::bit_width(static_cast<uint32_t>(m));
  const uint64_t keyMask = LowBits(bits);
  room.words.resize(static_cast<size_t>(m));
  for (int32_t i = 0; i < m; ++i) {
    room.words[i] = (plan.TopValue<Order>(part[i]) & keyMask) << tagBits | static_cast<uint32_t>(i);
  }
  SortTaggedWords(room.words, room.spare, tagBits, bits);
  room.copy.assign(part, part + m);
  const uint64_t tagMask = LowBits(tagBits);
  for (int32_t i = 0; i < m; ++i) part[i] = room.copy[room.words[i] & tagMask];
}

// Moves every event into its bucket, in place: bucket v is [start[v], start[v + 1]).
// Cycle leading as in an American flag sort, with the event at each bucket's next free
// place held in `waiting`: the chain of moves then reads only that small table, and the
// loads from the array run ahead of it instead of stalling it (with buckets of equal size
// the free places alias in the cache, and each load would miss).
template <typename DigitOf>
void PermuteIntoBuckets(CAutomationEvent* events,
                        const std::array<int32_t, kSplitValues + 1>& start, const DigitOf& digitOf) {
  std::array<int32_t, kSplitValues> next;
  std::array<CAutomationEvent, kSplitValues> waiting;
  for (uint32_t v = 0; v < kSplitValues; ++v) {
    next[v] = start[v];
    if (next[v] < start[v + 1]) waiting[v] = events[next[v]];
  }
  const auto place = [&](uint32_t d, const CAutomationEvent& e) {
    events[next[d]++] = e;
    if (next[d] < start[d + 1]) waiting[d] = events[next[d]];
  };
  for (uint32_t v = 0; v < kSplitValues; ++v) {
    while (next[v] < start[v + 1]) {
      CAutomationEvent e = waiting[v];  // taken out: its place is the hole
      uint32_t d = digitOf(e);
      while (d != v) {
        const CAutomationEvent displaced = waiting[d];
        place(d, e);
        e = displaced;
        d = digitOf(e);
      }
      place(v, e);
    }
  }
}

// Sorts the m events at `events`, whose top-group bits from `bits` up are equal: splits them
// in place by the next digit down until a part fits a tagged word sort.
template <EventOrder Order>
void SortRange(CAutomationEvent* events, int32_t m, int bits, const Plan& plan, PartRoom& room) {
  if (m < 2) return;
  const bool tagFits = bits + std::bit_width(static_cast<uint32_t>(m)) <= 64;
  if (m < kSmallPart || bits == 0 || (!plan.OneGroup() && m <= kPartMax)) {
    // Equal in the top group's bits above `bits`; the full comparison orders the rest.
    if (plan.OneGroup() && bits == 0) return;  // every key equal
    std::sort(events, events + m, EventKeyLess<Order>());
    return;
  }
  if (plan.OneGroup() && m <= kPartMax && tagFits) {
    SortPart<Order>(events, m, bits, plan, room);
    return;
  }
  const int shift = std::max(bits - kSplitBits, 0);
  const uint64_t mask = LowBits(bits - shift);
  const auto digitOf = [&](const CAutomationEvent& e) {
    return static_cast<uint32_t>((plan.TopValue<Order>(e) >> shift) & mask);
  };
  std::array<int32_t, kSplitValues + 1> start{};
  for (int32_t i = 0; i < m; ++i) ++start[digitOf(events[i]) + 1];
  for (uint32_t v = 0; v < kSplitValues; ++v) start[v + 1] += start[v];
  PermuteIntoBuckets(events, start, digitOf);
  for (uint32_t v = 0; v < kSplitValues; ++v) {
    SortRange<Order>(events + start[v], start[v + 1] - start[v], shift, plan, room);
  }
}

template <EventOrder Order>
void RadixSort(CAutomationEvent* events, int32_t count, const KeyRange& range) {
  const Plan plan = MakePlan(range);
  PartRoom room;
  SortRange<Order>(events, count, plan.Top().bits, plan, room);
}

template <EventOrder Order>
void SortBy(CAutomationEvent* events, int32_t count);

// Lifts out the events out of place (one that is before the last one kept, or that last one
// when it alone is out of place), sorts those apart and merges them back from the end. False,
// with the events in some order, when too many had to be lifted.
template <EventOrder Order>
bool SortNearlyInOrder(CAutomationEvent* events, int32_t count) {
  const EventKeyLess<Order> less;
  // Room for the most that may be lifted, had before anything moves (untouched pages cost
  // nothing); pushing then never reallocates.
  std::vector<CAutomationEvent> lifted;
  const size_t most = static_cast<size_t>(count / kLiftedShare);
  lifted.reserve(most);
  int32_t kept = 1;
  for (int32_t i = 1; i < count; ++i) {
    if (less(events[i], events[kept - 1])) {
      if (lifted.size() == most) {
        // Too many: put the lifted events back behind the kept ones and the rest.
        std::memmove(static_cast<void*>(events + kept), events + i,
                     sizeof(CAutomationEvent) * static_cast<size_t>(count - i));
        std::copy(lifted.begin(), lifted.end(), events + kept + (count - i));
        return false;
      }
      if (kept == 1 || !less(events[i], events[kept - 2])) {
        // The last one kept is the one out of place (it belongs further on): lift it and
        // keep this one, or it would make every event after it look out of place.
        lifted.push_back(events[kept - 1]);
        events[kept - 1] = events[i];
      } else {
        lifted.push_back(events[i]);
      }
    } else {
      events[kept++] = events[i];
    }
  }
  SortBy<Order>(lifted.data(), static_cast<int32_t>(lifted.size()));
  // Merge from the end, a lifted event after the kept ones equal to it.
  int32_t out = count;
  int32_t k = kept;
  size_t l = lifted.size();
  while (l > 0) {
    if (k > 0 && less(lifted[l - 1], events[k - 1])) {
      events[--out] = events[--k];
    } else {
      events[--out] = lifted[--l];
    }
  }
  return true;
}

template <EventOrder Order>
void SortBy(CAutomationEvent* events, int32_t count) {
  if (count < kSmallCount) {
    std::sort(events, events + count, EventKeyLess<Order>());
    return;
  }
  const int32_t descents = DescentsOf<Order>(events, count);
  if (descents == 0) return;
  try {
    if (descents <= count / kFewDescentsShare && SortNearlyInOrder<Order>(events, count)) return;
    RadixSort<Order>(events, count, RangeOf<Order>(events, count));
  } catch (const std::bad_alloc&) {
    std::sort(events, events + count, EventKeyLess<Order>());
  }
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
