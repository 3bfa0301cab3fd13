#include "commonobjects/conform/EDLItemList.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace {

CEDLItem Clip(int32_t kind, const std::string& name, const std::string& subfolder = "", int32_t reference = -1) {
  CEDLItem item(kind, 10, reference);
  item.Strings[1] = subfolder;
  item.Strings[2] = name;
  return item;
}

TEST(EDLItemListTest, GapComesFirstAndRemovalsThatNameAnEarlierItemGetItsReferenceBack) {
  struct Case {
    const char* what;
    int32_t kind, reference, gap;
    int32_t firstReferenceAfter, countAfter;
  };
  const Case cases[] = {
      {"kind 3 names item 1", 3, 1, 0, 3, 3},       {"kind 4 names item 1", 4, 1, 0, 3, 3},
      {"kind 5 after a gap is item 4", 5, 1, 7, 4, 4}, {"negative gap adds nothing", 5, 1, -7, 3, 3},
      {"kind 1 links nothing", 1, 1, 0, -1, 3},     {"kind 8 links nothing", 8, 1, 0, -1, 3},
      {"reference 0 is no item", 5, 0, 0, -1, 3},   {"reference to itself", 5, 3, 0, -1, 3},
  };
  for (const Case& c : cases) {
    CEDLItemList list;
    list.Add(CEDLItem(4, 10), 0);
    list.Add(CEDLItem(1, 20), 0);
    EXPECT_EQ(list.Add(CEDLItem(c.kind, 30, c.reference), c.gap), c.countAfter) << c.what;
    EXPECT_EQ(std::tuple(list[0].Reference, list[1].Reference, list.ItemCount, list.GetSize()),
              std::tuple(c.firstReferenceAfter, -1, c.countAfter, c.countAfter))
        << c.what;
    if (c.gap > 0) {
      EXPECT_EQ(std::tuple(list[2].Kind, list[2].Length, list[2].Reference), std::tuple(0, c.gap, -1));
    }
  }
}

TEST(EDLItemListTest, ClipItemsWithoutSubfolderAreCheckedAgainstSavedClipsAfterKindsThreeToEight) {
  CEDLItemList list;
  list.Add(Clip(8, "Clip A"), 0);              // no clip saved yet: -1
  list.Add(Clip(8, "Clip A", "other", 5), 0);  // a subfolder: never checked
  list.Add(Clip(8, "", "", 5), 0);             // no clip name: never checked
  list[0].Reference = 7;
  list.Add(Clip(2, "CLIP A"), 0);  // kinds 0 to 2 do not check
  EXPECT_EQ(list[0].Reference, 7);
  list.Add(Clip(3, "CLIP A"), 0);  // checks, saves no clip
  EXPECT_EQ(list[0].Reference, -1);
  list.Add(Clip(6, "clip a"), 0);  // a saved clip, its name matched ignoring case
  EXPECT_EQ(std::tuple(list[0].Reference, list[1].Reference, list[2].Reference), std::tuple(0, 5, 5));
  list.Add(Clip(8, "CLIP B"), 0);
  list.Add(Clip(7, "Clip B"), 0);
  EXPECT_EQ(list[6].Reference, 0);
}

}  // namespace
