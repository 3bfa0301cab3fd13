// mixauto info, dump and check on mixes of both forms, run as a user runs them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "commonobjects/files/internal/StreamIo.h"
#include "commonobjects/package/AutomationPackage.h"
#include "commonobjects/platform/CompoundFile.h"
#include "support/Events.h"
#include "support/MixToolTest.h"

namespace {

namespace fs = std::filesystem;
using testsupport::DamageBlock;
using testsupport::Has;
using testsupport::HasSqueezed;
using testsupport::LoadMix;
using testsupport::MakeEvent;

class MixCommandsTest : public testsupport::MixToolTest {
 protected:
  MixCommandsTest() : MixToolTest("mix-commands") {}
};

TEST_F(MixCommandsTest, InfoDescribesAMixOfEitherFormAndKeepsTheEventFileReport) {
  for (const bool compressed : {false, true}) {
    const std::string file = SaveMix(compressed ? "a.cmx" : "a.mix", compressed);
    const auto [status, output] = RunMixauto("info '" + file + "'");
    ASSERT_EQ(status, 0) << output;
    EXPECT_TRUE(Has(output, compressed ? "Form:          compressed mix" : "Form:          structured mix")) << output;
    for (const char* line : {"Console type: 2", "Max paths: events in mode 0 (256 paths, 8-bit path records)",
                             "Snapshot: version 18 (current for mode 0: 18)", "Mix pass: 12, 34", "Events: 200",
                             "0 Ends 10 Ends 10", "7 LinkControls 10 LinkRoutes 10",
                             "Parameters: control 11,520 words (45 per path); route 768 words (3 per path)",
                             "Link map: 256 entries (one for each of 256 paths)", "Gang map: 65,536 entries (256 x 256 paths)",
                             "Path groups: 0:16,16:8", "Load: every member read"}) {
      EXPECT_TRUE(HasSqueezed(output, line)) << line << "\n" << output;
    }
    // The blocks under the names the hosts list them by (11 is "TouchNotMode" there).
    EXPECT_EQ(compressed, HasSqueezed(output, " 11 TouchNotMode ")) << output;
    EXPECT_EQ(compressed, HasSqueezed(output, " 17 ISS ")) << output;
  }

  // An old mix says so; a bare event-array file keeps its own report.
  const std::string old = SaveMix("old.mix", false, [](CAutomationPackage& mix) {
    for (int k = 0; k < MixLayout::kSlotCount; ++k) mix.GetSlot(CAutomationPackage::FullControl, k)->SetSize(0);
    mix.SnapshotVersion[0] = 17;
  });
  EXPECT_TRUE(HasSqueezed(RunMixauto("info '" + old + "'").output, "Snapshot: version 17: old, converted on load"));
  const std::string events = Write("events.mix", {MakeEvent(1, 14, 0, 10, 5)});
  const auto [status, output] = RunMixauto("info '" + events + "'");
  EXPECT_EQ(status, 0) << output;
  EXPECT_TRUE(Has(output, "event-array file")) << output;
  EXPECT_FALSE(Has(output, "Snapshot:")) << output;
}

TEST_F(MixCommandsTest, DumpReadsTheEventsOfBothFormsAndCheckFindsWhatIsWrongWithAMix) {
  const std::string structured = SaveMix("a.mix", false);
  const std::string compressed = SaveMix("a.cmx", true);
  const auto [dumped, csv] = RunMixauto("dump --csv '" + structured + "'");
  ASSERT_EQ(dumped, 0) << csv;
  EXPECT_TRUE(Has(csv, "\n199,597,")) << csv;
  EXPECT_EQ(RunMixauto("dump --csv '" + compressed + "'").output, csv);
  for (const std::string& file : {structured, compressed}) {
    const auto [status, output] = RunMixauto("check '" + file + "'");
    EXPECT_EQ(status, 0) << output;
    EXPECT_TRUE(Has(output, ": clean")) << output;
  }

  const struct {
    const char* name;
    std::function<void(CAutomationPackage&)> change;
    const char* finding;
  } kBroken[] = {
      {"late.mix", [](CAutomationPackage& m) { m.Add(MakeEvent(3, 14, 0, 1, 7)); },
       "events are out of time order from index 200"},
      {"links.mix", [](CAutomationPackage& m) { m.LinkMap.SetSize(10); },
       "the link map has 10 entries, not one per path (256)"},
      {"gangs.cmx", [](CAutomationPackage& m) { m.GangMap.SetSize(100); },
       "the gang map has 100 entries, not 256 x 256"},
      {"parms.cmx", [](CAutomationPackage& m) { m.RouteParms.Add(1); },
       "the route parameter block holds 769 words (not a whole number per path"},
  };
  for (const auto& broken : kBroken) {
    const std::string file = SaveMix(broken.name, fs::path(broken.name).extension() == ".cmx", broken.change);
    const auto [status, output] = RunMixauto("check '" + file + "'");
    EXPECT_EQ(status, 1) << broken.name;
    EXPECT_TRUE(Has(output, broken.finding)) << broken.name << "\n" << output;
  }

  // A slot stream that ends in part of a record; a compressed block that does not expand.
  {
    auto storage = commonobjects::files::OpenStorageForWriting(structured);
    ASSERT_TRUE(storage);
    ASSERT_TRUE(commonobjects::files::WriteWholeStream(*storage, "VirginsCtlData", std::string(145, 'x').data(), 145));
    ASSERT_TRUE(storage->Release().IsOk());
  }
  const auto [partial, partialOutput] = RunMixauto("check '" + structured + "'");
  EXPECT_EQ(partial, 1);
  EXPECT_TRUE(Has(partialOutput, "\"VirginsCtlData\" holds 145 bytes, not a whole number of 144-byte records"))
      << partialOutput;
  DamageBlock(compressed, 24);
  const auto [damaged, damagedOutput] = RunMixauto("check '" + compressed + "'");
  EXPECT_EQ(damaged, 1);
  EXPECT_TRUE(Has(damagedOutput, "(block 24): chunk 1 at offset")) << damagedOutput;
}

}  // namespace
