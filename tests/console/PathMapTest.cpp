#include "commonobjects/console/PathMap.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace {

TEST(PathMapTest, PathBelongsToTheFirstGroupHoldingIt) {
  CPathMap map;
  EXPECT_EQ(map.GetGroup(5), 0);
  map.AddGroup(100, 10);            // group 0
  map.AddGroup(0, 50);              // group 1: [0, 50)
  map.AddGroup(40, 20);             // group 2: [40, 60), overlapping group 1
  map.AddGroup(70, -5);             // group 3: empty
  map.AddGroup(INT32_MAX - 1, 10);  // group 4: its end lies beyond the 32-bit range
  EXPECT_EQ(map.GetGroupCount(), 5);
  const struct {
    int32_t path, group;
  } cases[] = {{0, 1}, {49, 1}, {50, 2}, {59, 2}, {60, 0}, {70, 0}, {INT32_MAX, 4}, {INT32_MIN, 0}};
  for (const auto& c : cases) EXPECT_EQ(map.GetGroup(c.path), c.group) << c.path;
}

TEST(PathMapTest, NoGroupBeyondTheFourteenthIsEverAnswered) {
  CPathMap map;
  for (int32_t g = 0; g < CPathMap::kMaxGroups; ++g) ASSERT_EQ(map.AddGroup(g * 10, 10), 1);
  const std::vector<int32_t> full = map.GetValues();
  EXPECT_EQ(map.AddGroup(500, 10), 0);
  EXPECT_EQ(map.GetValues(), full);

  // A list set whole (as stored in a mix) with 15 pairs and an unpaired integer.
  std::vector<int32_t> stored = full;
  stored.insert(stored.end(), {500, 10, 7});
  map.SetValues(stored);
  EXPECT_EQ(map.GetGroup(135), 13);
  EXPECT_EQ(map.GetGroup(505), 0);

  map.SetValues({10, 5, 99});
  map.AddGroup(20, 5);  // the unpaired 99 is dropped
  EXPECT_EQ(map.GetGroup(22), 1);
}

}  // namespace
