#include "commonobjects/conform/EDLItemList.h"

#include <algorithm>
#include <cctype>

namespace {

bool SameIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

}  // namespace

int32_t CEDLItemList::Add(const CEDLItem& item, int32_t gap) {
  if (gap > 0) {
    CGrowableArray<CEDLItem>::Add(CEDLItem(0, gap));
    ++ItemCount;
  }
  CGrowableArray<CEDLItem>::Add(item);
  ++ItemCount;
  const int32_t number = GetSize();  // the new item's 1-based number

  // A removal or move that names an earlier item links that item back to it.
  const int32_t reference = item.Reference;
  if (item.Kind >= CEDLItem::kRemovedNoted && item.Kind <= CEDLItem::kFromNote && reference >= 1 && reference < number) {
    ElementAt(reference - 1).Reference = number;
  }
  if ((item.Kind == CEDLItem::kSavedRemoved || item.Kind == CEDLItem::kSavedKept) && !item.Strings[2].empty()) ClipNames.push_back(item.Strings[2]);
  if (item.Kind >= CEDLItem::kRemovedNoted && item.Kind <= CEDLItem::kClip) CheckClipItems();
  return ItemCount;
}

// A clip item without a subfolder comes from this list's own saves (reference 0) when a
// kind-6 or kind-7 item saves a clip of its name; else it must be found elsewhere (-1).
void CEDLItemList::CheckClipItems() {
  for (CEDLItem& item : *this) {
    if (item.Kind != 8 || item.Strings[2].empty() || !item.Strings[1].empty()) continue;
    const bool saved = std::any_of(ClipNames.begin(), ClipNames.end(),
                                   [&](const std::string& name) { return SameIgnoringCase(name, item.Strings[2]); });
    item.Reference = saved ? 0 : -1;
  }
}
