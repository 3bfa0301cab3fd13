#include "commonobjects/conform/EDLReader.h"

#include <algorithm>
#include <cstring>

#include "commonobjects/conform/internal/ByteCursor.h"
#include "commonobjects/conform/internal/EDLBinaryForm.h"
#include "commonobjects/conform/internal/EDLText.h"
#include "commonobjects/platform/WindowsDrive.h"

namespace platform = commonobjects::platform;
using commonobjects::conform::ByteCursor;
using commonobjects::conform::ByteWriter;

namespace {

const char* const kFormatNames[CEDLReader::kFormatCount] = {
    "UNKNOWN", "GENERIC", "QRX", "CMX340", "CMX3400", "SONY_BVE9000", "GVG", "AVID"};

bool StartsWithMagic(const std::string& content, const char* magic) {
  return content.size() >= CEDLReader::kMagicLength &&
         std::memcmp(content.data(), magic, CEDLReader::kMagicLength) == 0;
}

// Whole frames per second of the text events' timecodes under these settings: film frames
// when positions count in feet and frames, else the rate code's nominal rate.
int32_t NominalFramesPerSecond(const CTimecodeSettings& settings) {
  if (settings.FeetFrames != 0) return settings.FilmFramesPerSecond > 0 ? settings.FilmFramesPerSecond : 24;
  switch (settings.RateCode) {
    case 2: return 25;
    case 3:
    case 4:
    case 5: return 30;
    default: return 24;
  }
}

int32_t Clamp32(int64_t value) {
  return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

}  // namespace

const char* CEDLReader::FormatName(int32_t format) {
  if (format < kUnknown || format >= kFormatCount - 1) return kFormatNames[0];
  return kFormatNames[format + 1];
}

bool CEDLReader::FormatFromName(const std::string& name, int32_t& format) {
  for (int32_t i = 0; i < kFormatCount; ++i) {
    if (commonobjects::conform::EqualsIgnoringCase(name, kFormatNames[i])) {
      format = i - 1;
      return true;
    }
  }
  return false;
}

const char* CEDLReader::EventResultText(int32_t result) {
  switch (result) {
    case kEventRead: return "event";
    case kTooFewFields: return "fewer than 4 fields";
    case kTrackRejected: return "track field not accepted by the dialect";
    case kTimecodeTooShort: return "a timecode shorter than 4 characters";
    default: return "?";
  }
}

CEDLReader::CEDLReader(const std::string& fileName, int32_t format) : FileName(fileName), FormatCode(format) {}

CEDLReader::~CEDLReader() { Close(); }

bool CEDLReader::Open() {
  Close();
  Status = platform::ReadWholeFile(platform::MapWindowsPath(FileName), &Content);
  if (!Status.IsOk()) {
    Content.clear();
    return false;
  }
  Reading = true;
  Position = 0;
  return true;
}

bool CEDLReader::Create() {
  Close();
  Status = Output.Open(platform::MapWindowsPath(FileName), platform::FileMode::kCreateAlways);
  return Status.IsOk();
}

bool CEDLReader::Close() {
  bool ok = true;
  if (Output.IsOpen()) {
    platform::FileStatus status = Output.Write(Pending.data(), Pending.size());
    if (status.IsOk()) status = Output.Close();
    Output.Close();
    ok = status.IsOk();
    if (!ok) Status = status;
  }
  Pending.clear();
  Pending.shrink_to_fit();
  Reading = false;
  Content.clear();
  Content.shrink_to_fit();
  Position = 0;
  return ok;
}

bool CEDLReader::IsOpen() const { return Reading || Output.IsOpen(); }

int32_t CEDLReader::ClassifyLine() {
  LineStart = static_cast<uint32_t>(std::min<size_t>(Position, UINT32_MAX));
  if (Position == 0 && (StartsWithMagic(Content, kMagic) || StartsWithMagic(Content, kOldMagic))) {
    OldHeader = !StartsWithMagic(Content, kMagic);
    Binary = true;
    FormatCode = kQrx;
    Position = kMagicLength;
    return kBinaryHeader;
  }
  const size_t before = Position;
  if (FormatCode == kAvid) {
    ReadAvidLine();
  } else {
    ReadLine();
  }
  commonobjects::conform::TrimInPlace(CurrentLine);
  if (before >= Content.size()) return kEndOfFile;
  if (CurrentLine.empty()) return kEmptyLine;
  return std::count(CurrentLine.begin(), CurrentLine.end(), ':') > 4 ? kEventLine : kOtherLine;
}

// A line ends at a line feed, which is not part of it.
bool CEDLReader::ReadLine() {
  if (Position >= Content.size()) return false;
  size_t end = Content.find('\n', Position);
  if (end == std::string::npos) end = Content.size();
  CurrentLine.assign(Content, Position, end - Position);
  Position = std::min(end + 1, Content.size());
  return true;
}

// A line ends at a carriage return, with the line feed after it if there is one; a line
// feed alone ends nothing and every CR and LF leaves the text. The last line of the file
// needs no carriage return.
bool CEDLReader::ReadAvidLine() {
  if (Position >= Content.size()) return false;
  size_t end = Content.find('\r', Position);
  const bool ended = end != std::string::npos;
  if (!ended) end = Content.size();
  CurrentLine.clear();
  for (size_t i = Position; i < end; ++i) {
    if (Content[i] != '\n') CurrentLine.push_back(Content[i]);
  }
  Position = end;
  if (ended) {
    ++Position;
    if (Position < Content.size() && Content[Position] == '\n') ++Position;
    LineEnded = 1;
  }
  return true;
}

int32_t CEDLReader::ReadHeader(CTimecodeSettings& settings, CReelTable& reels) {
  LineEnded = 0;
  if (!Reading) return kEndOfFile;
  Position = 0;
  for (;;) {
    const int32_t lineClass = ClassifyLine();
    if (lineClass == kBinaryHeader) {
      ByteCursor in(Content, Position);
      if (!commonobjects::conform::ReadHeaderRecord(in, settings) ||
          !commonobjects::conform::ReadReelTable(in, reels)) {
        Position = Content.size();  // no events after a damaged header
        return kEndOfFile;
      }
      Position = in.GetPosition();
      FramesPerSecond = NominalFramesPerSecond(settings);
      return kBinaryHeader;
    }
    if (lineClass == kEventLine) {
      Position = LineStart;  // ReadEvent reads this line next
      FramesPerSecond = NominalFramesPerSecond(settings);
      return kEventLine;
    }
    if (lineClass == kEndOfFile) return kOtherLine;
  }
}

int32_t CEDLReader::ReadEvent(CEDLTimecodeBlock& tc, CSourceDestItem& source, CSourceDestItem& dest) {
  dest.Detail = std::make_unique<CEDLEditDetail>();
  if (!Reading) return 0;
  if (Binary) return ReadBinaryEvent(source, dest);
  return ReadTextEvent(tc, source, dest);
}

int32_t CEDLReader::GetEventBound() const {
  if (!Reading || Position >= Content.size()) return 0;
  // Four integers, the video byte, the track mask, two empty strings and the reel index (or,
  // under the older header, a third string).
  constexpr size_t kSmallestRecord = 4 * 4 + 1 + 4 + 2 * 4 + 4;
  const size_t bound = Binary ? (Content.size() - Position) / kSmallestRecord + 1
                              : static_cast<size_t>(std::count(Content.begin() + static_cast<std::ptrdiff_t>(Position),
                                                               Content.end(), ':')) / 5;
  return static_cast<int32_t>(std::min<size_t>(bound, INT32_MAX / 2));
}

// A record cut short ends the events: it is not returned.
int32_t CEDLReader::ReadBinaryEvent(CSourceDestItem& source, CSourceDestItem& dest) {
  ByteCursor in(Content, Position);
  CEDLEditDetail& detail = *dest.Detail;
  int32_t sourceStart = 0, recordStart = 0, length = 0;
  bool ok = in.Get32(sourceStart) && in.Get32(recordStart) && in.Get32(length) &&
            in.Get32(detail.Transition) && in.GetByte(detail.Video) && in.Get32(detail.TrackMask);
  if (ok && OldHeader) ok = in.GetString(detail.Text1);
  std::string discarded;
  ok = ok && in.GetString(detail.ReelName) && in.GetString(discarded);
  if (ok && !OldHeader) ok = in.Get32(detail.ReelIndex);
  if (!ok) {
    Position = Content.size();
    return 0;
  }
  Position = in.GetPosition();
  if (detail.ReelName.empty()) detail.ReelName = "...";
  source.Start = sourceStart;
  source.Length = length;
  dest.Start = recordStart;
  dest.Length = length;
  LastEventResult = kEventRead;
  return 1;
}

int32_t CEDLReader::ReadTextEvent(CEDLTimecodeBlock& tc, CSourceDestItem& source, CSourceDestItem& dest) {
  for (;;) {
    const int32_t lineClass = ClassifyLine();
    if (lineClass == kEndOfFile) return 0;
    if (lineClass != kEventLine) continue;
    tc = CEDLTimecodeBlock();
    source.Start = source.Length = dest.Start = dest.Length = 0;
    LastEventResult = ParseEventLine(tc, source, *dest.Detail);
    if (LastEventResult == kEventRead || LastEventResult == kTrackRejected) {
      const int32_t recordIn = FramesOf(tc.RecordIn);
      source.Start = FramesOf(tc.SourceIn);
      dest.Start = recordIn;
      dest.Length = source.Length = Clamp32(int64_t{FramesOf(tc.RecordOut)} - recordIn);
    }
    return 1;
  }
}

int32_t CEDLReader::ParseEventLine(CEDLTimecodeBlock& tc, CSourceDestItem& source, CEDLEditDetail& detail) {
  namespace text = commonobjects::conform;
  std::vector<std::string> fields = text::SplitEventLine(CurrentLine);
  text::MoveTrailingTrackField(fields);
  if (fields.size() < 4) return kTooFewFields;
  const size_t last = fields.size() - 1;
  ReadTimecode(fields[last - 3], tc.SourceIn);
  ReadTimecode(fields[last - 1], tc.RecordIn);
  ReadTimecode(fields[last], tc.RecordOut);
  source.Number = text::ReadDecimal(fields[0].substr(std::min(fields[0].find_first_not_of('0'), fields[0].size())));
  const bool timesRead = tc.SourceIn[0] >= 0 && tc.RecordIn[0] >= 0 && tc.RecordOut[0] >= 0;
  if (!text::ReadTrackField(fields[2], FormatCode, detail)) return timesRead ? kTrackRejected : kTimecodeTooShort;
  switch (fields[3].empty() ? '\0' : fields[3][0]) {
    case 'C': detail.Transition |= CEDLEditDetail::kCut; break;
    case 'D': detail.Transition |= CEDLEditDetail::kDissolve; break;
    case 'K': detail.Transition |= CEDLEditDetail::kKey; break;
    default: break;
  }
  detail.ReelName = fields[1];
  return timesRead ? kEventRead : kTimecodeTooShort;
}

void CEDLReader::ReadTimecode(const std::string& field, int32_t timecode[4]) {
  if (commonobjects::conform::ReadTimecodeField(field, timecode)) DropFrameState = 0;
}

// Frames from zero; drop-frame timecode (at 30 frames per second, once seen) skips the two
// labels it drops at every minute but each tenth.
int32_t CEDLReader::FramesOf(const int32_t timecode[4]) const {
  const int64_t minutes = int64_t{timecode[0]} * 60 + timecode[1];
  int64_t frames = (minutes * 60 + timecode[2]) * FramesPerSecond + timecode[3];
  if (DropFrameState == 0 && FramesPerSecond == 30) frames -= 2 * (minutes - minutes / 10);
  return Clamp32(frames);
}

void CEDLReader::WriteHeader(const CTimecodeSettings& settings, const CReelTable& reels, bool oldHeader) {
  OldHeader = oldHeader;
  Binary = true;
  ByteWriter out(Pending);
  out.PutBytes(std::string_view(oldHeader ? kOldMagic : kMagic, kMagicLength));
  commonobjects::conform::WriteHeaderRecord(out, settings);
  commonobjects::conform::WriteReelTable(out, reels);
}

void CEDLReader::WriteEvent(const CSourceDestItem& source, const CSourceDestItem& dest) {
  const CEDLEditDetail none;
  const CEDLEditDetail& detail = dest.Detail ? *dest.Detail : none;
  ByteWriter out(Pending);
  out.Put32(source.Start);
  out.Put32(dest.Start);
  out.Put32(dest.Length);
  out.Put32(detail.Transition);
  out.PutByte(detail.Video);
  out.Put32(static_cast<int32_t>(detail.TrackMask));
  if (OldHeader) out.PutString(detail.Text1);
  out.PutString(detail.ReelName);
  out.PutString(detail.Text2);
  if (!OldHeader) out.Put32(detail.ReelIndex);
}
