#include "commonobjects/console/PathMap.h"

#include <algorithm>

int CPathMap::AddGroup(int32_t first, int32_t count) {
  if (GetGroupCount() >= kMaxGroups) return 0;
  Values.resize(static_cast<size_t>(GetGroupCount()) * 2);  // drop an unpaired last integer
  Values.push_back(first);
  Values.push_back(count);
  return 1;
}

int32_t CPathMap::GetGroup(int32_t path) const {
  const int32_t groups = std::min(GetGroupCount(), kMaxGroups);
  for (int32_t group = 0; group < groups; ++group) {
    const int64_t first = Values[static_cast<size_t>(group) * 2];
    const int64_t count = Values[static_cast<size_t>(group) * 2 + 1];
    // 64-bit so that first + count cannot overflow.
    if (path >= first && path < first + count) return group;
  }
  return 0;
}
