#include "commonobjects/conform/EDLReader.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "support/TempFolder.h"
#include "support/TestConsole.h"

namespace {

using testsupport::TempFolder;

std::string WriteFile(const TempFolder& folder, const std::string& name, const std::string& bytes) {
  const std::string path = folder.PathOf(name);
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

struct Event {
  CEDLTimecodeBlock tc;
  CSourceDestItem source;
  CSourceDestItem dest;
  int32_t result = 0;
};

// Every event of a text file read in a dialect, after the header at rate code rateCode.
std::vector<Event> ReadEvents(const std::string& path, int32_t format, int32_t* dropFrame = nullptr,
                              int32_t rateCode = 1) {
  CEDLReader reader(path, format);
  EXPECT_TRUE(reader.Open());
  CTimecodeSettings settings;
  settings.RateCode = rateCode;
  CReelTable reels;
  reader.ReadHeader(settings, reels);
  std::vector<Event> events;
  Event e;
  while (reader.ReadEvent(e.tc, e.source, e.dest) == 1) {
    e.result = reader.GetEventResult();
    events.push_back(e);
  }
  if (dropFrame != nullptr) *dropFrame = reader.GetDropFrameState();
  return events;
}

std::vector<int32_t> Timecode(const int32_t tc[4]) { return {tc[0], tc[1], tc[2], tc[3]}; }

TEST(EDLReaderTest, TheWorkedEventLineAndItsFrames) {
  testsupport::TestConsole console;
  TempFolder folder;
  const std::string path = WriteFile(folder, "a.edl",
                                     "TITLE: WORKED\r\nFCM: NON-DROP FRAME\r\n\r\n"
                                     "001  R1  V  C  01:00:00:00 01:00:10:00 10:00:00:00 10:00:10:00\r\n");
  int32_t dropFrame = 0;
  const std::vector<Event> events = ReadEvents(path, CEDLReader::kQrx, &dropFrame);
  ASSERT_EQ(events.size(), 1u);
  const Event& e = events[0];
  EXPECT_EQ(e.result, CEDLReader::kEventRead);
  EXPECT_EQ(e.source.Number, 1);
  ASSERT_NE(e.dest.Detail, nullptr);
  EXPECT_EQ(e.dest.Detail->ReelName, "R1");
  EXPECT_EQ(e.dest.Detail->Video, 1);
  EXPECT_EQ(e.dest.Detail->TrackMask, 0u);
  EXPECT_EQ(e.dest.Detail->Transition, CEDLEditDetail::kCut);
  EXPECT_EQ(Timecode(e.tc.SourceIn), (std::vector<int32_t>{1, 0, 0, 0}));
  EXPECT_EQ(Timecode(e.tc.RecordIn), (std::vector<int32_t>{10, 0, 0, 0}));
  EXPECT_EQ(Timecode(e.tc.RecordOut), (std::vector<int32_t>{10, 0, 10, 0}));
  // Frames at 24 per second: source in, record in, record out - record in.
  EXPECT_EQ(std::tuple(e.source.Start, e.dest.Start, e.dest.Length, e.source.Length),
            std::tuple(86400, 864000, 240, 240));
  EXPECT_EQ(dropFrame, 2);

  std::vector<CSourceDestItem> items;
  CGrowableArray<CSourceDestItem> array;
  GetSourceDestItems(path, array, false);  // 24 frames are 100 units of 1/100 s
  ASSERT_EQ(array.GetSize(), 2);
  EXPECT_EQ(std::tuple(array[0].Start, array[0].Length, array[1].Start, array[1].Length),
            std::tuple(360000, 1000, 3600000, 1000));
  EXPECT_EQ(array[1].Detail->ReelName, "R1");
  array.RemoveAll();
  GetSourceDestItems(path, array, true);
  EXPECT_EQ(std::tuple(array[0].Start, array[1].Start, array[1].Length), std::tuple(86400, 864000, 240));
}

TEST(EDLReaderTest, LinesAreClassifiedByTheirColons) {
  TempFolder folder;
  const std::string path = WriteFile(folder, "c.edl",
                                     "TITLE: A:B:C:D\n"  // 4 colons: not an event
                                     "   \t \n"
                                     "001 R V C 1:2:3:4:5:6 0\n"
                                     "last line without end");
  CEDLReader reader(path, CEDLReader::kGeneric);
  ASSERT_TRUE(reader.Open());
  EXPECT_EQ(reader.ClassifyLine(), CEDLReader::kOtherLine);
  EXPECT_EQ(reader.GetCurrentLine(), "TITLE: A:B:C:D");
  EXPECT_EQ(reader.ClassifyLine(), CEDLReader::kEmptyLine);
  EXPECT_EQ(reader.ClassifyLine(), CEDLReader::kEventLine);
  EXPECT_EQ(reader.GetLineStart(), 21u);
  EXPECT_EQ(reader.ClassifyLine(), CEDLReader::kOtherLine);
  EXPECT_EQ(reader.GetCurrentLine(), "last line without end");
  EXPECT_EQ(reader.ClassifyLine(), CEDLReader::kEndOfFile);

  // The header stops before the first event line, which ReadEvent then reads.
  CTimecodeSettings settings;
  CReelTable reels;
  EXPECT_EQ(reader.ReadHeader(settings, reels), CEDLReader::kEventLine);
  EXPECT_EQ(reader.ClassifyLine(), CEDLReader::kEventLine);
  const std::string none = WriteFile(folder, "n.edl", "TITLE: X\nFCM: DROP FRAME\n");
  CEDLReader empty(none, CEDLReader::kQrx);
  ASSERT_TRUE(empty.Open());
  EXPECT_EQ(empty.ReadHeader(settings, reels), CEDLReader::kOtherLine);
  CEDLTimecodeBlock tc;
  CSourceDestItem s, d;
  EXPECT_EQ(empty.ReadEvent(tc, s, d), 0);
}

TEST(EDLReaderTest, AvidLinesEndAtCarriageReturns) {
  TempFolder folder;
  // CR, CR LF, a line feed alone (no end), and a last line without a carriage return.
  const std::string path = WriteFile(folder, "avid.edl",
                                     "TITLE: AVID\r"
                                     "001 R1 A1 C 00:00:01:00 00:00:02:00 01:00:00:00 01:00:01:00\r\n"
                                     "002 R2 V\nA2 C 00:00:01:00 00:00:02:00 01:00:01:00 01:00:02:00\r"
                                     "003 R3 A12 C 00:00:05:00 00:00:06:00 01:00:02:00 01:00:03:00");
  const std::vector<Event> events = ReadEvents(path, CEDLReader::kAvid);
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[0].dest.Detail->TrackMask, 1u);
  EXPECT_EQ(std::tuple(events[1].dest.Detail->Video, events[1].dest.Detail->TrackMask), std::tuple(1, 2u));
  EXPECT_EQ(events[2].source.Number, 3);
  EXPECT_EQ(events[2].dest.Detail->TrackMask, 3u);
  EXPECT_EQ(events[2].dest.Start, 86400 + 48);

  // Any other dialect ends lines at line feeds: the whole CR-separated text is one line.
  EXPECT_EQ(ReadEvents(path, CEDLReader::kGeneric).size(), 2u);
}

TEST(EDLReaderTest, TrackFieldsFollowTheRulesOfEachDialect) {
  struct Case {
    int32_t format;
    const char* field;
    bool accepted;
    int video;
    uint32_t mask;
  };
  const Case cases[] = {
      {CEDLReader::kQrx, "V", true, 1, 0},          {CEDLReader::kQrx, "A", false, 0, 0},
      {CEDLReader::kQrx, "none", true, 0, 0},       {CEDLReader::kGeneric, "B", false, 0, 0},
      {CEDLReader::kCmx3400, "AA/V", true, 1, 3},   {CEDLReader::kCmx3400, "A2", true, 0, 1},
      {CEDLReader::kCmx340, "A", true, 0, 1},       {CEDLReader::kCmx340, "B", true, 1, 1},
      {CEDLReader::kCmx3400, "AUD3", true, 0, 4},   {CEDLReader::kCmx3400, "AUD4", true, 0, 8},
      {CEDLReader::kCmx3400, "NONE", true, 0, 0},   {CEDLReader::kCmx3400, "A3", false, 0, 1},
      {CEDLReader::kSonyBve9000, "A1A2", true, 0, 3}, {CEDLReader::kAvid, "A9/V", true, 1, 256},
      {CEDLReader::kAvid, "AUD", true, 0, 0},       {CEDLReader::kAvid, "A10", false, 0, 1},
      {CEDLReader::kAvid, "B", true, 0, 0},         {CEDLReader::kGvg, "A1", true, 0, 1},
      {CEDLReader::kGvg, "A34", true, 0, 12},       {CEDLReader::kGvg, "A5", false, 0, 0},
  };
  TempFolder folder;
  for (const Case& c : cases) {
    const std::string path = WriteFile(
        folder, "t.edl", std::string("007 REEL ") + c.field + " D 00:00:00:00 00:00:01:00 00:00:10:00 00:00:11:00\n");
    const std::vector<Event> events = ReadEvents(path, c.format);
    ASSERT_EQ(events.size(), 1u);
    const CEDLEditDetail& d = *events[0].dest.Detail;
    SCOPED_TRACE(std::string(CEDLReader::FormatName(c.format)) + " " + c.field);
    EXPECT_EQ(events[0].result, c.accepted ? CEDLReader::kEventRead : CEDLReader::kTrackRejected);
    EXPECT_EQ(std::tuple(d.Video, d.TrackMask), std::tuple(c.video, c.mask));
    // A rejected field leaves transition and reel unread; its times still place the edit.
    EXPECT_EQ(d.Transition, c.accepted ? CEDLEditDetail::kDissolve : 0);
    EXPECT_EQ(d.ReelName, c.accepted ? "REEL" : "");
    EXPECT_EQ(std::tuple(events[0].source.Number, events[0].dest.Start, events[0].dest.Length),
              std::tuple(7, 240, 24));
  }
}

TEST(EDLReaderTest, TrailingTrackFieldsAndTimecodeFields) {
  TempFolder folder;
  const std::string path = WriteFile(folder, "t.edl",
                                     "001 R1 V C 00:00:00:00 00:00:01:00 00:00:10:00 00:00:11:00 A3\n"
                                     "002 R2 NONE K 00:00:00:00 00:00:01:00 00:00:10:00 00:00:11:00 A4\n"
                                     "003 R3 A2 C 00:00:00:00 00:00:01:00 00:00:10:00 00:00:11:00 9\n"
                                     "**004 R4 ** V \x0F D 020 1.2.3.4 x 0:0:20:0 00:00:21:00\n");
  const std::vector<Event> events = ReadEvents(path, CEDLReader::kSonyBve9000);
  ASSERT_EQ(events.size(), 4u);
  EXPECT_EQ(std::tuple(events[0].dest.Detail->Video, events[0].dest.Detail->TrackMask), std::tuple(1, 4u));
  // "A4" becomes field 2 ahead of "NONE", which is then read as the transition.
  EXPECT_EQ(std::tuple(events[1].dest.Detail->TrackMask, events[1].dest.Detail->Transition), std::tuple(8u, 0));
  EXPECT_EQ(events[2].dest.Detail->TrackMask, 2u);  // a trailing field without A3/A4 is dropped
  // Stars and 0x0F go; the duration field is skipped; "." separates like ":".
  EXPECT_EQ(events[3].source.Number, 4);
  EXPECT_EQ(events[3].dest.Detail->Transition, CEDLEditDetail::kDissolve);
  EXPECT_EQ(Timecode(events[3].tc.SourceIn), (std::vector<int32_t>{1, 2, 3, 4}));
  EXPECT_EQ(Timecode(events[3].tc.RecordIn), (std::vector<int32_t>{0, 0, 20, 0}));

  int32_t dropFrame = 2;
  const std::string df = WriteFile(folder, "df.edl",
                                   "001 R1 V C 00:10:00;00 00:10:01;00 01:01:00;00 01:01:01;00\n"
                                   "002 R1 V C 1:2:3:4:5 1:2 01:01:01;00 01:01:02;00\n");
  const std::vector<Event> drop = ReadEvents(df, CEDLReader::kQrx, &dropFrame, 4);
  EXPECT_EQ(dropFrame, 0);
  ASSERT_EQ(drop.size(), 2u);
  // Drop-frame counting at 30: 10 minutes are 17982 frames; 61 minutes 109690.
  EXPECT_EQ(std::tuple(drop[0].source.Start, drop[0].dest.Start, drop[0].dest.Length), std::tuple(17982, 109690, 30));
  EXPECT_EQ(Timecode(drop[1].tc.SourceIn), (std::vector<int32_t>{1, 3, 4, 5}));  // 5 parts: the first is hours
}

TEST(EDLReaderTest, LinesThatPlaceNoEditNeverCarryEarlierTimes) {
  testsupport::TestConsole console;
  TempFolder folder;
  const std::string path = WriteFile(folder, "bad.edl",
                                     "001 R1 V C 00:00:01:00 00:00:02:00 00:00:10:00 00:00:11:00\n"
                                     "002 01:00:00:00 01:00:01:00\n"                       // too few fields
                                     "003 R1 V C 00:00:01:00 00:00:02:00 1:0 00:00:11:00\n"  // "1:0" too short
                                     "004 R1 AA C 00:00:03:00 00:00:04:00 00:00:20:00 00:00:21:00\n");
  const std::vector<Event> events = ReadEvents(path, CEDLReader::kQrx);
  ASSERT_EQ(events.size(), 4u);
  EXPECT_EQ(events[1].result, CEDLReader::kTooFewFields);
  EXPECT_EQ(std::tuple(events[1].source.Start, events[1].dest.Start, events[1].dest.Length), std::tuple(0, 0, 0));
  EXPECT_EQ(Timecode(events[1].tc.RecordIn), (std::vector<int32_t>{0, 0, 0, 0}));
  EXPECT_EQ(events[2].result, CEDLReader::kTimecodeTooShort);
  EXPECT_EQ(events[2].tc.RecordIn[0], -1);
  EXPECT_EQ(events[2].dest.Length, 0);
  EXPECT_EQ(events[3].result, CEDLReader::kTrackRejected);

  // The list of pairs: events 1 and 4 (its tracks unknown to the dialect, its times valid).
  CGrowableArray<CSourceDestItem> items;
  GetSourceDestItems(path, items, true);
  ASSERT_EQ(items.GetSize(), 4);
  EXPECT_EQ(std::tuple(items[0].Number, items[1].Start, items[2].Number, items[3].Start, items[3].Length),
            std::tuple(1, 240, 4, 480, 24));

  items.RemoveAll();
  GetSourceDestItems(folder.PathOf("missing.edl"), items, false);
  EXPECT_EQ(items.GetSize(), 0);
}

CSourceDestItem Item(int32_t start, int32_t length) {
  CSourceDestItem item;
  item.Start = start;
  item.Length = length;
  return item;
}

TEST(EDLReaderTest, TheBinaryFormReadsBackWhatWasWrittenUnderEitherHeader) {
  TempFolder folder;
  CTimecodeSettings settings;
  settings.RateCode = 2;
  settings.SampleRate = 44100;
  settings.FilmFramesPerSecond = 25;
  settings.FilmEquivalence = -7;
  CReelTable reels;
  reels.Settings[1] = 9;
  reels.Add("ZULU");
  reels.Add("ALPHA");
  reels.UseOwnNames();
  reels.GetReels()[1].Values[1] = -3;
  reels.GetReels()[1].Flags[0] = 0xFE;
  reels.GetReels()[1].SubRecords = {{{1, 2, 3}, 44}, {{4, 5, 6}, -1}};

  for (bool old : {false, true}) {
    SCOPED_TRACE(old ? "QRX HEADER" : "QRX HDRNEW");
    const std::string path = folder.PathOf(old ? "old.edl" : "new.edl");
    {
      CEDLReader writer(path, CEDLReader::kGeneric);
      ASSERT_TRUE(writer.Create());
      writer.WriteHeader(settings, reels, old);
      CSourceDestItem dest = Item(500, 70);
      CEDLEditDetail& d = dest.EnsureDetail();
      d.Transition = 5;
      d.Video = 1;
      d.TrackMask = 0x80000001u;
      d.ReelName = "ZULU";
      d.ReelIndex = 1;
      d.Text1 = "first";
      d.Text2 = "dropped on reading";
      writer.WriteEvent(Item(100, 70), dest);
      writer.WriteEvent(Item(0, 1), Item(9, 1));  // no detail: one as built, no reel name
      ASSERT_TRUE(writer.Close());
    }
    CEDLReader reader(path, CEDLReader::kAvid);  // the magic decides, not the code
    ASSERT_TRUE(reader.Open());
    CTimecodeSettings read;
    CReelTable readReels;
    ASSERT_EQ(reader.ReadHeader(read, readReels), CEDLReader::kBinaryHeader);
    EXPECT_EQ(reader.GetFormat(), CEDLReader::kQrx);
    EXPECT_EQ(reader.HasOldHeader(), old);
    EXPECT_EQ(std::tuple(read.RateCode, read.SampleRate, read.FilmFramesPerSecond, read.FilmEquivalence),
              std::tuple(2, 44100, 25, -7));
    EXPECT_EQ(readReels, reels);
    CEDLTimecodeBlock tc;
    CSourceDestItem s, d;
    ASSERT_EQ(reader.ReadEvent(tc, s, d), 1);
    EXPECT_EQ(std::tuple(s.Start, s.Length, d.Start, d.Length), std::tuple(100, 70, 500, 70));
    EXPECT_EQ(std::tuple(d.Detail->Transition, d.Detail->Video, d.Detail->TrackMask, d.Detail->ReelName),
              std::tuple(5, 1, 0x80000001u, std::string("ZULU")));
    EXPECT_EQ(d.Detail->ReelIndex, old ? -1 : 1);
    EXPECT_EQ(d.Detail->Text1, old ? "first" : "");
    EXPECT_EQ(d.Detail->Text2, "");
    ASSERT_EQ(reader.ReadEvent(tc, s, d), 1);
    EXPECT_EQ(d.Detail->ReelName, "...");
    EXPECT_EQ(reader.ReadEvent(tc, s, d), 0);
  }
}

TEST(EDLReaderTest, DamagedBinaryFilesEndTheirEventsWithoutAllocatingForLengths) {
  TempFolder folder;
  CEDLReader writer(folder.PathOf("w.edl"), CEDLReader::kGeneric);
  ASSERT_TRUE(writer.Create());
  CReelTable reels;
  reels.Add("R");
  writer.WriteHeader(CTimecodeSettings(), reels);
  CSourceDestItem dest = Item(5, 6);
  dest.EnsureDetail().ReelName = "R";
  writer.WriteEvent(Item(1, 6), dest);
  writer.WriteEvent(Item(2, 6), dest);
  ASSERT_TRUE(writer.Close());
  std::string bytes;
  std::ifstream(folder.PathOf("w.edl"), std::ios::binary) >> std::noskipws >> bytes;
  std::ifstream in(folder.PathOf("w.edl"), std::ios::binary);
  bytes.assign(std::istreambuf_iterator<char>(in), {});

  auto eventsOf = [&](const std::string& content, int32_t* header = nullptr) {
    const std::string path = WriteFile(folder, "d.edl", content);
    CEDLReader reader(path, CEDLReader::kQrx);
    EXPECT_TRUE(reader.Open());
    CTimecodeSettings s;
    CReelTable r;
    const int32_t h = reader.ReadHeader(s, r);
    if (header != nullptr) *header = h;
    CEDLTimecodeBlock tc;
    CSourceDestItem a, b;
    int count = 0;
    while (reader.ReadEvent(tc, a, b) == 1) ++count;
    return count;
  };
  EXPECT_EQ(eventsOf(bytes), 2);
  EXPECT_EQ(eventsOf(bytes.substr(0, bytes.size() - 1)), 1);  // the cut record is dropped
  const size_t reelCount = 10 + 32 + 20;
  for (const char* huge : {"\xff\xff\xff\x7f", "\x00\x00\x00\x80"}) {
    std::string bad = bytes;
    bad.replace(reelCount, 4, huge, 4);  // a reel count of 2^31 - 1, or negative
    int32_t header = 0;
    EXPECT_EQ(eventsOf(bad, &header), 0);
    EXPECT_EQ(header, CEDLReader::kEndOfFile);
    bad = bytes;
    bad.replace(reelCount + 4, 4, huge, 4);  // the reel's name length
    EXPECT_EQ(eventsOf(bad), 0);
  }
  EXPECT_EQ(eventsOf("QRX HDRNEW\x01"), 0);
}

TEST(EDLReaderTest, ReelTablesPairCursorsAndFormatNames) {
  CReelTable reels;
  EXPECT_EQ(reels.Add("m"), 0);
  EXPECT_EQ(reels.Add("b"), 0);
  EXPECT_EQ(reels.Add("z"), 2);
  EXPECT_EQ(reels.Add("m"), 1);
  EXPECT_EQ(reels.GetSize(), 3);
  EXPECT_EQ(std::tuple(reels.GetName(0), reels.GetName(1), reels.GetName(2)), std::tuple("b", "m", "z"));
  EXPECT_EQ(std::tuple(reels.Find("z"), reels.Find("Z"), reels.Find("")), std::tuple(2, -1, -1));

  CSourceDestItemList list;
  for (int32_t i = 0; i < 5; ++i) list.Add(Item(i, 1));
  list[1].EnsureDetail().ReelName = "deep";
  CSourceDestItem a, b;
  ASSERT_TRUE(list.GetNextPair(a, b));
  b.Detail->ReelName = "changed";
  EXPECT_EQ(list[1].Detail->ReelName, "deep");  // the copy owns its own detail
  ASSERT_TRUE(list.GetNextPair(a, b));
  EXPECT_EQ(std::tuple(a.Start, b.Start), std::tuple(2, 3));
  EXPECT_FALSE(list.GetNextPair(a, b));  // one item left is no pair
  EXPECT_EQ(list.GetCursor(), 4);

  const char* names[] = {"UNKNOWN", "GENERIC", "QRX", "CMX340", "CMX3400", "SONY_BVE9000", "GVG", "AVID"};
  for (int32_t code = -1; code <= 6; ++code) {
    EXPECT_STREQ(CEDLReader::FormatName(code), names[code + 1]);
    int32_t back = -9;
    EXPECT_TRUE(CEDLReader::FormatFromName(names[code + 1], back));
    EXPECT_EQ(back, code);
  }
  int32_t format = 0;
  EXPECT_TRUE(CEDLReader::FormatFromName("cmx3400", format));
  EXPECT_EQ(format, 3);
  EXPECT_FALSE(CEDLReader::FormatFromName("CMX3600", format));
}

}  // namespace
