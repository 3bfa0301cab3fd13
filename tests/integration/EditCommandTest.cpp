// mixauto edit copy, merge, isolate and erase, run as a user runs them on event-array files.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "commonobjects/eventstore/AutomationEventArray.h"
#include "commonobjects/presentation/TemplateSnapAutoEvent.h"
#include "support/Events.h"
#include "support/EventFileToolTest.h"
#include "support/RunTool.h"
#include "support/TempFolder.h"
#include "support/TestConsole.h"

namespace {

using testsupport::MakeEvent;

// A folder with a missing registry (console type 3, 2000 paths, 1/100 s units) and a Windows
// drive of its own.
class EditCommandTest : public testsupport::EventFileToolTest {
 protected:
  EditCommandTest() : EventFileToolTest("edit-command") {}
  testsupport::ToolResult Run(const std::string& arguments) { return RunMixauto("edit " + arguments); }
};

// Fader level (Proc 14, Control 0) moves. The last event (path 7 at 9000) gives slot offset
// 3, so path 5's fader times that are multiples of 4 stay where they are pasted.
constexpr int kFader = 14;
const std::vector<CAutomationEvent> kMix = {
    MakeEvent(5, kFader, 0, 500, -50),  MakeEvent(3, kFader, 0, 1000, -100), MakeEvent(3, kFader, 0, 1100, -200),
    MakeEvent(3, kFader, 0, 1240, -300), MakeEvent(5, kFader, 0, 5100, 77),  MakeEvent(5, kFader, 0, 7000, 10),
    MakeEvent(7, kFader, 0, 9000, 1)};

std::string Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// (time, value) of the path's fader level events, in file order.
std::vector<std::pair<int32_t, int>> FaderOf(const std::string& file, int32_t path) {
  CAutomationEventArray array;
  EXPECT_EQ(array.Load(file), 1) << file;
  std::vector<std::pair<int32_t, int>> moves;
  for (const CAutomationEvent& e : array) {
    if (e.Path == path && e.Proc == kFader && e.Control == 0) moves.emplace_back(e.Time, e.Value);
  }
  return moves;
}

bool Contains(const std::vector<std::pair<int32_t, int>>& moves, std::pair<int32_t, int> move) {
  return std::find(moves.begin(), moves.end(), move) != moves.end();
}

bool Has(const std::string& output, const std::string& text) { return output.find(text) != std::string::npos; }

// Whether some line, its runs of blanks squeezed to one, starts with `start`.
bool HasLineStarting(const std::string& output, const std::string& start) {
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);) {
    std::string squeezed;
    for (const char ch : line) {
      if (ch != ' ' || (!squeezed.empty() && squeezed.back() != ' ')) squeezed += ch;
    }
    if (squeezed.rfind(start, 0) == 0) return true;
  }
  return false;
}

std::string FaderText(int value) {
  std::string text;
  CTemplateSnapAutoEvent(kFader, 0, static_cast<int16_t>(value)).GetText(text, 1, 0);
  return text;
}

TEST_F(EditCommandTest, CopyAndMergePasteTheSourcePathShiftedOntoTheDestinationsOnly) {
  const std::string file = Write("a.mix", kMix);
  const auto [status, output] =
      Run("copy '" + file + "' --from '#1000' --to '#2000' --at '#5000' --source 3 --to-paths 5 --groups fader");
  ASSERT_EQ(status, 0) << output;
  EXPECT_TRUE(Has(output, "Wrote ")) << output;
  const auto pasted = FaderOf(file, 5);
  for (const auto& move : {std::pair{500, -50}, {5000, -100}, {5100, -200}, {5240, -300}}) {
    EXPECT_TRUE(Contains(pasted, move)) << move.first;
  }
  EXPECT_FALSE(Contains(pasted, {5100, 77}));  // the destination's own move inside the pasted length
  EXPECT_EQ(FaderOf(file, 3), (std::vector<std::pair<int32_t, int>>{{1000, -100}, {1100, -200}, {1240, -300}}));
  EXPECT_EQ(FaderOf(file, 7), (std::vector<std::pair<int32_t, int>>{{9000, 1}}));

  // The same paste from another mix: the source path is read from --source-file, not FILE.
  const std::string other = Write("other.mix", {MakeEvent(3, kFader, 0, 1100, -400), MakeEvent(7, kFader, 0, 9000, 1)});
  const std::string target = Write("b.mix", kMix);
  const auto [merged, mergeOutput] = Run("merge '" + target + "' --source-file '" + other +
                                         "' --from '#1000' --to '#2000' --at '#5000' --source 3 --to-paths 5");
  ASSERT_EQ(merged, 0) << mergeOutput;
  EXPECT_TRUE(Contains(FaderOf(target, 5), {5100, -400}));
  EXPECT_FALSE(Contains(FaderOf(target, 5), {5100, -200}));
}

TEST_F(EditCommandTest, DirectionWordsAndNumbersPutTheStartRampBeforeOrAfterTheEdge) {
  const std::string file = Write("a.mix", kMix);
  const struct {
    const char* direction;
    bool rampBefore;  // ramp events in [4960, 5000), else in (5000, 5040)
  } kCases[] = {{"before", true}, {"3", true}, {"After", false}, {"2", false}};
  for (const auto& c : kCases) {
    const std::string out = folder.PathOf(std::string("ramp-") + c.direction + ".mix");
    const auto [status, output] = Run("copy '" + file + "' --from '#1000' --to '#2000' --at '#5000' --source 3 "
                                      "--to-paths 5 --ramp-length 40 --start-direction " + c.direction + " -o '" +
                                      out + "'");
    ASSERT_EQ(status, 0) << output;
    int before = 0, after = 0;
    for (const auto& [time, value] : FaderOf(out, 5)) {
      before += time >= 4960 && time < 5000;
      after += time > 5000 && time < 5040;
    }
    EXPECT_EQ(before > 0, c.rampBefore) << c.direction;
    EXPECT_EQ(after > 0, !c.rampBefore) << c.direction;
  }
}

