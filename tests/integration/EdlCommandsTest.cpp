// mixauto edl and cutlist, run as a user runs them, on the sample lists, on lists written here
// and on files they must refuse. The tool reads a missing registry (console type 3, 1/100 s
// units, 24 frames per second); the test process reads the same settings.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>

#include "commonobjects/conform/CutListChange.h"
#include "commonobjects/conform/EDLReader.h"
#include "support/CutListFiles.h"
#include "support/MixToolTest.h"

namespace {

using testsupport::Has;
using testsupport::HasSqueezed;

const std::string kEdlFolder = std::string(COMMONOBJECTS_SOURCE_DIR) + "/testdata/edl/";
const std::string kCutListFolder = std::string(COMMONOBJECTS_SOURCE_DIR) + "/testdata/cutlist/";

class EdlCommandsTest : public testsupport::EventFileToolTest {
 protected:
  EdlCommandsTest() : EventFileToolTest("edl-commands") {}

  // What `script` prints with `d` the JSON object that mixauto ARGUMENTS wrote; a Python
  // traceback when the output is no valid JSON.
  testsupport::ToolResult RunJson(const std::string& arguments, const std::string& script) {
    return testsupport::RunTool("COMMONOBJECTS_REGISTRY='" + folder.PathOf("registry.reg") + "' '" + MIXAUTO_PATH +
                                "' " + arguments + " | python3 -c 'import json,sys; d=json.load(sys.stdin); " + script +
                                "' 2>&1");
  }
};

// The units of every pair the library's own reader makes of a file, as "source,dest,length ".
std::string LibraryPairs(const std::string& path) {
  CGrowableArray<CSourceDestItem> items;
  GetSourceDestItems(path, items, false);
  std::string pairs;
  for (int32_t i = 0; i + 1 < items.GetSize(); i += 2) {
    pairs += std::to_string(items[i].Start) + "," + std::to_string(items[i + 1].Start) + "," +
             std::to_string(items[i + 1].Length) + " ";
  }
  return pairs;
}

TEST_F(EdlCommandsTest, TextListShowsEachEventWithItsTimecodesAndTheUnitsConformUses) {
  const std::string file = kEdlFolder + "otio_dissolve_test_4.edl";
  const auto [status, output] = RunMixauto("edl '" + file + "' --format cmx3400");
  ASSERT_EQ(status, 0) << output;
  EXPECT_TRUE(HasSqueezed(output, "Form text, read as CMX3400")) << output;
  EXPECT_TRUE(HasSqueezed(output, "Drop-frame no")) << output;
  // 01:00:06:18 is 86562 frames at 24 fps: 360675 units; 30 frames are 125.
  EXPECT_TRUE(HasSqueezed(output, "1 ABC0000. V C 01:00:06:18 01:04:11:17 01:04:12:23 360675 385171 125")) << output;
  EXPECT_TRUE(Has(output, "8 event lines, 8 placing an edit.")) << output;

  // Every pair in units is the one the library's reader hands conform.
  for (const char* name : {"otio_dissolve_test_4.edl", "pycmx_TEST.edl", "otio_timecode_mismatch.edl"}) {
    const auto [jsonStatus, pairs] =
        RunJson("edl '" + kEdlFolder + name + "' --json",
                "print(\"\".join(\"%d,%d,%d \" % (e[\"sourceStart\"], e[\"destStart\"], e[\"destLength\"]) "
                "for e in d[\"events\"] if e[\"yieldsEdit\"]))");
    EXPECT_EQ(jsonStatus, 0) << pairs;
    EXPECT_EQ(pairs, LibraryPairs(kEdlFolder + name) + "\n") << name;
  }
}

TEST_F(EdlCommandsTest, LinesThatPlaceNoEditSayWhyAndLatin1ReelsStayReadable) {
  const std::string file = folder.PathOf("lines.edl");
  testsupport::WriteBytes(file,
                          "TITLE: LINES\n"
                          "001  R1 V C 01:00:00:00 01:00:10:00 10:00:00:00 10:00:10:00\n"
                          "002  R2 XYZ C 01:00:00:00 01:00:10:00 10:00:10:00 10:00:11:00\n"
                          "003  R3 A C 01:00:00:00 01:00:10:00 10:00:11:00 1:2\n"
                          "004  01:00:00:00 01:00:10:00\n"
                          "005  CAF\xC9 AA/V D 01:00:00;00 01:00:10;00 10:00:11;00 10:00:12;00\n");
  const auto [status, output] = RunMixauto("edl '" + file + "' --format CMX3400");
  ASSERT_EQ(status, 0) << output;
  EXPECT_TRUE(HasSqueezed(output, "Drop-frame yes")) << output;
  EXPECT_TRUE(HasSqueezed(output,
                          "2 - - - 01:00:00:00 10:00:10:00 10:00:11:00 360000 3601000 100 track field not "
                          "accepted by the dialect; the times still place an edit"))
      << output;
  EXPECT_TRUE(HasSqueezed(output, "3 R3 A1 C 01:00:00:00 10:00:11:00 - - - - a timecode shorter than 4 characters"))
      << output;
  EXPECT_TRUE(HasSqueezed(output, "- - - - - - - - - - fewer than 4 fields")) << output;
  EXPECT_TRUE(HasSqueezed(output, "5 CAF\xC9 V A1 A2 D 01:00:00:00 10:00:11:00 10:00:12:00 ")) << output;
  EXPECT_TRUE(Has(output, "5 event lines, 3 placing an edit.")) << output;

  // JSON: Latin-1 as \u00XX, and null where a line gives nothing.
  const auto [jsonStatus, json] = RunJson("edl '" + file + "' --format CMX3400 --json",
                                          "print(d[\"header\"][\"dropFrame\"], [(e[\"number\"], e[\"reel\"], "
                                          "e[\"yieldsEdit\"], e[\"destStart\"]) for e in d[\"events\"]][1:])");
  EXPECT_EQ(jsonStatus, 0) << json;
  EXPECT_EQ(json,
            "True [(2, '', True, 3601000), (3, 'R3', False, None), (None, '', False, None), "
            "(5, 'CAF\xC3\x89', True, 3601100)]\n");
}

TEST_F(EdlCommandsTest, BinaryListShowsItsSettingsReelsAndFrameTimesInEitherHeader) {
  for (const bool oldHeader : {false, true}) {
    const std::string file = folder.PathOf(oldHeader ? "old.edl" : "new.edl");
    CEDLReader writer(file, CEDLReader::kGeneric);
    ASSERT_TRUE(writer.Create());
    CTimecodeSettings settings;
    settings.RateCode = 2;
    CReelTable reels;
    reels.Add("MIX");
    const int32_t cafe = reels.Add("Caf\xE9\x01");  // sorts before "MIX"
    reels.UseOwnNames();
    reels.SetUsedName(cafe, "OTHER");
    writer.WriteHeader(settings, reels, oldHeader);
    CSourceDestItem source, dest;
    source.Start = 240;  // 10 s at 24 fps: 1000 units
    dest.Start = 2400;
    dest.Length = 48;
    CEDLEditDetail& detail = dest.EnsureDetail();
    detail.ReelName = "Caf\xE9\x01";
    detail.ReelIndex = cafe;
    detail.Video = 1;
    detail.TrackMask = 0x5;
    detail.Transition = CEDLEditDetail::kDissolve;
    writer.WriteEvent(source, dest);
    ASSERT_TRUE(writer.Close());

    const auto [status, output] = RunMixauto("edl '" + file + "' --format cmx3400");
    ASSERT_EQ(status, 0) << output;
    const std::string magic = oldHeader ? "QRX HEADER" : "QRX HDRNEW";
    EXPECT_TRUE(HasSqueezed(output, "Form binary (\"" + magic + "\"), read as QRX")) << output;
    EXPECT_TRUE(HasSqueezed(output, "rateCode 2")) << output;
    EXPECT_TRUE(HasSqueezed(output, "0 Caf\xE9\x01 OTHER")) << output;
    EXPECT_TRUE(HasSqueezed(output, "1 Caf\xE9\x01 V A1 A3 D 00:00:10 00 00:01:40 00 00:01:42 00 1000 10000 200"))
        << output;

    const auto [jsonStatus, json] = RunJson(
        "edl '" + file + "' --json",
        "h=d[\"header\"]; print(h[\"magic\"], h[\"settings\"][\"rateCode\"], [r[\"name\"] for r in h[\"reels\"]], "
        "d[\"events\"][0][\"reel\"] == \"Caf\\u00e9\\u0001\", d[\"events\"][0][\"sourceStart\"])");
    EXPECT_EQ(jsonStatus, 0) << json;
    EXPECT_EQ(json, magic + " 2 ['Café\\x01', 'MIX'] True 1000\n");
  }
}

TEST_F(EdlCommandsTest, RefusesABadFormatAMissingFileAndACutShortBinaryHeader) {
  const std::string sample = kEdlFolder + "otio_dissolve_test_4.edl";
  const auto [formatStatus, formatOutput] = RunMixauto("edl '" + sample + "' --format CMX3600");
  EXPECT_EQ(formatStatus, 1);
  EXPECT_TRUE(Has(formatOutput, "\"CMX3600\"")) << formatOutput;
  EXPECT_TRUE(Has(formatOutput, "GENERIC, QRX, CMX340, CMX3400, SONY_BVE9000, GVG, AVID")) << formatOutput;

  const std::string cut = folder.PathOf("cut.edl");
  testsupport::WriteBytes(cut, std::string("QRX HDRNEW") + std::string(20, '\0'));
  for (const auto& [path, message] :
       {std::pair<std::string, std::string>{folder.PathOf("missing.edl"), "cannot open it"},
        {cut, "the binary header or its reel table is cut short"}}) {
    const auto [status, output] = RunMixauto("edl '" + path + "'");
    EXPECT_EQ(status, 1);
    EXPECT_TRUE(Has(output, "mixauto edl: " + path + ": " + message)) << output;
  }
}

TEST_F(EdlCommandsTest, CutListShowsChangesAndTheStretchesTheyMakeInBothTextLayouts) {
  const auto [status, output] = RunMixauto("cutlist '" + kCutListFolder + "reel1-v2.cut'");
  ASSERT_EQ(status, 0) << output;
  EXPECT_TRUE(HasSqueezed(output, "Form text, layout 0")) << output;
  EXPECT_TRUE(HasSqueezed(output, "Old duration 950+00 (16 frames per foot)")) << output;
  EXPECT_TRUE(Has(output, "Changes (11,")) << output;  // NO CHANGE and what follows the end marker left out
  // 100+00 is 1600 frames: 66.67 s at 24 fps; 2+00 is 32 frames.
  EXPECT_TRUE(HasSqueezed(output, "1 trim head 100+00 00:01:06 16 2+00 00:00:01 08 -")) << output;
  EXPECT_TRUE(HasSqueezed(output, "9 insert from 600+00 00:06:40 00 5+00 00:00:03 08 change 12")) << output;
  // After 6667 kept and 133 removed units the old cut is at 6800, the new one at 6667.
  EXPECT_TRUE(HasSqueezed(output, "3 kept 3233 00:00:32 08 00:01:08 00 00:01:06 16")) << output;

  const auto [textStatus, text] = RunMixauto("cutlist '" + kCutListFolder + "reel2-v3.txt'");
  ASSERT_EQ(textStatus, 0) << text;
  EXPECT_TRUE(HasSqueezed(text, "Form text, layout 1")) << text;
  EXPECT_TRUE(HasSqueezed(text, "4 insert from 40+00 00:00:26 16 0+04 00:00:00 04 change 3")) << text;

  const auto [jsonStatus, json] = RunJson(
      "cutlist '" + kCutListFolder + "reel1-v2.cut' --json",
      "c=d[\"changes\"]; print(len(c), c[8][\"sourceChange\"], c[0][\"sourceChange\"], len(d[\"items\"]), d[\"edl\"])");
  EXPECT_EQ(jsonStatus, 0) << json;
  EXPECT_EQ(json, "11 12 None 22 None\n");
}

TEST_F(EdlCommandsTest, CutListWritesTheEditListThatEdlReadsBack) {
  const std::string out = folder.PathOf("reel1.edl");
  const auto [status, output] =
      RunMixauto("cutlist '" + kCutListFolder + "reel1-v2.cut' --edl '" + out + "' --mix REEL1.aut");
  ASSERT_EQ(status, 0) << output;
  EXPECT_TRUE(Has(output, "mixauto edl " + out)) << output;

  const auto [edlStatus, edl] = RunMixauto("edl '" + out + "'");
  ASSERT_EQ(edlStatus, 0) << edl;
  EXPECT_TRUE(HasSqueezed(edl, "0 REEL1 REEL1")) << edl;
  // The lead-in of change 2 starts after the 32 frames change 1 trimmed: old 1632, new 1600.
  EXPECT_TRUE(HasSqueezed(edl, "2 REEL1 - - 00:01:08 00 00:01:06 16 00:01:40 08 6800 6667 3367")) << edl;
  EXPECT_TRUE(Has(edl, "13 event records, 13 placing an edit.")) << edl;
  const auto [jsonStatus, pairs] = RunJson("edl '" + out + "' --json",
                                           "print(\"\".join(\"%d,%d,%d \" % (e[\"sourceStart\"], e[\"destStart\"], "
                                           "e[\"destLength\"]) for e in d[\"events\"]))");
  EXPECT_EQ(jsonStatus, 0) << pairs;
  EXPECT_EQ(pairs, LibraryPairs(out) + "\n");

  // A binary change list with material from a clip whose name is Latin-1: the clip becomes a reel.
  const std::string binary = folder.PathOf("clip.cut");
  testsupport::WriteBytes(binary, testsupport::BinaryCutList(100, 0, 2)
                                      .Record(CCutListChange::kDelete, 160, 32)
                                      .Clip(480, 48, 240, "CAF\xC9")
                                      .Bytes);
  const std::string clipEdl = folder.PathOf("clip.edl");
  const auto [clipStatus, clip] = RunMixauto("cutlist '" + binary + "' --edl '" + clipEdl + "'");
  ASSERT_EQ(clipStatus, 0) << clip;
  EXPECT_TRUE(HasSqueezed(clip, "Form binary (\"QRX_CUTLIST_FILE\")")) << clip;
  EXPECT_TRUE(HasSqueezed(clip, "2 clip 30+00 00:00:20 00 3+00 00:00:02 00 clip CAF\xC9")) << clip;
  const auto [reelStatus, reels] =
      RunJson("edl '" + clipEdl + "' --json", "print([r[\"name\"] for r in d[\"header\"][\"reels\"]])");
  EXPECT_EQ(reelStatus, 0) << reels;
  EXPECT_EQ(reels, "['CAF\xC3\x89', 'MIX']\n");  // Python writes UTF-8
}

TEST_F(EdlCommandsTest, CutListFailuresSayWhereTheReadStopped) {
  const struct {
    std::string name;
    std::string bytes;
    std::string message;
  } kCases[] = {
      {"missing.cut", "", "cannot open it"},
      {"words.cut", "no change list here\n", "opened, but no change could be read"},
      {"footage.cut", "Old Duration 10+00\nNo. Clip Name\n1. 12X00 DELETE 1+00\n2. 13+00 DELETE 1+00\n",
       "failed while reading the changes"},
      {"short.cut", testsupport::BinaryCutList(10, 0, 1).Clip(16, 16, 0, "NAME").Bytes.substr(0, 54),
       "failed while reading the changes"},
  };
  for (const auto& c : kCases) {
    const std::string path = folder.PathOf(c.name);
    if (!c.bytes.empty()) testsupport::WriteBytes(path, c.bytes);
    const auto [status, output] = RunMixauto("cutlist '" + path + "'");
    EXPECT_EQ(status, 1) << c.name;
    EXPECT_TRUE(Has(output, "mixauto cutlist: " + path + ": " + c.message)) << output;
  }

  const auto [mixStatus, mixOutput] =
      RunMixauto("cutlist '" + kCutListFolder + "reel1-v2.cut' --edl '" + folder.PathOf("never.edl") + "' --mix REEL1");
  EXPECT_EQ(mixStatus, 1);
  EXPECT_TRUE(Has(mixOutput, "--mix \"REEL1\"")) << mixOutput;
  EXPECT_FALSE(std::filesystem::exists(folder.PathOf("never.edl")));
}

}  // namespace
