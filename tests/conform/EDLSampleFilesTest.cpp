// Real edit decision lists from editorial tools (testdata/edl, see its PROVENANCE.txt),
// read in the dialects that fit them.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "commonobjects/conform/EDLReader.h"
#include "support/TempFolder.h"

namespace {

std::string SamplePath(const std::string& name) { return std::string(COMMONOBJECTS_SOURCE_DIR) + "/testdata/edl/" + name; }

struct Seen {
  int32_t eventLines = 0;
  int32_t placed = 0;    // events that place an edit
  int32_t accepted = 0;  // events whose track field the dialect accepts
};

// One event as a person reads it off the line.
struct HandRead {
  int32_t index;  // among the file's event lines
  int32_t number;
  const char* reel;
  int video;
  uint32_t mask;
  int32_t transition;
  std::vector<int32_t> sourceIn, recordIn, recordOut;
};

struct Sample {
  const char* file;
  bool crLf;  // lines end in CR LF, so the AVID dialect reads them too
  int32_t format;
  int32_t eventLines;
  int32_t accepted;
  HandRead event;
};

std::vector<int32_t> Tc(const int32_t tc[4]) { return {tc[0], tc[1], tc[2], tc[3]}; }

// Reads a sample in a dialect, checking the hand-read event when one is given.
Seen ReadSample(const char* file, int32_t format, const HandRead* e) {
  SCOPED_TRACE(std::string(file) + " as " + CEDLReader::FormatName(format));
  Seen seen;
  CEDLReader reader(SamplePath(file), format);
  EXPECT_TRUE(reader.Open());
  CTimecodeSettings settings;
  CReelTable reels;
  EXPECT_EQ(reader.ReadHeader(settings, reels), CEDLReader::kEventLine);
  CEDLTimecodeBlock tc;
  CSourceDestItem source, dest;
  while (reader.ReadEvent(tc, source, dest) == 1) {
    if (e != nullptr && seen.eventLines == e->index) {
      EXPECT_EQ(std::tuple(source.Number, dest.Detail->ReelName, dest.Detail->Video, dest.Detail->TrackMask,
                           dest.Detail->Transition),
                std::tuple(e->number, std::string(e->reel), e->video, e->mask, e->transition));
      EXPECT_EQ(Tc(tc.SourceIn), e->sourceIn);
      EXPECT_EQ(Tc(tc.RecordIn), e->recordIn);
      EXPECT_EQ(Tc(tc.RecordOut), e->recordOut);
    }
    ++seen.eventLines;
    seen.placed += reader.EventYieldsEdit() ? 1 : 0;
    seen.accepted += reader.GetEventResult() == CEDLReader::kEventRead ? 1 : 0;
  }
  EXPECT_EQ(reader.GetDropFrameState(), 2);
  return seen;
}

TEST(EDLSampleFilesTest, EveryFileReadsInItsDialectsWithEventsAsWritten) {
  constexpr int32_t C = CEDLEditDetail::kCut, D = CEDLEditDetail::kDissolve;
  const Sample samples[] = {
      {"libedl_cmx3600.edl", false, CEDLReader::kCmx3400, 926, 926,
       {925, 904, "EVL10610", 1, 0, C, {9, 47, 0, 9}, {1, 21, 43, 28}, {1, 21, 45, 1}}},
      {"libedl_cmx3600extended.edl", false, CEDLReader::kSonyBve9000, 787, 787,  // A12, A34: digit codes
       {0, 1, "EP_107", 0, 12, C, {1, 0, 0, 0}, {1, 0, 0, 0}, {1, 0, 0, 2}}},
      {"otio_dissolve_test_4.edl", true, CEDLReader::kCmx3400, 8, 8,
       {1, 2, "ABC0010.", 1, 0, C, {1, 0, 6, 15}, {1, 4, 12, 23}, {1, 4, 15, 2}}},
      // Tabs are no separators: "C<tab><tab>01:00:04:05" is one field, read as source in.
      {"otio_mixed_tabs_test.edl", false, CEDLReader::kCmx3400, 9, 9,
       {0, 1, "ZZ100_50", 1, 0, C, {0, 0, 4, 5}, {0, 59, 53, 11}, {0, 59, 54, 18}}},
      {"otio_multi_audio.edl", true, CEDLReader::kCmx3400, 1, 1,
       {0, 1, "AX", 0, 3, C, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 56, 55, 22}}},
      {"otio_no_spaces_test.edl", false, CEDLReader::kGeneric, 9, 9,
       {1, 2, "ZZ100_50", 1, 0, C, {1, 0, 6, 13}, {0, 59, 54, 18}, {0, 59, 56, 20}}},
      {"otio_source_out_timewarp.edl", false, CEDLReader::kQrx, 1, 1,
       {0, 1, "B113RPTW", 1, 0, C, {0, 32, 2, 6}, {1, 34, 53, 9}, {1, 34, 57, 13}}},
      {"otio_speed_effects.edl", false, CEDLReader::kCmx3400, 548, 548,
       {547, 548, "700_EPIL", 1, 0, C, {1, 0, 0, 1}, {1, 20, 54, 6}, {1, 21, 3, 18}}},
      {"otio_timecode_mismatch.edl", false, CEDLReader::kCmx340, 20, 20,
       {1, 2, "SC00.JPG", 1, 0, C, {1, 0, 0, 0}, {0, 0, 6, 11}, {0, 0, 14, 11}}},
      {"otio_transition_duration.edl", true, CEDLReader::kAvid, 5, 5,  // CR LF line ends
       {3, 3, "ABC0300.", 1, 0, D, {1, 0, 10, 8}, {1, 0, 56, 8}, {1, 0, 59, 9}}},
      {"pycmx_INS4_R1_DX_092117.edl", true, CEDLReader::kAvid, 466, 466,
       {200, 201, "SR007", 0, 2, C, {17, 19, 42, 8}, {1, 9, 1, 3}, {1, 9, 2, 13}}},
      {"pycmx_ISSUE_14_conform_edl_issue_02.edl", true, CEDLReader::kCmx3400, 10, 10,
       {0, 1, "C_0019C005_241014_204338_h1F4X", 1, 0, C, {11, 19, 41, 7}, {2, 4, 48, 10}, {2, 4, 56, 6}}},
      {"pycmx_ISSUE_19_unusual01.edl", false, CEDLReader::kQrx, 38, 38,
       {1, 2, "B505C014_230224_RNBP", 1, 0, C, {20, 19, 58, 21}, {0, 0, 4, 6}, {0, 0, 6, 6}}},
      // Tracks beyond 9 (A10 to A12) are more than one digit: the dialect refuses them.
      {"pycmx_TEST.edl", true, CEDLReader::kAvid, 148, 134,
       {100, 82, "TC_R1_V6", 0, 128, D, {0, 0, 0, 0}, {1, 13, 7, 22}, {1, 13, 23, 18}}},
      {"pycmx_adobe_dai109_test.txt", true, CEDLReader::kCmx3400, 3727, 3727,
       {3000, 2299, "BL", 0, 0, C, {0, 0, 0, 0}, {1, 14, 0, 11}, {1, 14, 0, 11}}},
  };
  for (const Sample& sample : samples) {
    const Seen seen = ReadSample(sample.file, sample.format, &sample.event);
    EXPECT_EQ(std::tuple(seen.eventLines, seen.accepted, seen.placed),
              std::tuple(sample.eventLines, sample.accepted, sample.eventLines));  // every line has its times
    // Every dialect finds the same event lines (AVID only where lines end in CR LF).
    for (int32_t format = CEDLReader::kUnknown; format <= CEDLReader::kAvid; ++format) {
      if (format == CEDLReader::kAvid && !sample.crLf) continue;
      const Seen other = ReadSample(sample.file, format, nullptr);
      EXPECT_EQ(std::tuple(other.eventLines, other.placed), std::tuple(sample.eventLines, sample.eventLines))
          << sample.file << " as " << CEDLReader::FormatName(format);
    }
  }
}

