#include "commonobjects/conform/EDLItemList.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace {

using KindLengthReference = std::tuple<int32_t, int32_t, int32_t>;

std::vector<KindLengthReference> Items(const CEDLItemList& list) {
  std::vector<KindLengthReference> items;
  for (const CEDLItem& item : list) items.emplace_back(item.Kind, item.Length, item.Reference);
  return items;
}

CEDLItem Clip(int32_t kind, const std::string& name, const std::string& subfolder = "", int32_t reference = -1) {
  CEDLItem item(kind, 10, reference);
  item.Strings[1] = subfolder;
  item.Strings[2] = name;
  return item;
}

TEST(EDLItemListTest, PositiveGapAddsAKeptItemFirstAndTheCountFollowsEveryItem) {
  CEDLItemList list;
  CEDLItem removed(1, 50);
  removed.Strings[0] = "first";
  removed.Strings[3] = "fourth";
  removed.Value2 = 9;
  EXPECT_EQ(list.Add(removed, 100), 2);
  EXPECT_EQ(list.Add(CEDLItem(2, 30), 0), 3);
  EXPECT_EQ(list.Add(CEDLItem(0, 20), -5), 4);
  EXPECT_EQ(Items(list), (std::vector<KindLengthReference>{{0, 100, -1}, {1, 50, -1}, {2, 30, -1}, {0, 20, -1}}));
  EXPECT_EQ(std::tuple(list.ItemCount, list[0].Strings[0], list[0].Value2, list[1].Strings[0], list[1].Strings[3],
                       list[1].Value2),
            std::tuple(4, std::string(), 0, std::string("first"), std::string("fourth"), 9));
}

TEST(EDLItemListTest, RemovalsAndMovesThatNameAnEarlierItemGetItsReferenceBack) {
  struct Case {
    const char* what;
    int32_t kind, reference, gap;
    int32_t firstReferenceAfter;  // item 1 starts with reference -1
  };
  const Case cases[] = {
      {"kind 3 names item 1", 3, 1, 0, 3},
      {"kind 4 names item 1", 4, 1, 0, 3},
      {"kind 5 names item 1", 5, 1, 0, 3},
      {"after a gap item the new item is number 4", 5, 1, 7, 4},
      {"kind 1 links nothing", 1, 1, 0, -1},
      {"kind 8 links nothing", 8, 1, 0, -1},
      {"reference 0 is no item", 5, 0, 0, -1},
      {"reference to itself is not earlier", 5, 3, 0, -1},
      {"reference past the end", 5, 9, 0, -1},
  };
  for (const Case& c : cases) {
    CEDLItemList list;
    list.Add(CEDLItem(4, 10), 0);
    list.Add(CEDLItem(0, 10), 0);
    list.Add(CEDLItem(c.kind, 10, c.reference), c.gap);
    EXPECT_EQ(list[0].Reference, c.firstReferenceAfter) << c.what;
    EXPECT_EQ(list[list.GetSize() - 1].Reference, c.reference) << c.what;
    EXPECT_EQ(list[1].Reference, -1) << c.what;
  }
}

TEST(EDLItemListTest, ClipItemsWithoutSubfolderAreCheckedAgainstSavedClipsAfterKindsThreeToEight) {
  CEDLItemList list;
  list.Add(Clip(8, "Clip A"), 0);                 // item 1: no clip saved yet
  list.Add(Clip(8, "Clip A", "other", 5), 0);     // item 2: has a subfolder, never checked
  list.Add(Clip(8, "", "", 5), 0);                // item 3: no clip name, never checked
  EXPECT_EQ(std::tuple(list[0].Reference, list[1].Reference, list[2].Reference), std::tuple(-1, 5, 5));

  list[0].Reference = 7;
  list.Add(Clip(2, "CLIP A"), 0);  // kinds 0 to 2 neither save clips nor check
  EXPECT_EQ(list[0].Reference, 7);
  list.Add(Clip(3, "CLIP A"), 0);  // a kind-3 item checks, but saves no clip
  EXPECT_EQ(list[0].Reference, -1);

  list.Add(Clip(6, "clip a"), 0);  // a saved clip, matched ignoring case
  EXPECT_EQ(std::tuple(list[0].Reference, list[1].Reference, list[2].Reference), std::tuple(0, 5, 5));
  list.Add(Clip(8, "CLIP B"), 0);
  list.Add(Clip(7, "Clip B"), 0);
  EXPECT_EQ(std::tuple(list[0].Reference, list[6].Reference), std::tuple(0, 0));
  EXPECT_EQ(list.ClipNames, (std::vector<std::string>{"clip a", "Clip B"}));
}

}  // namespace
