// Saving and loading mixes in both forms: what lands in the file, what comes back, and what
// a failed save leaves.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "commonobjects/eventstore/ArchiveRecords.h"
#include "commonobjects/files/CompressedAutoFile.h"
#include "commonobjects/files/internal/EventRecords.h"
#include "commonobjects/package/AutomationPackage.h"
#include "commonobjects/platform/CompoundFile.h"
#include "commonobjects/platform/WindowMessages.h"
#include "support/CfbBuilder.h"
#include "support/SampleMix.h"
#include "support/TempFolder.h"
#include "support/TestConsole.h"

namespace {

using commonobjects::platform::CompoundStorage;
using testsupport::Bytes;
using testsupport::FillSampleMix;
using testsupport::MixMembers;
using testsupport::StreamContents;

Bytes FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes Words32(std::initializer_list<uint32_t> words) {
  Bytes bytes;
  for (uint32_t w : words) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(w >> (8 * i)));
  }
  return bytes;
}

// The streams of the compound file at `path`, by name.
StreamContents Streams(const std::string& path) {
  StreamContents streams;
  EXPECT_TRUE(testsupport::ReadCompoundFile(FileBytes(path), &streams).IsOk());
  return streams;
}

class PackageStorageTest : public testing::Test {
 protected:
  testsupport::TestConsole console_{3};
  testsupport::TempFolder folder_{"package-storage"};
};

TEST_F(PackageStorageTest, StructuredSaveWritesEveryStreamOfTheMixAndLoadsItBack) {
  CAutomationPackage mix;
  FillSampleMix(mix);
  mix.SetFileName(folder_.PathOf("reel1.mix"));
  ASSERT_EQ(mix.Save(0), 1);
  EXPECT_EQ(mix.GetErrorState(), 0);

  const StreamContents streams = Streams(mix.GetFileName());
  std::map<std::string, size_t> lengths;
  for (const auto& [name, bytes] : streams) lengths[name] = bytes.size();
  EXPECT_EQ(lengths, testsupport::SampleMixStreamLengths(2000, 500, 40));
  EXPECT_EQ(streams.at("File Version")[0], 1);
  EXPECT_EQ(streams.at("File Version")[1], 4);
  EXPECT_EQ(streams.at("AutomationSize"), Words32({500}));
  EXPECT_EQ(streams.at("Mix Pass"), Words32({12, 34}));
  EXPECT_EQ(streams.at("SnapshotVersionVectorData"), Words32({35}));

  CAutomationPackage loaded;
  loaded.SetFileName(mix.GetFileName());
  loaded.Load();
  EXPECT_FALSE(loaded.IsCompressedFile());
  EXPECT_FALSE(loaded.IsOldVersion());
  EXPECT_TRUE(loaded.GetLoadReport().EventsLoaded);
  EXPECT_TRUE(loaded.GetLoadReport().Missing.empty());
  EXPECT_EQ(MixMembers(loaded), MixMembers(mix));
}

TEST_F(PackageStorageTest, CompressedSaveWritesTheMixBlocksAndHeaderAndLoadsItBack) {
  CAutomationPackage mix;
  FillSampleMix(mix, 5000);
  // Padding bytes hold whatever a copy left there; records have byte 13 zero all the same.
  for (int32_t i = 0; i < mix.GetSize(); i += 7) reinterpret_cast<unsigned char*>(&mix[i])[13] = 0xAB;
  Bytes records(5000 * kArchiveRecordBytes);
  EncodeArchiveRecords(mix.GetData(), 5000, records.data());
  mix.SetFileName(folder_.PathOf("reel1.cmx"));
  ASSERT_NE(mix.Save(1), 0);

  CCompressedAutoFile file;
  ASSERT_TRUE(file.OpenFile(mix.GetFileName()));
  EXPECT_EQ(file.EventCount, 5000);
  EXPECT_EQ(file.MixPassA, 12);
  EXPECT_EQ(file.MixPassB, 34);
  EXPECT_EQ(file.PathsMode, 2);
  Bytes block(records.size());
  ASSERT_TRUE(file.ReadBlock(1, block.data(), block.size()));
  EXPECT_EQ(block, records);
  std::vector<int32_t> blocks;
  for (const auto& slot : file.Slots) {
    if (slot.BlockNumber >= 0) blocks.push_back(slot.BlockNumber);
  }
  EXPECT_EQ(blocks, (std::vector<int32_t>{1, 2, 4, 6, 9, 15, 11, 13, 21, 3, 5, 7, 10, 16, 12, 14, 22, 17, 26, 18,
                                          19, 20, 8, 23, 24, 27}));
  // Block 26: word 6 of every path's parameters, then word 15.
  CWordArray summary;
  ASSERT_TRUE(file.ReadArray(26, summary));
  ASSERT_EQ(summary.GetSize(), 4000);
  EXPECT_EQ(summary[1], mix.ControlParms[45 + 6]);
  EXPECT_EQ(summary[2000 + 1999], mix.ControlParms[1999 * 45 + 15]);
  file.CloseFile();

  CAutomationPackage loaded;
  loaded.SetFileName(mix.GetFileName());
  loaded.Load();
  EXPECT_TRUE(loaded.IsCompressedFile());
  EXPECT_EQ(MixMembers(loaded), MixMembers(mix));
}

