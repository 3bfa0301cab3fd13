// Same-time duplicate merging whose cost follows the events: a time-ordered array compares
// neighbours and hashes the channels only inside runs of equal time; any other array hashes
// the channels in use. Both give what one direct-addressed table of every key would give.
#include "commonobjects/editing/SameTimeDuplicates.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <vector>

#include "commonobjects/eventstore/AutomationEventArray.h"

namespace {

constexpr int32_t kKeyedPaths = 2000;
constexpr uint32_t kPathStride = 4212;

// Channels are keyed as the console's tables key them; an out-of-range Control (9 or more)
// therefore shares its key with a control of a later Proc, exactly as in those tables.
bool IsKeyed(const CAutomationEvent& e) { return e.Path >= 0 && e.Path < kKeyedPaths; }
uint32_t KeyOf(const CAutomationEvent& e) {
  return static_cast<uint32_t>(e.Path) * kPathStride + e.Proc * 9u + e.Control;
}

// Open-addressing map from key to (time, output index), sized once so that the merging pass
// allocates nothing. Entries are live while their stamp equals the current stamp, so a new
// run of equal times forgets the previous run without clearing.
class KeyTable {
 public:
  explicit KeyTable(size_t keys)
      : mask_(std::bit_ceil(std::max<size_t>(keys * 2, 16)) - 1), slots_(mask_ + 1) {}

  struct Slot {
    uint32_t stamp = 0;
    uint32_t key = 0;
    int32_t time = 0;
    int32_t index = 0;
  };
  // The slot of key: live when its stamp is the current one, otherwise free to claim.
  Slot& Find(uint32_t key) {
    size_t i = (key * 0x9E3779B1u) & mask_;
    while (slots_[i].stamp == stamp_ && slots_[i].key != key) i = (i + 1) & mask_;
    return slots_[i];
  }
  bool IsLive(const Slot& slot) const { return slot.stamp == stamp_; }
  // Adds key with no kept event yet (index -1), growing the table as it fills.
  void Reserve(uint32_t key) {
    Slot& slot = Find(key);
    if (IsLive(slot)) return;
    Claim(slot, key, 0, -1);
    if (++live_ * 2 > mask_ + 1) Grow();
  }
  void Claim(Slot& slot, uint32_t key, int32_t time, int32_t index) { slot = {stamp_, key, time, index}; }
  void Forget() { ++stamp_; }

 private:
  void Grow() {
    std::vector<Slot> old(2 * (mask_ + 1));
    old.swap(slots_);
    mask_ = slots_.size() - 1;
    for (const Slot& slot : old) {
      if (slot.stamp == stamp_) Find(slot.key) = slot;
    }
  }

  size_t mask_;
  std::vector<Slot> slots_;
  uint32_t stamp_ = 1;
  size_t live_ = 0;
};

bool IsTimeOrdered(const CAutomationEvent* events, int32_t size) {
  for (int32_t i = 1; i < size; ++i) {
    if (events[i].Time < events[i - 1].Time) return false;
  }
  return true;
}

int32_t LongestEqualTimeRun(const CAutomationEvent* events, int32_t size) {
  int32_t longest = 1;
  for (int32_t i = 0, first = 0; i < size; ++i) {
    if (events[i].Time != events[first].Time) first = i;
    longest = std::max(longest, i - first + 1);
  }
  return longest;
}

// Keeps events[i] at out (moving it down) or merges it into the event kept for its key.
// Returns the next output index.
int32_t KeepOrMerge(CAutomationEvent* events, int32_t i, int32_t out, KeyTable& table,
                    int32_t& merged) {
  const CAutomationEvent e = events[i];
  if (IsKeyed(e)) {
    KeyTable::Slot& slot = table.Find(KeyOf(e));
    if (table.IsLive(slot) && slot.index >= 0 && slot.time == e.Time) {
      events[slot.index].Value = e.Value;
      ++merged;
      return out;
    }
    table.Claim(slot, KeyOf(e), e.Time, out);
  }
  events[out] = e;
  return out + 1;
}

// Time order: a key's previous event has the same time exactly when both lie in one run of
// equal times, so only runs longer than one event look anything up.
int32_t MergeInTimeRuns(CAutomationEvent* events, int32_t size, int32_t& merged) {
  KeyTable table(static_cast<size_t>(LongestEqualTimeRun(events, size)));
  int32_t out = 0;
  for (int32_t first = 0; first < size;) {
    int32_t end = first + 1;
    while (end < size && events[end].Time == events[first].Time) ++end;
    if (end - first == 1) {
      events[out++] = events[first];
    } else {
      table.Forget();
      for (int32_t i = first; i < end; ++i) out = KeepOrMerge(events, i, out, table, merged);
    }
    first = end;
  }
  return out;
}

// Any order: the table remembers every key's last kept event for the whole walk. Every key
// is entered first, so the merging walk allocates nothing.
int32_t MergeByChannel(CAutomationEvent* events, int32_t size, int32_t& merged) {
  KeyTable table(1024);
  for (int32_t i = 0; i < size; ++i) {
    if (IsKeyed(events[i])) table.Reserve(KeyOf(events[i]));
  }
  int32_t out = 0;
  for (int32_t i = 0; i < size; ++i) out = KeepOrMerge(events, i, out, table, merged);
  return out;
}

}  // namespace

int32_t RemoveSameTimeDuplicates(CAutomationEventArray& array) {
  const int32_t size = array.GetSize();
  if (size < 2) return 0;
  CAutomationEvent* events = array.GetData();
  int32_t merged = 0;
  // The tables are allocated before the first event moves, so a failed allocation leaves
  // the array as it was.
  const int32_t kept = IsTimeOrdered(events, size) ? MergeInTimeRuns(events, size, merged)
                                                   : MergeByChannel(events, size, merged);
  array.SetSize(kept);
  return merged;
}
