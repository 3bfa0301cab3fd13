// CEDLItem and CEDLItemList: a picture re-cut as a sequence of stretches of old and new
// picture, each kept, removed, inserted, moved or exchanged with a named clip.
//
// Item kinds: 0 kept; 1 removed; 2 blank insert; 3 removed, its start state noted; 4 moved
// (written from its own note); 5 written from the note of the item it references; 6 saved
// as a clip and removed; 7 saved as a clip and kept; 8 a named clip's mix written here.
// Lengths are automation time units. References are 1-based item numbers, -1 for none.
// The list's item count always equals the number of items added. Plain values; not
// thread-safe.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "commonobjects/eventstore/GrowableArray.h"

class CEDLItem {
 public:
  // What each pass of the conform does with an item (see above).
  enum ItemKind : int32_t {
    kKept = 0,
    kRemoved = 1,
    kBlank = 2,
    kRemovedNoted = 3,
    kMoved = 4,
    kFromNote = 5,
    kSavedRemoved = 6,
    kSavedKept = 7,
    kClip = 8,
  };

  CEDLItem() = default;
  CEDLItem(int32_t kind, int32_t length, int32_t reference = -1)
      : Kind(kind), Reference(reference), Length(length) {}
  CEDLItem(const CEDLItem&) = default;
  CEDLItem& operator=(const CEDLItem&) = default;
  CEDLItem(CEDLItem&&) noexcept = default;
  CEDLItem& operator=(CEDLItem&&) noexcept = default;
  virtual ~CEDLItem() = default;

  int32_t Kind = 0;
  int32_t Reference = -1;
  int32_t Length = 0;
  // [2] the clip name; [1], when not empty, the clip's subfolder (kind 8); [0] and [3]
  // carried along.
  std::string Strings[4];
  int32_t Value1 = 0;
  int32_t Value2 = 0;
};

class CEDLItemList : public CGrowableArray<CEDLItem> {
 public:
  // Appends a copy of item, after a kept (kind 0) item of length gap when gap > 0, and
  // returns the item count. An item of kind 3, 4 or 5 whose reference names an earlier
  // item (1-based) makes that item reference it back. After an item of kind 3 to 8, every
  // kind-8 item with a clip name and no subfolder gets reference 0 when its clip name
  // (ignoring case) is one of ClipNames, else -1.
  int32_t Add(const CEDLItem& item, int32_t gap);

  int32_t StartPosition = 0;  // old time of the first item, automation units
  int32_t ItemCount = 0;
  // The clips the kind-8 check knows: the clip names of the list's kind-6 and kind-7 items
  // (clips this list saves), gathered as they are added.
  std::vector<std::string> ClipNames;

 private:
  void CheckClipItems();
};
