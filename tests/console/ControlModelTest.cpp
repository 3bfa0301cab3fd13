#include "commonobjects/console/ControlModel.h"

#include <gtest/gtest.h>

namespace {

TEST(ControlModelTest, ConsoleTypesSelectRangesAndDefaultTables) {
  const struct {
    int32_t type;
    bool channels;
    int32_t lowProcs, highProcs, variant;
  } cases[] = {{1, true, 5, 1, -1},  {6, true, 5, 1, -1},   {2, true, 36, 48, 2},
               {4, true, 36, 48, 2},    {3, true, 36, 48, 0},     {5, true, 36, 48, 1},
               {7, true, 36, 48, 1},    {0, false, 36, 48, -1}, {8, false, 36, 48, -1}};
  for (const auto& c : cases) {
    const CControlModel model(c.type);
    EXPECT_EQ(model.HasChannels(), c.channels) << c.type;
    EXPECT_EQ(model.GetNumLowControls(), c.lowProcs) << c.type;
    EXPECT_EQ(model.GetNumHighControls(), c.highProcs) << c.type;
    EXPECT_EQ(model.GetDefaultVariant(), c.variant) << c.type;
    // The low range ends where the console's Procs end; Control 9 is never in it.
    EXPECT_TRUE(model.IsLowRangeControl(c.lowProcs - 1, 8)) << c.type;
    EXPECT_FALSE(model.IsLowRangeControl(c.lowProcs, 0)) << c.type;
    EXPECT_FALSE(model.IsLowRangeControl(0, 9)) << c.type;
  }
}

TEST(ControlModelTest, HighRangeNeedsProcFromBaseAndFromThirtySix) {
  const CControlModel large(2);
  const struct {
    int32_t proc, control, base;
    bool high;
  } cases[] = {
      {36, 3, 36, true},   {83, 3, 36, true}, {84, 0, 36, false}, {40, 4, 36, false},
      {99, 0, 100, false}, {147, 0, 100, true},
      {30, 0, 20, false},  // inside [base, base + 48) but a low-range Proc
  };
  for (const auto& c : cases) {
    EXPECT_EQ(large.IsHighRangeControl(c.proc, c.control, c.base), c.high)
        << c.proc << "," << c.control << " base " << c.base;
  }
  EXPECT_FALSE(CControlModel(1).IsHighRangeControl(36, 0, 36));
}

}  // namespace
