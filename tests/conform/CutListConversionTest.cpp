#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "commonobjects/conform/CutListReader.h"
#include "commonobjects/conform/EDLReader.h"
#include "commonobjects/conform/SourceDestItem.h"
#include "support/TempFolder.h"
#include "support/TestConsole.h"

namespace {

constexpr int32_t kDay24 = 2073600;  // 24 hours of frames at 24 per second

struct C {
  int32_t Kind, Position, Length, Pair = -1, Extra = 0;
  const char* Name = "";
};

// source start, length, destination start, destination length, reel
using Pair = std::tuple<int32_t, int32_t, int32_t, int32_t, std::string>;

CTimecodeSettings AtFramesPerSecond(int32_t framesPerSecond) {
  CTimecodeSettings settings;
  settings.FilmFramesPerSecond = framesPerSecond;
  return settings;
}

// A reader holding these changes, as if it had read them.
std::unique_ptr<CCutListReader> ReaderWith(const std::vector<C>& changes,
                                           const CTimecodeSettings& settings = AtFramesPerSecond(24)) {
  auto reader = std::make_unique<CCutListReader>(settings);
  for (const C& c : changes) {
    auto change = std::make_unique<CCutListChange>();
    change->Kind = c.Kind, change->Position = c.Position, change->Length = c.Length;
    change->SourceChange = c.Pair, change->Extra = c.Extra, change->Name = c.Name;
    reader->GetChanges().push_back(std::move(change));
  }
  return reader;
}

// The pairs of the edit list at path, read back as conform reads them.
std::vector<Pair> PairsIn(const std::string& path) {
  testsupport::TestConsole console;
  CGrowableArray<CSourceDestItem> items;
  GetSourceDestItems(path, items, true);
  std::vector<Pair> pairs;
  for (int32_t i = 0; i + 1 < items.GetSize(); i += 2) {
    const CSourceDestItem& dest = items[i + 1];
    pairs.emplace_back(items[i].Start, items[i].Length, dest.Start, dest.Length, dest.Detail->ReelName);
  }
  return pairs;
}

Pair P(int32_t sourceStart, int32_t length, int32_t destStart, const std::string& reel = "REEL1") {
  return {sourceStart, length, destStart, length, reel};
}

TEST(CutListConversionTest, PairsFollowTheOldPositionNewPositionAndOffsetForEveryKind) {
  testsupport::TempFolder folder;
  const std::string edl = folder.PathOf("conform.edl");
  const std::tuple<const char*, std::vector<C>, std::vector<Pair>> cases[] = {
      {"delete: the old material after it moves up", {{1, 100, 20}}, {P(0, 100, 0), P(120, kDay24 - 120, 100)}},
      {"trim head, middle, tail remove as a delete does", {{3, 100, 20}, {4, 200, 5}, {5, 300, 5}},
       {P(0, 100, 0), P(120, 100, 100), P(225, 100, 200), P(330, kDay24 - 330, 300)}},
      {"insert: new material without a pair", {{2, 100, 20}}, {P(0, 100, 0), P(100, kDay24 - 100, 120)}},
      {"lengthen head and tail add as an insert does", {{6, 100, 20}, {7, 300, 10}},
       {P(0, 100, 0), P(100, 180, 120), P(280, kDay24 - 280, 310)}},
      {"delete then insert", {{1, 100, 20}, {2, 300, 10}},
       {P(0, 100, 0), P(120, 200, 100), P(320, kDay24 - 320, 310)}},
      // The old position does not move on: the next pair starts from the same old material.
      {"unrecognised and no change: the lead-in only", {{0, 100, 20}, {11, 200, 20}},
       {P(0, 100, 0), P(0, 200, 100), P(0, kDay24, 300)}},
      {"change at 0: no lead-in", {{1, 0, 20}}, {P(20, kDay24 - 20, 0)}},
      {"clip: its own reel from its extra position", {{10, 100, 30, -1, 500, "CLIPREEL"}},
       {P(0, 100, 0), P(500, 30, 100, "CLIPREEL"), P(100, kDay24 - 100, 130)}},
      {"move then its insert: the material goes where the insert is", {{8, 100, 20, 1}, {9, 300, 20, 1}},
       {P(0, 100, 0), P(120, 200, 100), P(100, 20, 300), P(320, kDay24 - 320, 320)}},
      {"insert before its move: placed all the same", {{9, 100, 20, 2}, {8, 300, 20, 2}},
       {P(0, 100, 0), P(280, 20, 100), P(100, 180, 120), P(300, kDay24 - 300, 300)}},
      {"several moves of one pair number: the last counts", {{8, 100, 10, 3}, {8, 200, 10, 3}, {9, 400, 10, 3}},
       {P(0, 100, 0), P(110, 100, 100), P(220, 200, 200), P(210, 10, 400), P(420, kDay24 - 420, 410)}},
      {"insert whose move is not in the list: source 0", {{9, 100, 20, 7}, {8, 300, 20, 1}},
       {P(0, 100, 0), P(0, 20, 100), P(100, 180, 120), P(300, kDay24 - 300, 300)}},
      {"zero-length insert from a move and clip: no pair", {{9, 100, 0, 1}, {10, 200, 0, -1, 5, "CLIPREEL"}},
       {P(0, 100, 0), P(100, 100, 100), P(200, kDay24 - 200, 200)}},
  };
  for (const auto& [what, changes, expected] : cases) {
    ASSERT_TRUE(ConvertCutListToEDL(*ReaderWith(changes), "REEL1.aut", edl)) << what;
    EXPECT_EQ(PairsIn(edl), expected) << what;
  }
}

TEST(CutListConversionTest, TailRunsToADayAtTheFilmFrameRate) {
  testsupport::TempFolder folder;
  const std::string edl = folder.PathOf("conform.edl");
  const std::tuple<int32_t, int32_t> cases[] = {{24, 2073600}, {25, 2160000}, {30, 2592000}, {23, 2592000}};
  for (const auto& [framesPerSecond, day] : cases) {
    ASSERT_TRUE(ConvertCutListToEDL(*ReaderWith({{1, 100, 20}}, AtFramesPerSecond(framesPerSecond)), "REEL1.aut", edl));
    EXPECT_EQ(PairsIn(edl), (std::vector<Pair>{P(0, 100, 0), P(120, day - 120, 100)})) << framesPerSecond;
  }
  // A list that removes everything up to the day leaves no tail.
  ASSERT_TRUE(ConvertCutListToEDL(*ReaderWith({{1, 0, kDay24}}), "REEL1.aut", edl));
  EXPECT_EQ(PairsIn(edl), std::vector<Pair>{});
}

TEST(CutListConversionTest, HeaderIsTheReadersSettingsAndReelsAreNumberedInTheTable) {
  testsupport::TempFolder folder;
  const std::string edl = folder.PathOf("conform.edl");
  CTimecodeSettings settings;
  settings.RateCode = 2, settings.FilmFramesPerFoot = 20, settings.FilmEquivalence = -36, settings.FeetFrames = 1;
  auto reader = ReaderWith({{10, 100, 30, -1, 500, "ZED"}, {10, 300, 0, -1, 0, "ABLE"}, {10, 400, 5, -1, 0, "ZED"}},
                           settings);
  ASSERT_TRUE(ConvertCutListToEDL(*reader, "M1.aut", edl));

  CEDLReader back(edl, CEDLReader::kQrx);
  ASSERT_TRUE(back.Open());
  CTimecodeSettings read;
  CReelTable reels;
  ASSERT_EQ(back.ReadHeader(read, reels), CEDLReader::kBinaryHeader);
  EXPECT_EQ(std::tuple(read.RateCode, read.SampleRate, read.FilmFramesPerSecond, read.FilmFramesPerFoot,
                       read.FilmEquivalence, read.FeetFrames, read.CodeConvert, read.FeetFramesConvert),
            std::tuple(2, 48000, 24, 20, -36, 1, 30, 30));
  ASSERT_EQ(reels.GetSize(), 3);  // the mix's own reel and both clips' reels (ABLE without a pair), in order
  for (int32_t i = 0; i < 3; ++i) {
    EXPECT_EQ(reels.GetName(i), (std::vector<std::string>{"ABLE", "M1", "ZED"}[i]));
    EXPECT_EQ(reels.GetUsedName(i), reels.GetName(i));
  }
  std::vector<std::tuple<std::string, int32_t>> reelOfEvent;
  CEDLTimecodeBlock tc;
  CSourceDestItem source, dest;
  while (back.ReadEvent(tc, source, dest) != 0) reelOfEvent.emplace_back(dest.Detail->ReelName, dest.Detail->ReelIndex);
  EXPECT_EQ(reelOfEvent, (std::vector<std::tuple<std::string, int32_t>>{
                             {"M1", 1}, {"ZED", 2}, {"M1", 1}, {"M1", 1}, {"ZED", 2}, {"M1", 1}}));
}

TEST(CutListConversionTest, FileThatCannotBeCreatedFailsAndWritesNothing) {
  testsupport::TempFolder folder;
  auto reader = ReaderWith({{1, 100, 20}});
  const std::string intoMissingFolder = folder.PathOf("missing/conform.edl");
  EXPECT_FALSE(ConvertCutListToEDL(*reader, "REEL1.aut", intoMissingFolder));
  EXPECT_FALSE(std::filesystem::exists(folder.PathOf("missing")));
  std::filesystem::create_directory(folder.PathOf("adir"));
  EXPECT_FALSE(ConvertCutListToEDL(*reader, "REEL1.aut", folder.PathOf("adir")));
  EXPECT_TRUE(std::filesystem::is_empty(folder.PathOf("adir")));
}

}  // namespace
