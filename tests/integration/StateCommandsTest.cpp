// mixauto thin, repair, oldvalues and translate, run as a user runs them on event-array files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "commonobjects/eventstore/AutomationEventArray.h"
#include "support/Events.h"
#include "support/EventFileToolTest.h"
#include "support/RunTool.h"
#include "support/TempFolder.h"
#include "support/TestConsole.h"

namespace {

namespace fs = std::filesystem;

// A folder with a missing registry (console type 3, 2000 paths) and a Windows drive of its own.
class StateCommandsTest : public testsupport::EventFileToolTest {
 protected:
  StateCommandsTest() : EventFileToolTest("state-commands") {}
  testsupport::ToolResult Run(const std::string& arguments) { return RunMixauto(arguments); }
};

CAutomationEvent Event(int32_t time, int32_t path, int16_t value, uint8_t proc = 14, uint8_t control = 0) {
  CAutomationEvent e = testsupport::MakeEvent(path, proc, control, time, value);
  e.OldValue = 999;
  return e;
}

std::string Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

CAutomationEventArray Load(const std::string& path) {
  CAutomationEventArray array;
  EXPECT_EQ(array.Load(path), 1) << path;
  return array;
}

int32_t CountOnPath(const CAutomationEventArray& array, int32_t path) {
  int32_t n = 0;
  for (const CAutomationEvent& e : array) n += e.Path == path;
  return n;
}

bool Has(const std::string& output, const std::string& text) { return output.find(text) != std::string::npos; }

// Whether some line of the output reads `line` once its runs of blanks are squeezed to one.
bool HasLine(const std::string& output, const std::string& line) {
  std::string squeezed;
  for (const char ch : output + "\n") {
    if (ch == '\n') {
      if (!squeezed.empty() && squeezed.back() == ' ') squeezed.pop_back();
      if (squeezed == line) return true;
      squeezed.clear();
    } else if (ch != ' ' || (!squeezed.empty() && squeezed.back() != ' ')) {
      squeezed += ch;
    }
  }
  return false;
}

TEST_F(StateCommandsTest, ThinRewritesOnlyTheChosenPathsAndDryRunOrBadLevelsLeaveTheBytes) {
  std::vector<CAutomationEvent> events;
  for (int32_t t = 1; t <= 60; ++t) {  // a fader ramp written every time unit on paths 0 and 3
    events.push_back(Event(t, 0, static_cast<int16_t>(10 * t)));
    events.push_back(Event(t, 3, static_cast<int16_t>(10 * t)));
  }
  events.push_back(Event(61, 5, 1));
  events.push_back(Event(61, 5, 2));  // a same-time duplicate
  const std::string file = Write("a.mix", events);
  const std::string original = Bytes(file);

  const auto [dryStatus, dryOutput] = Run("thin '" + file + "' --window 6 --threshold 0 --paths 0-2 --dry-run");
  EXPECT_EQ(dryStatus, 0) << dryOutput;
  EXPECT_TRUE(HasLine(dryOutput, "Duplicates merged 1")) << dryOutput;
  EXPECT_TRUE(Has(dryOutput, "Dry run: nothing written.")) << dryOutput;
  EXPECT_TRUE(Bytes(file) == original);

  const struct {
    const char* levels;
    const char* message;
  } kBad[] = {{"--window 7 --threshold 0", "--window \"7\": not a window level"},
              {"--window light --threshold 0", "--window \"light\": not a window level"},
              {"--window 0 --threshold 17", "--threshold \"17\": not a value threshold"},
              {"--window 0", "give FILE, --window and --threshold"},
              {"--window 0 --threshold 0 --paths 0-2000", "--paths: \"0-2000\": 2000 is outside 0 to 1999"},
              {"--window 0 --threshold 0 --from soon", "--from: \"soon\""}};
  for (const auto& bad : kBad) {
    const auto [status, output] = Run("thin '" + file + "' " + bad.levels);
    EXPECT_EQ(status, 1) << bad.levels;
    EXPECT_TRUE(Has(output, bad.message)) << output;
    EXPECT_TRUE(Bytes(file) == original) << bad.levels;
  }

  // The name of a level means its number; -o leaves the file and writes the same result elsewhere.
  const std::string out = folder.PathOf("b.mix");
  EXPECT_EQ(Run("thin '" + file + "' --window '3 HEAVY' --threshold 'no change' --paths 0-2 -o '" + out + "'").status, 0);
  EXPECT_TRUE(Bytes(file) == original);
  const std::string early = folder.PathOf("c.mix");
  EXPECT_EQ(Run("thin '" + file + "' --window 6 --threshold 0 --to '#30' -o '" + early + "'").status, 0);
  int32_t keptAfter30 = 0, keptBefore30 = 0;
  for (const CAutomationEvent& e : Load(early)) (e.Time > 30 ? keptAfter30 : keptBefore30) += e.Path == 0;
  EXPECT_EQ(keptAfter30, 30);
  EXPECT_LT(keptBefore30, 30);

  const auto [status, output] = Run("thin '" + file + "' --window 6 --threshold 0 --paths 0-2");
  EXPECT_EQ(status, 0) << output;
  const CAutomationEventArray thinned = Load(file);
  EXPECT_LT(CountOnPath(thinned, 0), 60);
  EXPECT_EQ(CountOnPath(thinned, 3), 60);
  EXPECT_EQ(CountOnPath(thinned, 5), 1);
  EXPECT_TRUE(HasLine(output, "Events thinned " + std::to_string(60 - CountOnPath(thinned, 0))))
      << output;
  const CAutomationEventArray elsewhere = Load(out);
  EXPECT_TRUE(elsewhere.GetSize() == thinned.GetSize() && std::equal(elsewhere.begin(), elsewhere.end(), thinned.begin()));
}

TEST_F(StateCommandsTest, RepairSortsABrokenFileNamesItsReportAndLeavesAnOrderedFileUntouched) {
  const std::string ordered = Write("ordered.mix", {Event(0, 0, 1), Event(10, 0, 2), Event(10, 1, 3), Event(20, 0, 4)});
  const std::string orderedBytes = Bytes(ordered);
  const auto [orderedStatus, orderedOutput] = Run("repair '" + ordered + "'");
  EXPECT_EQ(orderedStatus, 0) << orderedOutput;
  EXPECT_TRUE(Has(orderedOutput, "intact; nothing to repair")) << orderedOutput;
  EXPECT_FALSE(Has(orderedOutput, "tcerr.txt"));
  EXPECT_TRUE(Bytes(ordered) == orderedBytes);

  fs::create_directories(folder.Path() / "root" / "Tavmir");
  const std::string broken = Write("broken.mix", {Event(5, 0, 1), Event(10, 0, 2), Event(3, 0, 3), Event(4, 0, 4),
                                                  Event(4, 0, 5), Event(12, 0, 6)});
  const auto [status, output] = Run("repair '" + broken + "'");
  EXPECT_EQ(status, 0) << output;
  EXPECT_TRUE(Has(output, "broken at 3 place(s); first at event 2")) << output;
  EXPECT_TRUE(HasLine(output, "Duplicates merged 1")) << output;
  EXPECT_TRUE(Has(output, (folder.Path() / "root" / "Tavmir" / "tcerr.txt").string())) << output;
  const CAutomationEventArray repaired = Load(broken);
  std::vector<int32_t> times;
  for (const CAutomationEvent& e : repaired) times.push_back(e.Time);
  EXPECT_EQ(times, (std::vector<int32_t>{3, 4, 5, 10, 12}));
}

TEST_F(StateCommandsTest, OldValuesFollowEachChannelsPreviousValue) {
  const std::string file = Write("a.mix", {Event(1, 0, 100), Event(2, 0, 200), Event(3, 0, 300)});
  const auto [status, output] = Run("oldvalues '" + file + "'");
  EXPECT_EQ(status, 0) << output;
  EXPECT_TRUE(HasLine(output, "OldValue changed 3")) << output;
  const CAutomationEventArray updated = Load(file);
  EXPECT_EQ(updated[1].OldValue, 100);
  EXPECT_EQ(updated[2].OldValue, 200);
  EXPECT_EQ(Run("oldvalues '" + file + "' --high-base 35").status, 1);
}

TEST_F(StateCommandsTest, TranslateMovesPathsByTheFirstPairAndRefusesABadMapOrUnwritableOutput) {
  const std::string file = Write("a.mix", {Event(1, 5, 1), Event(2, 6, 2), Event(3, 5, 3), Event(4, 9, 4)});
  const std::string original = Bytes(file);
  for (const char* map : {"5-7", "5:", "5:7,x", "5:2000", ""}) {
    const auto [status, output] = Run("translate '" + file + "' --map '" + map + "'");
    EXPECT_EQ(status, 1) << map;
    EXPECT_TRUE(Has(output, "mixauto translate: --map: ")) << output;
  }
  const auto [failed, failure] = Run("translate '" + file + "' --map 5:7 -o '" + folder.PathOf("no/such/out.mix") + "'");
  EXPECT_EQ(failed, 1);
  EXPECT_TRUE(Has(failure, "nothing written")) << failure;
  EXPECT_TRUE(Bytes(file) == original);

  const auto [status, output] = Run("translate '" + file + "' --map 5:7,6:8,5:9");
  EXPECT_EQ(status, 0) << output;
  EXPECT_TRUE(HasLine(output, "5 7 2")) << output;
  EXPECT_TRUE(Has(output, "never applies: pair 1 takes the path")) << output;
  EXPECT_TRUE(HasLine(output, "Events moved 3")) << output;
  std::vector<int32_t> paths;
  for (const CAutomationEvent& e : Load(file)) paths.push_back(e.Path);
  EXPECT_EQ(paths, (std::vector<int32_t>{7, 8, 7, 9}));
}

}  // namespace
