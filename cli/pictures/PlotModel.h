// PlotModel: what a plot of automation shows, before any pixel: one lane per channel (path,
// Proc, Control), its curve as the console plays it, its value axis in the control's own text
// and the time axis in the display form of the timecode settings.
//
// A lane's curve is a list of segments in automation units and raw values:
//   hold  the value v0 from t0 to t1 (a value holds until the next event);
//   step  at t0 (= t1) the value jumps from v0 to v1 (an event);
//   ramp  straight from (t0, v0) to (t1, v1): two events at most one frame apart, which
//         the console plays as a continuous move (recorded moves and edit ramps);
//   span  the values v0 (least) to v1 (most) somewhere in [t0, t1): a column of the drawing
//         that holds more events than it can show one by one.
// Segments are in time order and never overlap; the curve starts at the range's start with
// the value held there (the first event's old value) and ends at the range's end.
// A switch (a control of two values) is drawn as the time it is on; on is the value whose
// text is "On", else the higher value.
//
// Reads only the events in [from, to), found by binary search, plus (for channels whose last
// change came before from) the events before it, back to the first. Pure; the console type
// is the process's.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "commonobjects/eventstore/AutomationEventArray.h"
#include "commonobjects/timecode/TimecodeConverter.h"

namespace mixauto {

struct PlotChannel {
  int32_t path = 0;
  int32_t proc = 0;
  int32_t control = 0;
  auto operator<=>(const PlotChannel&) const = default;
};

struct LaneSegment {
  enum Kind { kHold, kStep, kRamp, kSpan };
  Kind kind = kHold;
  int32_t t0 = 0, t1 = 0;
  int32_t v0 = 0, v1 = 0;
  bool operator==(const LaneSegment&) const = default;
};

struct ValueTick {
  int32_t value = 0;
  std::string label;  // the value's text (UTF-8)
  bool operator==(const ValueTick&) const = default;
};

struct TimeTick {
  int32_t units = 0;
  std::string label;
  bool operator==(const TimeTick&) const = default;
};

struct PlotLane {
  PlotChannel channel;
  bool placeholder = false;  // a path with no selected channel in the range: no curve
  std::string title;         // Automation units in one second of timecode labels (frames per label second of frames).
double UnitsPerLabelSecond(const CTimecodeConverter& converter);

// "Path 3  Fader Level"
  bool isSwitch = false;
  int32_t onValue = 1;         // a switch's on value
  int32_t lowest = 0;          // the value axis, both ends inclusive
  int32_t highest = 0;
  std::vector<ValueTick> ticks;  // ascending values
  std::vector<LaneSegment> segments;
  std::vector<LaneSegment> before;  // a comparison's earlier curve (empty in a plain plot)
  int64_t events = 0;               // events of the channel in the range
};

struct PlotModel {
  int32_t from = 0, to = 1;  // the time axis [from, to)
  std::vector<TimeTick> timeTicks;
  std::vector<int32_t> markers;  // times to mark across every lane (stretch boundaries)
  std::vector<PlotLane> lanes;
  int64_t eventsRead = 0;        // events of the array looked at
};

struct PlotRequest {
  std::vector<int32_t> paths;  // lanes in this path order; empty: every path with events
  // (proc, control) pairs to show, as proc << 8 | control; empty: every control.
  std::vector<int32_t> controls;
  std::optional<int32_t> from;  // default: the first event's time
  std::optional<int32_t> to;    // default: the last event's time + 1
  int32_t columns = 1200;       // width of the time axis in drawing columns
  double timeLabelWidth = 90;   // columns one time label needs, gap included
  int32_t valueTicks = 5;       // at most, per lane
};

// The lanes of the request over the events (time-ordered). Lanes by the request's path
// order, then Proc, then Control; a requested path with no lane gets a placeholder lane.
PlotModel BuildPlot(const CAutomationEventArray& events, const PlotRequest& request,
                    const CTimecodeConverter& converter);

// A comparison of the same channels before and after an edit over [from, to): each lane's
// curve from `after`, its `before` from `before`.
PlotModel BuildComparison(const CAutomationEventArray& before, const CAutomationEventArray& after,
                          const std::vector<PlotChannel>& channels, int32_t from, int32_t to, int32_t columns,
                          const CTimecodeConverter& converter);

// The curve of one channel's events (time-ordered, all of the channel) over [from, to):
// `start` is the value held at from (nothing: the curve starts at the first event).
// Consecutive events at most `rampGap` units apart make a ramp; a column (of `columns` over
// the range) with three or more events becomes a span.
struct TimedValue {
  int32_t time = 0;
  int32_t value = 0;
};
std::vector<LaneSegment> CurveOf(const std::vector<TimedValue>& events, std::optional<int32_t> start, int32_t from,
                                 int32_t to, int32_t rampGap, int32_t columns);

// Up to `count` ticks over [lowest, highest]: both ends, and between them the roundest values
// their texts show (-10.0 dB before -9.7 dB; names such as "Center" count as round); no two
// with the same text. A range of at most `count` values gets every value.
std::vector<ValueTick> ValueTicksOf(int32_t proc, int32_t control, int32_t lowest, int32_t highest, int32_t count);

// Time ticks over [from, to) at a whole number of frames, seconds or minutes of the
// timecode, as many as fit when each label needs `labelWidth` of `columns`.
std::vector<TimeTick> TimeTicksOf(int32_t from, int32_t to, int32_t columns, double labelWidth,
                                  const CTimecodeConverter& converter);

// Automation units in one second of timecode labels (frames per label second of frames).
double UnitsPerLabelSecond(const CTimecodeConverter& converter);

// "Path 3  Fader Level"; a control without a name shows its numbers ("Proc 40 Control 2").
std::string LaneTitle(const PlotChannel& channel);

}  // namespace mixauto
