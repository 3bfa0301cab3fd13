// mixauto edl FILE [--format NAME] [--json]: the header of an edit list (its form, dialect
// and, for the binary form, its timecode settings and reel table), then every event line or
// record: event number, reel, tracks, transition, the three timecodes and the source start,
// destination start and length in automation units under the registry's timecode settings,
// as conform places them. A line that places no edit says why.
#include "EdlCommand.h"

#include <cstdio>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "EventFileJob.h"
#include "Table.h"
#include "Text.h"
#include "TimeArgument.h"
#include "commonobjects/conform/EDLReader.h"
#include "commonobjects/timecode/TimecodeConverter.h"

namespace mixauto {

namespace {

constexpr const char* kEdlHelp =
    "Show an edit decision list as conform reads it: its form (text, or the binary form that "
    "cutlist --edl writes), dialect and, for the binary form, timecode settings and reels; then "
    "each event with its reel, tracks, transition, timecodes and the source start, destination "
    "start and length in automation units under the current timecode settings. Lines that place "
    "no edit say why.";

struct EdlOptions {
  std::string file;
  std::string format = "QRX";
  bool json = false;
};

// One event line (text) or record (binary) as the reader left it.
struct EdlRow {
  int32_t number = 0;  // the line's event number; a record's position, from 1; -1 when unread
  int32_t result = CEDLReader::kEventRead;
  bool yieldsEdit = false;
  std::string reel;
  bool video = false;
  uint32_t tracks = 0;
  int32_t transition = 0;
  std::string sourceIn = "-";  // timecode text; "-" where the line gives none
  std::string recordIn = "-";
  std::string recordOut = "-";
  int32_t sourceStart = 0;  // automation units, when yieldsEdit
  int32_t destStart = 0;
  int32_t destLength = 0;
};

struct EdlListing {
  std::string file;
  bool binary = false;
  bool oldHeader = false;
  int32_t format = CEDLReader::kQrx;
  int32_t dropFrameState = 2;
  CTimecodeSettings settings;  // of the binary header
  CReelTable reels;            // of the binary header
  std::vector<EdlRow> rows;
};

std::string FormatNames() {
  std::string names;
  for (int32_t format = CEDLReader::kUnknown; format < CEDLReader::kFormatCount - 1; ++format) {
    names += std::string(names.empty() ? "" : ", ") + CEDLReader::FormatName(format);
  }
  return names;
}

// A timecode of the text form as the line gives it; "-" for a field too short to read.
std::string BlockTimecode(const int32_t timecode[4]) {
  if (timecode[0] < 0) return "-";
  char text[48];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d:%02d", timecode[0], timecode[1], timecode[2], timecode[3]);
  return text;
}

std::string TracksText(bool video, uint32_t mask) {
  std::string text = video ? "V" : "";
  for (int bit = 0; bit < 32; ++bit) {
    if ((mask >> bit) & 1u) text += (text.empty() ? "A" : " A") + std::to_string(bit + 1);
  }
  return text;
}

EdlRow RowOf(const CEDLReader& reader, CTimecodeConverter& converter, const CEDLTimecodeBlock& tc,
             const CSourceDestItem& source, const CSourceDestItem& dest, int32_t position) {
  EdlRow row;
  row.result = reader.GetEventResult();
  row.yieldsEdit = reader.EventYieldsEdit();
  if (dest.Detail) {
    row.reel = dest.Detail->ReelName;
    row.video = dest.Detail->Video != 0;
    row.tracks = dest.Detail->TrackMask;
    row.transition = dest.Detail->Transition;
  }
  if (reader.IsBinary()) {
    row.number = position;
    row.sourceIn = FormatTime(converter, UnitsOfFrames(converter, source.Start));
    row.recordIn = FormatTime(converter, UnitsOfFrames(converter, dest.Start));
    row.recordOut = FormatTime(converter, UnitsOfFrames(converter, dest.Start + dest.Length));
  } else {
    row.number = row.result == CEDLReader::kTooFewFields ? -1 : source.Number;
    if (row.result != CEDLReader::kTooFewFields) {
      row.sourceIn = BlockTimecode(tc.SourceIn);
      row.recordIn = BlockTimecode(tc.RecordIn);
      row.recordOut = BlockTimecode(tc.RecordOut);
    }
  }
  if (row.yieldsEdit) {
    row.sourceStart = UnitsOfFrames(converter, source.Start);
    row.destStart = UnitsOfFrames(converter, dest.Start);
    row.destLength = UnitsOfFrames(converter, dest.Length);
  }
  return row;
}

// Reads the whole list; "" or why it could not be read.
std::string ReadListing(CEDLReader& reader, EdlListing& listing) {
  if (!reader.Open()) {
    return "cannot open it (" + std::system_category().message(reader.GetFileStatus().error) +
           "); check the name and that the file is readable";
  }
  CTimecodeConverter converter;
  listing.settings = converter.GetSettings();
  const int32_t header = reader.ReadHeader(listing.settings, listing.reels);
  listing.binary = reader.IsBinary();
  listing.oldHeader = reader.HasOldHeader();
  if (listing.binary && header == CEDLReader::kEndOfFile) {
    return "the binary header or its reel table is cut short; the file holds no events to read";
  }
  for (;;) {
    // Fresh items each time: a line with too few fields leaves its event number unread.
    CEDLTimecodeBlock tc;
    CSourceDestItem source, dest;
    if (reader.ReadEvent(tc, source, dest) == 0) break;
    const int32_t position = static_cast<int32_t>(listing.rows.size()) + 1;
    listing.rows.push_back(RowOf(reader, converter, tc, source, dest, position));
  }
  listing.format = reader.GetFormat();
  listing.dropFrameState = reader.GetDropFrameState();
  return "";
}

std::string FormText(const EdlListing& listing) {
  if (!listing.binary) return "text";
  return std::string("binary (\"") + (listing.oldHeader ? CEDLReader::kOldMagic : CEDLReader::kMagic) + "\")";
}

// The header's eight timecode settings, by name, in the order the file holds them.
std::vector<std::pair<const char*, int32_t>> HeaderSettings(const CTimecodeSettings& s) {
  return {{"rateCode", s.RateCode},
          {"sampleRate", s.SampleRate},
          {"filmFramesPerSecond", s.FilmFramesPerSecond},
          {"filmFramesPerFoot", s.FilmFramesPerFoot},
          {"filmEquivalence", s.FilmEquivalence},
          {"feetFrames", s.FeetFrames},
          {"codeConvert", s.CodeConvert},
          {"feetFramesConvert", s.FeetFramesConvert}};
}

void PrintHeader(const EdlListing& listing) {
  std::printf("Edit list   %s\n", listing.file.c_str());
  std::printf("Form        %s, read as %s\n", FormText(listing).c_str(), CEDLReader::FormatName(listing.format));
  if (!listing.binary) {
    std::printf("Drop-frame  %s\n", listing.dropFrameState == 0 ? "yes (a timecode holds ';' or ',')"
                                                                : "no (no timecode holds ';' or ',')");
    return;
  }
  std::printf("Timecode settings of the header:\n");
  for (const auto& [name, value] : HeaderSettings(listing.settings)) std::printf("  %-20s %d\n", name, value);
  std::printf("Reels (%d):\n", listing.reels.GetSize());
  Table reels;
  reels.AddColumn("#");
  reels.AddColumn("name", Table::Left);
  reels.AddColumn("used name", Table::Left);
  for (int32_t i = 0; i < listing.reels.GetSize(); ++i) {
    reels.AddRow({std::to_string(i), listing.reels.GetName(i), listing.reels.GetUsedName(i)});
  }
  reels.Print();
}

std::string OrDash(const std::string& text) { return text.empty() ? "-" : text; }

void PrintListing(const EdlListing& listing) {
  PrintHeader(listing);
  Table events;
  for (const char* header : {"event", "reel", "tracks", "tr", "source in", "record in", "record out", "source start",
                             "dest start", "dest length", "note"}) {
    const std::string h = header;
    events.AddColumn(h, h == "reel" || h == "tracks" || h == "note" ? Table::Left : Table::Right);
  }
  int32_t edits = 0;
  for (const EdlRow& row : listing.rows) {
    edits += row.yieldsEdit ? 1 : 0;
    const auto units = [&](int32_t value) { return row.yieldsEdit ? std::to_string(value) : std::string("-"); };
    const std::string note = row.result == CEDLReader::kEventRead
                                 ? ""
                                 : std::string(CEDLReader::EventResultText(row.result)) +
                                       (row.yieldsEdit ? "; the times still place an edit" : "");
    events.AddRow({row.number < 0 ? "-" : std::to_string(row.number), OrDash(row.reel),
                   OrDash(TracksText(row.video, row.tracks)), OrDash(TransitionText(row.transition)), row.sourceIn,
                   row.recordIn, row.recordOut, units(row.sourceStart), units(row.destStart), units(row.destLength),
                   note});
  }
  std::printf("\nEvents (starts and lengths in automation units, as conform places them):\n");
  events.Print();
  const char* what = listing.binary ? "record" : "line";
  std::printf("\n%zu event %s%s, %d placing an edit.\n", listing.rows.size(), what, listing.rows.size() == 1 ? "" : "s",
              edits);
}

std::string HeaderJson(const EdlListing& listing) {
  std::string json =
      "{\"file\": " + JsonLatin1String(listing.file) + ", \"form\": \"" + (listing.binary ? "binary" : "text") +
      "\", \"magic\": " +
      (listing.binary ? JsonLatin1String(listing.oldHeader ? CEDLReader::kOldMagic : CEDLReader::kMagic) : "null") +
      ", \"format\": \"" + CEDLReader::FormatName(listing.format) +
      "\", \"dropFrame\": " + (listing.dropFrameState == 0 ? "true" : "false");
  if (listing.binary) {
    const char* separator = "";
    json += ", \"settings\": {";
    for (const auto& [name, value] : HeaderSettings(listing.settings)) {
      json += separator + ("\"" + std::string(name) + "\": " + std::to_string(value));
      separator = ", ";
    }
    json += "}, \"reels\": [";
    for (int32_t i = 0; i < listing.reels.GetSize(); ++i) {
      json += std::string(i ? ", " : "") + "{\"name\": " + JsonLatin1String(listing.reels.GetName(i)) +
              ", \"usedName\": " + JsonLatin1String(listing.reels.GetUsedName(i)) + "}";
    }
    json += "]";
  }
  return json + "}";
}

std::string EventJson(const EdlRow& row) {
  const auto number = [](int32_t value, bool known) { return known ? std::to_string(value) : std::string("null"); };
  const auto text = [](const std::string& value) { return value == "-" ? "null" : JsonLatin1String(value); };
  std::string tracks;
  for (int bit = 0; bit < 32; ++bit) {
    if ((row.tracks >> bit) & 1u) tracks += (tracks.empty() ? "\"A" : ", \"A") + std::to_string(bit + 1) + "\"";
  }
  return "{\"number\": " + number(row.number, row.number >= 0) + ", \"result\": \"" +
         CEDLReader::EventResultText(row.result) + "\", \"yieldsEdit\": " + (row.yieldsEdit ? "true" : "false") +
         ", \"reel\": " + JsonLatin1String(row.reel) + ", \"video\": " + (row.video ? "true" : "false") +
         ", \"tracks\": [" + tracks + "], \"transition\": \"" + TransitionText(row.transition) +
         "\", \"sourceIn\": " + text(row.sourceIn) + ", \"recordIn\": " + text(row.recordIn) +
         ", \"recordOut\": " + text(row.recordOut) + ", \"sourceStart\": " + number(row.sourceStart, row.yieldsEdit) +
         ", \"destStart\": " + number(row.destStart, row.yieldsEdit) +
         ", \"destLength\": " + number(row.destLength, row.yieldsEdit) + "}";
}

// {"header": {...}, "events": [...]}, one event per line.
void PrintJson(const EdlListing& listing) {
  std::printf("{\"header\": %s,\n\"events\": [", HeaderJson(listing).c_str());
  const char* separator = "\n  ";
  for (const EdlRow& row : listing.rows) {
    std::printf("%s%s", separator, EventJson(row).c_str());
    separator = ",\n  ";
  }
  std::printf("\n]}\n");
}

int RunEdl(const EdlOptions& options) {
  int32_t format = CEDLReader::kQrx;
  if (!CEDLReader::FormatFromName(options.format, format)) {
    return FailArgument("edl", "no edit list format is called \"" + options.format + "\"; give one of " +
                                   FormatNames() + " (upper or lower case)");
  }
  CEDLReader reader(options.file, format);
  EdlListing listing;
  listing.file = options.file;
  const std::string problem = ReadListing(reader, listing);
  if (!problem.empty()) return FailOn("edl", options.file, problem);
  if (options.json) {
    PrintJson(listing);
  } else {
    PrintListing(listing);
  }
  return 0;
}

}  // namespace

std::string TransitionText(int32_t transition) {
  std::string text;
  if (transition & CEDLEditDetail::kCut) text += 'C';
  if (transition & CEDLEditDetail::kDissolve) text += 'D';
  if (transition & CEDLEditDetail::kKey) text += 'K';
  return text;
}

int32_t UnitsOfFrames(CTimecodeConverter& converter, int32_t frames) {
  converter.TimeFromFrames(frames);
  return converter.GetRoundedTime();
}

void AddEdlCommand(CLI::App& app) {
  auto options = std::make_shared<EdlOptions>();
  CLI::App* command = app.add_subcommand("edl", kEdlHelp);
  command->add_option("FILE", options->file, "The edit list: a text EDL, or the binary form")
      ->type_name("FILE")
      ->required();
  command
      ->add_option("--format", options->format,
                   "The dialect of a text EDL, which decides how its track fields read: " + FormatNames() +
                       " (default QRX; a binary file is read as such whatever this says)")
      ->type_name("NAME");
  command->add_flag("--json", options->json,
                    "One JSON object: {\"header\": {...}, \"events\": [...]}, one entry per event line or record");
  command->callback([options] { ExitOnFailure(RunEdl(*options)); });
}

}  // namespace mixauto