TEST_F(PackageStorageTest, LoadPostsTheProgressOfEachForm) {
  CAutomationPackage mix;
  FillSampleMix(mix, 100);
  mix.SetFileName(folder_.PathOf("progress.cmx"));
  ASSERT_NE(mix.Save(1), 0);
  commonobjects::platform::Endpoint status("TavmirStatusWindow");
  {
    CAutomationPackage loaded;
    loaded.SetFileName(mix.GetFileName());
    loaded.Load();
  }
  std::vector<std::pair<uint32_t, int32_t>> posted;
  for (const auto& m : status.Drain()) posted.emplace_back(m.code, m.param);
  const std::vector<std::pair<uint32_t, int32_t>> expected = {{0, 0}, {15, 3}, {15, 35}, {17, 0}, {17, 0}};
  EXPECT_EQ(posted, expected);

  // A structured load announces every stream with 15/0 and walks the large ones in thirtieths.
  mix.SetFileName(folder_.PathOf("progress.mix"));
  ASSERT_EQ(mix.Save(0), 1);
  CAutomationPackage loaded;
  loaded.SetNotifyOnDestruction(false);
  loaded.SetFileName(mix.GetFileName());
  loaded.Load();
  std::vector<int32_t> params;
  for (const auto& m : status.Drain()) {
    EXPECT_EQ(m.code, 15u);
    params.push_back(m.param);
  }
  EXPECT_GE(std::count(params.begin(), params.end(), 0), 35);
  // The gang map's 4,000,000 entries: a post before every 133,333rd, 0, 3, 6, 9, 13 ... 96, 99.
  std::vector<int32_t> gang;
  for (int64_t i = 0; i < 4000000; i += 133333) gang.push_back(static_cast<int32_t>(i * 100 / 4000000));
  ASSERT_EQ(gang.size(), 31u);
  EXPECT_NE(std::search(params.begin(), params.end(), gang.begin(), gang.end()), params.end());
}

TEST_F(PackageStorageTest, OlderStreamEncodingsAndPartialContentsLoadAsTheyCan) {
  // A mix written by a version 1.2 writer: compressed streams; "Mix Pass" with three words.
  const Bytes versions = Words32({35});
  Bytes stored = Words32({static_cast<uint32_t>(versions.size())});
  uLongf packedSize = compressBound(versions.size());
  Bytes packed(packedSize);
  ASSERT_EQ(compress(packed.data(), &packedSize, versions.data(), versions.size()), Z_OK);
  stored.insert(stored.end(), packed.begin(), packed.begin() + static_cast<long>(packedSize));
  Bytes linkMapDamaged = Words32({400});
  linkMapDamaged.insert(linkMapDamaged.end(), {0x78, 0x01, 0xFF, 0xFF, 0xFF});
  Bytes fileVersion(40, 0);
  fileVersion[0] = 1, fileVersion[1] = 2;
  const std::string path = folder_.PathOf("old.mix");
  WriteBytes(path, testsupport::BuildCompoundFile({{"File Version", fileVersion},
                                                   {"SnapshotVersionVectorData", stored},
                                                   {"LinkMapLinkMap", linkMapDamaged}}));
  CAutomationPackage mix;
  mix.SetMixPass(5, 6);
  mix.LinkMap.Add(99);
  mix.SetFileName(path);
  mix.Load();
  ASSERT_EQ(mix.SnapshotVersion.GetSize(), 1);
  EXPECT_EQ(mix.SnapshotVersion[0], 35u);
  EXPECT_EQ(mix.LinkMap.GetSize(), 1);  // damaged zlib data: the member keeps its contents
  const auto& report = mix.GetLoadReport();
  EXPECT_EQ(report.Unreadable, (std::vector<std::string>{"LinkMapLinkMap"}));
  EXPECT_NE(std::find(report.Missing.begin(), report.Missing.end(), "GangMapGangMap"), report.Missing.end());

  // The same streams under 1.4 are raw; lengths that are not whole elements drop the rest.
  fileVersion[1] = 4;
  WriteBytes(path, testsupport::BuildCompoundFile({{"File Version", fileVersion},
                                                   {"SnapshotVersionVectorData", Words32({35, 1})},
                                                   {"EndsCtlData", Bytes(144 * 2 + 100, 7)},
                                                   {"FirstAutoRteVectorData", Bytes(6, 1)},
                                                   {"Mix Pass", Words32({1, 2, 3})}}));
  mix.Load();
  int32_t a = 0, b = 0;
  mix.GetMixPass(a, b);  // three words are no mix pass: the numbers stay
  EXPECT_EQ(a, 5);
  EXPECT_EQ(b, 6);
  EXPECT_EQ(mix.SnapshotVersion.GetSize(), 2);
  EXPECT_EQ(mix.GetSlot(CAutomationPackage::FullControl, 0)->GetSize(), 2);
  EXPECT_EQ(mix.FirstAutoRte.GetSize(), 1);
}

