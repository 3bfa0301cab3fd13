#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "commonobjects/conform/CutListReader.h"
#include "commonobjects/conform/EDLItemList.h"
#include "support/CutListFiles.h"
#include "support/TempFolder.h"
#include "support/TestConsole.h"

namespace {

using commonobjects::platform::RegistryValue;
using KindLength = std::tuple<int32_t, int32_t>;
constexpr const char* kTimecode = CTimecodeSettings::kTimecodeKey;

std::vector<KindLength> Items(const CEDLItemList& list) {
  std::vector<KindLength> items;
  for (const CEDLItem& item : list) {
    EXPECT_EQ(item.Reference, -1);
    EXPECT_EQ(item.Strings[2], "");
    items.emplace_back(item.Kind, item.Length);
  }
  return items;
}

TEST(CutListItemsTest, ChangesBecomeKeptRemovedAndInsertedStretchesInTimeUnits) {
  testsupport::TempFolder folder;
  const std::string path = folder.PathOf("list.cut");
  // 24 film frames are one second, 100 units on a hundredth-of-a-second console.
  testsupport::WriteBytes(path, testsupport::BinaryCutList(0, 0, 8)
                                    .Record(1, 480, 48)     // delete 2 s at 20 s
                                    .Record(2, 960, 96)     // insert 4 s at 40 s
                                    .Record(11, 1000, 24)   // no change: never read
                                    .Record(8, 1536, 192)   // move away 8 s at 64 s
                                    .Record(9, 2400, 24, 4) // insert 1 s from the move at 100 s
                                    .Record(0, 2880, 24)    // unrecognised: no item, r moves on
                                    .Clip(3000, 24, 0, "R")  // clip: no item, r moves on
                                    .Record(3, 3600, 24)    // trim head 1 s at 150 s
                                    .Bytes);
  const std::vector<KindLength> inTimecode = {{0, 2000}, {1, 200}, {0, 1800}, {2, 400}, {0, 2000}, {1, 800},
                                              {0, 2800}, {2, 100}, {0, 1900}, {0, 400}, {0, 2400}, {1, 100}};
  std::vector<KindLength> inFeetFrames = inTimecode;  // positions after the film equivalence, lengths not
  std::get<1>(inFeetFrames[0]) += 50;

  const std::tuple<const char*, uint32_t, std::vector<KindLength>> cases[] = {
      {"timecode", 0, inTimecode},
      {"feet and frames", 1, inFeetFrames},
  };
  for (const auto& [what, feetFrames, expected] : cases) {
    testsupport::TestConsole console;
    auto& registry = console.Store();
    registry.SetValue(HKEY_CURRENT_USER, kTimecode, CTimecodeSettings::kFeetFramesName, RegistryValue::Dword(feetFrames));
    registry.SetValue(HKEY_CURRENT_USER, kTimecode, CTimecodeSettings::kFilmEquivalenceName, RegistryValue::String("50"));
    CEDLItemList items;
    items.Add(CEDLItem(0, 5), 0);  // what the list held stays in front
    GetCutListItems(path, items);
    std::vector<KindLength> withFirst = {{0, 5}};
    withFirst.insert(withFirst.end(), expected.begin(), expected.end());
    EXPECT_EQ(Items(items), withFirst) << what;
    EXPECT_EQ(items.ItemCount, items.GetSize()) << what;
  }
}

TEST(CutListItemsTest, UnreadableChangeListAppendsNothing) {
  testsupport::TestConsole console;
  testsupport::TempFolder folder;
  testsupport::WriteBytes(folder.PathOf("bad.cut"), "no change list here");
  for (const std::string& path : {folder.PathOf("missing.cut"), folder.PathOf("bad.cut")}) {
    CEDLItemList items;
    GetCutListItems(path, items);
    EXPECT_EQ(std::tuple(items.GetSize(), items.ItemCount), std::tuple(0, 0)) << path;
  }
}

}  // namespace
