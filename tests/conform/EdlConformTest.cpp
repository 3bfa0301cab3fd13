#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "commonobjects/conform/EDLItemList.h"
#include "commonobjects/conform/RemoteConformClient.h"
#include "commonobjects/console/PathMap.h"
#include "commonobjects/eventstore/AutomationEventArray.h"
#include "commonobjects/files/CompressedAutoFile.h"
#include "commonobjects/timecode/TimecodeSettings.h"
#include "support/Events.h"
#include "support/RemoteClientRecorder.h"
#include "support/TempFolder.h"
#include "support/TestConsole.h"

namespace {

namespace fs = std::filesystem;
using Row = std::array<int32_t, 5>;  // path, proc, control, time, value
using Rows = std::vector<Row>;

// (14, 2) and (14, 4) are not slot-aligned: state events land exactly at a stretch's start.
Row Level(int32_t time, int32_t value) { return {5, 14, 2, time, value}; }

CAutomationEventArray Mix(const Rows& rows) {
  CAutomationEventArray a;
  for (const Row& r : rows) a.Add(testsupport::MakeEvent(r[0], r[1], r[2], r[3], r[4]));
  return a;
}

Rows RowsOf(const CAutomationEventArray& a) {
  Rows rows;
  for (const CAutomationEvent& e : a) rows.push_back({e.Path, e.Proc, e.Control, e.Time, e.Value});
  return rows;
}

CEDLItem Item(int32_t kind, int32_t length, const std::string& clip = "", int32_t reference = -1) {
  CEDLItem item(kind, length, reference);
  item.Strings[2] = clip;
  return item;
}

CEDLItemList List(std::initializer_list<CEDLItem> items) {
  CEDLItemList list;
  for (const CEDLItem& item : items) list.Add(item, 0);
  return list;
}

// The conformed events; the result and message go to the optional outputs.
Rows Conform(const Rows& events, const CEDLItemList& items, const std::string& folder = "C:\\",
             const std::string& subfolder = "clips", int* result = nullptr, std::string* message = nullptr) {
  CAutomationEventArray a = Mix(events);
  std::string text = message != nullptr ? *message : "";
  const int r = a.EDLConform(items, folder, subfolder, nullptr, text);
  if (result != nullptr) *result = r;
  if (message != nullptr) *message = text;
  return RowsOf(a);
}

// Windows paths ("C:\clips\x.aut") under a fresh folder for the test's life.
class ScopedDrive {
 public:
  ScopedDrive() {
    if (const char* root = std::getenv("COMMONOBJECTS_ROOT")) saved_ = root;
    setenv("COMMONOBJECTS_ROOT", folder_.Path().c_str(), 1);
  }
  ~ScopedDrive() { saved_ ? setenv("COMMONOBJECTS_ROOT", saved_->c_str(), 1) : unsetenv("COMMONOBJECTS_ROOT"); }
  ScopedDrive(const ScopedDrive&) = delete;
  ScopedDrive& operator=(const ScopedDrive&) = delete;
  fs::path Root() const { return folder_.Path(); }

