// The package's members by console type, Clear, assignment, and destruction that waits.
#include "commonobjects/package/AutomationPackage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <initializer_list>
#include <thread>
#include <vector>

#include "commonobjects/platform/WindowMessages.h"
#include "support/SampleMix.h"
#include "support/TempFolder.h"
#include "support/TestConsole.h"

namespace {

using Set = CAutomationPackage::SlotSet;

TEST(AutomationPackageTest, TheConsoleTypeChoosesTheSlotsAndTheModeSizesTheGangMap) {
  struct Case {
    int32_t type, mode;
    int32_t controlBytes, routeBytes;  // of the slots that exist
    bool small;
    int32_t gangEntries;
    uint32_t cutAB;
  };
  const Case cases[] = {{3, -1, 144, 192, false, 2000 * 2000, 0},
                        {2, 1, 144, 192, false, 500 * 500, 0},
                        {6, -1, 20, 4, true, 256 * 256, 9},    // "MuteABPath" on type 6
                        {1, 0, 20, 4, true, 256 * 256, 128}};  // "CutABPath" (default 128) on type 1
  for (const Case& c : cases) {
    testsupport::TestConsole console(c.type, c.mode);
    console.SetNumber(testsupport::kMainKey, "MuteABPath", 9);
    console.SetNumber(testsupport::kMainKey, "NumberOfFaders", 48);
    console.SetNumber(testsupport::kMainKey, "SideCarSize", 8);
    CAutomationPackage mix;
    SCOPED_TRACE(c.type);
    EXPECT_EQ(mix.HasSmallSlots(), c.small);
    for (int k = 0; k < 8; ++k) {
      const Set control = c.small ? CAutomationPackage::SmallControl : CAutomationPackage::FullControl;
      const Set route = c.small ? CAutomationPackage::SmallRoute : CAutomationPackage::FullRoute;
      ASSERT_NE(mix.GetSlot(control, k), nullptr);
      EXPECT_EQ(mix.GetSlot(control, k)->GetRecordSize(), c.controlBytes);
      EXPECT_EQ(mix.GetSlot(route, k)->GetRecordSize(), c.routeBytes);
      EXPECT_EQ(mix.GetSlot(c.small ? CAutomationPackage::FullControl : CAutomationPackage::SmallControl, k), nullptr);
      EXPECT_EQ(mix.GetSlot(c.small ? CAutomationPackage::FullRoute : CAutomationPackage::SmallRoute, k), nullptr);
    }
    EXPECT_EQ(mix.GetSlot(CAutomationPackage::FullControl, 7) != nullptr ? mix.GetSlot(CAutomationPackage::FullControl, 7)->GetName()
                                                                          : mix.GetSlot(CAutomationPackage::SmallControl, 7)->GetName(),
              "LinkControls");
    EXPECT_EQ(mix.GetSlot(CAutomationPackage::FullControl, 8), nullptr);
    EXPECT_EQ(mix.GetSlot(CAutomationPackage::FullControl, -1), nullptr);
    EXPECT_EQ(mix.GangMap.GetSize(), c.gangEntries);
    EXPECT_TRUE(std::all_of(mix.GangMap.begin(), mix.GangMap.end(), [](uint16_t g) { return g == 0xFFFF; }));
    ASSERT_EQ(mix.ConsoleType.GetSize(), 1);
    EXPECT_EQ(mix.ConsoleType[0], static_cast<uint32_t>(c.type));
    ASSERT_EQ(mix.CutAB.GetSize(), 1);
    EXPECT_EQ(mix.CutAB[0], c.cutAB);
    ASSERT_EQ(mix.FrameRate.GetSize(), 1);
    EXPECT_EQ(mix.FrameRate[0], 24u);  // the timecode settings' default rate
    ASSERT_EQ(mix.AnalogueInfo.GetSize(), 25);
    EXPECT_EQ(mix.AnalogueInfo[0], 56u);  // faders plus the side-car
    EXPECT_EQ(mix.AnalogueInfo[24], 0u);
    int32_t a = 0, b = 0;
    mix.GetMixPass(a, b);
    EXPECT_EQ(a, -1);
    EXPECT_EQ(b, -1);
    EXPECT_TRUE(mix.IsIdle());
    EXPECT_TRUE(mix.IsCompressedFile());
    EXPECT_EQ(mix.GetErrorState(), 0);
  }
  // The names every member's stream begins with.
  testsupport::TestConsole console(3);
  CAutomationPackage mix;
  EXPECT_EQ(mix.LinkMap.GetName(), "LinkMap");
  EXPECT_EQ(mix.GangMap.GetName(), "GangMap");
  EXPECT_EQ(mix.ControlParms.GetName(), "ISS");
  EXPECT_EQ(mix.RouteParms.GetName(), "ISS");
  EXPECT_EQ(mix.PathMapData.GetName(), "PathMap");
  EXPECT_EQ(mix.SnapshotVersion.GetName(), "SnapshotVersion");
}

TEST(AutomationPackageTest, ClearEmptiesEveryMemberAndAssignmentCopiesTheMixButNotItsFileOrPass) {
  testsupport::TestConsole console(3);
  CAutomationPackage mix;
  testsupport::FillSampleMix(mix, 20, 3);
  mix.SetFileName("C:\\Mixes\\a.mix");

  CAutomationPackage copy;
  copy.SetFileName("C:\\Mixes\\b.mix");
  copy.SetSnapshotAppendPending(true);
  copy = mix;
  EXPECT_EQ(copy.GetFileName(), "C:\\Mixes\\b.mix");
  EXPECT_FALSE(copy.IsSnapshotAppendPending());
  int32_t a = 0, b = 0;
  copy.GetMixPass(a, b);
  EXPECT_EQ(a, -1);  // the mix pass stays the copy's own
  auto expected = testsupport::MixMembers(mix);
  auto got = testsupport::MixMembers(copy);
  expected.pop_back(), got.pop_back();  // all but the mix pass
  EXPECT_EQ(got, expected);

  mix.Clear();
  EXPECT_TRUE(mix.IsEmpty());
  for (int k = 0; k < 8; ++k) EXPECT_EQ(mix.GetSlot(CAutomationPackage::FullRoute, k)->GetSize(), 0);
  for (const CGrowableArray<uint32_t>* array : std::initializer_list<const CGrowableArray<uint32_t>*>{
           &mix.FrameRate, &mix.ConsoleType, &mix.CutAB, &mix.AutomationSize, &mix.LinkMap, &mix.SnapshotVersion,
           &mix.AnalogueInfo}) {
    EXPECT_TRUE(array->IsEmpty());
  }
  EXPECT_TRUE(mix.GangMap.IsEmpty());
  EXPECT_TRUE(mix.ControlParms.IsEmpty());
  mix.GetMixPass(a, b);
  EXPECT_EQ(a, -1);
  EXPECT_EQ(b, -1);
}

// A load running on another thread holds the package busy; destruction waits for it, and
// the package's notification 17 comes after the load's own.
TEST(AutomationPackageTest, DestructionWaitsForALoadOnAnotherThread) {
  testsupport::TestConsole console(3);
  console.SetNumber(testsupport::kServerKey, "CompressedAutoPauseMs", 0);
  testsupport::TempFolder folder("package-destroy");
  {
    CAutomationPackage mix;
    testsupport::FillSampleMix(mix, 300'000, 2000);
    mix.SetNotifyOnDestruction(false);
    mix.SetFileName(folder.PathOf("big.cmx"));
    ASSERT_NE(mix.Save(1), 0);
  }
  commonobjects::platform::Endpoint status("TavmirStatusWindow");
  auto* mix = new CAutomationPackage;  // destroyed on this thread while the other loads it
  mix->SetFileName(folder.PathOf("big.cmx"));
  std::atomic<bool> loadReturned{false};
  std::thread loader([&] {
    mix->Load();
    loadReturned = true;
  });
  std::vector<uint32_t> codes;
  auto take = [&codes](const std::vector<commonobjects::platform::PostedMessage>& posted) {
    for (const auto& m : posted) {
      if (m.code != 15) codes.push_back(m.code);
    }
  };
  while (codes.empty()) take(status.Drain());  // the load has begun (code 0)
  EXPECT_FALSE(mix->IsIdle());
  delete mix;
  loader.join();
  EXPECT_TRUE(loadReturned);
  take(status.Drain());
  EXPECT_EQ(codes, (std::vector<uint32_t>{0, 17, 17}));  // load start, load end, destruction
}

}  // namespace