TEST(EDLSampleFilesTest, LineFeedFilesAreOneLineToTheAvidReaderAndNamesKeepTheirBytes) {
  // An AVID line ends at a carriage return only: a file of line feeds is one long line.
  CEDLReader avid(SamplePath("libedl_cmx3600.edl"), CEDLReader::kAvid);
  ASSERT_TRUE(avid.Open());
  CTimecodeSettings settings;
  CReelTable reels;
  avid.ReadHeader(settings, reels);
  CEDLTimecodeBlock tc;
  CSourceDestItem source, dest;
  ASSERT_EQ(avid.ReadEvent(tc, source, dest), 1);
  EXPECT_EQ(avid.ReadEvent(tc, source, dest), 0);

  testsupport::TempFolder folder;
  const std::string path = folder.PathOf("latin1.edl");
  std::ofstream(path, std::ios::binary) << "001  SCH\xd6N V C 01:00:00:00 01:00:01:00 01:00:00:00 01:00:01:00\n";
  CEDLReader reader(path, CEDLReader::kQrx);
  ASSERT_TRUE(reader.Open());
  reader.ReadHeader(settings, reels);
  ASSERT_EQ(reader.ReadEvent(tc, source, dest), 1);
  EXPECT_EQ(dest.Detail->ReelName, "SCH\xd6N");
}

}  // namespace
