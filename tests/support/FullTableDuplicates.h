// The straightforward same-time duplicate merge: two direct-addressed tables of every
// (Path, Proc, Control) key of 2000 paths (67,392,000 bytes), filled with -1 on every call.
// The reference that the library's merge must match event for event, and the baseline of
// its benchmark. Events of paths outside 0..1999 have no entry and pass through.
#pragma once

#include <cstdint>
#include <vector>

#include "commonobjects/eventstore/AutomationEventArray.h"

namespace testsupport {

inline int32_t RemoveSameTimeDuplicatesFullTable(CAutomationEventArray& array) {
  constexpr int32_t kPaths = 2000;
  constexpr int32_t kStride = 4212;
  std::vector<int32_t> lastTime(size_t{kPaths} * kStride, -1);
  std::vector<int32_t> lastIndex(size_t{kPaths} * kStride, -1);
  CAutomationEventArray out;
  int32_t merged = 0;
  for (const CAutomationEvent& e : array) {
    if (e.Path < 0 || e.Path >= kPaths) {
      out.Add(e);
      continue;
    }
    const size_t key = size_t(e.Path) * kStride + e.Proc * 9u + e.Control;
    if (lastTime[key] == e.Time && lastIndex[key] >= 0) {
      out[lastIndex[key]].Value = e.Value;
      ++merged;
    } else {
      lastTime[key] = e.Time;
      lastIndex[key] = out.Add(e);
    }
  }
  array.SetSize(0);
  array.Append(out);
  return merged;
}

}  // namespace testsupport
