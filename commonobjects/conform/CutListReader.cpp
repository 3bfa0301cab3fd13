#include "commonobjects/conform/CutListReader.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "commonobjects/conform/internal/CutListParsing.h"
#include "commonobjects/platform/File.h"
#include "commonobjects/platform/WindowsDrive.h"
#include "commonobjects/timecode/TimecodeConverter.h"

namespace {

using commonobjects::conform::internal::CutListParse;

constexpr size_t kMagicBytes = sizeof(CCutListReader::kMagic) - 1;

bool EndsWithTxt(const std::string& path) {
  static constexpr std::string_view kTxt = ".txt";
  if (path.size() < kTxt.size()) return false;
  return std::equal(kTxt.begin(), kTxt.end(), path.end() - static_cast<std::ptrdiff_t>(kTxt.size()),
                    [](char a, char b) { return a == (b >= 'A' && b <= 'Z' ? static_cast<char>(b - 'A' + 'a') : b); });
}

}  // namespace

CCutListReader::CCutListReader() : Settings(CTimecodeConverter().GetSettings()) {}

bool CCutListReader::Read(const std::string& path) {
  using namespace commonobjects::conform::internal;
  Changes.clear();
  OldDurationFeet = OldDurationFrames = 0;
  Wording.clear();
  ChangeNumber = 0;
  Binary = 0;
  Stage = kNoFailure;
  SystemError = 0;

  std::string bytes;
  const auto status = commonobjects::platform::ReadWholeFile(commonobjects::platform::MapWindowsPath(path), &bytes);
  if (!status.IsOk()) {
    Stage = kFailedOpening;
    SystemError = status.error;
    return false;
  }

  CutListParse parse;
  if (bytes.size() >= kMagicBytes && std::memcmp(bytes.data(), kMagic, kMagicBytes) == 0) {
    Binary = 1;
    parse = ParseCutListBinary(bytes);
  } else {
    // A report saved as ".txt" is most likely in layout 1; either layout gets its turn.
    TextLayout = EndsWithTxt(path) ? 1 : 0;
    parse = ParseCutListText(bytes, TextLayout, Settings.FilmFramesPerFoot);
    if (parse.Changes.empty()) {
      TextLayout = 1 - TextLayout;
      CutListParse other = ParseCutListText(bytes, TextLayout, Settings.FilmFramesPerFoot);
      other.Stage = std::max(other.Stage, parse.Stage);  // the further of the two failures
      parse = std::move(other);
    }
  }
  Changes = std::move(parse.Changes);
  OldDurationFeet = parse.OldDurationFeet;
  OldDurationFrames = parse.OldDurationFrames;
  Wording = std::move(parse.Wording);
  ChangeNumber = parse.ChangeNumber;
  Stage = Changes.empty() ? std::max<int32_t>(parse.Stage, kFailedAfterOpening) : kNoFailure;
  return !Changes.empty();
}

// F and T are the wording's first and last 4 characters.
int32_t CCutListReader::ClassifyWording(const std::string& wording) {
  const std::string_view text(wording);
  const std::string_view first = text.substr(0, 4);
  const std::string_view last = text.substr(text.size() > 4 ? text.size() - 4 : 0);
  if (first == "NO C") return CCutListChange::kNoChange;
  if (first == "TRIM") {
    if (last == "HEAD") return CCutListChange::kTrimHead;
    if (last == "TAIL") return CCutListChange::kTrimTail;
    if (last == "DDLE") return CCutListChange::kTrimMiddle;
    return CCutListChange::kUnrecognised;
  }
  if (first == "DELE") return CCutListChange::kDelete;
  if (first == "INSE") return wording.size() >= 12 ? CCutListChange::kInsertFrom : CCutListChange::kInsert;
  if (first == "LENG") {
    if (last == "TAIL") return CCutListChange::kLengthenTail;
    if (last == "HEAD") return CCutListChange::kLengthenHead;
    return CCutListChange::kUnrecognised;
  }
  if (first == "MOVE") return CCutListChange::kMove;
  return CCutListChange::kUnrecognised;
}
