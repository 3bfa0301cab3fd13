// mixauto conform and recut, run as a user runs them, on small mixes whose events tell where
// they came from (each event's value is its old time in seconds): the reports, the mix written
// back (loaded again with the library), and the files left alone by a dry run or a failure.
// The tool and the test process run a console of type 2 in max paths mode 0 (256 paths) at
// 24 frames per second.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "commonobjects/conform/EDLReader.h"
#include "commonobjects/package/AutomationPackage.h"
#include "commonobjects/timecode/TimecodeConverter.h"
#include "commonobjects/timecode/TimecodeText.h"
#include "support/CutListFiles.h"
#include "support/Events.h"
#include "support/MixToolTest.h"

namespace {

using testsupport::FileBytes;
using testsupport::Has;
using testsupport::HasSqueezed;
using testsupport::LoadMix;
using testsupport::MakeEvent;

// Automation units of whole seconds of picture, as conform converts an edit list's frames.
int32_t Sec(int32_t seconds) {
  CTimecodeConverter converter;
  converter.TimeFromFrames(seconds * 24);
  return converter.GetRoundedTime();
}

// The display timecode of whole seconds, as the report shows it.
std::string Tc(int32_t seconds) {
  return TimecodeText::TextFromTime(CTimecodeConverter(), Sec(seconds), TimecodeText::QuarterFrameDigit::kShown);
}

// One text EDL line: source in and out, record in (record out follows from the length).
std::string EdlLine(int number, int32_t sourceIn, int32_t sourceOut, int32_t recordIn) {
  auto tc = [](int32_t s) {
    char text[32];
    std::snprintf(text, sizeof text, "00:%02d:%02d:00", s / 60, s % 60);
    return std::string(text);
  };
  char line[128];
  std::snprintf(line, sizeof line, "%03d  AX  V  C  %s %s %s %s\n", number, tc(sourceIn).c_str(), tc(sourceOut).c_str(),
                tc(recordIn).c_str(), tc(recordIn + sourceOut - sourceIn).c_str());
  return line;
}

// The fader level (14/0) events of one path in time order as "second:value ..." (a time
// that is no whole second as "#units").
std::string Fader(const CAutomationEventArray& events, int32_t path) {
  std::string text;
  for (const CAutomationEvent& e : events) {
    if (e.Path != path || e.Proc != 14 || e.Control != 0) continue;
    const std::string time = e.Time % Sec(1) == 0 ? std::to_string(e.Time / Sec(1)) : "#" + std::to_string(e.Time);
    text += (text.empty() ? "" : " ") + time + ":" + std::to_string(e.Value);
  }
  return text;
}

class ConformCommandsTest : public testsupport::MixToolTest {
 protected:
  ConformCommandsTest() : MixToolTest("conform-commands") {}

  // A mix whose paths 1 and 2 move their fader every 5 seconds from 5 s to 45 s, the value
  // telling the second: -5, -10, ... -45 (times `scale`, to tell mixes apart).
  std::string SaveTimedMix(const std::string& name, bool compressed = false, int scale = 1) {
    return SaveMix(name, compressed, [scale](CAutomationPackage& mix) {
      mix.RemoveAll();
      for (int32_t s = 5; s <= 45; s += 5) {
        for (const int32_t path : {1, 2}) mix.Add(MakeEvent(path, 14, 0, Sec(s), -s * scale));
      }
    });
  }

  // A binary edit list of one edit from reel `reel` (a mix "<reel>.aut"): seconds `from` to
  // `to` of it placed at the same time.
  std::string WriteReelEdl(const std::string& name, const std::string& reel, int32_t from, int32_t to) {
    const std::string file = folder.PathOf(name);
    CEDLReader writer(file, CEDLReader::kQrx);
    EXPECT_TRUE(writer.Create());
    CReelTable reels;
    const int32_t index = reels.Add(reel);
    reels.UseOwnNames();
    writer.WriteHeader(CTimecodeSettings(), reels);
    CSourceDestItem source, dest;
    source.Start = dest.Start = from * 24;
    source.Length = dest.Length = (to - from) * 24;
    dest.EnsureDetail().ReelName = reel;
    dest.Detail->ReelIndex = index;
    writer.WriteEvent(source, dest);
    EXPECT_TRUE(writer.Close());
    return file;
  }

