// TimecodeText: the text forms in which the system shows times, and the conversion of
// automation times to and from those forms for people.
//
// The eight forms are shared constants for the hosts: one per display mode of
// CTimecodeConverter, the timecode form with the quarter-frame digit, and the text shown
// where there is no valid time. Fields are zero-padded to two digits (feet to five), with
// a single space between seconds and frames.
//
// A time is shown as the last position, at the resolution of the display mode, whose
// automation time (the converter's rounded result) is at or before it: a time inside a
// frame shows that frame, inside a second (frames suppressed) that second. Converting the
// shown text back gives the time of that position, so every frame position survives
// time -> text -> time unchanged. (At 29.97 drop-frame and 23.976 on quarter-frame
// consoles a label second holds 120 or 96 quarter-frames but fewer units, so its last
// quarter-frame may share a unit with the next second's first, which is the one shown.)
// Times before zero show with a leading '-' in timecode; film footage never precedes zero
// (the converter wraps it into the previous day), so in feet+frames they show as
// kNoTimeText.
// Stateless; safe from any thread as long as each converter is used by one thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "commonobjects/timecode/TimecodeConverter.h"

namespace TimecodeText {

inline constexpr char kMinutesSecondsFramesForm[] = "%02d:%02d %02d";  // display mode 0
inline constexpr char kHoursMinutesSecondsForm[] = "%02d:%02d:%02d";   // display mode 1
inline constexpr char kMinutesSecondsForm[] = "%02d:%02d";             // display mode 2
inline constexpr char kTimecodeForm[] = "%02d:%02d:%02d %02d";         // display mode 3
inline constexpr char kFeetFramesForm[] = "%5.5d.%2.2d";               // display mode 4
inline constexpr char kFeetForm[] = "%05d";                            // display mode 5
// Hours, minutes, seconds, frames and the quarter-frame digit 0 to 3.
inline constexpr char kQuarterFrameTimecodeForm[] = "%02d:%02d:%02d %02d.%d";
inline constexpr char kNoTimeText[] = "--:--:-- --";

// The form of a display mode 0 to 5; kNoTimeText for any other mode.
const char* FormOfDisplayMode(int32_t mode);

// Whether a time is shown with the quarter-frame digit. It is shown only on the
// quarter-frame consoles and in the full timecode display (mode 3).
enum class QuarterFrameDigit { kHidden, kShown };

// A position on the picture as a person writes it. Fields count from zero; Negative
// makes every field count backwards (a time before zero).
struct TimePosition {
  bool FeetFrames = false;  // Feet and Frames, else the timecode fields
  bool Negative = false;
  int32_t Hours = 0;
  int32_t Minutes = 0;
  int32_t Seconds = 0;
  int32_t Frames = 0;  // frames within the second, or within the foot
  int32_t QuarterFrames = 0;
  int32_t Feet = 0;
  bool operator==(const TimePosition&) const = default;
};

// Frames in one second of timecode labels for the converter's rate code: 25 for code 2,
// 30 for codes 3 to 5, else 24.
int32_t FramesPerLabelSecond(const CTimecodeConverter& converter);

// The automation time of a position by the converter's own arithmetic (TimeFromTimecode or
// TimeFromFeetFrames), rounded as edit lists take it (GetRoundedTime). The converter's
// last result is that of the position.
int32_t TimeFromPosition(CTimecodeConverter& converter, const TimePosition& position);

// The last position at or before `units` at the resolution of the converter's display
// mode (quarter-frames when the digit is shown, else frames, seconds, frames of film or
// feet). Nothing when no position comes at or before it: times before film zero, or a
// film rate of 0 or less. The converter is not changed.
std::optional<TimePosition> PositionFromTime(const CTimecodeConverter& converter, int32_t units,
                                             QuarterFrameDigit digit = QuarterFrameDigit::kHidden);

// The text of a position in a display mode's form (a leading '-' before zero); the digit
// shown turns full timecode into the quarter-frame form. A display without hours shows
// the minutes within the hour. A timecode position in a feet+frames mode shows as full
// timecode, and a film position in a timecode mode as feet and frames.
std::string TextFromPosition(const TimePosition& position, int32_t displayMode,
                             QuarterFrameDigit digit = QuarterFrameDigit::kHidden);

// The text of a time in the converter's display mode; kNoTimeText when no position shows it.
std::string TextFromTime(const CTimecodeConverter& converter, int32_t units,
                         QuarterFrameDigit digit = QuarterFrameDigit::kHidden);

// Reads a position written by a person, with an optional leading '-':
//   timecode   "01:00:10:00", "01:00:10 00", "01;00;10;00", "01.00.10.00" (any of : ; , .
//              between fields, or a space before the frames), with the quarter-frame digit
//              "01:00:10 00.2"; three numbers are hours, minutes, seconds when the last
//              separator is ':' ("01:00:10"), else minutes, seconds, frames ("02:03 04");
//              "02:03" (minutes, seconds);
//   feet+frames "120+08", "00120.08"; "00120" (feet).
// Minutes and seconds must be below 60, timecode frames below FramesPerLabelSecond, the
// digit below 4, film frames below the frames per foot (when that is positive); each
// number has at most 9 digits. On failure returns nothing and sets `error` to what is
// wrong, without repeating the text.
std::optional<TimePosition> ParsePosition(const CTimecodeConverter& converter, std::string_view text,
                                          std::string& error);

}  // namespace TimecodeText