TEST_F(EditCommandTest, DryRunListsRemovedAndAddedEventsAndLeavesTheBytes) {
  const std::string file = Write("a.mix", kMix);
  const std::string original = Bytes(file);
  const auto [status, output] =
      Run("copy '" + file + "' --from '#1000' --to '#2000' --at '#5000' --source 3 --to-paths 5 --dry-run --show 0");
  ASSERT_EQ(status, 0) << output;
  EXPECT_TRUE(Bytes(file) == original);
  EXPECT_TRUE(Has(output, "Dry run: nothing written.")) << output;
  // 5100 units are 51 seconds, frame 0 at any rate.
  EXPECT_TRUE(HasLineStarting(output, "- 00:00:51 00 5 Fader Level (14/0) " + FaderText(77))) << output;
  EXPECT_TRUE(HasLineStarting(output, "+ 00:00:51 00 5 Fader Level (14/0) " + FaderText(-200))) << output;
  EXPECT_FALSE(HasLineStarting(output, "- 00:00:11 00 3")) << "the source path is not changed\n" << output;

  const auto [capped, cappedOutput] =
      Run("copy '" + file + "' --from '#1000' --to '#2000' --at '#5000' --source 3 --to-paths 5 --dry-run --show 1");
  EXPECT_EQ(capped, 0);
  EXPECT_TRUE(Has(cappedOutput, "... and ")) << cappedOutput;
  EXPECT_TRUE(Bytes(file) == original);
}

TEST_F(EditCommandTest, IsolateAndBothErasesSelectByPathsAndTime) {
  const std::string isolated = Write("i.mix", kMix);
  ASSERT_EQ(Run("isolate '" + isolated + "' --from '#1000' --to '#1100' --at '#0' --paths 3").status, 0);
  EXPECT_TRUE(Contains(FaderOf(isolated, 3), {100, -200}));  // the move at 1100, 1000 earlier
  EXPECT_TRUE(FaderOf(isolated, 5).empty());
  EXPECT_TRUE(FaderOf(isolated, 7).empty());

  // The tracker erase takes --to itself and restores the value after it; the ranged erase
  // (--ramp-length) stops just before --to. 1242 is in path 3's time slot.
  const std::vector<CAutomationEvent> moves = {MakeEvent(3, kFader, 0, 1000, -100), MakeEvent(3, kFader, 0, 1100, -200),
                                               MakeEvent(3, kFader, 0, 1242, -300), MakeEvent(7, kFader, 0, 9000, 1)};
  const std::string tracker = Write("t.mix", moves);
  ASSERT_EQ(Run("erase '" + tracker + "' --from '#1000' --to '#1242' --paths 3").status, 0);
  const auto restored = FaderOf(tracker, 3);
  ASSERT_FALSE(restored.empty());
  EXPECT_GT(restored.back().first, 1242);
  EXPECT_EQ(restored.back().second, -300);
  EXPECT_FALSE(Contains(restored, {1000, -100}) || Contains(restored, {1100, -200}));
  const std::string ranged = Write("r.mix", moves);
  ASSERT_EQ(Run("erase '" + ranged + "' --from '#1000' --to '#1242' --paths 3 --ramp-length 0").status, 0);
  EXPECT_EQ(FaderOf(ranged, 3), (std::vector<std::pair<int32_t, int>>{{1000, -100}, {1242, -300}}));
  EXPECT_EQ(FaderOf(ranged, 7), (std::vector<std::pair<int32_t, int>>{{9000, 1}}));
}

TEST_F(EditCommandTest, BadArgumentsFailWithAMessageAndLeaveTheFile) {
  const std::string file = Write("a.mix", kMix);
  const std::string original = Bytes(file);
  const std::string range = " --from '#1000' --to '#2000'";
  const struct {
    std::string arguments;
    const char* message;
  } kBad[] = {
      {"copy FILE" + range + " --source 3 --to-paths 5 --groups fader,fadr", "\"fadr\" is not a control group"},
      {"copy FILE" + range + " --source 3 --to-paths 5 --start-direction 5", "--start-direction \"5\": give 3"},
      {"copy FILE" + range + " --source 3 --to-paths 5 --end-direction sideways", "--end-direction \"sideways\""},
      {"copy FILE" + range + " --to-paths 5", "--source is required"},
      {"copy FILE" + range + " --source 3,4 --to-paths 5", "--source \"3,4\": give one path"},
      {"copy FILE --from '#1000' --to '#1000' --source 3 --to-paths 5", "--to must be later than --from"},
      {"copy FILE" + range + " --source 3 --to-paths 5-2000", "--to-paths: "},
      {"merge FILE" + range + " --source 3 --to-paths 5 --source-file nowhere.mix", "nowhere.mix: no such file"},
      {"erase FILE" + range + " --paths 3 --direction after", "--direction requires --ramp-length"},
      {"isolate FILE --from soon --to '#2000' --paths 3", "--from: \"soon\""},
  };
  for (const auto& bad : kBad) {
    std::string arguments = bad.arguments;
    arguments.replace(arguments.find("FILE"), 4, "'" + file + "'");
    const auto [status, output] = Run(arguments);
    EXPECT_NE(status, 0) << arguments;
    EXPECT_TRUE(Has(output, bad.message)) << arguments << "\n" << output;
  }
  EXPECT_TRUE(Bytes(file) == original);
}

}  // namespace
