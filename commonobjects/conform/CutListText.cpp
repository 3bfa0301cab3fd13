// The text report of a change list, read byte by byte as the editing systems write it:
//
//   header    ... "Old Duration" <footage> ... "Clip Name" <rest of line>
//   layout 0  <n>. <position footage> <wording> <length footage>
//             for an insert, optionally a next line: <footage> FROM #<change>
//   layout 1  <n>. <position footage> <length footage> <wording, may end FROM <change>>
//             [three spaces or more, then anything]
//   end       "(END OF CHANGE LIST)", or the end of the file
//
// A footage value is feet, a plus sign, two-digit frames ("12+08"). A wording is upper-case
// letters, digits and spaces (layout 1 also "#"); it ends at any other byte, so a tab or a
// line end parts it from what follows. Lines end at CR or LF.
#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "commonobjects/conform/CutListReader.h"
#include "commonobjects/conform/internal/CutListParsing.h"
#include "commonobjects/conform/internal/EDLText.h"

namespace commonobjects::conform::internal {
namespace {

constexpr std::string_view kOldDurationMarker = "ld Duration";  // after an "O"
constexpr std::string_view kHeaderEndMarker = "lip Name";       // after a "C"
constexpr std::string_view kEndMarker = "END OF CHANGE LIST)";  // after a "("
constexpr size_t kSourceLookBytes = 10;                          // after an insert's footage

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsUpper(char c) { return c >= 'A' && c <= 'Z'; }
char ToUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

std::string Upper(std::string_view text) {
  std::string upper(text);
  std::transform(upper.begin(), upper.end(), upper.begin(), ToUpper);
  return upper;
}

// A decimal number as C's atoi reads one: leading blanks, a sign, the digits up to the
// first other byte; 0 when there are none. Held at the 32-bit limits.
int32_t ReadNumber(std::string_view text) { return conform::ReadDecimal(conform::Trim(text)); }

// What became of one field of a change.
enum class Field {
  kRead,
  kOutOfBytes,  // the file ended: the list ends here
  kMalformed,   // the field has another shape: the whole read fails
};

class TextParser {
 public:
  TextParser(std::string_view bytes, int32_t layout, int32_t framesPerFoot)
      : Bytes(bytes), Layout(layout), FramesPerFoot(framesPerFoot) {}

  CutListParse Parse();

 private:
  bool Next(char& c) {
    if (Position >= Bytes.size()) return false;
    c = Bytes[Position++];
    return true;
  }
  // Up to count bytes from here (fewer at the end of the file), consumed.
  std::string_view Take(size_t count) {
    const std::string_view taken = Bytes.substr(std::min(Position, Bytes.size()), count);
    Position += taken.size();
    return taken;
  }

  bool ReadHeader(CutListParse& out);
  bool SkipToLineEnd();
  bool FindChangeNumber();
  Field ReadChange(CCutListChange& change, std::string& wording);
  Field ReadFootage(int32_t& feet, int32_t& frames);
  Field ReadFootageFrames(int32_t& total);
  Field ReadWording(std::string& wording);
  void LookForSource(CCutListChange& change, const std::string& wording);

