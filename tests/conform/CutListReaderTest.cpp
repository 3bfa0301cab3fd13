#include "commonobjects/conform/CutListReader.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <tuple>
#include <vector>

#include "support/CutListFiles.h"
#include "support/TempFolder.h"
#include "support/TestConsole.h"

namespace {

using testsupport::BinaryCutList;
using Change = std::tuple<int32_t, int32_t, int32_t, int32_t>;  // kind, position, length, source

std::vector<Change> ChangesOf(const CCutListReader& reader) {
  std::vector<Change> changes;
  for (const auto& c : reader.GetChanges()) changes.emplace_back(c->Kind, c->Position, c->Length, c->SourceChange);
  return changes;
}

// A report: a header line, then the change lines.
std::string Report(const std::string& changes) { return "No.  Where  Length  Wording  Clip Name\r\n" + changes; }

TEST(CutListReaderTest, WordingsClassifyByTheirFirstAndLastFourCharacters) {
  const std::tuple<const char*, int32_t> cases[] = {
      {"TRIM HEAD", 3}, {"TRIM MIDDLE", 4}, {"TRIM TAIL", 5}, {"LENGTHEN HEAD", 6}, {"LENGTHEN TAIL", 7},
      {"DELETE", 1}, {"INSERT", 2}, {"MOVE", 8}, {"NO CHANGE", 11}, {"INSERT FROM", 2}, {"INSERT FROM1", 9},
      {"TRIM", 0}, {"TRIM MIDDLE BIT", 0}, {"LENGTHEN MIDDLE", 0}, {"SPLICE", 0}, {"", 0}, {"DEL", 0},
  };
  for (const auto& [wording, kind] : cases) EXPECT_EQ(CCutListReader::ClassifyWording(wording), kind) << wording;
}

TEST(CutListReaderTest, SampleReportsGiveTheirChangesInEitherLayout) {
  // reel1-v2.cut: no-change entry 9 is dropped, entry 10's next line names change 12,
  // entry 13 follows the end marker. reel2-v3.txt: "INSERT FROM 3" is 12 characters or
  // more (no source looked for), "INSE FROM 3" names change 3, the unended last line drops.
  const std::tuple<const char*, int32_t, int32_t, std::vector<Change>> cases[] = {
      {"reel1-v2.cut", 0, 950, {{3, 1600, 32, -1}, {4, 2408, 20, -1}, {5, 3200, 12, -1}, {6, 4000, 48, -1},
                                {7, 4800, 16, -1}, {1, 5600, 64, -1}, {2, 6400, 40, -1}, {8, 7200, 80, -1},
                                {9, 9600, 80, 12}, {3, 11200, 16, -1}, {8, 12800, 80, -1}}},
      {"reel2-v3.txt", 1, 1200, {{1, 160, 32, -1}, {9, 320, 24, -1}, {8, 480, 24, -1}, {9, 640, 4, 3}}},
  };
  for (const auto& [name, layout, oldFeet, expected] : cases) {
    CCutListReader reader{CTimecodeSettings{}};
    ASSERT_TRUE(reader.Read(std::string(COMMONOBJECTS_SOURCE_DIR) + "/testdata/cutlist/" + name)) << name;
    EXPECT_EQ(ChangesOf(reader), expected) << name;
    EXPECT_EQ(std::tuple(reader.GetLayout(), reader.GetOldDurationFeet(), reader.IsBinary(), reader.GetFailureStage()),
              std::tuple(layout, oldFeet, false, 0));
  }
}

TEST(CutListReaderTest, NameEndingTxtIgnoringCaseIsReadWithLayoutOneFirstAndEitherLayoutFallsBack) {
  testsupport::TempFolder folder;
  const std::string both = Report("1.\t5+00\tMOVE\t2+00\tDELETE\r\n");  // layout 0: a move, layout 1: a delete
  const std::string oneOnly = Report("1.   5+00  2+00  DELETE\r\n2.   9+00  1+00  DELETE\r\n");
  const std::tuple<const char*, const std::string*, int32_t, int32_t> cases[] = {
      {"a.cut", &both, 0, 8}, {"a.TXT", &both, 1, 1}, {"a.Txt", &both, 1, 1},
      {"a.txt.cut", &both, 0, 8}, {"atxt", &both, 0, 8}, {"b.cut", &oneOnly, 1, 1},
  };
  for (const auto& [name, content, layout, kind] : cases) {
    testsupport::WriteBytes(folder.PathOf(name), *content);
    CCutListReader reader{CTimecodeSettings{}};
    ASSERT_TRUE(reader.Read(folder.PathOf(name))) << name;
    EXPECT_EQ(std::tuple(reader.GetLayout(), reader.GetChanges()[0]->Kind), std::tuple(layout, kind)) << name;
  }
}

TEST(CutListReaderTest, FootageIsFeetPlusTwoDigitFramesAtTheFramesPerFoot) {
  testsupport::TempFolder folder;
  const std::string path = folder.PathOf("f.txt");
  const std::tuple<std::string, int32_t, int32_t> cases[] = {  // -1: the read fails
      {"12+08", 16, 200}, {"12+08", 20, 248}, {"007+15", 16, 127}, {"12+8 ", 16, -1},
      {"12-08", 16, -1},  {"12 +08", 16, -1}, {"99999999999+00", 16, -1},
  };
  for (const auto& [footage, perFoot, frames] : cases) {
    testsupport::WriteBytes(path, "Old Duration " + footage + "\r\n" + Report("1.  " + footage + "  1+00  DELETE\r\n"));
    CTimecodeSettings settings;
    settings.FilmFramesPerFoot = perFoot;
    CCutListReader reader(settings);
    ASSERT_EQ(reader.Read(path), frames >= 0) << footage;
    if (frames < 0) continue;
    EXPECT_EQ(reader.GetChanges()[0]->Position, frames) << footage;
    EXPECT_EQ(reader.GetOldDurationFeet() * perFoot + reader.GetOldDurationFrames(), frames) << footage;
  }
  // Built without settings, the reader counts at the registry's frames per foot.
  testsupport::TestConsole console;
  console.Store().SetValue(HKEY_CURRENT_USER, CTimecodeSettings::kTimecodeKey, CTimecodeSettings::kFilmFramesPerFootName,
                           commonobjects::platform::RegistryValue::String("20"));
  testsupport::WriteBytes(path, Report("1.  1+00  1+00  DELETE\r\n"));
  CCutListReader fromRegistry;
  ASSERT_TRUE(fromRegistry.Read(path));
  EXPECT_EQ(fromRegistry.GetChanges()[0]->Position, 1 * 20);
}

TEST(CutListReaderTest, TextChangesEndAtTheMarkerOrTheFileAndInsertsFindTheirSource) {
  testsupport::TempFolder folder;
  const std::string path = folder.PathOf("e.cut");
  const std::string first = "1.\t1+00\tDELETE\t1+00\r\n";
  const std::tuple<const char*, std::string, std::vector<Change>> cases[] = {
      {"LF line ends", Report("1.\t1+00\tDELETE\t1+00\n2.\t2+00\tDELETE\t1+00\n"), {{1, 16, 16, -1}, {1, 32, 16, -1}}},
      {"marker in lower case", Report(first + "(end of change list)\r\n2.\t2+00\tDELETE\t1+00\r\n"), {{1, 16, 16, -1}}},
      {"file ends inside a change", Report(first + "2.\t2+00\tDEL"), {{1, 16, 16, -1}}},
      {"insert, plain next line", Report("1.\t1+00\tINSERT\t1+00\r\n\t1+00\t(new)\r\n2.\t2+00\tMOVE\t1+00\r\n"),
       {{2, 16, 16, -1}, {8, 32, 16, -1}}},
      {"FROM within 10 bytes", Report("1.\t1+00\tINSERT\t1+00\r\n  7+00 from  #4\r\n2.\t2+00\tMOVE\t1+00\r\n"),
       {{9, 16, 16, 4}, {8, 32, 16, -1}}},
      {"FROM beyond 10 bytes", Report("1.\t1+00\tINSERT\t1+00\r\n  7+00        FROM #4\r\n"), {{2, 16, 16, -1}}},
  };
  for (const auto& [what, content, expected] : cases) {
    testsupport::WriteBytes(path, content);
    CCutListReader reader{CTimecodeSettings{}};
    EXPECT_TRUE(reader.Read(path)) << what;
    EXPECT_EQ(ChangesOf(reader), expected) << what;
  }
}

TEST(CutListReaderTest, FailedReadsSayWhereTheyStoppedAndLeaveNoChanges) {
  testsupport::TempFolder folder;
  const std::string good = Report("1.\t1+00\tDELETE\t1+00\r\n");
  const std::string record = BinaryCutList(0, 0, 0).Record(1, 0, 0).Bytes.substr(28);
  const std::tuple<const char*, std::string, int32_t> cases[] = {
      {"empty file", "", 2},
      {"no Clip Name header", "Change list\r\n1.\t1+00\tDELETE\t1+00\r\n", 2},
      {"old duration malformed", "Old Duration 12x00\r\n" + good, 2},
      {"end marker first", Report("(END OF CHANGE LIST)\r\n1.\t1+00\tDELETE\t1+00\r\n"), 2},
      {"malformed footage", Report("1.\t1-00\tDELETE\t1+00\r\n"), 3},
      {"only a no-change entry", Report("1.\t1+00\tNO CHANGE\t0+00\r\n"), 3},
      {"only an unended change", Report("1.\t1+00\tDELETE\t1+00"), 3},
      {"binary magic only", "QRX_CUTLIST_FILE", 2},
      {"binary count 0x7fffffff", BinaryCutList(0, 0, 0x7fffffff).Bytes + record + record, 2},
      {"binary count negative", BinaryCutList(0, 0, -1).Bytes + record, 2},
      {"binary clip without its name", BinaryCutList(0, 0, 1).Record(10, 0, 5).Bytes, 3},
      {"binary name length 0x7fffffff", BinaryCutList(0, 0, 2).Record(10, 0, 5).Put(0).Put(0x7fffffff).Bytes + record, 3},
  };
  testsupport::WriteBytes(folder.PathOf("ok.cut"), good);
  for (const auto& [what, content, stage] : cases) {
    testsupport::WriteBytes(folder.PathOf("x.cut"), content);
    CCutListReader reader{CTimecodeSettings{}};
    ASSERT_TRUE(reader.Read(folder.PathOf("ok.cut")));
    EXPECT_FALSE(reader.Read(folder.PathOf("x.cut"))) << what;
    EXPECT_EQ(std::tuple(reader.GetFailureStage(), reader.GetChanges().size()), std::tuple(stage, size_t{0})) << what;
  }
  CCutListReader reader{CTimecodeSettings{}};
  EXPECT_FALSE(reader.Read(folder.PathOf("missing.cut")));
  EXPECT_EQ(std::tuple(reader.GetFailureStage(), reader.GetSystemError()), std::tuple(1, ENOENT));
}

TEST(CutListReaderTest, BinaryFormKeepsRecordsAsWrittenWithAClipsExtraAndName) {
  testsupport::TempFolder folder;
  const std::string path = folder.PathOf("b.txt");  // the magic decides, not the name
  testsupport::WriteBytes(
      path, BinaryCutList(950, 4, 4).Record(1, 160, 32).Clip(320, 48, 1234, "REEL 7").Record(11, 400, 0).Record(9, 480, 24, 2).Bytes +
                "trailing bytes are not read");
  CCutListReader reader{CTimecodeSettings{}};
  ASSERT_TRUE(reader.Read(path));
  EXPECT_EQ(ChangesOf(reader), (std::vector<Change>{{1, 160, 32, -1}, {10, 320, 48, -1}, {9, 480, 24, 2}}));
  EXPECT_EQ(std::tuple(reader.GetChanges()[1]->Extra, reader.GetChanges()[1]->Name, reader.IsBinary(),
                       reader.GetOldDurationFeet(), reader.GetOldDurationFrames()),
            std::tuple(1234, std::string("REEL 7"), true, 950, 4));
}

}  // namespace
