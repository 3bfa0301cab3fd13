#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "commonobjects/conform/ConformEngine.h"
#include "commonobjects/conform/EDLReader.h"
#include "commonobjects/conform/VadicConform.h"
#include "commonobjects/package/AutomationPackage.h"
#include "commonobjects/platform/WindowsDrive.h"
#include "support/ConformFixture.h"
#include "support/Events.h"

namespace {

namespace fs = std::filesystem;
using testsupport::MakeEvent;
using testsupport::ValueAt;

constexpr int kProc = 1;     // EQ 1
constexpr int kControl = 1;  // gain

struct Stretch {
  int32_t SourceStart, DestStart, Length;
};

class ConformEngineTest : public testing::Test {
 protected:
  void SetUp() override {
    // Not named ".aut": a change list's reel (the name without extension) still finds it.
    mix_.SetFileName(drive_.PathOf("reel 1.mix"));
    // Paths 1 and 2 change every 40 units (a ramp of values); path 3 is never selected.
    for (int32_t t = 0; t < 4000; t += 40) {
      for (int32_t path = 1; path <= 3; ++path) mix_.Add(MakeEvent(path, kProc, kControl, t, t / 40 + 100 * path));
    }
    for (int32_t path : {1, 2}) mix_.Filter.Paths.Add(path);
    ASSERT_NE(mix_.Save(0), 0);
    before_ = Events(mix_);
  }

  static std::vector<CAutomationEvent> Events(const CAutomationEventArray& a) {
    return std::vector<CAutomationEvent>(a.GetData(), a.GetData() + a.GetSize());
  }
  static bool SameEvents(const std::vector<CAutomationEvent>& a, const CAutomationEventArray& b) {
    if (a.size() != static_cast<size_t>(b.GetSize())) return false;
    for (size_t i = 0; i < a.size(); ++i) {
      if (std::memcmp(&a[i], &b[static_cast<int32_t>(i)], sizeof(CAutomationEvent)) != 0) return false;
    }
    return true;
  }
  CAutomationEventArray Before() const {
    CAutomationEventArray a;
    for (const CAutomationEvent& e : before_) a.Add(e);
    return a;
  }
  // Every selected channel plays, over each stretch's new place, what it played over the
  // stretch's old place (a few units after the cut, where the state events may lie).
  void ExpectFollows(const std::vector<Stretch>& stretches) const {
    const CAutomationEventArray old = Before();
    for (const Stretch& s : stretches) {
      for (int32_t t = 4; t < s.Length; t += 7) {
        for (int32_t path : {1, 2}) {
          EXPECT_EQ(ValueAt(mix_, path, kProc, kControl, s.DestStart + t),
                    ValueAt(old, path, kProc, kControl, s.SourceStart + t))
              << "path " << path << " at " << s.DestStart + t;
        }
      }
    }
    for (int32_t i = 1; i < mix_.GetSize(); ++i) ASSERT_LE(mix_[i - 1].Time, mix_[i].Time);
  }
  // The pairs of the temporary edit list, in automation units as written.
  static std::vector<Stretch> TemporaryPairs() {
    CGrowableArray<CSourceDestItem> items;
    GetSourceDestItems(commonobjects::platform::MapWindowsPath(TemporaryEDLPath()), items, true);
    std::vector<Stretch> pairs;
    for (int32_t i = 0; i + 1 < items.GetSize(); i += 2) {
      pairs.push_back({items[i].Start, items[i + 1].Start, items[i + 1].Length});
    }
    return pairs;
  }
  std::string WriteFile(const std::string& name, const std::string& text) const {
    std::ofstream(drive_.PathOf(name), std::ios::binary) << text;
    return drive_.PathOf(name);
  }

