#include "commonobjects/conform/internal/EDLText.h"

#include <algorithm>
#include <cctype>

namespace commonobjects::conform {
namespace {

constexpr std::string_view kWhiteSpace = " \t\r\n\v\f";

bool Contains(const std::string& text, std::string_view part) { return text.find(part) != std::string::npos; }

void RemoveAll(std::string& text, std::string_view characters) {
  text.erase(std::remove_if(text.begin(), text.end(),
                            [&](char c) { return std::find(characters.begin(), characters.end(), c) != characters.end(); }),
             text.end());
}

// "CMX340", "CMX3400".
void ReadLetterCodes(std::string& field, CEDLEditDetail& detail) {
  if (field == "NONE") {
    field.clear();
    return;
  }
  if (Contains(field, "AA")) {
    detail.TrackMask |= 3;
    RemoveAll(field, "A");
  }
  if (Contains(field, "A2")) {
    detail.TrackMask |= 1;  // "A2" is read as the first track
    RemoveAll(field, "2A");
  }
  if (Contains(field, "A") && !Contains(field, "AUD")) {
    detail.TrackMask |= 1;
    RemoveAll(field, "A");
  }
  if (Contains(field, "B")) {
    detail.TrackMask |= 1;
    detail.Video = 1;
    RemoveAll(field, "B");
  }
  if (Contains(field, "AUD")) {
    RemoveAll(field, "AUD");
    if (Contains(field, "3")) {
      detail.TrackMask |= 4;
      RemoveAll(field, "3");
    }
    if (Contains(field, "4")) {
      detail.TrackMask |= 8;
      RemoveAll(field, "4");
    }
  }
}

// "SONY_BVE9000", "AVID".
void ReadDigitCodes(std::string& field, CEDLEditDetail& detail) {
  RemoveAll(field, "A");
  for (char digit = '1'; digit <= '9'; ++digit) {
    if (field.find(digit) != std::string::npos) {
      detail.TrackMask |= 1u << (digit - '1');
      RemoveAll(field, std::string_view(&digit, 1));
    }
  }
  RemoveAll(field, "B");
  field = Trim(field);
  if (field == "UD") field.clear();
}

// "GVG".
void ReadNumberedAudioCodes(std::string& field, CEDLEditDetail& detail) {
  RemoveAll(field, "A");
  static constexpr struct { char digit; uint32_t mask; } kTracks[] = {{'1', 1}, {'2', 2}, {'3', 4}, {'4', 8}};
  for (const auto& track : kTracks) {
    if (field.find(track.digit) != std::string::npos) {
      detail.TrackMask |= track.mask;
      RemoveAll(field, std::string_view(&track.digit, 1));
    }
  }
}

}  // namespace

void TrimInPlace(std::string& text) {
  const size_t last = text.find_last_not_of(kWhiteSpace);
  text.erase(last == std::string::npos ? 0 : last + 1);
  text.erase(0, std::min(text.find_first_not_of(kWhiteSpace), text.size()));
}

std::string Trim(std::string_view text) {
  const size_t first = text.find_first_not_of(kWhiteSpace);
  if (first == std::string_view::npos) return {};
  return std::string(text.substr(first, text.find_last_not_of(kWhiteSpace) - first + 1));
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
         });
}

int32_t ReadDecimal(std::string_view text) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = std::min<int64_t>(value * 10 + (text[i] - '0'), int64_t{INT32_MAX} + 1);
  }
  if (negative) value = -value;
  return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

std::vector<std::string> SplitEventLine(std::string_view line) {
  std::string kept;
  if (std::any_of(line.begin(), line.end(), [](char c) { return c == '*' || c == '\x0F'; })) {
    kept.assign(line);
    RemoveAll(kept, "*\x0F");
    line = kept;
  }
  const size_t first = line.find_first_not_of(kWhiteSpace);
  if (first == std::string_view::npos) return {};
  const std::string_view trimmed = line.substr(first, line.find_last_not_of(kWhiteSpace) - first + 1);
  std::vector<std::string> fields;
  fields.reserve(12);
  size_t at = 0;
  while (at < trimmed.size()) {
    const size_t end = std::min(trimmed.find(' ', at), trimmed.size());
    if (end > at) fields.emplace_back(trimmed.substr(at, end - at));
    at = end + 1;
  }
  return fields;
}

void MoveTrailingTrackField(std::vector<std::string>& fields) {
  if (fields.empty() || Contains(fields.back(), ":")) return;
  const std::string trailing = fields.back();
  if (Contains(trailing, "A3") || Contains(trailing, "A4")) {
    if (fields.size() > 2 && (Contains(fields[2], "V") || Contains(fields[2], "A"))) {
      fields[2] += trailing;
    } else if (fields.size() >= 2) {
      fields.insert(fields.begin() + 2, trailing);
    }
  }
  fields.pop_back();
}

bool ReadTrackField(std::string field, int32_t format, CEDLEditDetail& detail) {
  RemoveAll(field, "/");
  if (Contains(field, "V")) {
    detail.Video = 1;
    RemoveAll(field, "V");
  }
  switch (format) {
    case 2:
    case 3: ReadLetterCodes(field, detail); break;
    case 4:
    case 6: ReadDigitCodes(field, detail); break;
    case 5: ReadNumberedAudioCodes(field, detail); break;
    default: break;
  }
  field = Trim(field);
  return field.empty() || EqualsIgnoringCase(field, "none");
}

bool ReadTimecodeField(std::string_view field, int32_t timecode[4]) {
  std::fill(timecode, timecode + 4, 0);
  if (field.size() < 4) {
    timecode[0] = -1;
    return false;
  }
  // Parts are separated by runs of ":", ";", "," and "."; the last is frames, the ones
  // before it seconds and minutes, and the first hours when there are more than three.
  auto isSeparator = [](char c) { return c == ':' || c == ';' || c == ',' || c == '.'; };
  std::string_view firstPart, lastThree[3];
  size_t parts = 0;
  bool dropFrame = false;
  for (size_t at = 0; at < field.size();) {
    size_t end = at;
    while (end < field.size() && !isSeparator(field[end])) ++end;
    if (end < field.size()) dropFrame = dropFrame || field[end] == ';' || field[end] == ',';
    if (end > at) {
      const std::string_view part = field.substr(at, end - at);
      if (parts++ == 0) firstPart = part;
      lastThree[0] = lastThree[1];
      lastThree[1] = lastThree[2];
      lastThree[2] = part;
    }
    at = end + 1;
  }
  for (size_t i = 0; i < 3 && i < parts; ++i) timecode[3 - i] = ReadDecimal(lastThree[2 - i]);
  if (parts > 3) timecode[0] = ReadDecimal(firstPart);
  return dropFrame;
}

}  // namespace commonobjects::conform
