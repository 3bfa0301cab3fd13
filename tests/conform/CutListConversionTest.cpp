#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "commonobjects/conform/CutListReader.h"
#include "commonobjects/conform/EDLReader.h"
#include "support/TempFolder.h"
#include "support/TestConsole.h"

namespace {

constexpr int32_t kDay = 2073600;  // 24 hours of frames at 24 per second

struct C {
  int32_t Kind, Position, Length, Pair = -1, Extra = 0;
  const char* Name = "";
};
using Pair = std::tuple<int32_t, int32_t, int32_t, std::string>;  // source start, length, destination start, reel

// A reader holding these changes, as if it had read them.
std::unique_ptr<CCutListReader> ReaderWith(const std::vector<C>& changes, int32_t framesPerSecond = 24) {
  CTimecodeSettings settings;
  settings.FilmFramesPerSecond = framesPerSecond;
  settings.FilmEquivalence = -36;
  auto reader = std::make_unique<CCutListReader>(settings);
  for (const C& c : changes) {
    auto change = std::make_unique<CCutListChange>();
    change->Kind = c.Kind, change->Position = c.Position, change->Length = c.Length;
    change->SourceChange = c.Pair, change->Extra = c.Extra, change->Name = c.Name;
    reader->GetChanges().push_back(std::move(change));
  }
  return reader;
}

// The pairs of the edit list at path as conform reads them; each destination's reel index
// must name its reel in the file's reel table, whose used names are the names.
std::vector<Pair> PairsIn(const std::string& path) {
  testsupport::TestConsole console;
  CEDLReader reader(path, CEDLReader::kQrx);
  CTimecodeSettings settings;
  CReelTable reels;
  EXPECT_TRUE(reader.Open());
  EXPECT_EQ(reader.ReadHeader(settings, reels), CEDLReader::kBinaryHeader);
  EXPECT_EQ(settings.FilmEquivalence, -36);  // the header is the reader's settings
  std::vector<Pair> pairs;
  CEDLTimecodeBlock tc;
  CSourceDestItem source, dest;
  while (reader.ReadEvent(tc, source, dest) == 1) {
    pairs.emplace_back(source.Start, source.Length, dest.Start, dest.Detail->ReelName);
    EXPECT_EQ(dest.Length, source.Length);
    const int32_t reel = dest.Detail->ReelIndex;
    EXPECT_TRUE(reel >= 0 && reel < reels.GetSize() && reels.GetName(reel) == dest.Detail->ReelName &&
                reels.GetUsedName(reel) == dest.Detail->ReelName);
  }
  return pairs;
}

Pair P(int32_t sourceStart, int32_t length, int32_t destStart, const std::string& reel = "REEL1") {
  return {sourceStart, length, destStart, reel};
}

TEST(CutListConversionTest, PairsFollowTheOldPositionNewPositionAndOffsetForEveryKind) {
  testsupport::TempFolder folder;
  const std::string edl = folder.PathOf("conform.edl");
  const std::tuple<const char*, std::vector<C>, std::vector<Pair>> cases[] = {
      {"delete, trims: the old material after them moves up", {{1, 100, 20}, {3, 200, 5}, {4, 300, 5}, {5, 400, 5}},
       {P(0, 100, 0), P(120, 100, 100), P(225, 100, 200), P(330, 100, 300), P(435, kDay - 435, 400)}},
      {"insert, lengthenings: new material without a pair", {{2, 100, 20}, {6, 300, 10}, {7, 400, 10}},
       {P(0, 100, 0), P(100, 180, 120), P(280, 90, 310), P(370, kDay - 370, 410)}},
      {"change at 0: no lead-in", {{1, 0, 20}}, {P(20, kDay - 20, 0)}},
      // The old position stays: the next pair starts from the same old material.
      {"unrecognised and no change: the lead-in only", {{0, 100, 20}, {11, 200, 20}},
       {P(0, 100, 0), P(0, 200, 100), P(0, kDay, 300)}},
      {"clip: its own reel from its extra position", {{10, 100, 30, -1, 500, "CLIPREEL"}, {10, 200, 0, -1, 0, "ABLE"}},
       {P(0, 100, 0), P(500, 30, 100, "CLIPREEL"), P(100, 70, 130), P(170, kDay - 170, 200)}},
      {"move then its insert", {{8, 100, 20, 1}, {9, 300, 20, 1}},
       {P(0, 100, 0), P(120, 200, 100), P(100, 20, 300), P(320, kDay - 320, 320)}},
      {"insert before its move", {{9, 100, 20, 2}, {8, 300, 20, 2}},
       {P(0, 100, 0), P(280, 20, 100), P(100, 180, 120), P(300, kDay - 300, 300)}},
      {"several moves of one number: the last counts; an unmatched insert: 0",
       {{8, 100, 10, 3}, {8, 200, 10, 3}, {9, 400, 10, 3}, {9, 500, 10, 4}, {9, 600, 0, 3}},
       {P(0, 100, 0), P(110, 100, 100), P(220, 200, 200), P(210, 10, 400), P(420, 90, 410), P(0, 10, 500),
        P(510, 90, 510), P(600, kDay - 600, 600)}},
  };
  for (const auto& [what, changes, expected] : cases) {
    ASSERT_TRUE(ConvertCutListToEDL(*ReaderWith(changes), "REEL1.aut", edl)) << what;
    EXPECT_EQ(PairsIn(edl), expected) << what;
  }
}

TEST(CutListConversionTest, TailRunsToADayAtTheFilmFrameRate) {
  testsupport::TempFolder folder;
  const std::string edl = folder.PathOf("conform.edl");
  const std::pair<int32_t, int32_t> rates[] = {{24, 2073600}, {25, 2160000}, {30, 2592000}, {23, 2592000}};
  for (const auto& [framesPerSecond, day] : rates) {
    ASSERT_TRUE(ConvertCutListToEDL(*ReaderWith({{1, 100, 20}}, framesPerSecond), "REEL1.aut", edl));
    EXPECT_EQ(PairsIn(edl), (std::vector<Pair>{P(0, 100, 0), P(120, day - 120, 100)})) << framesPerSecond;
  }
  ASSERT_TRUE(ConvertCutListToEDL(*ReaderWith({{1, 0, kDay}}), "REEL1.aut", edl));
  EXPECT_EQ(PairsIn(edl), std::vector<Pair>{});  // nothing is left for a tail
}

TEST(CutListConversionTest, FileThatCannotBeCreatedFailsAndWritesNothing) {
  testsupport::TempFolder folder;
  EXPECT_FALSE(ConvertCutListToEDL(*ReaderWith({{1, 100, 20}}), "REEL1.aut", folder.PathOf("missing/conform.edl")));
  EXPECT_FALSE(std::filesystem::exists(folder.PathOf("missing")));
  std::filesystem::create_directory(folder.PathOf("adir"));
  EXPECT_FALSE(ConvertCutListToEDL(*ReaderWith({{1, 100, 20}}), "REEL1.aut", folder.PathOf("adir")));
  EXPECT_TRUE(std::filesystem::is_empty(folder.PathOf("adir")));
}

}  // namespace
