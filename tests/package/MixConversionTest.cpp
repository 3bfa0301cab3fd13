// Old mixes: older control record layouts and smaller max paths modes, converted on loading
// with every path's data at its path and nothing of the old mix lost.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "commonobjects/files/CompressedAutoFile.h"
#include "commonobjects/package/AutomationPackage.h"
#include "commonobjects/platform/WindowMessages.h"
#include "support/CfbBuilder.h"
#include "support/SampleMix.h"
#include "support/TempFolder.h"
#include "support/TestConsole.h"

namespace {

using testsupport::Bytes;

Bytes Words32(const std::vector<uint32_t>& words) {
  Bytes bytes;
  for (uint32_t w : words) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(w >> (8 * i)));
  }
  return bytes;
}

template <typename T>
Bytes Elements(const std::vector<T>& values) {
  Bytes bytes(values.size() * sizeof(T));
  std::memcpy(bytes.data(), values.data(), bytes.size());
  return bytes;
}

// `records` old records of `words` words; word w of record r is 1000 * r + w + 1.
std::vector<uint32_t> OldRecords(int records, int words) {
  std::vector<uint32_t> all;
  for (int r = 0; r < records; ++r) {
    for (int w = 0; w < words; ++w) all.push_back(static_cast<uint32_t>(1000 * r + w + 1));
  }
  return all;
}

std::vector<uint32_t> RecordWords(const CRecordArray& slot, int record) {
  std::vector<uint32_t> words(static_cast<size_t>(slot.GetRecordSize() / 4));
  std::memcpy(words.data(), slot.GetData() + record * slot.GetRecordSize(), words.size() * 4);
  return words;
}

void WriteFile(const std::string& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<std::streamsize>(bytes.size()));
}

class MixConversionTest : public testing::Test {
 protected:
  // An old structured mix: snapshot `version`, `oldWords`-word records in "Mode" (slot 3) and
  // "LinkControls" (slot 7), two route records, and maps and parameters for `paths` paths.
  std::string OldMix(uint32_t version, int oldWords, int32_t paths) {
    testsupport::StreamContents streams = {
        {"SnapshotVersionVectorData", Words32({version})},
        {"ModeCtlData", Words32(OldRecords(2, oldWords))},
        {"LinkControlsCtlData", Words32(OldRecords(2, oldWords))},
        {"EndsRteData", Bytes(2 * 192, 0xAB)},
        {"LinkMapLinkMap", Words32(std::vector<uint32_t>(static_cast<size_t>(paths), 7))},
        {"ISSCCtrlParms", Elements(std::vector<uint16_t>(static_cast<size_t>(paths) * 45, 3))},
        {"ISSCRteParms", Elements(std::vector<uint16_t>(static_cast<size_t>(paths) * 2, 4))}};
    std::vector<uint16_t> gang(static_cast<size_t>(paths) * paths, 0xFFFF);
    gang[static_cast<size_t>(paths) * 2 + 5] = 9;  // row 2, column 5
    gang.back() = 8;                              // the last path's own entry
    streams["GangMapGangMap"] = Elements(gang);
    const std::string path = folder_.PathOf("old-" + std::to_string(version) + ".mix");
    WriteFile(path, testsupport::BuildCompoundFile(streams));
    return path;
  }

  testsupport::TempFolder folder_{"mix-conversion"};
};

