#include "pictures/PlotLayout.h"

#include <algorithm>
#include <cstdio>

namespace mixauto {

namespace {

constexpr double kLeft = 100;        // value labels
constexpr double kRight = 24;
constexpr double kTop = 58;          // title and subtitle
constexpr double kLaneHeader = 22;   // the lane's title above its curve
constexpr double kLaneGap = 12;
constexpr double kAxis = 36;         // time labels
constexpr double kTickFont = 10;
constexpr double kTimeFont = 11;

constexpr Colour kGrid{230, 230, 230};
constexpr Colour kFrame{190, 190, 190};
constexpr Colour kCurve{31, 95, 191};
constexpr Colour kBefore{150, 150, 150};
constexpr Colour kBand{46, 139, 87};
constexpr Colour kMarker{210, 105, 30};

struct Frame {
  double left = 0, right = 0, top = 0, bottom = 0;  // the curve's area
  int32_t from = 0, to = 1;
  int32_t lowest = 0, highest = 1;
  double X(int64_t t) const { return left + (right - left) * static_cast<double>(t - from) / (to - from); }
  double Y(int32_t v) const {
    return bottom - (bottom - top) * static_cast<double>(v - lowest) / (highest - lowest);
  }
};

std::string Grouped(int64_t n) {
  std::string digits = std::to_string(n < 0 ? -n : n), out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return (n < 0 ? "-" : "") + out;
}

// The curve as polylines (holds, steps and ramps that join) and rectangles (spans).
void AddCurve(Scene& scene, const Frame& f, const std::vector<LaneSegment>& segments, Colour colour,
              const std::string& role) {
  std::vector<Point> line;
  const auto flush = [&] {
    if (line.size() >= 2) scene.AddPolyline(line, colour, role == "curve" ? 1.6 : 1.2, role);
    line.clear();
  };
  const auto to = [&](Point a, Point b) {
    if (line.empty() || !(line.back() == a)) {
      flush();
      line.push_back(a);
    }
    line.push_back(b);
  };
  for (const LaneSegment& s : segments) {
    switch (s.kind) {
      case LaneSegment::kHold: to({f.X(s.t0), f.Y(s.v0)}, {f.X(s.t1), f.Y(s.v0)}); break;
      case LaneSegment::kStep: to({f.X(s.t0), f.Y(s.v0)}, {f.X(s.t0), f.Y(s.v1)}); break;
      case LaneSegment::kRamp: to({f.X(s.t0), f.Y(s.v0)}, {f.X(s.t1), f.Y(s.v1)}); break;
      case LaneSegment::kSpan: {
        flush();
        const double x0 = f.X(s.t0), x1 = std::max(f.X(s.t1), x0 + 1);
        scene.AddRect(x0, f.Y(s.v1), x1, std::max(f.Y(s.v0), f.Y(s.v1) + 1.5), colour, role + "-span");
        break;
      }
    }
  }
  flush();
}

// A switch: the time it is on, as bands (a span that may hold both, half strength).
void AddBands(Scene& scene, const Frame& f, const std::vector<LaneSegment>& segments, int32_t onValue, Colour colour,
              double top, double bottom, const std::string& role) {
  for (const LaneSegment& s : segments) {
    if (s.kind == LaneSegment::kStep) continue;
    const bool span = s.kind == LaneSegment::kSpan;
    if (!span && s.v0 != onValue) continue;
    Colour fill = colour;
    fill.alpha = span ? 0.35 : 1.0;
    scene.AddRect(f.X(s.t0), top, std::max(f.X(s.t1), f.X(s.t0) + 1), bottom, fill, role);
  }
}

// Value ticks from the ends inwards, each label at least a line from those kept.
void AddValueTicks(Scene& scene, const Frame& f, const std::vector<ValueTick>& ticks) {
  std::vector<double> kept;
  std::vector<size_t> order;
  if (!ticks.empty()) order = {0, ticks.size() - 1};
  for (size_t i = 1; i + 1 < ticks.size(); ++i) order.push_back(i);
  for (const size_t i : order) {
    const double y = f.Y(ticks[i].value);
    const bool clear = std::all_of(kept.begin(), kept.end(), [y](double k) { return std::abs(k - y) >= kTickFont + 2; });
    if (!clear) continue;
    kept.push_back(y);
    scene.AddLine({f.left, y}, {f.right, y}, kGrid, 1, "value-grid");
    scene.AddText({f.left - 6, y + kTickFont * 0.35}, ticks[i].label, kTickFont, Shape::kEnd, kMutedInk, "tick-label");
  }
}

void AddLane(Scene& scene, const PlotModel& model, const PlotLane& lane, double top, const PlotStyle& style) {
  Frame f;
  f.left = kLeft, f.right = style.width - kRight;
  f.top = top + kLaneHeader, f.bottom = f.top + style.laneHeight;
  f.from = model.from, f.to = model.to;
  f.lowest = lane.lowest, f.highest = lane.highest;
  scene.AddText({f.left, top + 15}, lane.title, 12, Shape::kStart, kInk, "lane-title", true);
  const bool empty = lane.placeholder || lane.events == 0;
  scene.AddText({f.right, top + 15},
                empty ? "no events in this range" : Grouped(lane.events) + (lane.events == 1 ? " event" : " events"),
                11, Shape::kEnd, empty ? kMarker : kMutedInk, empty ? "no-events" : "lane-info");
  scene.AddRect(f.left, f.top, f.right, f.bottom, Colour{252, 252, 252}, "lane", &kFrame);
  for (const TimeTick& t : model.timeTicks) scene.AddLine({f.X(t.units), f.top}, {f.X(t.units), f.bottom}, kGrid, 1, "time-grid");
  if (lane.placeholder) return;
  if (lane.isSwitch) {
    // The band of the time it is on, labelled with the on text; the off text at the foot.
    const double mid = (f.top + f.bottom) / 2, bandBottom = lane.before.empty() ? f.bottom - 18 : mid - 2;
    const int32_t offValue = lane.onValue == lane.lowest ? lane.highest : lane.lowest;
    for (const ValueTick& tick : lane.ticks) {
      const double y = tick.value == lane.onValue ? (f.top + 6 + bandBottom) / 2 : f.bottom - 6;
      if (tick.value == lane.onValue || tick.value == offValue) {
        scene.AddText({f.left - 6, y + kTickFont * 0.35}, tick.label, kTickFont, Shape::kEnd, kMutedInk, "tick-label");
      }
    }
    AddBands(scene, f, lane.before, lane.onValue, kBefore, mid + 4, f.bottom - 4, "band-before");
    AddBands(scene, f, lane.segments, lane.onValue, kBand, f.top + 6, bandBottom, "band");
  } else {
    AddValueTicks(scene, f, lane.ticks);
    AddCurve(scene, f, lane.before, kBefore, "curve-before");
    AddCurve(scene, f, lane.segments, kCurve, "curve");
  }
}

}  // namespace

int32_t PlotColumns(double width) { return std::max(1, static_cast<int32_t>(width - kLeft - kRight)); }

double TimeLabelColumns() { return EstimatedTextWidth("00:00:00 00", kTimeFont) + 28; }

Scene LayoutPlot(const PlotModel& model, const PlotStyle& style) {
  Scene scene;
  scene.width = style.width;
  const double laneSpan = kLaneHeader + style.laneHeight + kLaneGap;
  scene.height = kTop + laneSpan * static_cast<double>(model.lanes.size()) + kAxis;
  if (!style.title.empty()) scene.AddText({kLeft, 24}, style.title, 15, Shape::kStart, kInk, "title", true);
  if (!style.subtitle.empty()) scene.AddText({kLeft, 44}, style.subtitle, 11, Shape::kStart, kMutedInk, "subtitle");
  for (size_t i = 0; i < model.lanes.size(); ++i) {
    AddLane(scene, model, model.lanes[i], kTop + laneSpan * static_cast<double>(i), style);
  }
  Frame axis;
  axis.left = kLeft, axis.right = style.width - kRight, axis.from = model.from, axis.to = model.to;
  const double lanesTop = kTop + kLaneHeader, lanesBottom = scene.height - kAxis - kLaneGap;
  for (const int32_t t : model.markers) {
    if (t < model.from || t > model.to) continue;
    scene.AddLine({axis.X(t), lanesTop}, {axis.X(t), lanesBottom}, kMarker, 1.2, "stretch-boundary", true);
  }
  double lastRight = -1e9;
  for (const TimeTick& t : model.timeTicks) {
    const double x = axis.X(t.units), half = EstimatedTextWidth(t.label, kTimeFont) / 2;
    if (x - half < lastRight + 8 || x + half > style.width) continue;
    lastRight = x + half;
    scene.AddLine({x, lanesBottom}, {x, lanesBottom + 5}, kMutedInk, 1, "time-tick");
    scene.AddText({x, lanesBottom + 18}, t.label, kTimeFont, Shape::kMiddle, kInk, "time-label");
  }
  return scene;
}

}  // namespace mixauto
