#include "commonobjects/eventstore/EventFilter.h"

#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

#include "support/TestConsole.h"

namespace {


using ScopedConsoleType = testsupport::TestConsole;

using Pair = std::pair<int, int>;  // (block, control)

std::vector<Pair> PairsOf(const CEventFilter& filter) {
  std::vector<Pair> pairs;
  for (uint16_t entry : filter.ProcControls) pairs.emplace_back(entry & 0xFF, entry >> 8);
  return pairs;
}

std::vector<Pair> BlockControls(int block, std::initializer_list<int> controls) {
  std::vector<Pair> pairs;
  for (int control : controls) pairs.emplace_back(block, control);
  return pairs;
}

struct TranslateCase {
  uint32_t consoleType;
  uint32_t flags;
  int32_t firstGroupProc;
  int32_t endGroupProc;
  size_t pairCount;
  std::vector<Pair> exactPairs;  // empty: only the count is checked
};

TEST(EventFilterTest, TranslateFilterBuildsPairsPerConsoleTypeInFlagOrder) {
  const auto cat = [](std::vector<Pair> a, const std::vector<Pair>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
  };
  const std::vector<TranslateCase> cases = {
      {3, 0x0001, 0, 0, 46, {}},
      {2, 0x0008, 0, 0, 8 * 7 + 4 + 4, {}},
      {3, 0x0020, 0, 0, 8 * 4 + 7 + 6 + 3, {}},
      {4, 0x0040 | 0x0080 | 0x0400 | 0x0800 | 0x1000, 0, 0, 10 + 6 + 8 + 2 + 1, {}},
      {5, 0x4000, 0, 0, 12 * 9, {}},
      // Groups come in flag-table order, not bit order: fader before mute, mute before 0x0800.
      {7, 0x0800 | 0x0004 | 0x0002, 0, 0, 7,
       cat(BlockControls(14, {0, 1, 3, 6, 2}), BlockControls(0, {1, 2}))},
      {3, 0x2000 | 0x0100, 36, 38, 8,
       cat(BlockControls(36, {0, 1, 2, 3}), BlockControls(37, {0, 1, 2, 3}))},
      {3, 0x0100 | 0x0200, 36, 38, 4, {{36, 0}, {37, 0}, {36, 3}, {37, 3}}},
      {3, 0x2000, 255, 257, 8,
       cat(BlockControls(255, {0, 1, 2, 3}), BlockControls(0, {0, 1, 2, 3}))},
      {3, 0x2000, 40, 40, 0, {}},
      {3, 0x8000 | 0x200000, 0, 0, 0, {}},
      {1, 0x0002 | 0x0004, 0, 0, 6, {{0, 0}, {0, 1}, {0, 2}, {0, 2}, {2, 4}, {1, 2}}},
      {1, 0x8000 | 0x0004, 0, 0, 5, {{0, 0}, {0, 1}, {0, 2}, {2, 4}, {1, 2}}},
      {1, 0x0002 | 0x8000, 0, 0, 6, {}},
      {1, 0x20000 | 0x10000 | 0x100000 | 0x0008, 0, 0, 7,
       {{2, 0}, {2, 1}, {1, 0}, {1, 1}, {1, 2}, {2, 2}, {2, 3}}},
      {1, 0x200000 | 0x0001, 0, 0, 0, {}},
      {6, 0x0002, 0, 0, 6, {{0, 0}, {0, 1}, {0, 2}, {0, 2}, {2, 4}, {1, 2}}},
      {6, 0x800000 | 0x400000 | 0x200000 | 0x8000, 0, 0, 2 + 1 + 7 + 4,
       cat(cat({{0, 0}, {0, 1}, {3, 0}}, BlockControls(3, {1, 2, 3, 4, 5, 6, 7})),
           BlockControls(4, {0, 1, 2, 3}))},
      {8, 0xFFFFFFFF, 0, 38, 0, {}},
  };
  for (const TranslateCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "type " << c.consoleType << " flags 0x" << std::hex << c.flags);
    ScopedConsoleType console(c.consoleType);
    CEventFilter filter;
    filter.ProcControls.Add(0x0505);  // a previous selection is replaced
    filter.FirstGroupProc = c.firstGroupProc;
    filter.EndGroupProc = c.endGroupProc;
    filter.TranslateFilter({c.flags});
    EXPECT_EQ(filter.ProcControls.GetSize(), static_cast<int32_t>(c.pairCount));
    if (!c.exactPairs.empty()) {
      EXPECT_EQ(PairsOf(filter), c.exactPairs);
    }
  }
}

TEST(EventFilterTest, IsProcControlInFilterPassesEverythingUntilPairsAreChosen) {
  ScopedConsoleType console(2);
  CEventFilter filter;
  EXPECT_EQ(filter.IsProcControlInFilter(3, 4), 1);
  filter.TranslateFilter({0x0004});
  EXPECT_EQ(filter.IsProcControlInFilter(3, 4), 0);
  EXPECT_EQ(filter.IsProcControlInFilter(14, 2), 1);
  EXPECT_EQ(filter.IsProcControlInFilter(2, 14), 0);
  EXPECT_EQ(filter.IsProcControlInFilter(14 + 256, 2), 0);
}

TEST(EventFilterTest, CopyOwnsItsListsAndClearKeepsTheGroupRange) {
  CEventFilter filter;
  filter.StartTime = 10;
  filter.ExtraValue = 30;
  filter.Paths.Add(7);
  filter.ExtraList.Add(8);
  filter.ProcControls.Add(0x0201);
  filter.FirstGroupProc = 36;
  filter.EndGroupProc = 40;
  const CEventFilter copy(filter);
  filter.Clear();
  EXPECT_EQ(std::vector<int32_t>({filter.StartTime, filter.EndTime, filter.ExtraValue}),
            std::vector<int32_t>({-1, -1, -1}));
  EXPECT_TRUE(filter.Paths.IsEmpty() && filter.ExtraList.IsEmpty() && filter.ProcControls.IsEmpty());
  EXPECT_EQ(filter.FirstGroupProc, 36);
  EXPECT_EQ(filter.EndGroupProc, 40);
  EXPECT_EQ(std::vector<int32_t>({copy.StartTime, copy.ExtraValue, copy.Paths[0], copy.ExtraList[0],
                                  copy.ProcControls[0], copy.EndGroupProc}),
            std::vector<int32_t>({10, 30, 7, 8, 0x0201, 40}));
}

}  // namespace