TEST_F(MixConversionTest, Snapshot17OnTypeThreeTakesTheSecondLayoutAndGrowsToTwoThousandPaths) {
  testsupport::TestConsole console(3);
  commonobjects::platform::Endpoint status("TavmirStatusWindow");
  CAutomationPackage mix;
  mix.SetFileName(OldMix(17, 27, 256));
  mix.Load();
  EXPECT_TRUE(mix.IsOldVersion());
  EXPECT_TRUE(mix.GetLoadReport().ControlsConverted);
  EXPECT_TRUE(mix.GetLoadReport().ModeConverted);

  // 27 -> 36 words: 0-4 kept, 5-8 the slot's fill, 9-30 the old 5-26, 31-35 zero.
  std::vector<uint32_t> expected;
  for (int w = 0; w < 5; ++w) expected.push_back(1000 + w + 1);
  for (int w = 5; w < 9; ++w) expected.push_back(87381);  // "Mode"
  for (int w = 5; w < 27; ++w) expected.push_back(1000 + w + 1);
  expected.insert(expected.end(), 5, 0);
  const CRecordArray& mode = *mix.GetSlot(CAutomationPackage::FullControl, 3);
  EXPECT_EQ(RecordWords(mode, 1), expected);
  EXPECT_EQ(RecordWords(*mix.GetSlot(CAutomationPackage::FullControl, 7), 0)[5], 65535u);  // "LinkControls"
  // Every slot of the full set now has one record per path; converted records keep their place.
  EXPECT_EQ(mode.GetSize(), 2000);
  EXPECT_EQ(RecordWords(mode, 1999), std::vector<uint32_t>(36, 0));
  EXPECT_EQ(mix.GetSlot(CAutomationPackage::FullRoute, 0)->GetSize(), 2000);
  EXPECT_EQ(mix.GetSlot(CAutomationPackage::FullRoute, 0)->GetData()[191], 0xAB);
  EXPECT_EQ(mix.GetSlot(CAutomationPackage::FullControl, 0)->GetSize(), 2000);  // a missing stream grows too

  // Maps and parameters: every path's entries at its path, the new paths' as a new mix has them.
  ASSERT_EQ(mix.LinkMap.GetSize(), 2000);
  EXPECT_EQ(mix.LinkMap[255], 7u);
  EXPECT_EQ(mix.LinkMap[256], 256u);
  EXPECT_EQ(mix.LinkMap[1999], 1999u);
  ASSERT_EQ(mix.GangMap.GetSize(), 2000 * 2000);
  EXPECT_EQ(mix.GangMap[2 * 2000 + 5], 9);
  EXPECT_EQ(mix.GangMap[255 * 2000 + 255], 8);
  EXPECT_EQ(std::count(mix.GangMap.begin(), mix.GangMap.end(), 0xFFFF), 2000 * 2000 - 2);
  ASSERT_EQ(mix.ControlParms.GetSize(), 2000 * 45);
  EXPECT_EQ(mix.ControlParms[256 * 45 - 1], 3);
  EXPECT_EQ(mix.ControlParms[256 * 45], 0);
  EXPECT_EQ(mix.RouteParms.GetSize(), 2000 * 2);

  // The conversions are announced slot by slot in eighths.
  std::vector<int32_t> conversion;
  for (const auto& m : status.Drain()) {
    if (m.code == 26) conversion.push_back(m.param);
  }
  const std::vector<int32_t> eighths = {0, 12, 25, 37, 50, 62, 75, 87};
  EXPECT_EQ(conversion.size(), 2u + 16u);  // two converted slots, then every slot grown
  EXPECT_TRUE(std::search(conversion.begin(), conversion.end(), eighths.begin(), eighths.end()) != conversion.end());

  // Saved, the mix carries the current snapshot version and loads again unchanged.
  mix.SetFileName(folder_.PathOf("converted.mix"));
  ASSERT_EQ(mix.Save(0), 1);
  CAutomationPackage again;
  again.SetFileName(mix.GetFileName());
  again.Load();
  EXPECT_FALSE(again.IsOldVersion());
  EXPECT_FALSE(again.GetLoadReport().ControlsConverted);
  EXPECT_EQ(again.SnapshotVersion[0], 35u);
  EXPECT_EQ(testsupport::MixMembers(again), testsupport::MixMembers(mix));
}