  std::string_view Bytes;
  size_t Position = 0;
  int32_t Layout;
  int32_t FramesPerFoot;
};

CutListParse TextParser::Parse() {
  CutListParse out;
  out.ChangeNumber = 1;
  if (!ReadHeader(out)) {
    out.Stage = CCutListReader::kFailedAfterOpening;
    return out;
  }
  bool entrySeen = false;
  while (SkipToLineEnd() && FindChangeNumber()) {
    entrySeen = true;
    // The label is the change number and a full stop; its first digit is read already.
    Take(std::to_string(out.ChangeNumber).size());
    auto change = std::make_unique<CCutListChange>();
    const Field field = ReadChange(*change, out.Wording);
    if (field == Field::kMalformed) {
      out.Changes.clear();
      out.Stage = CCutListReader::kFailedInChanges;
      return out;
    }
    // A change cut short by the end of the file, even by its line end only, is dropped.
    if (field == Field::kOutOfBytes || !SkipToLineEnd()) break;
    if (change->Kind == CCutListChange::kInsert) LookForSource(*change, out.Wording);
    if (change->Kind != CCutListChange::kNoChange) out.Changes.push_back(std::move(change));
    ++out.ChangeNumber;
  }
  if (out.Changes.empty()) {
    out.Stage = entrySeen ? CCutListReader::kFailedInChanges : CCutListReader::kFailedAfterOpening;
  }
  return out;
}

// Reads up to the "Clip Name" marker, taking the old duration on the way. Bytes read in
// looking for a marker are consumed whether they match or not.
bool TextParser::ReadHeader(CutListParse& out) {
  char c = 0;
  while (Next(c)) {
    if (c == 'O' && Take(kOldDurationMarker.size()) == kOldDurationMarker) {
      if (ReadFootage(out.OldDurationFeet, out.OldDurationFrames) != Field::kRead) return false;
    } else if (c == 'C' && Take(kHeaderEndMarker.size()) == kHeaderEndMarker) {
      return true;
    }
  }
  return false;
}

// Consumes the rest of the current line with its CR or LF; false when the file ends first.
// A line whose LF has just been read has nothing left, so reports whose lines end in LF
// alone lose no line (with CR LF, the LF is what is left).
bool TextParser::SkipToLineEnd() {
  if (Position > 0 && Position <= Bytes.size() && Bytes[Position - 1] == '\n') return true;
  char c = 0;
  while (Next(c)) {
    if (c == '\r' || c == '\n') return true;
  }
  return false;
}

// Consumes bytes up to and with the first digit of the next change number; false at the
// end of the file or at the end-of-list marker.
bool TextParser::FindChangeNumber() {
  char c = 0;
  while (Next(c)) {
    if (IsDigit(c)) return true;
    if (c == '(' && Upper(Take(kEndMarker.size())) == kEndMarker) return false;
  }
  return false;
}

Field TextParser::ReadChange(CCutListChange& change, std::string& wording) {
  Field field = ReadFootageFrames(change.Position);
  if (Layout == 0) {
    if (field == Field::kRead) field = ReadWording(wording);
    if (field == Field::kRead) field = ReadFootageFrames(change.Length);
  } else {
    if (field == Field::kRead) field = ReadFootageFrames(change.Length);
    if (field == Field::kRead) field = ReadWording(wording);
    // What follows the wording after a run of spaces (a clip name, a comment) is not part
    // of it; a no-change entry has nothing after it.
    if (field == Field::kRead && wording.rfind("NO CH", 0) != 0) {
      const size_t run = wording.rfind("   ");
      if (run != std::string::npos) wording.resize(run);
      wording = conform::Trim(wording);
    }
  }
  if (field == Field::kRead) change.Kind = CCutListReader::ClassifyWording(wording);
  return field;
}

// A footage value: any bytes up to a digit, the feet, "+", two digits of frames.
Field TextParser::ReadFootage(int32_t& feet, int32_t& frames) {
  char c = 0;
  do {
    if (!Next(c)) return Field::kOutOfBytes;
  } while (!IsDigit(c));
  int64_t value = 0;
  while (IsDigit(c)) {
    value = value * 10 + (c - '0');
    if (value > std::numeric_limits<int32_t>::max()) return Field::kMalformed;
    if (!Next(c)) return Field::kOutOfBytes;
  }
  if (c != '+') return Field::kMalformed;
  char tens = 0, units = 0;
  if (!Next(tens) || !Next(units)) return Field::kOutOfBytes;
  if (!IsDigit(tens) || !IsDigit(units)) return Field::kMalformed;
  feet = static_cast<int32_t>(value);
  frames = (tens - '0') * 10 + (units - '0');
  return Field::kRead;
}

// A footage value as frames: feet × frames per foot + frames.
Field TextParser::ReadFootageFrames(int32_t& total) {
  int32_t feet = 0, frames = 0;
  const Field field = ReadFootage(feet, frames);
  if (field != Field::kRead) return field;
  const int64_t value = int64_t{feet} * FramesPerFoot + frames;
  if (value > std::numeric_limits<int32_t>::max() || value < std::numeric_limits<int32_t>::min()) {
    return Field::kMalformed;
  }
  total = static_cast<int32_t>(value);
  return Field::kRead;
}

// A wording: any bytes up to an upper-case letter, then, upper-cased, every letter, digit
// and space (layout 1 also "#") that follows, without its trailing spaces. The byte that
// ends it is left for what comes next.
Field TextParser::ReadWording(std::string& wording) {
  char c = 0;
  do {
    if (!Next(c)) return Field::kOutOfBytes;
  } while (!IsUpper(c));
  wording.assign(1, c);
  while (Position < Bytes.size()) {
    const char next = ToUpper(Bytes[Position]);
    if (!IsUpper(next) && !IsDigit(next) && next != ' ' && !(Layout == 1 && next == '#')) break;
    wording.push_back(next);
    ++Position;
  }
  wording.resize(wording.find_last_not_of(' ') + 1);
  return Field::kRead;
}

// An insert whose material comes from another change names that change: layout 0 on the
// next line ("<footage> FROM #12"), layout 1 at the end of its wording ("INSE FROM 12").
// Nothing is read beyond the insert when no footage value follows it.
void TextParser::LookForSource(CCutListChange& change, const std::string& wording) {
  int32_t source = 0;
  if (Layout == 0) {
    const size_t start = Position;
    int32_t feet = 0, frames = 0;
    if (ReadFootage(feet, frames) != Field::kRead) {
      Position = start;
      return;
    }
    // The look covers 10 bytes but reads no further than the end of their line, which is
    // left for the next change to skip.
    const std::string_view look = Bytes.substr(Position, kSourceLookBytes);
    Position += std::min(look.size(), look.find_first_of("\r\n"));
    const std::string upper = Upper(look);
    const size_t hash = upper.rfind('#');
    if (upper.find("FROM") == std::string::npos || hash == std::string::npos) return;
    source = ReadNumber(std::string_view(upper).substr(hash + 1));
  } else {
    const size_t m = wording.rfind('M');
    if (wording.find("FROM") == std::string::npos) return;
    source = ReadNumber(std::string_view(wording).substr(m + 1));
  }
  if (source != 0) {
    change.Kind = CCutListChange::kInsertFrom;
    change.SourceChange = source;
  }
}

}  // namespace

CutListParse ParseCutListText(std::string_view bytes, int32_t layout, int32_t framesPerFoot) {
  return TextParser(bytes, layout, framesPerFoot).Parse();
}

}  // namespace commonobjects::conform::internal
