// mixauto info, dump, check, convert and save-demo --mix on mixes of both forms, run as a user
// runs them.
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

TEST_F(MixCommandsTest, ConvertWritesTheOtherFormWholeWhateverOutHeld) {
  const std::string structured = SaveMix("a.mix", false);
  const testsupport::Members members = testsupport::MixMembers(*LoadMix(structured));
  const std::string text = folder.PathOf("notes.txt");
  std::ofstream(text) << "not a mix";
  const std::string compressedOut = folder.PathOf("b.cmx");
  const std::string structuredOut = folder.PathOf("c.mix");
  const std::string existingMix = SaveMix("d.mix", false, [](CAutomationPackage& mix) { mix.RemoveAll(); });
  const struct {
    std::string from, to, out;
    bool compressed;
  } kCases[] = {
      {structured, "compressed", compressedOut, true},  // a new file
      {compressedOut, "structured", structuredOut, false},
      {compressedOut, "structured", compressedOut, false},  // over itself, in the other form
      {structured, "structured", text, false},  // over a file that is no mix
      {structured, "structured", existingMix, false},  // into an existing structured mix
  };
  for (const auto& c : kCases) {
    const auto [status, output] = RunMixauto("convert '" + c.from + "' --to " + c.to + " -o '" + c.out + "'");
    ASSERT_EQ(status, 0) << output;
    const auto mix = LoadMix(c.out);
    EXPECT_EQ(mix->IsCompressedFile(), c.compressed) << c.out;
    EXPECT_EQ(testsupport::MixMembers(*mix), members) << c.from << " -> " << c.out;
  }

  // A failed write leaves OUT as it was and no temporary file behind.
  const auto filesBefore = std::distance(fs::directory_iterator(folder.Path()), {});
  fs::create_directory(folder.PathOf("folder.mix"));
  const auto [failed, failure] = RunMixauto("convert '" + structured + "' --to structured -o '" +
                                            folder.PathOf("folder.mix") + "'");
  EXPECT_EQ(failed, 1) << failure;
  EXPECT_TRUE(fs::is_directory(folder.PathOf("folder.mix")));
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), {}), filesBefore + 1);
}

TEST_F(MixCommandsTest, ConvertRefusesAnEventFileABadFormAndUnlessForcedAMixThatDidNotLoadWhole) {
  const std::string out = folder.PathOf("out.mix");
  const std::string events = Write("events.mix", {MakeEvent(1, 14, 0, 10, 5)});
  const auto [eventFile, eventFileOutput] = RunMixauto("convert '" + events + "' --to compressed -o '" + out + "'");
  EXPECT_EQ(eventFile, 1);
  EXPECT_TRUE(Has(eventFileOutput, "not a mix")) << eventFileOutput;
  const std::string gangs = SaveMix("gangs.cmx", true);
  EXPECT_NE(RunMixauto("convert '" + gangs + "' --to zipped -o '" + out + "'").status, 0);

  DamageBlock(gangs, 24);
  const auto [refused, refusal] = RunMixauto("convert '" + gangs + "' --to structured -o '" + out + "'");
  EXPECT_EQ(refused, 1);
  EXPECT_TRUE(Has(refusal, "some of its members could not be read (block 24)")) << refusal;
  EXPECT_TRUE(Has(refusal, "--force")) << refusal;
  EXPECT_FALSE(fs::exists(out));
  EXPECT_EQ(RunMixauto("convert '" + gangs + "' --to structured -o '" + out + "' --force").status, 0);
  EXPECT_EQ(LoadMix(out)->GetSize(), 200);
}

TEST_F(MixCommandsTest, SaveDemoWritesAMixOfEitherFormThatChecksClean) {
  for (const bool compressed : {false, true}) {
    const std::string file = folder.PathOf(compressed ? "demo.cmx" : "demo.mix");
    const auto [status, output] =
        RunMixauto("save-demo '" + file + "' --mix" + std::string(compressed ? " --compressed" : ""));
    ASSERT_EQ(status, 0) << output;
    EXPECT_TRUE(Has(output, "equal to the saved mix")) << output;
    const auto mix = LoadMix(file);
    EXPECT_EQ(mix->IsCompressedFile(), compressed);
    EXPECT_GT(mix->GetSize(), 0);
    EXPECT_EQ(mix->LinkMap.GetSize(), kPaths);
    EXPECT_EQ(mix->LinkMap[kPaths - 1], static_cast<uint32_t>(kPaths - 1));
    EXPECT_EQ(mix->ControlParms.GetSize(), kPaths * MixLayout::kControlParmWordsPerPath);
    const auto [checked, checkOutput] = RunMixauto("check '" + file + "'");
    EXPECT_EQ(checked, 0) << checkOutput;
  }
  EXPECT_NE(RunMixauto("save-demo '" + folder.PathOf("x.mix") + "' --compressed").status, 0);
}

}  // namespace
