#include "pictures/PlotModel.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <unordered_map>

#include "commonobjects/console/ConsoleConfiguration.h"
#include "commonobjects/platform/RegFileFormat.h"
#include "commonobjects/presentation/TemplateSnapAutoEvent.h"
#include "commonobjects/presentation/ValueTables.h"
#include "commonobjects/timecode/TimecodeText.h"

namespace mixauto {

namespace {

namespace platform = commonobjects::platform;
namespace presentation = commonobjects::presentation;

std::string ValueText(int32_t proc, int32_t control, int32_t value) {
  std::string text;
  CTemplateSnapAutoEvent(static_cast<uint8_t>(proc), static_cast<uint8_t>(control), static_cast<int16_t>(value))
      .GetText(text, 1, 0);
  return platform::Windows1252ToUtf8(text);
}

// How round the number a text shows is: 0 for a text without one ("Cut", "Center"), then 1
// for multiples of 10000, 2 for 5000, ... down to 13 for 0.01; 14 for anything finer.
int32_t Roundness(const std::string& text) {
  const char* begin = text.c_str();
  while (*begin == ' ' || *begin == '+') ++begin;
  char* end = nullptr;
  const double number = std::strtod(begin, &end);
  if (end == begin) return 0;
  if (number == 0) return 1;
  static const double kSteps[] = {10000, 5000, 1000, 500, 100, 50, 10, 5, 1, 0.5, 0.1, 0.05, 0.01};
  for (int32_t i = 0; i < 13; ++i) {
    const double ratio = number / kSteps[i];
    if (std::fabs(ratio - std::round(ratio)) < 1e-6) return i + 1;
  }
  return 14;
}

// The events of the selected channels in [from, to), and the value each held at from.
struct LaneEvents {
  std::vector<TimedValue> events;
  std::optional<int32_t> start;
};

uint64_t KeyOf(int32_t path, int32_t proc, int32_t control) {
  return (static_cast<uint64_t>(static_cast<uint32_t>(path)) << 16) | static_cast<uint64_t>(proc << 8 | control);
}

PlotChannel ChannelOfKey(uint64_t key) {
  return {static_cast<int32_t>(static_cast<uint32_t>(key >> 16)), static_cast<int32_t>((key >> 8) & 0xFF),
          static_cast<int32_t>(key & 0xFF)};
}

// Collects the channels `wanted` accepts over [from, to) and the value each held at from:
// the last earlier event's value, else the first event's old value. `channels` is how many
// channels `wanted` can accept at most (0: no bound); the look back from `from` stops once
// it has found each of them. Returns the events read.
template <typename Wanted>
int64_t Collect(const CAutomationEventArray& array, int32_t from, int32_t to, Wanted wanted, size_t channels,
                std::map<uint64_t, LaneEvents>& lanes) {
  const CAutomationEvent* data = array.GetData();
  const int32_t size = array.GetSize();
  const auto byTime = [](const CAutomationEvent& e, int32_t t) { return e.Time < t; };
  const int32_t first = static_cast<int32_t>(std::lower_bound(data, data + size, from, byTime) - data);
  const int32_t last = static_cast<int32_t>(std::lower_bound(data + first, data + size, to, byTime) - data);
  std::unordered_map<uint64_t, LaneEvents*> found;
  for (int32_t i = first; i < last; ++i) {
    const CAutomationEvent& e = data[i];
    if (!wanted(e.Path, e.Proc, e.Control)) continue;
    const uint64_t key = KeyOf(e.Path, e.Proc, e.Control);
    LaneEvents*& lane = found[key];
    if (!lane) lane = &lanes[key];
    if (lane->events.empty()) lane->start = e.OldValue;
    lane->events.push_back({e.Time, e.Value});
  }
  // Values held from before the range, channels that only hold one included.
  std::unordered_map<uint64_t, bool> settled;
  int64_t read = static_cast<int64_t>(last) - first;
  for (int32_t i = first - 1; i >= 0 && (channels == 0 || settled.size() < channels); --i, ++read) {
    const CAutomationEvent& e = data[i];
    if (!wanted(e.Path, e.Proc, e.Control)) continue;
    const uint64_t key = KeyOf(e.Path, e.Proc, e.Control);
    if (!settled.emplace(key, true).second) continue;
    lanes[key].start = e.Value;
  }
  return read;
}

int32_t RampGapOf(const CTimecodeConverter& converter) {
  const int32_t fps = TimecodeText::FramesPerLabelSecond(converter);
  const double unitsPerSecond = UnitsPerLabelSecond(converter);
  return unitsPerSecond > 0 && fps > 0 ? static_cast<int32_t>(std::ceil(unitsPerSecond / fps)) : 1;
}

// The lane of a channel: its value axis, ticks and curve.
PlotLane LaneOf(const PlotChannel& channel, const LaneEvents& collected, int32_t from, int32_t to,
                int32_t rampGap, int32_t columns, int32_t valueTicks) {
  PlotLane lane;
  lane.channel = channel;
  lane.title = LaneTitle(channel);
  lane.events = static_cast<int64_t>(collected.events.size());
  const auto range =
      presentation::FindValueRange(CConsoleConfiguration::GetConsoleType(), channel.proc, channel.control);
  if (range) {
    lane.lowest = range->lowest;
    lane.highest = range->highest;
  } else {
    int32_t lo = collected.start.value_or(collected.events.empty() ? 0 : collected.events.front().value);
    int32_t hi = lo;
    for (const TimedValue& e : collected.events) lo = std::min(lo, e.value), hi = std::max(hi, e.value);
    lane.lowest = lo;
    lane.highest = hi;
  }
  if (lane.highest == lane.lowest) lane.highest = lane.lowest + 1;
  lane.isSwitch = range && range->highest - range->lowest == 1;
  if (lane.isSwitch) {
    lane.onValue = ValueText(channel.proc, channel.control, lane.lowest) == "On" ? lane.lowest : lane.highest;
    lane.ticks = {{lane.lowest, ValueText(channel.proc, channel.control, lane.lowest)},
                  {lane.highest, ValueText(channel.proc, channel.control, lane.highest)}};
  } else {
    lane.ticks = ValueTicksOf(channel.proc, channel.control, lane.lowest, lane.highest, valueTicks);
  }
  lane.segments = CurveOf(collected.events, collected.start, from, to, rampGap, columns);
  return lane;
}

}  // namespace

double UnitsPerLabelSecond(const CTimecodeConverter& converter) {
  CTimecodeConverter copy = converter;
  copy.TimeFromFrames(TimecodeText::FramesPerLabelSecond(converter));
  return copy.HasResult() ? copy.GetExactTime() : 0;
}

std::string LaneTitle(const PlotChannel& channel) {
  const std::string name = platform::Windows1252ToUtf8(
      CTemplateSnapAutoEvent(static_cast<uint8_t>(channel.proc), static_cast<uint8_t>(channel.control), 0)
          .GetEventName());
  const std::string numbers = std::to_string(channel.proc) + ":" + std::to_string(channel.control);
  const bool named = !name.empty() && name != "Unknown Event";
  return "Path " + std::to_string(channel.path) + "  " +
         (named ? name + " (" + numbers + ")" : "Proc " + std::to_string(channel.proc) + " Control " +
                                                   std::to_string(channel.control));
}

std::vector<LaneSegment> CurveOf(const std::vector<TimedValue>& events, std::optional<int32_t> start, int32_t from,
                                 int32_t to, int32_t rampGap, int32_t columns) {
  std::vector<LaneSegment> out;
  const int64_t length = std::max<int64_t>(1, static_cast<int64_t>(to) - from);
  const int64_t count = std::max<int32_t>(1, columns);
  const auto column = [&](int32_t t) { return (static_cast<int64_t>(t) - from) * count / length; };
  const auto columnStart = [&](int64_t c) { return static_cast<int32_t>(from + (c * length + count - 1) / count); };
  bool known = start.has_value();
  int32_t value = start.value_or(0);
  int32_t holdStart = from;
  std::optional<int32_t> lastEvent;
  const auto hold = [&](int32_t until) {
    if (known && until > holdStart) out.push_back({LaneSegment::kHold, holdStart, until, value, value});
  };
  const auto event = [&](const TimedValue& e) {
    if (!known) {
      known = true, value = e.value, holdStart = e.time, lastEvent = e.time;
      return;
    }
    if (e.value != value) {
      if (lastEvent && e.time > *lastEvent && e.time - *lastEvent <= rampGap) {
        hold(*lastEvent);
        out.push_back({LaneSegment::kRamp, *lastEvent, e.time, value, e.value});
      } else {
        hold(e.time);
        out.push_back({LaneSegment::kStep, e.time, e.time, value, e.value});
      }
      value = e.value;
      holdStart = e.time;
    }
    lastEvent = e.time;
  };
  for (size_t i = 0; i < events.size();) {
    const int64_t c = column(events[i].time);
    size_t j = i;
    while (j < events.size() && column(events[j].time) == c) ++j;
    if (j - i < 3) {
      for (; i < j; ++i) event(events[i]);
      continue;
    }
    int32_t lo = known ? value : events[i].value, hi = lo;
    for (size_t k = i; k < j; ++k) lo = std::min(lo, events[k].value), hi = std::max(hi, events[k].value);
    const int32_t spanStart = std::max(columnStart(c), known ? holdStart : events[i].time);
    hold(spanStart);
    const int32_t spanEnd = std::min(columnStart(c + 1), to);
    out.push_back({LaneSegment::kSpan, spanStart, spanEnd, lo, hi});
    known = true, value = events[j - 1].value, holdStart = spanEnd, lastEvent.reset();
    i = j;
  }
  hold(to);
  return out;
}

std::vector<ValueTick> ValueTicksOf(int32_t proc, int32_t control, int32_t lowest, int32_t highest, int32_t count) {
  std::vector<ValueTick> ticks;
  const auto add = [&](int32_t value) {
    std::string label = ValueText(proc, control, value);
    for (const ValueTick& t : ticks) {
      if (t.label == label) return;
    }
    ticks.push_back({value, std::move(label)});
  };
  const int64_t span = static_cast<int64_t>(highest) - lowest;
  if (span + 1 <= count) {
    for (int32_t v = lowest; v <= highest; ++v) add(v);
    return ticks;
  }
  count = std::max(count, 2);
  const double spacing = static_cast<double>(span) / (count - 1);
  for (int32_t k = 0; k < count; ++k) {
    const double target = lowest + spacing * k;
    // The ends are the range's own; between them, the roundest value within a third of the
    // spacing, the nearest among equals.
    const int64_t reach = k == 0 || k == count - 1 ? 0 : static_cast<int64_t>(spacing / 3);
    const int64_t lo = std::max<int64_t>(lowest, std::llround(target) - reach);
    const int64_t hi = std::min<int64_t>(highest, std::llround(target) + reach);
    const int64_t stride = std::max<int64_t>(1, (hi - lo) / 2000);
    int64_t best = std::llround(target);
    int32_t bestRank = Roundness(ValueText(proc, control, static_cast<int32_t>(best)));
    for (int64_t v = lo; v <= hi; v += stride) {
      const int32_t rank = Roundness(ValueText(proc, control, static_cast<int32_t>(v)));
      if (rank < bestRank || (rank == bestRank && std::llabs(v - std::llround(target)) <
                                                      std::llabs(best - std::llround(target)))) {
        best = v, bestRank = rank;
      }
    }
    add(static_cast<int32_t>(best));
  }
  std::sort(ticks.begin(), ticks.end(), [](const ValueTick& a, const ValueTick& b) { return a.value < b.value; });
  return ticks;
}

std::vector<TimeTick> TimeTicksOf(int32_t from, int32_t to, int32_t columns, double labelWidth,
                                  const CTimecodeConverter& converter) {
  const double unitsPerSecond = UnitsPerLabelSecond(converter);
  const int32_t fps = TimecodeText::FramesPerLabelSecond(converter);
  if (unitsPerSecond <= 0 || fps <= 0 || to <= from) return {};
  std::vector<double> steps;  // seconds
  for (const int32_t frames : {1, 2, 5, 10}) steps.push_back(static_cast<double>(frames) / fps);
  for (const double s : {1, 2, 5, 10, 15, 30, 60, 120, 300, 600, 900, 1800, 3600, 7200, 21600, 43200, 86400}) {
    steps.push_back(s);
  }
  const double fitting = std::max(1.0, columns / std::max(1.0, labelWidth));
  double step = steps.back() * unitsPerSecond;
  for (const double s : steps) {
    if ((to - from) / (s * unitsPerSecond) <= fitting) {
      step = s * unitsPerSecond;
      break;
    }
  }
  std::vector<TimeTick> ticks;
  for (int64_t k = static_cast<int64_t>(std::ceil(from / step)); k * step < to; ++k) {
    const int32_t units = static_cast<int32_t>(std::llround(k * step));
    if (units < from || units >= to) continue;
    std::string label = TimecodeText::TextFromTime(converter, units);
    if (!ticks.empty() && ticks.back().label == label) continue;
    ticks.push_back({units, std::move(label)});
  }
  return ticks;
}

PlotModel BuildPlot(const CAutomationEventArray& events, const PlotRequest& request,
                    const CTimecodeConverter& converter) {
  PlotModel model;
  const int32_t size = events.GetSize();
  model.from = request.from.value_or(size ? events[0].Time : 0);
  model.to = request.to.value_or(size && events[size - 1].Time < INT32_MAX ? events[size - 1].Time + 1 : model.from + 1);
  if (model.to <= model.from) model.to = model.from + 1;
  std::unordered_map<int32_t, int32_t> pathOrder;
  for (const int32_t path : request.paths) pathOrder.emplace(path, static_cast<int32_t>(pathOrder.size()));
  std::vector<bool> controls(65536, request.controls.empty());
  size_t controlCount = 0;
  for (const int32_t pc : request.controls) {
    if (!controls[pc & 0xFFFF]) controls[pc & 0xFFFF] = true, ++controlCount;
  }
  const auto wanted = [&](int32_t path, int32_t proc, int32_t control) {
    return controls[(proc << 8 | control) & 0xFFFF] && (pathOrder.empty() || pathOrder.count(path));
  };
  std::map<uint64_t, LaneEvents> collected;
  const size_t channels = request.paths.empty() ? 0 : pathOrder.size() * controlCount;
  model.eventsRead = Collect(events, model.from, model.to, wanted, channels, collected);
  const int32_t rampGap = RampGapOf(converter);
  for (const auto& [key, lane] : collected) {
    model.lanes.push_back(
        LaneOf(ChannelOfKey(key), lane, model.from, model.to, rampGap, request.columns, request.valueTicks));
  }
  for (const int32_t path : request.paths) {
    const bool hasLane = std::any_of(model.lanes.begin(), model.lanes.end(),
                                     [path](const PlotLane& l) { return l.channel.path == path; });
    if (hasLane) continue;
    PlotLane placeholder;
    placeholder.channel.path = path;
    placeholder.placeholder = true;
    placeholder.title = "Path " + std::to_string(path);
    model.lanes.push_back(placeholder);
  }
  const auto order = [&](const PlotLane& lane) {
    const auto found = pathOrder.find(lane.channel.path);
    return std::make_tuple(found == pathOrder.end() ? lane.channel.path : found->second, lane.placeholder,
                           lane.channel.proc, lane.channel.control);
  };
  std::stable_sort(model.lanes.begin(), model.lanes.end(),
                   [&](const PlotLane& a, const PlotLane& b) { return order(a) < order(b); });
  model.timeTicks = TimeTicksOf(model.from, model.to, request.columns, request.timeLabelWidth, converter);
  return model;
}

PlotModel BuildComparison(const CAutomationEventArray& before, const CAutomationEventArray& after,
                          const std::vector<PlotChannel>& channels, int32_t from, int32_t to, int32_t columns,
                          const CTimecodeConverter& converter) {
  PlotModel model;
  model.from = from;
  model.to = std::max(to, from + 1);
  std::unordered_map<uint64_t, bool> chosen;
  for (const PlotChannel& c : channels) chosen[KeyOf(c.path, c.proc, c.control)] = true;
  const auto wanted = [&](int32_t path, int32_t proc, int32_t control) {
    return chosen.count(KeyOf(path, proc, control)) != 0;
  };
  std::map<uint64_t, LaneEvents> old, now;
  model.eventsRead = Collect(before, model.from, model.to, wanted, chosen.size(), old) +
                     Collect(after, model.from, model.to, wanted, chosen.size(), now);
  const int32_t rampGap = RampGapOf(converter);
  for (const PlotChannel& c : channels) {
    const uint64_t key = KeyOf(c.path, c.proc, c.control);
    PlotLane lane = LaneOf(c, now[key], model.from, model.to, rampGap, columns, 5);
    const LaneEvents& earlier = old[key];
    lane.before = CurveOf(earlier.events, earlier.start, model.from, model.to, rampGap, columns);
    model.lanes.push_back(std::move(lane));
  }
  model.timeTicks = TimeTicksOf(model.from, model.to, columns, 90, converter);
  return model;
}

}  // namespace mixauto