TEST_F(PackageStorageTest, AFileOfNeitherFormOrALowerCaseMagicLeavesTheMixAsItWas) {
  CAutomationPackage mix;
  FillSampleMix(mix, 50);
  const auto before = MixMembers(mix);
  const Bytes lowerCaseMagic = {'a', 'u', 't', 'x', 'f', 'i', 'l', 'e', 2, 0, 0, 0};
  for (const Bytes& content : {lowerCaseMagic, Bytes(2048, 'x'), Bytes{}}) {
    const std::string path = folder_.PathOf("not-a-mix");
    WriteBytes(path, content);
    mix.SetFileName(path);
    mix.Load();
    EXPECT_FALSE(mix.GetLoadReport().Opened);
    EXPECT_EQ(MixMembers(mix), before);
    EXPECT_EQ(mix.IsCompressedFile(), content == lowerCaseMagic);  // taken for a compressed mix
  }
}

TEST_F(PackageStorageTest, AFailedSaveSetsErrorStateFiveAndLeavesTheOldFile) {
  CAutomationPackage mix;
  FillSampleMix(mix, 10);
  // Structured save onto a file that is no compound file; compressed save into a missing folder.
  const std::string plain = folder_.PathOf("plain.txt");
  WriteBytes(plain, Bytes(100, 'x'));
  mix.SetFileName(plain);
  EXPECT_EQ(mix.Save(0), 0);
  EXPECT_EQ(mix.GetErrorState(), 5);
  EXPECT_EQ(FileBytes(plain), Bytes(100, 'x'));
  mix.SetFileName(folder_.PathOf("missing/folder.cmx"));
  EXPECT_EQ(mix.Save(1), 0);
  EXPECT_EQ(mix.GetErrorState(), 5);
  mix.SetFileName(folder_.PathOf("good.cmx"));
  EXPECT_NE(mix.Save(1), 0);
  EXPECT_EQ(mix.GetErrorState(), 0);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_.Path()), {}), 2);  // no temporary left
}