 private:
  testsupport::TempFolder folder_{"edl-conform"};
  std::optional<std::string> saved_;
};

TEST(EDLConformTest, KeptMaterialStaysWhereItWasApartFromDuplicatesAndTimeOrder) {
  testsupport::TestConsole console(3);
  // Two values at one time merge into the later; the slot-aligned fader keeps its own time.
  const Rows mix{Level(10, 100), Level(10, 101), {6, 14, 4, 50, 7}, {5, 14, 0, 121, 300}, Level(300, 200)};
  const Rows expected{Level(10, 101), {6, 14, 4, 50, 7}, {5, 14, 0, 121, 300}, Level(300, 200)};
  EXPECT_EQ(Conform(mix, List({Item(0, 301)})), expected);
  EXPECT_EQ(Conform(mix, List({Item(0, 100)})), expected);  // the rest follows as kept
  EXPECT_EQ(Conform(mix, List({})), expected);
  EXPECT_EQ(Conform({}, List({Item(0, 100), Item(1, 50), Item(2, 30)})), Rows{});
}

TEST(EDLConformTest, RemovedStretchTakesItsMovesAwayAndPullsTheRestEarlier) {
  testsupport::TestConsole console(3);
  const Rows mix{Level(20, 100), {6, 14, 4, 60, 9}, Level(80, 150), Level(150, 200), Level(250, 300)};
  // At the head: the state at the removal's end starts the new automation.
  EXPECT_EQ(Conform(mix, List({Item(1, 100)})),
            (Rows{Level(0, 150), {6, 14, 4, 0, 9}, Level(50, 200), Level(150, 300)}));
  // In the middle: the kept material after it starts with the state it had at its old start.
  EXPECT_EQ(Conform(mix, List({Item(0, 100), Item(1, 100)})),
            (Rows{Level(20, 100), {6, 14, 4, 60, 9}, Level(80, 150), Level(100, 200), Level(150, 300)}));
}

TEST(EDLConformTest, BlankInsertMovesEverythingLaterBehindAStateOnlyStart) {
  testsupport::TestConsole console(3);
  const Rows mix{Level(0, 100), Level(40, 150), {6, 14, 4, 70, 9}};
  EXPECT_EQ(Conform(mix, List({Item(2, 1000)})), (Rows{Level(0, 100), Level(1040, 150), {6, 14, 4, 1070, 9}}));
  // Within the list: the state reached before the blank holds through it.
  EXPECT_EQ(Conform(mix, List({Item(0, 50), Item(2, 1000)})),
            (Rows{Level(0, 100), Level(40, 150), {6, 14, 4, 1070, 9}}));
}

TEST(EDLConformTest, NotedStretchLandsAtItsNewTimeWithTheStateOfItsOldStart) {
  testsupport::TestConsole console(3);
  const Rows mix{Level(10, 1), Level(100, 2), Level(120, 3), Level(180, 4), Level(250, 5)};
  // Item 2 (100..199) leaves; item 4 writes it from its note after item 3. Each stretch is
  // followed by the state that the material after it had.
  EXPECT_EQ(Conform(mix, List({Item(0, 100), Item(3, 100), Item(0, 100), Item(5, 100, "", 2)})),
            (Rows{Level(10, 1), Level(100, 4), Level(150, 5), Level(200, 2), Level(220, 3), Level(280, 4),
                  Level(300, 5)}));
  // A reference to an item that took no note writes nothing.
  EXPECT_EQ(Conform(mix, List({Item(3, 100), Item(5, 100, "", 3)})), (Rows{Level(100, 2), Level(120, 3), Level(180, 4), Level(250, 5)}));
  // A moved stretch behind a blank: its note's state and moves, then the rest as kept.
  EXPECT_EQ(Conform(mix, List({Item(0, 100), Item(2, 50), Item(4, 100)})),
            (Rows{Level(10, 1), Level(150, 2), Level(170, 3), Level(230, 4), Level(300, 5)}));
  // A moved stretch is written from the first note taken, here the removed item 1's.
  EXPECT_EQ(Conform(mix, List({Item(3, 100), Item(4, 100)})),
            (Rows{Level(10, 1), Level(100, 4), Level(150, 5)}));
}

TEST(EDLConformTest, SavedClipComesBackAtItsNewPositionFromEitherFileForm) {
  for (const uint32_t linkType : {0u, 4u}) {
    testsupport::TestConsole console(3);
    console.SetNumber(testsupport::kServerKey, "CardLinkType", linkType);
    const ScopedDrive drive;
    const Rows mix{Level(10, 1), Level(100, 2), Level(150, 3), Level(250, 4)};
    // Item 2 (100..199) leaves as clip "scene"; item 4 puts it back after item 3.
    EXPECT_EQ(Conform(mix, List({Item(0, 100), Item(6, 100, "scene"), Item(0, 100), Item(8, 100, "scene")})),
              (Rows{Level(10, 1), Level(100, 3), Level(150, 4), Level(200, 2), Level(250, 3), Level(300, 4)}))
        << linkType;
    const fs::path clip = drive.Root() / "clips" / "scene.aut";
    ASSERT_TRUE(fs::exists(clip)) << linkType;
    EXPECT_EQ(IsCompressedAutoFile(clip.string()), linkType == 4);
    if (linkType == 0) {
      // The clip starts at its time 0 with the state it had at its old start.
      CAutomationEventArray saved;
      ASSERT_EQ(saved.Load(clip.string()), 1);
      EXPECT_EQ(RowsOf(saved), (Rows{Level(0, 2), Level(50, 3)}));
    }
    // Placed in a shorter stretch, the clip is cut at the stretch's end; an item's own
    // subfolder takes the place of the conform's.
    CEDLItem placed = Item(8, 40, "scene");
    placed.Strings[1] = "clips";
    EXPECT_EQ(Conform(mix, List({Item(0, 100), Item(1, 100), Item(0, 100), placed}), "C:\\", "elsewhere"),
              (Rows{Level(10, 1), Level(100, 3), Level(150, 4), Level(200, 2), Level(240, 4)}))
        << linkType;
  }
}

TEST(EDLConformTest, FailuresSayWhyAndLeaveTheEventsAsTheDuplicateMergeLeftThem) {
  testsupport::TestConsole console(3);
  const ScopedDrive drive;
  const Rows mix{Level(10, 1), Level(10, 2), Level(150, 3)};
  const Rows merged{Level(10, 2), Level(150, 3)};
  int result = -1;
  std::string message;
  EXPECT_EQ(Conform(mix, List({Item(0, 100), Item(8, 100, "absent")}), "C:\\", "clips", &result, &message), merged);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(message, "Conform failed to load the automation !\n ");
  // A clip folder whose parent is missing cannot take the clip.
  EXPECT_EQ(Conform(mix, List({Item(6, 100, "scene"), Item(2, 50)}), "C:\\missing\\", "clips", &result, &message),
            merged);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(message, "Conform could not save the automation :\n Input/output error");
  // Success leaves the message alone.
  message = "untouched";
  Conform(mix, List({Item(2, 10)}), "C:\\", "clips", &result, &message);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(message, "untouched");
}

TEST(EDLConformTest, TheOverloadWithAPathMapDoesNothing) {
  testsupport::TestConsole console(3);
  const Rows mix{Level(10, 1), Level(10, 2), Level(150, 3)};
  CAutomationEventArray a = Mix(mix);
  EXPECT_EQ(a.EDLConform(List({Item(1, 100)}), 7, CPathMap()), 0);
  EXPECT_EQ(RowsOf(a), mix);
}

// The picture side is told the head of the list: the kept items among the first two in
// place, then the rest of the day from the old position reached to the new one.
TEST(EDLConformTest, PictureSideLearnsTheHeadOfTheList) {
  using Calls = std::vector<std::string>;
  struct Case {
    const char* what;
    CEDLItemList items;
    Calls entries;
  };
  // 25 frames a second: a day is 2160000 frames; the picture side counts 4 units a frame.
  const Case cases[] = {
      {"kept then removed", List({Item(0, 400), Item(1, 200), Item(2, 800)}),
       {"fnAddConformEntry 1 -1 0 100 0 100", "fnAddConformEntry 1 -1 150 2160000 100 2159950"}},
      {"blank first", List({Item(2, 800), Item(0, 400)}),
       {"fnAddConformEntry 1 -1 0 100 200 300", "fnAddConformEntry 1 -1 100 2160000 300 2160200"}},
      {"no removal or blank in the first two", List({Item(0, 400), Item(3, 200), Item(1, 800)}), {}},
  };
  for (const Case& c : cases) {
    testsupport::TestConsole console(3);
    testsupport::RemoteClientRecorder recorder;
    ASSERT_TRUE(recorder.IsLoaded()) << recorder.Error();
    console.Store().SetValue(HKEY_CURRENT_USER, CRemoteConformClient::kReelvaneKey, "AutoConform",
                             commonobjects::platform::RegistryValue::Dword(1));
    console.Store().SetValue(HKEY_CURRENT_USER, CTimecodeSettings::kTimecodeKey, CTimecodeSettings::kRateCodeName,
                             commonobjects::platform::RegistryValue::Dword(2));
    testing::internal::CaptureStdout();
    Conform({Level(10, 1)}, c.items);
    testing::internal::GetCapturedStdout();
    Calls entries;
    for (const std::string& call : recorder.TakeCalls()) {
      if (call.rfind("fnAddConformEntry", 0) == 0) entries.push_back(call);
    }
    EXPECT_EQ(entries, c.entries) << c.what;
  }
}

}  // namespace
