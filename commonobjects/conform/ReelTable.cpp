#include "commonobjects/conform/ReelTable.h"

#include <algorithm>

int32_t CReelTable::Add(const std::string& name) {
  const auto at = std::lower_bound(Reels.begin(), Reels.end(), name,
                                   [](const CReel& reel, const std::string& n) { return reel.Name < n; });
  if (at == Reels.end() || at->Name != name) {
    CReel reel;
    reel.Name = name;
    const auto inserted = Reels.insert(at, std::move(reel));
    return static_cast<int32_t>(inserted - Reels.begin());
  }
  return static_cast<int32_t>(at - Reels.begin());
}

int32_t CReelTable::Find(const std::string& name) const {
  // A table read from a file need not be in order: look at every reel.
  for (size_t i = 0; i < Reels.size(); ++i) {
    if (Reels[i].Name == name) return static_cast<int32_t>(i);
  }
  return -1;
}

void CReelTable::UseOwnNames() {
  for (CReel& reel : Reels) reel.UsedName = reel.Name;
}