  testsupport::TestConsole console_;
  testsupport::ScopedWindowsDrive drive_;
  CAutomationPackage mix_;
  std::vector<CAutomationEvent> before_;
};

TEST_F(ConformEngineTest, TextEditListWithoutReelsConformsFromTheMixsOwnFile) {
  // Two stretches change places; the tail beyond the list is dropped; the unsaved event is
  // not in the mix's file, the source of the material, so it does not survive.
  const std::string edl = WriteFile("recut.edl",
                                    "TITLE: RECUT\r\n"
                                    "001  AX       V     C        00:00:00:00 00:00:01:00 00:00:00:00 00:00:01:00\r\n"
                                    "002  AX       V     C        00:00:02:00 00:00:03:00 00:00:01:00 00:00:02:00\r\n"
                                    "003  AX       V     C        00:00:01:00 00:00:02:00 00:00:02:00 00:00:03:00\r\n");
  CGrowableArray<CSourceDestItem> items;
  GetSourceDestItems(edl, items, false);
  ASSERT_EQ(items.GetSize(), 6);
  std::vector<Stretch> stretches;
  for (int32_t i = 0; i < 6; i += 2) stretches.push_back({items[i].Start, items[i + 1].Start, items[i + 1].Length});
  mix_.Add(MakeEvent(1, kProc, kControl, 3990, -7));

  ASSERT_EQ(DoConform(&mix_, edl), kConformDone);
  ExpectFollows(stretches);
  const int32_t end = stretches[2].DestStart + stretches[2].Length;
  for (int32_t i = 0; i < mix_.GetSize(); ++i) {
    EXPECT_NE(mix_[i].Path, 3) << "an unselected path is not carried over";
    EXPECT_LT(mix_[i].Time, end + 4) << "nothing beyond the list's last stretch";
    EXPECT_NE(mix_[i].Value, -7);
  }
}

TEST_F(ConformEngineTest, TheConsoleTakesAStretchsStateAlsoWhenItHoldsNoEvents) {
  // Path 1 changes once, at 1000; the stretch [1100, 1200) holds no event of it but its value
  // is the one set at 1000, and it lands where the value before is another.
  mix_.SetSize(0);
  mix_.Add(MakeEvent(1, kProc, kControl, 0, 5));
  mix_.Add(MakeEvent(1, kProc, kControl, 1000, 9));
  ASSERT_NE(mix_.Save(0), 0);
  before_ = Events(mix_);
  CSourceDestItem source, destination;
  source.Start = 1100, source.Length = 100, destination.Start = 200, destination.Length = 100;
  ASSERT_EQ(CopyConformVadicStyle(&mix_, source, destination), kConformDone);
  EXPECT_EQ(ValueAt(mix_, 1, kProc, kControl, 250), 9);
  EXPECT_EQ(ValueAt(mix_, 1, kProc, kControl, 150), 5);
}

TEST_F(ConformEngineTest, ChangeListsAreToldByTheirNamesAndFailuresLeaveTheMixAlone) {
  const std::string text =
      "PICTURE CHANGE LIST\r\nOld Duration:\t3+00\r\nChg\tFootage\tChange\tLength\tClip Name\r\n"
      "1.\t0+08\tDELETE\t0+04\r\n";
  // ".CUT" in capitals and a name without an extension are change lists.
  for (const std::string name : {"list.CUT", "changes"}) {
    SCOPED_TRACE(name);
    fs::remove(drive_.Path() / "tavmir" / "edl files" / "QRX RESERVED TEMP.edl");
    ASSERT_EQ(DoConform(&mix_, WriteFile(name, text)), kConformDone);
    const std::vector<Stretch> pairs = TemporaryPairs();
    ASSERT_GE(pairs.size(), 2u);
    EXPECT_EQ(pairs[0].SourceStart, 0);
    EXPECT_EQ(pairs[1].DestStart, pairs[0].Length) << "the material after the delete closes up";
    mix_.Load();
  }

  // Nothing readable, or no temporary list to conform from: the mix stays as it was.
  mix_.Add(MakeEvent(1, kProc, kControl, 5000, 1));
  const std::vector<CAutomationEvent> inMemory = Events(mix_);
  EXPECT_EQ(DoConform(&mix_, drive_.PathOf("missing.cut")), kConformListFileFailed);
  EXPECT_EQ(DoConform(&mix_, drive_.PathOf("missing")), kConformListFileFailed);
  EXPECT_EQ(DoConform(&mix_, drive_.PathOf("missing.edl")), kConformEdlOpenFailed);
  const fs::path temporary = drive_.Path() / "tavmir" / "edl files" / "QRX RESERVED TEMP.edl";
  fs::remove(temporary);
  fs::create_directory(temporary);  // an earlier list could not be replaced: never used
  EXPECT_EQ(DoConform(&mix_, WriteFile("again.cut", text)), kConformListFileFailed);
  EXPECT_TRUE(SameEvents(inMemory, mix_));
}

TEST_F(ConformEngineTest, ReelsAreLoadedByNameAndAMissingReelFailsThePreparation) {
  // A second mix on the drive, one event; an edit list that takes [0, 400) of it to 1000.
  CAutomationPackage other;
  other.SetFileName(drive_.PathOf("other.aut"));
  other.Add(MakeEvent(1, kProc, kControl, 200, 77));
  ASSERT_NE(other.Save(0), 0);
  auto writeList = [&](const std::string& reel) {
    CEDLReader writer(drive_.PathOf("reels.edl"), CEDLReader::kQrx);
    EXPECT_TRUE(writer.Create());
    CReelTable reels;
    reels.Add(reel);
    reels.UseOwnNames();
    writer.WriteHeader(CTimecodeSettings(), reels);
    CSourceDestItem source, destination;
    source.Start = 0, source.Length = 400, destination.Start = 1000, destination.Length = 400;
    destination.EnsureDetail().ReelIndex = 0;
    writer.WriteEvent(source, destination);
    EXPECT_TRUE(writer.Close());
  };
  CConformEngine engine;
  writeList(drive_.PathOf("other"));
  ASSERT_EQ(engine.ConformFromEDL(&mix_, drive_.PathOf("reels.edl"), true), kConformDone);
  EXPECT_EQ(ValueAt(mix_, 1, kProc, kControl, 1250), 77);
  EXPECT_EQ(ValueAt(mix_, 1, kProc, kControl, 500), 100) << "the mix's own state at 0 leads in";
  EXPECT_NE(ValueAt(mix_, 1, kProc, kControl, 1150), 100) << "the reel's state at its start";

  ASSERT_NE(mix_.Save(0), 0);
  before_ = Events(mix_);
  writeList(drive_.PathOf("nowhere"));
  CConformEngine failing;
  EXPECT_EQ(failing.ConformFromEDL(&mix_, drive_.PathOf("reels.edl"), true), kConformSourcesFailed);
  EXPECT_TRUE(SameEvents(before_, mix_));
}

TEST_F(ConformEngineTest, ConsoleStyleConformsWriteTheirPairsAndMoveTheMaterial) {
  auto item = [](int32_t start, int32_t length) {
    CSourceDestItem i;
    i.Start = start, i.Length = length;
    return i;
  };
  auto starts = [](const std::vector<Stretch>& pairs) {
    std::vector<std::vector<int32_t>> out;
    for (const Stretch& p : pairs) out.push_back({p.SourceStart, p.DestStart, p.Length});
    return out;
  };
  // A delete at 0 leaves out the empty first pair; the deleted stretch holds the console's
  // state at time 0 and no event.
  ASSERT_EQ(DeleteConformVadicStyle(&mix_, item(0, 400)), kConformDone);
  ASSERT_EQ(TemporaryPairs().size(), 1u);
  const int32_t day = TemporaryPairs()[0].Length;  // the day's end, automation units
  EXPECT_EQ(ValueAt(mix_, 1, kProc, kControl, 399), ValueAt(Before(), 1, kProc, kControl, 0));
  for (int32_t i = 0; i < mix_.GetSize(); ++i) EXPECT_FALSE(mix_[i].Time >= 4 && mix_[i].Time < 400);
  ExpectFollows({{400, 400, 3600}});

  mix_.Load();
  ASSERT_EQ(CopyConformVadicStyle(&mix_, item(400, 200), item(1000, 80)), kConformDone);
  using V = std::vector<std::vector<int32_t>>;
  EXPECT_EQ(starts(TemporaryPairs()), (V{{0, 0, 1000}, {400, 1000, 200}, {1200, 1200, day - 1200}}));
  ExpectFollows({{0, 0, 1000}, {400, 1000, 200}, {1200, 1200, 2800}});
  mix_.Load();
  ASSERT_EQ(CopyConformVadicStyle(&mix_, item(1000, 200), item(400, 80)), kConformDone);
  EXPECT_EQ(starts(TemporaryPairs()), (V{{0, 0, 400}, {1000, 400, 80}, {480, 480, day - 480}}));

  mix_.Load();
  ASSERT_EQ(MoveConformVadicStyle(&mix_, item(2000, 400), item(800, 0)), kConformDone);
  EXPECT_EQ(starts(TemporaryPairs()), (V{{0, 0, 800}, {2000, 800, 400}, {1200, 1200, 800}, {2400, 2400, day - 1200}}));
  ExpectFollows({{0, 0, 800}, {2000, 800, 400}, {1200, 1200, 800}, {2400, 2400, 1600}});
  // The stretch's old place is empty.
  EXPECT_EQ(ValueAt(mix_, 1, kProc, kControl, 2399), ValueAt(mix_, 1, kProc, kControl, 1999));

  // Moved earlier by less than its length: the stretch slides over its old place, whose tail
  // beyond the new end stays empty; the rest keeps its place.
  mix_.Load();
  ASSERT_EQ(MoveConformVadicStyle(&mix_, item(2000, 400), item(1800, 0)), kConformDone);
  EXPECT_EQ(starts(TemporaryPairs()), (V{{0, 0, 1800}, {2000, 1800, 400}, {2400, 2400, day - 2200}}));
  ExpectFollows({{0, 0, 1800}, {2000, 1800, 400}, {2400, 2400, 1600}});

  mix_.Load();
  ASSERT_EQ(MoveConformVadicStyle(&mix_, item(400, 200), item(1000, 0)), kConformDone);
  EXPECT_EQ(starts(TemporaryPairs()),
            (V{{0, 0, 400}, {600, 600, 1000}, {400, 1600, 200}, {1800, 1800, day - 1800}}));
}

}  // namespace