TEST_F(MixConversionTest, EachOldControlLayoutMovesItsWordsToTheirPlaceInBothForms) {
  struct Case {
    int32_t type;
    uint32_t version;
    int oldWords;
    std::vector<uint32_t> record1;  // the converted second record of "Mode"
  };
  auto words = [](std::initializer_list<std::pair<int, int>> runs, int total) {
    std::vector<uint32_t> w(static_cast<size_t>(total), 0);
    int at = 0;
    for (auto [from, count] : runs) {
      for (int i = 0; i < count; ++i, ++at) w[static_cast<size_t>(at)] = from < 0 ? 87381 : 1000 + from + i + 1;
    }
    return w;
  };
  const Case cases[] = {
      {3, 15, 20, words({{0, 5}, {-1, 4}, {5, 15}, {-1, 12}}, 36)},
      {6, 21, 4, words({{0, 4}, {-1, 1}}, 5)},
      {3, 18, 36, words({{0, 36}}, 36)},  // the current layout from 18 on
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.version);
    testsupport::TestConsole console(c.type);
    const auto set = c.type == 6 ? CAutomationPackage::SmallControl : CAutomationPackage::FullControl;
    // Structured.
    CAutomationPackage mix;
    mix.SetFileName(OldMix(c.version, c.oldWords, c.type == 6 ? 256 : 2000));
    mix.Load();
    EXPECT_EQ(RecordWords(*mix.GetSlot(set, 3), 1), c.record1);
    // Compressed: the same records in block 9.
    const std::string path = folder_.PathOf("old.cmx");
    std::remove(path.c_str());
    {
      CCompressedAutoFile file;
      ASSERT_TRUE(file.OpenFile(path));
      CIntArray version;
      version.Add(static_cast<int32_t>(c.version));
      file.WriteArray(20, version);
      const Bytes records = Words32(OldRecords(2, c.oldWords));
      file.WriteBlock(9, records.data(), records.size());
      ASSERT_TRUE(file.CloseFile());
    }
    CAutomationPackage compressed;
    compressed.SetFileName(path);
    compressed.Load();
    ASSERT_TRUE(compressed.GetLoadReport().Opened);
    EXPECT_EQ(RecordWords(*compressed.GetSlot(set, 3), 1), c.record1);
  }
}

TEST_F(MixConversionTest, ModeOneMixesGrowTheirMapsAndNoMixEverShrinks) {
  {
    // Snapshot 28 (500 paths) on a console of 2000: maps and parameters grow, slots stay.
    testsupport::TestConsole console(3);
    CAutomationPackage mix;
    mix.SetFileName(OldMix(28, 36, 500));
    mix.Load();
    EXPECT_TRUE(mix.IsOldVersion());
    EXPECT_FALSE(mix.GetLoadReport().ControlsConverted);
    EXPECT_EQ(mix.GetSlot(CAutomationPackage::FullControl, 3)->GetSize(), 2);
    ASSERT_EQ(mix.GangMap.GetSize(), 2000 * 2000);
    EXPECT_EQ(mix.GangMap[2 * 2000 + 5], 9);
    EXPECT_EQ(mix.GangMap[499 * 2000 + 499], 8);
    EXPECT_EQ(mix.LinkMap.GetSize(), 2000);
    EXPECT_EQ(mix.ControlParms.GetSize(), 2000 * 45);
  }
  {
    // Snapshot 35 of 2000 paths on a console of 500, and a huge version: taken as they are.
    testsupport::TestConsole console(2, 1);
    for (uint32_t version : {35u, 0xFFFFFFFFu}) {
      CAutomationPackage mix;
      mix.SetFileName(OldMix(version, 36, 2000));
      mix.Load();
      EXPECT_FALSE(mix.IsOldVersion());
      EXPECT_FALSE(mix.GetLoadReport().ModeConverted);
      EXPECT_EQ(mix.GangMap.GetSize(), 2000 * 2000);
      EXPECT_EQ(mix.LinkMap.GetSize(), 2000);
      EXPECT_EQ(mix.GetSlot(CAutomationPackage::FullControl, 3)->GetSize(), 2);
    }
  }
  {
    // A gang map of the wrong size is kept as it is; an empty snapshot version is current.
    testsupport::TestConsole console(3);
    WriteFile(folder_.PathOf("odd.mix"), testsupport::BuildCompoundFile(
                                             {{"SnapshotVersionVectorData", {}}, {"GangMapGangMap", Bytes(1000, 1)}}));
    CAutomationPackage mix;
    mix.SetFileName(folder_.PathOf("odd.mix"));
    mix.Load();
    EXPECT_FALSE(mix.IsOldVersion());
    EXPECT_EQ(mix.GangMap.GetSize(), 500);
    EXPECT_TRUE(mix.SnapshotVersion.IsEmpty());
  }
}

}  // namespace