  std::string WriteFile(const std::string& name, const std::string& text) {
    testsupport::WriteBytes(folder.PathOf(name), text);
    return folder.PathOf(name);
  }
};

TEST_F(ConformCommandsTest, EdlConformMovesEachStretchAndReportsIt) {
  const std::string mix = SaveTimedMix("reel.aut", true);
  // Keep 0-10, cut 10-20, take 20-30 to 10-20, leave 20-25 blank, take 30-40 to 25-35.
  const std::string edl =
      WriteFile("recut.edl", "TITLE: RECUT\n" + EdlLine(1, 0, 10, 0) + EdlLine(2, 20, 30, 10) + EdlLine(3, 30, 40, 25));
  const std::string out = folder.PathOf("out.aut");
  const std::string original = FileBytes(mix);
  const auto [status, output] = RunMixauto("conform '" + mix + "' '" + edl + "' -o '" + out + "'");
  ASSERT_EQ(status, 0) << output;
  EXPECT_TRUE(Has(output, "(an edit decision list)")) << output;
  EXPECT_TRUE(HasSqueezed(output, "Paths: every path of the console (256)")) << output;
  EXPECT_TRUE(HasSqueezed(output, "kept " + Tc(0) + " " + Tc(10) + " " + Tc(0) + " " + Tc(10) + " " + Tc(10)))
      << output;
  EXPECT_TRUE(HasSqueezed(output, "removed " + Tc(10) + " " + Tc(20) + " - - " + Tc(10))) << output;
  EXPECT_TRUE(HasSqueezed(output, "moved " + Tc(20) + " " + Tc(30) + " " + Tc(10) + " " + Tc(20))) << output;
  EXPECT_TRUE(HasSqueezed(output, "inserted - - " + Tc(20) + " " + Tc(25) + " " + Tc(5))) << output;
  EXPECT_TRUE(HasSqueezed(output, "moved " + Tc(30) + " " + Tc(40) + " " + Tc(25) + " " + Tc(35))) << output;
  // The old time after the last source, to the mix's last event, goes too.
  EXPECT_TRUE(HasSqueezed(output, "removed " + Tc(40) + " ")) << output;
  EXPECT_TRUE(HasSqueezed(output, "1 kept, 2 removed, 2 moved, 1 inserted")) << output;
  EXPECT_TRUE(HasSqueezed(output, mix + " (the mix's own file)")) << output;
  EXPECT_TRUE(HasSqueezed(output, "Events before 18")) << output;
  EXPECT_TRUE(HasSqueezed(output, "Status 0: conform done")) << output;
  EXPECT_TRUE(Has(output, "(the whole compressed mix)")) << output;
  EXPECT_TRUE(FileBytes(mix) == original);

  // Each event is where its picture went; just after the start of each stretch the state
  // its material had there (the fader at 20 s and at 30 s of the old cut), one unit apart
  // per path as the time stamps are made continuous.
  const auto conformed = LoadMix(out);
  EXPECT_TRUE(conformed->IsCompressedFile());
  for (const int32_t path : {1, 2}) {
    const auto just = [path](int32_t s) { return "#" + std::to_string(Sec(s) + path); };
    EXPECT_EQ(Fader(*conformed, path), "5:-5 " + just(10) + ":-20 15:-25 " + just(25) + ":-30 30:-35");
  }
}

TEST_F(ConformCommandsTest, ChangeListConformRemovesAndInsertsAndPrintsJson) {
  // A mix named other than *.aut: the change list's reel, its own name, is its own file.
  const std::string mix = SaveTimedMix("reel.mix");
  // DELETE 10 s at 10 s (15+00 at 16 frames per foot), then a blank INSERT of 5 s at 20 s.
  const std::string list = WriteFile("changes.txt",
                                     "Old Duration  67+08\nNo.  Position  Length  Change             Clip Name\n"
                                     "1.   15+00     15+00   DELETE\n2.   30+00     7+08    INSERT\n"
                                     "(END OF CHANGE LIST)\n");
  const auto [status, output] = RunMixauto("conform '" + mix + "' '" + list + "'");
  ASSERT_EQ(status, 0) << output;
  EXPECT_TRUE(Has(output, "(a text change list, each insert taking the move it names)")) << output;
  EXPECT_TRUE(HasSqueezed(output, "removed " + Tc(10) + " " + Tc(20) + " - - " + Tc(10))) << output;
  EXPECT_TRUE(HasSqueezed(output, "moved " + Tc(20) + " " + Tc(30) + " " + Tc(10) + " " + Tc(20))) << output;
  EXPECT_TRUE(HasSqueezed(output, "inserted - - " + Tc(20) + " " + Tc(25) + " " + Tc(5))) << output;
  EXPECT_TRUE(HasSqueezed(output, mix + " (the mix's own file)")) << output;
  EXPECT_TRUE(Has(output, "(the whole structured mix)")) << output;
  // 20 s to the end 10 s earlier, 30 s on 5 s earlier; each stretch starts with the state
  // of its material just after its new start.
  EXPECT_EQ(Fader(*LoadMix(mix), 1), "5:-5 #" + std::to_string(Sec(10) + 1) + ":-20 15:-25 #" +
                                         std::to_string(Sec(25) + 1) + ":-30 30:-35 35:-40 40:-45");

  // JSON on stdout, the lines about writing on stderr.
  const auto [jsonStatus, kinds] = testsupport::RunTool(
      "COMMONOBJECTS_REGISTRY='" + folder.PathOf("registry.reg") + "' COMMONOBJECTS_ROOT='" + folder.PathOf("root") +
      "' '" + MIXAUTO_PATH + "' conform '" + mix + "' '" + list +
      "' --json --dry-run 2>/dev/null | python3 -c "
      "'import json,sys; d=json.load(sys.stdin); print(d[\"status\"], [s[\"kind\"] for s in d[\"stretches\"]][:4], "
      "d[\"stretches\"][1][\"oldStart\"], d[\"sourceMixes\"][0][\"own\"])'");
  EXPECT_EQ(jsonStatus, 0) << kinds;
  // The mix conformed once already: its second conform again removes 10-20.
  EXPECT_EQ(kinds, "0 ['kept', 'removed', 'moved', 'inserted'] " + std::to_string(Sec(10)) + " True\n");
}

TEST_F(ConformCommandsTest, DryRunAndFailuresLeaveTheMixAsItWas) {
  const std::string mix = SaveTimedMix("reel.aut");
  const std::string original = FileBytes(mix);
  const std::string edl = WriteFile("cut.edl", EdlLine(1, 20, 40, 0));
  const auto [dryStatus, dryOutput] = RunMixauto("conform '" + mix + "' '" + edl + "' --dry-run");
  EXPECT_EQ(dryStatus, 0) << dryOutput;
  EXPECT_TRUE(HasSqueezed(dryOutput, "moved " + Tc(20) + " " + Tc(40) + " " + Tc(0) + " " + Tc(20))) << dryOutput;
  EXPECT_TRUE(Has(dryOutput, "Dry run: nothing written.")) << dryOutput;
  EXPECT_TRUE(FileBytes(mix) == original);

  const struct {
    const char* list;
    const char* text;
  } kFailures[] = {
      {"missing.edl", "conform status 4: the edit decision list could not be opened"},
      {"missing.cut", "conform status 1: the change list could not be opened"},
      {"missing", "conform status 1: the change list could not be opened"},
  };
  for (const auto& failure : kFailures) {
    const auto [status, output] = RunMixauto("conform '" + mix + "' '" + folder.PathOf(failure.list) + "'");
    EXPECT_NE(status, 0) << failure.list;
    EXPECT_TRUE(Has(output, failure.text)) << output;
    EXPECT_TRUE(Has(output, "nothing was written")) << output;
    EXPECT_TRUE(FileBytes(mix) == original) << failure.list;
  }
  const std::string garbage = WriteFile("garbage.cut", "no change list here\n");
  const auto [status, output] = RunMixauto("conform '" + mix + "' '" + garbage + "'");
  EXPECT_NE(status, 0);
  EXPECT_TRUE(Has(output, "conform status 2")) << output;
  EXPECT_TRUE(FileBytes(mix) == original);
}

TEST_F(ConformCommandsTest, MaterialComesFromTheListsReelsOrTheMixItself) {
  // A change list names the mix by its file name without extension; a mix not named *.aut
  // is still its own source, not another mix "reel.aut" beside it.
  const std::string mix = SaveTimedMix("reel.mix");
  SaveTimedMix("reel.aut", false, 100);
  const std::string list = WriteFile("keep.txt",
                                     "Old Duration  67+08\nNo.  Position  Length  Change             "
                                     "Clip Name\n1.   30+00     7+08    INSERT\n(END OF CHANGE LIST)\n");
  const auto [status, output] = RunMixauto("conform '" + mix + "' '" + list + "'");
  ASSERT_EQ(status, 0) << output;
  EXPECT_TRUE(HasSqueezed(output, mix + " (the mix's own file)")) << output;
  EXPECT_EQ(Fader(*LoadMix(mix), 1).substr(0, 11), "5:-5 10:-10") << "the mix's own events";

  // A binary list's reel names another mix, which the report lists and the events come from.
  SaveTimedMix("other.aut", false, 100);
  const std::string target = SaveTimedMix("target.aut");
  const std::string edl = WriteReelEdl("other.edl", folder.PathOf("other"), 0, 20);
  const auto [reelStatus, reelOutput] = RunMixauto("conform '" + target + "' '" + edl + "'");
  ASSERT_EQ(reelStatus, 0) << reelOutput;
  EXPECT_TRUE(Has(reelOutput, "Source mixes:\n  " + folder.PathOf("other.aut") + "\nEvents before")) << reelOutput;
  EXPECT_TRUE(HasSqueezed(reelOutput, "kept " + Tc(0) + " " + Tc(20) + " " + Tc(0) + " " + Tc(20) + " " + Tc(20)))
      << reelOutput;
  EXPECT_EQ(Fader(*LoadMix(target), 1), "5:-500 10:-1000 15:-1500");

  // A reel whose mix is not there fails the sources, and the mix stays as it was.
  const std::string before = FileBytes(target);
  const std::string gone = WriteReelEdl("gone.edl", folder.PathOf("gone"), 0, 20);
  const auto [goneStatus, goneOutput] = RunMixauto("conform '" + target + "' '" + gone + "'");
  EXPECT_NE(goneStatus, 0);
  EXPECT_TRUE(Has(goneOutput, "conform status 5: the source mixes could not be prepared")) << goneOutput;
  EXPECT_TRUE(FileBytes(target) == before);

  // Events alone are no mix to conform.
  const std::string events = Write("events.dat", {MakeEvent(1, 14, 0, Sec(5), -5)});
  const auto [eventsStatus, eventsOutput] = RunMixauto("conform '" + events + "' '" + edl + "'");
  EXPECT_NE(eventsStatus, 0);
  EXPECT_TRUE(Has(eventsOutput, "an event-array file (events only), not a mix")) << eventsOutput;
}

TEST_F(ConformCommandsTest, PathsNarrowTheConformAndDropTheOthers) {
  const std::string mix = SaveTimedMix("reel.aut");
  // Two edits that continue each other make one stretch; the event at 45 s is left out.
  const std::string edl = WriteFile("cut.edl", EdlLine(1, 0, 20, 0) + EdlLine(2, 20, 45, 20));
  const auto [status, output] = RunMixauto("conform '" + mix + "' '" + edl + "' --paths 1");
  ASSERT_EQ(status, 0) << output;
  EXPECT_TRUE(HasSqueezed(output, "kept " + Tc(0) + " " + Tc(45) + " " + Tc(0) + " " + Tc(45) + " " + Tc(45)))
      << output;
  EXPECT_TRUE(HasSqueezed(output, "1 kept, 1 removed, 0 moved, 0 inserted")) << output;
  EXPECT_TRUE(HasSqueezed(output, "Paths: 1 (1 of 256); the automation of the other 255 paths is dropped")) << output;
  const auto conformed = LoadMix(mix);
  // The event at 20 s starts the second edit: it comes back as that edit's starting state.
  EXPECT_EQ(Fader(*conformed, 1),
            "5:-5 10:-10 15:-15 #" + std::to_string(Sec(20) + 1) + ":-20 25:-25 30:-30 35:-35 40:-40");
  EXPECT_EQ(Fader(*conformed, 2), "");

  const auto [bad, badOutput] = RunMixauto("conform '" + mix + "' '" + edl + "' --paths 300");
  EXPECT_NE(bad, 0);
  EXPECT_TRUE(Has(badOutput, "--paths")) << badOutput;
}

TEST_F(ConformCommandsTest, RecutCopiesMovesAndDeletesAStretch) {
  const auto units = [](int32_t s) { return "'#" + std::to_string(Sec(s)) + "'"; };
  const auto just = [](int32_t s) { return "#" + std::to_string(Sec(s) + 1); };  // just after s seconds
  const struct {
    std::string arguments;
    std::string fader;  // path 1 afterwards
    std::string reportLine;
  } kCases[] = {
      // 15 and 20 go; the old state at 22 s follows the blank.
      {"delete --from " + units(12) + " --to " + units(22),
       "5:-5 10:-10 " + just(22) + ":-20 25:-25 30:-30 35:-35 40:-40 45:-45",
       "inserted - - " + Tc(12) + " " + Tc(22) + " " + Tc(10)},
      // 2-12 s (the fader not yet moved) over 32-42 s.
      {"copy --from " + units(2) + " --to " + units(12) + " --at " + units(32),
       "5:-5 10:-10 15:-15 20:-20 25:-25 30:-30 " + just(32) + ":-8192 35:-5 40:-10 " + just(42) + ":-40 45:-45",
       "moved " + Tc(2) + " " + Tc(12) + " " + Tc(32) + " " + Tc(42)},
      // An earlier place: 32-42 s lands at 2 s over what was there, leaving a blank.
      {"move --from " + units(32) + " --to " + units(42) + " --at " + units(2),
       just(2) + ":-30 5:-35 10:-40 " + just(12) + ":-10 15:-15 20:-20 25:-25 30:-30 " + just(42) + ":-40 45:-45",
       "inserted - - " + Tc(32) + " " + Tc(42) + " " + Tc(10)},
      // A later place: the stretch lands at --at plus --to (32 + 12 s).
      {"move --from " + units(2) + " --to " + units(12) + " --at " + units(32),
       just(12) + ":-10 15:-15 20:-20 25:-25 30:-30 35:-35 40:-40 " + just(44) + ":-8192 47:-5 52:-10 " + just(54) +
           ":-45",
       "moved " + Tc(2) + " " + Tc(12) + " " + Tc(44) + " " + Tc(54)},
  };
  for (const auto& c : kCases) {
    const std::string mix = SaveTimedMix("recut.aut");
    const auto [status, output] = RunMixauto("recut " + c.arguments + " '" + mix + "'");
    ASSERT_EQ(status, 0) << c.arguments << "\n" << output;
    EXPECT_TRUE(HasSqueezed(output, c.reportLine)) << output;
    EXPECT_TRUE(HasSqueezed(output, "Paths: every path (a recut conforms the whole mix)")) << output;
    EXPECT_EQ(Fader(*LoadMix(mix), 1), c.fader) << c.arguments;
  }
  const auto [bad, badOutput] = RunMixauto("recut delete '" + folder.PathOf("x.aut") + "' --from '#50' --to '#40'");
  EXPECT_NE(bad, 0);
  EXPECT_TRUE(Has(badOutput, "--to must be later than --from")) << badOutput;
}

}  // namespace

