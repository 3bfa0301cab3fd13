// mixauto's editing commands (translate, repair, oldvalues, thin, edit) on mixes, run as a
// user runs them: the whole mix is written back in the form it came in, with the mix's own
// path groups, and never when part of it could not be read.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "commonobjects/package/AutomationPackage.h"
#include "support/Events.h"
#include "support/MixToolTest.h"

namespace {

using testsupport::DamageBlock;
using testsupport::FileBytes;
using testsupport::Has;
using testsupport::HasSqueezed;
using testsupport::LoadMix;
using testsupport::MakeEvent;
using testsupport::Members;
using testsupport::OtherMembers;

class MixEditingTest : public testsupport::MixToolTest {
 protected:
  MixEditingTest() : MixToolTest("mix-editing") {}
};

int32_t CountOnPath(const CAutomationEventArray& events, int32_t path) {
  int32_t n = 0;
  for (const CAutomationEvent& e : events) n += e.Path == path;
  return n;
}

TEST_F(MixEditingTest, EditingCommandsWriteTheWholeMixBackInItsOwnForm) {
  for (const bool compressed : {false, true}) {
    const std::string file = SaveMix(compressed ? "a.cmx" : "a.mix", compressed);
    const Members others = OtherMembers(file);
    const int32_t onPath7 = CountOnPath(*LoadMix(file), 7);
    ASSERT_EQ(CountOnPath(*LoadMix(file), 5), 1);

    const std::string original = FileBytes(file);
    EXPECT_EQ(RunMixauto("translate '" + file + "' --map 5:7 --dry-run").status, 0);
    const auto [unchanged, unchangedOutput] = RunMixauto("repair '" + file + "'");
    EXPECT_EQ(unchanged, 0) << unchangedOutput;
    EXPECT_TRUE(Has(unchangedOutput, "not rewritten")) << unchangedOutput;
    EXPECT_TRUE(FileBytes(file) == original);

    const std::string out = folder.PathOf(compressed ? "out.cmx" : "out.mix");
    const auto [copied, copyOutput] = RunMixauto("translate '" + file + "' --map 5:7 -o '" + out + "'");
    ASSERT_EQ(copied, 0) << copyOutput;
    EXPECT_TRUE(FileBytes(file) == original);
    const auto [status, output] = RunMixauto("translate '" + file + "' --map 5:7");
    ASSERT_EQ(status, 0) << output;
    EXPECT_TRUE(Has(output, compressed ? "(the whole compressed mix)" : "(the whole structured mix)")) << output;
    for (const std::string& written : {file, out}) {
      const auto mix = LoadMix(written);
      EXPECT_EQ(mix->IsCompressedFile(), compressed);
      EXPECT_EQ(CountOnPath(*mix, 5), 0);
      EXPECT_EQ(CountOnPath(*mix, 7), onPath7 + 1);
      EXPECT_EQ(OtherMembers(written), others) << written;
    }
  }
}

TEST_F(MixEditingTest, EditsTakeTheMixsPathGroupsUnlessGivenOthers) {
  // Path 28 is in the mix's third group (24:8), whose defaults for Proc 1 differ from group 0's.
  const CAutomationEvent event = MakeEvent(28, 1, 0, 10, 100);
  const std::vector<uint32_t> groups = {0, 16, 16, 8, 24, 8};
  CPathMap mixGroups;
  mixGroups.SetValues(std::vector<int32_t>(groups.begin(), groups.end()));
  int16_t expected[2] = {};
  for (int i = 0; i < 2; ++i) {
    CAutomationEventArray events;
    events.Add(event);
    events.SetOldValues(36, i == 0 ? mixGroups : CPathMap());
    expected[i] = events[0].OldValue;
  }
  ASSERT_NE(expected[0], expected[1]);

  const auto onlyTheEvent = [&](CAutomationPackage& mix) {
    mix.RemoveAll();
    mix.Add(event);
    mix.PathMapData.RemoveAll();
    for (const uint32_t v : groups) mix.PathMapData.Add(v);
  };
  const std::string own = SaveMix("own.cmx", true, onlyTheEvent);
  const auto [status, output] = RunMixauto("oldvalues '" + own + "'");
  ASSERT_EQ(status, 0) << output;
  EXPECT_TRUE(HasSqueezed(output, "Path groups: 0:16,16:8,24:8 (the mix's own)")) << output;
  EXPECT_EQ((*LoadMix(own))[0].OldValue, expected[0]);

  const std::string given = SaveMix("given.mix", false, onlyTheEvent);
  const auto [givenStatus, givenOutput] = RunMixauto("oldvalues '" + given + "' --path-groups 0:2000");
  ASSERT_EQ(givenStatus, 0) << givenOutput;
  EXPECT_TRUE(HasSqueezed(givenOutput, "Path groups: 0:2000 (--path-groups)")) << givenOutput;
  EXPECT_EQ((*LoadMix(given))[0].OldValue, expected[1]);
}

TEST_F(MixEditingTest, MergeTakesItsSourceFromAMixOfEitherForm) {
  const auto faderOnPath3 = [](CAutomationPackage& mix) {
    mix.RemoveAll();
    mix.Add(MakeEvent(3, 14, 0, 1100, -400));
    mix.Add(MakeEvent(7, 14, 0, 9000, 1));
  };
  for (const bool compressed : {false, true}) {
    const std::string source = SaveMix(compressed ? "source.cmx" : "source.mix", compressed, faderOnPath3);
    const std::string target = SaveMix("target.mix", false);
    const Members others = OtherMembers(target);
    const auto [status, output] = RunMixauto("edit merge '" + target + "' --source-file '" + source +
                                             "' --from '#1000' --to '#2000' --at '#5000' --source 3 --to-paths 5");
    ASSERT_EQ(status, 0) << output;
    bool pasted = false;
    const auto merged = LoadMix(target);
    for (const CAutomationEvent& e : *merged) pasted |= e.Path == 5 && e.Time == 5100 && e.Value == -400;
    EXPECT_TRUE(pasted) << output;
    EXPECT_EQ(OtherMembers(target), others);
  }
}

TEST_F(MixEditingTest, AMixThatDidNotLoadWholeIsNeverWrittenBack) {
  // A gang map the reader refuses, or whose data no longer expands whole: edits may still be
  // computed, but the mix is not saved without it.
  for (const bool inData : {false, true}) {
    const std::string gangs = SaveMix(inData ? "gang-data.cmx" : "gang-chunk.cmx", true);
    DamageBlock(gangs, 24, inData);
    const std::string original = FileBytes(gangs);
    const auto [status, output] = RunMixauto("translate '" + gangs + "' --map 5:7");
    EXPECT_EQ(status, 1) << output;
    EXPECT_TRUE(Has(output, "some of its members could not be read (block 24)")) << output;
    EXPECT_TRUE(FileBytes(gangs) == original);
    EXPECT_EQ(RunMixauto("translate '" + gangs + "' --map 5:7 --dry-run").status, 0);
  }

  // Damaged events: nothing to work on.
  const std::string events = SaveMix("events.cmx", true);
  DamageBlock(events, 1);
  const auto [thin, thinOutput] = RunMixauto("thin '" + events + "' --window 6 --threshold 0");
  EXPECT_EQ(thin, 1);
  EXPECT_TRUE(Has(thinOutput, "its events could not be read")) << thinOutput;
}

}  // namespace
