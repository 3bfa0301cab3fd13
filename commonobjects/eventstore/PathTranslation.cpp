// Path translation of CAutomationEventArray: renumbers the paths of every event by a list of
// (from, to) pairs, as when automation moves to other channel strips.
//
// The first pair whose "from" matches decides, and each event is translated once. The pair
// list is turned into a lookup once (first pair per "from" kept), so the pass costs one
// look per event whatever the list's length: a direct table when the "from" paths lie
// close together (the usual case, console paths), else a binary search.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "commonobjects/eventstore/AutomationEventArray.h"

namespace {

// "from" paths spread wider than this use the binary search.
constexpr int64_t kMaxDirectSpan = int64_t{1} << 16;

// The pairs in order of "from", one per "from": the first in the caller's order.
std::vector<CTranslationPair> FirstPairPerPath(const CTranslationPairArray& pairs) {
  std::vector<CTranslationPair> sorted(pairs.begin(), pairs.end());
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const CTranslationPair& a, const CTranslationPair& b) { return a.From < b.From; });
  const auto sameFrom = [](const CTranslationPair& a, const CTranslationPair& b) { return a.From == b.From; };
  sorted.erase(std::unique(sorted.begin(), sorted.end(), sameFrom), sorted.end());
  return sorted;
}

void TranslateByTable(CAutomationEvent* first, CAutomationEvent* last,
                      const std::vector<CTranslationPair>& sorted) {
  const int32_t base = sorted.front().From;
  const uint32_t span = static_cast<uint32_t>(static_cast<int64_t>(sorted.back().From) - base) + 1;
  std::vector<int32_t> to(span);
  std::vector<uint8_t> mapped(span, 0);
  for (const CTranslationPair& pair : sorted) {
    const uint32_t offset = static_cast<uint32_t>(pair.From) - static_cast<uint32_t>(base);
    to[offset] = pair.To;
    mapped[offset] = 1;
  }
  for (CAutomationEvent* e = first; e != last; ++e) {
    // Paths below base wrap around to large offsets and fall outside the span.
    const uint32_t offset = static_cast<uint32_t>(e->Path) - static_cast<uint32_t>(base);
    if (offset < span && mapped[offset]) e->Path = to[offset];
  }
}

void TranslateBySearch(CAutomationEvent* first, CAutomationEvent* last,
                       const std::vector<CTranslationPair>& sorted) {
  for (CAutomationEvent* e = first; e != last; ++e) {
    const auto found = std::lower_bound(
        sorted.begin(), sorted.end(), e->Path,
        [](const CTranslationPair& pair, int32_t path) { return pair.From < path; });
    if (found != sorted.end() && found->From == e->Path) e->Path = found->To;
  }
}

}  // namespace

void CAutomationEventArray::DoTranslatePaths(const CTranslationPairArray& pairs) {
  if (IsEmpty() || pairs.IsEmpty()) return;
  Filter.StartTime = std::max(Filter.StartTime, int32_t{1});
  Filter.EndTime = std::max(Filter.EndTime, int32_t{1});

  const std::vector<CTranslationPair> sorted = FirstPairPerPath(pairs);
  const int64_t span = static_cast<int64_t>(sorted.back().From) - sorted.front().From + 1;
  if (span <= kMaxDirectSpan) {
    TranslateByTable(begin(), end(), sorted);
  } else {
    TranslateBySearch(begin(), end(), sorted);
  }
}
