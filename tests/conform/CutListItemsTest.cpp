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

TEST(CutListItemsTest, ChangesBecomeKeptRemovedAndInsertedStretchesInTimeUnits) {
  testsupport::TempFolder folder;
  const std::string path = folder.PathOf("list.cut");
  // 24 film frames are a second, 100 units on a hundredth-of-a-second console.
  testsupport::WriteBytes(path, testsupport::BinaryCutList(0, 0, 8)
                                    .Record(1, 480, 48)       // delete 2 s at 20 s
                                    .Record(2, 960, 96)       // insert 4 s at 40 s
                                    .Record(11, 1000, 24)     // no change: never read
                                    .Record(8, 1536, 192)     // move away 8 s at 64 s
                                    .Record(9, 2400, 24, 4)   // insert 1 s from a move at 100 s
                                    .Record(0, 2880, 24)      // unrecognised: no item, but counted
                                    .Clip(3000, 24, 0, "R")   // clip: no item, but counted
                                    .Record(3, 3600, 24)      // trim head 1 s at 150 s
                                    .Bytes);
  testsupport::WriteBytes(folder.PathOf("bad.cut"), "no change list here");
  const std::vector<KindLength> stretches = {{0, 2000}, {1, 200}, {0, 1800}, {2, 400}, {0, 2000}, {1, 800},
                                             {0, 2800}, {2, 100}, {0, 1900}, {0, 400},  {0, 2400}, {1, 100}};
  // In feet and frames positions count from the film equivalence (50 units), lengths not.
  std::vector<KindLength> fromEquivalence = stretches;
  std::get<1>(fromEquivalence[0]) += 50;
  const std::tuple<std::string, uint32_t, std::vector<KindLength>> cases[] = {
      {path, 0, stretches}, {path, 1, fromEquivalence},
      {folder.PathOf("bad.cut"), 0, {}}, {folder.PathOf("missing.cut"), 0, {}},
  };
  for (const auto& [file, feetFrames, expected] : cases) {
    testsupport::TestConsole console;
    const char* key = CTimecodeSettings::kTimecodeKey;
    console.Store().SetValue(HKEY_CURRENT_USER, key, CTimecodeSettings::kFeetFramesName, RegistryValue::Dword(feetFrames));
    console.Store().SetValue(HKEY_CURRENT_USER, key, CTimecodeSettings::kFilmEquivalenceName, RegistryValue::String("50"));
    CEDLItemList items;
    items.Add(CEDLItem(0, 5), 0);  // what the list held stays in front
    GetCutListItems(file, items);
    std::vector<KindLength> got;
    for (const CEDLItem& item : items) {
      got.emplace_back(item.Kind, item.Length);
      EXPECT_EQ(std::tuple(item.Reference, item.Strings[2]), std::tuple(-1, std::string()));
    }
    got.erase(got.begin());
    EXPECT_EQ(got, expected) << file << " feet+frames " << feetFrames;
    EXPECT_EQ(items.ItemCount, items.GetSize());
  }
}

}  // namespace