TEST_F(PackageStorageTest, ATruncatedCompressedMixKeepsWhatCouldBeReadAndNamesTheRest) {
  console_.SetNumber(testsupport::kServerKey, "CompressedAutoPauseMs", 0);
  CAutomationPackage mix;
  FillSampleMix(mix, 100'000);
  mix.SetFileName(folder_.PathOf("whole.cmx"));
  ASSERT_NE(mix.Save(1), 0);
  const Bytes whole = FileBytes(mix.GetFileName());
  CCompressedAutoFile file;
  ASSERT_TRUE(file.OpenFile(mix.GetFileName()));
  const uint32_t gangAt = file.Slots[static_cast<size_t>(file.FindSlot(24))].Offset;
  file.CloseFile();
  // Cut inside the gang map's block: the blocks before it are whole, the ones after it gone.
  const std::string cut = folder_.PathOf("cut.cmx");
  WriteBytes(cut, Bytes(whole.begin(), whole.begin() + gangAt + 1000));
  CAutomationPackage loaded;
  loaded.SetFileName(cut);
  loaded.Load();
  const auto& report = loaded.GetLoadReport();
  EXPECT_TRUE(report.EventsLoaded);
  EXPECT_EQ(loaded.GetSize(), 100'000);
  EXPECT_EQ(report.Unreadable, (std::vector<std::string>{"block 24"}));
  EXPECT_TRUE(report.Missing.empty());
  EXPECT_EQ(loaded.FirstAutoRte.GetSize(), 1);  // block 8 was written before the gang map
  EXPECT_EQ(MixMembers(loaded)[0], MixMembers(mix)[0]);

  // A chunk whose zlib data is damaged: what zlib recovers stays, and the block is named.
  Bytes damaged = whole;
  CCompressedAutoFile again;
  ASSERT_TRUE(again.OpenFile(mix.GetFileName()));
  const uint32_t eventsAt = again.Slots[static_cast<size_t>(again.FindSlot(1))].Offset;
  again.CloseFile();
  damaged[eventsAt + 12 + 500] ^= 0xFF;
  WriteBytes(cut, damaged);
  loaded.Load();
  EXPECT_FALSE(loaded.GetLoadReport().EventsLoaded);
  EXPECT_EQ(loaded.GetLoadReport().Unreadable, (std::vector<std::string>{"block 1"}));
  EXPECT_EQ(loaded.GetSize(), 100'000);
}

TEST_F(PackageStorageTest, ACompressedMixLoadsWhileAWriterHoldsItAndIsNeverWritten) {
  CAutomationPackage mix;
  FillSampleMix(mix, 100);
  mix.SetFileName(folder_.PathOf("held.cmx"));
  ASSERT_NE(mix.Save(1), 0);
  const Bytes before = FileBytes(mix.GetFileName());
  CCompressedAutoFile writer;  // holds the file exclusively for writing
  ASSERT_TRUE(writer.OpenFile(mix.GetFileName()));
  CAutomationPackage loaded;
  loaded.SetFileName(mix.GetFileName());
  loaded.Load();
  EXPECT_EQ(MixMembers(loaded), MixMembers(mix));
  writer.CloseFile();
  EXPECT_EQ(FileBytes(mix.GetFileName()), before);
}

// Small consoles of max paths mode 0: their control records have 5 words from snapshot 22 on,
// above the mode's own version 18, so loading and saving must not take a version below 22.
TEST(PackageStorageSmallConsoleTest, ConvertedAndCurrentRecordsSaveUnderAVersionThatDescribesThem) {
  testsupport::TestConsole console(6);
  testsupport::TempFolder folder("package-small");
  CAutomationPackage mix;
  FillSampleMix(mix, 100, 3);
  EXPECT_EQ(mix.SnapshotVersion[0], 22u);
  for (int compressed : {0, 1}) {
    mix.SetFileName(folder.PathOf(compressed != 0 ? "current.cmx" : "current.mix"));
    ASSERT_NE(mix.Save(compressed), 0);
    CAutomationPackage loaded;
    loaded.SetFileName(mix.GetFileName());
    loaded.Load();
    EXPECT_FALSE(loaded.GetLoadReport().ControlsConverted);
    EXPECT_EQ(MixMembers(loaded), MixMembers(mix)) << "compressed " << compressed;
  }

  // Snapshot 15: 4-word records, converted once and saved as 22; a file without a version
  // holds current records.
  Bytes fileVersion(40, 0);
  fileVersion[0] = 1, fileVersion[1] = 4;
  const Bytes oldRecords = Words32({1, 2, 3, 4, 5, 6, 7, 8});
  for (const bool versioned : {true, false}) {
    testsupport::StreamContents streams = {{"File Version", fileVersion}, {"ModeCtlData", oldRecords}};
    if (versioned) streams["SnapshotVersionVectorData"] = Words32({15});
    const std::string path = folder.PathOf("old.mix");
    WriteBytes(path, testsupport::BuildCompoundFile(streams));
    CAutomationPackage old;
    old.SetFileName(path);
    old.Load();
    const CRecordArray* mode = old.GetSlot(CAutomationPackage::SmallControl, 3);
    const Bytes expected = versioned ? Words32({1, 2, 3, 4, 87381, 5, 6, 7, 8, 87381}) : Words32({1, 2, 3, 4, 5});
    EXPECT_EQ(Bytes(mode->GetData(), mode->GetData() + mode->GetByteCount()), expected) << versioned;
    ASSERT_EQ(old.Save(0), 1);
    CAutomationPackage again;
    again.SetFileName(path);
    again.Load();
    EXPECT_FALSE(again.GetLoadReport().ControlsConverted);
    EXPECT_EQ(MixMembers(again), MixMembers(old)) << versioned;
  }
}

}  // namespace