TEST_F(ConformCommandsTest, TheReportPageIsWrittenOrNothingIs) {
  const std::string mix = SaveTimedMix("reel.aut");
  const std::string edl = WriteFile("cut.edl", EdlLine(1, 0, 10, 0) + EdlLine(2, 20, 40, 10));
  const std::string page = folder.PathOf("report.html");
  const auto [status, output] = RunMixauto("conform '" + mix + "' '" + edl + "' --dry-run --report '" + page + "'");
  ASSERT_EQ(status, 0) << output;
  const std::string html = FileBytes(page);
  EXPECT_TRUE(Has(html, "<tr class=\"moved\"><td>3</td><td>moved</td><td>" + Tc(20) + " to " + Tc(40))) << html;
  EXPECT_TRUE(Has(html, "<svg xmlns=\"http://www.w3.org/2000/svg\" id=\"curves\"")) << html;
  EXPECT_TRUE(Has(html, "Path 1  Fader Level (14:0)")) << html;

  const auto [recutStatus, recutOutput] = RunMixauto("recut move '" + mix + "' --from '#0' --to '#" +
                                                     std::to_string(Sec(10)) + "' --at '#" +
                                                     std::to_string(Sec(30)) + "' --dry-run --report '" + page + "'");
  ASSERT_EQ(recutStatus, 0) << recutOutput;
  EXPECT_TRUE(Has(FileBytes(page), "<title>Recut on " + mix + ": move ")) << FileBytes(page);

  // A page that cannot be written fails the conform before the mix is written.
  const std::string original = FileBytes(mix);
  const auto [failed, failure] =
      RunMixauto("conform '" + mix + "' '" + edl + "' --report '" + folder.PathOf("no/such/folder/r.html") + "'");
  EXPECT_NE(failed, 0);
  EXPECT_TRUE(Has(failure, "cannot write the report page")) << failure;
  EXPECT_TRUE(Has(failure, "nothing was written")) << failure;
  EXPECT_TRUE(FileBytes(mix) == original);
}
