#include "pictures/ConformPage.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include "TimeArgument.h"
#include "commonobjects/console/ConsoleConfiguration.h"
#include "commonobjects/presentation/ValueTables.h"
#include "pictures/PlotLayout.h"
#include "pictures/SvgWriter.h"

namespace mixauto {

namespace {

constexpr double kPageWidth = 1200;
constexpr int32_t kSamples = 512;

constexpr Colour kPalette[] = {{31, 95, 191},  {46, 139, 87},  {142, 68, 173}, {211, 84, 0},
                               {22, 160, 133}, {127, 140, 141}, {41, 128, 185}, {192, 57, 43}};
constexpr Colour kRemoved{192, 57, 43};
constexpr Colour kInserted{200, 200, 200};

// A channel's events in time order and the value it held before the first.
struct Played {
  int32_t initial = 0;
  std::vector<TimedValue> events;
  int32_t At(int32_t t) const {
    const auto after = std::upper_bound(events.begin(), events.end(), t,
                                        [](int32_t time, const TimedValue& e) { return time < e.time; });
    return after == events.begin() ? initial : std::prev(after)->value;
  }
};

std::map<PlotChannel, Played> ChannelsOf(const CAutomationEventArray& events) {
  std::map<PlotChannel, Played> channels;
  for (const CAutomationEvent& e : events) {
    Played& played = channels[{e.Path, e.Proc, e.Control}];
    if (played.events.empty()) played.initial = e.OldValue;
    played.events.push_back({e.Time, e.Value});
  }
  return channels;
}

int32_t EndOf(const CAutomationEventArray& events) {
  const int32_t n = events.GetSize();
  return n && events[n - 1].Time < INT32_MAX ? events[n - 1].Time + 1 : 0;
}

double RangeOf(const PlotChannel& c) {
  const auto range =
      commonobjects::presentation::FindValueRange(CConsoleConfiguration::GetConsoleType(), c.proc, c.control);
  return range ? std::max(1, range->highest - range->lowest) : 65535.0;
}

std::string Cell(const std::string& text) { return "<td>" + EscapedForXml(text) + "</td>"; }

std::string StretchRows(const ConformReport& report, const CTimecodeConverter& converter) {
  const std::vector<ConformStretch>& stretches = report.stretches;
  const auto range = [&](int32_t start, int32_t length) {
    return start < 0 ? std::string("-") : FormatTime(converter, start) + " to " +
                                               FormatTime(converter, static_cast<int32_t>(std::min<int64_t>(
                                                                         int64_t{start} + length, INT32_MAX)));
  };
  std::string rows;
  for (size_t i = 0; i < stretches.size(); ++i) {
    const ConformStretch& s = stretches[i];
    const bool placed = s.kind == ConformStretch::kKept || s.kind == ConformStretch::kMoved;
    rows += "<tr class=\"" + std::string(StretchKindName(s.kind)) + "\">" + Cell(std::to_string(i + 1)) +
            Cell(StretchKindName(s.kind)) + Cell(range(s.oldStart, s.length)) + Cell(range(s.newStart, s.length)) +
            Cell(FormatTime(converter, s.length)) +
            Cell(placed && SourceOfStretch(s, report.sources) ? SourceOfStretch(s, report.sources)->name : "-") +
            "</tr>\n";
  }
  return rows;
}

std::string CurvesSection(const ConformReport& report, const CAutomationEventArray& before,
                          const CAutomationEventArray& after, const CTimecodeConverter& converter) {
  const int32_t end = std::max(EndOf(before), EndOf(after));
  const std::vector<PlotChannel> channels = ChannelsThatChangedMost(before, after, end, 4);
  if (channels.empty()) return "<p class=\"note\">No channel plays differently after the conform.</p>\n";
  PlotModel model = BuildComparison(before, after, channels, 0, std::max(end, 1), PlotColumns(kPageWidth), converter);
  std::set<int32_t> marks;
  for (const ConformStretch& s : report.stretches) {
    if (s.newStart < 0) continue;
    marks.insert(s.newStart);
    marks.insert(static_cast<int32_t>(std::min<int64_t>(int64_t{s.newStart} + s.length, INT32_MAX)));
  }
  model.markers.assign(marks.begin(), marks.end());
  PlotStyle style;
  style.width = kPageWidth;
  style.title = "Before (grey) and after (blue)";
  style.subtitle = "Dashed lines: where the stretches begin and end in the new cut";
  return SvgOfScene(LayoutPlot(model, style), "curves") + "\n";
}

const char kStyle[] =
    "body{font-family:'DejaVu Sans',sans-serif;margin:24px;color:#222;max-width:1240px}"
    "h1{font-size:20px}h2{font-size:16px;margin-top:28px}"
    "table{border-collapse:collapse;font-size:13px}th,td{border:1px solid #ccc;padding:3px 8px;text-align:left}"
    "th{background:#f2f2f2}tr.removed td{color:#c0392b}tr.inserted td{color:#777}"
    "p.summary{font-size:13px;line-height:1.6}p.note{color:#777}svg{display:block;margin:8px 0}";

}  // namespace

std::vector<PlotChannel> ChannelsThatChangedMost(const CAutomationEventArray& before, const CAutomationEventArray& after,
                                                 int32_t end, size_t count) {
  const std::map<PlotChannel, Played> old = ChannelsOf(before), now = ChannelsOf(after);
  std::set<PlotChannel> all;
  for (const auto& [c, p] : old) all.insert(c);
  for (const auto& [c, p] : now) all.insert(c);
  const Played none;
  std::vector<std::pair<double, PlotChannel>> scored;
  for (const PlotChannel& c : all) {
    const auto a = old.find(c), b = now.find(c);
    const Played& x = a == old.end() ? none : a->second;
    const Played& y = b == now.end() ? none : b->second;
    double score = 0;
    for (int32_t k = 0; k < kSamples; ++k) {
      const auto t = static_cast<int32_t>(static_cast<int64_t>(end) * k / kSamples);
      score += std::abs(x.At(t) - y.At(t));
    }
    if (score > 0) scored.push_back({score / RangeOf(c), c});
  }
  std::stable_sort(scored.begin(), scored.end(), [](const auto& p, const auto& q) { return p.first > q.first; });
  std::vector<PlotChannel> chosen;
  for (size_t i = 0; i < scored.size() && i < count; ++i) chosen.push_back(scored[i].second);
  return chosen;
}

Scene TimelineScene(const std::vector<ConformStretch>& stretches, const CTimecodeConverter& converter, double width) {
  Scene scene;
  scene.width = width;
  scene.height = 230;
  constexpr double kLeft = 90, kRight = 20, kOldTop = 34, kBar = 30, kNewTop = 150;
  int64_t end = 1;
  for (const ConformStretch& s : stretches) {
    if (s.oldStart >= 0) end = std::max(end, int64_t{s.oldStart} + s.length);
    if (s.newStart >= 0) end = std::max(end, int64_t{s.newStart} + s.length);
  }
  const auto x = [&](int64_t t) { return kLeft + (width - kLeft - kRight) * static_cast<double>(t) / end; };
  scene.AddText({kLeft - 10, kOldTop + 20}, "old cut", 12, Shape::kEnd, kInk, "cut-label", true);
  scene.AddText({kLeft - 10, kNewTop + 20}, "new cut", 12, Shape::kEnd, kInk, "cut-label", true);
  for (size_t i = 0; i < stretches.size(); ++i) {
    const ConformStretch& s = stretches[i];
    const std::string kind = StretchKindName(s.kind);
    const Colour colour = s.kind == ConformStretch::kRemoved    ? kRemoved
                          : s.kind == ConformStretch::kInserted ? kInserted
                                                                : kPalette[i % std::size(kPalette)];
    const auto bar = [&](int32_t start, double top, const std::string& which) {
      const double x0 = x(start), x1 = std::max(x(int64_t{start} + s.length), x0 + 1);
      scene.AddRect(x0, top, x1, top + kBar, colour, "stretch-" + which + " " + kind);
      if (x1 - x0 >= 18) {
        scene.AddText({(x0 + x1) / 2, top + 20}, std::to_string(i + 1), 11, Shape::kMiddle, Colour{255, 255, 255},
                      "stretch-number", true);
      }
    };
    if (s.oldStart >= 0) bar(s.oldStart, kOldTop, "old");
    if (s.newStart >= 0) bar(s.newStart, kNewTop, "new");
    if (s.oldStart >= 0 && s.newStart >= 0) {
      Colour faint = colour;
      faint.alpha = 0.25;
      scene.AddPolygon({{x(s.oldStart), kOldTop + kBar}, {x(int64_t{s.oldStart} + s.length), kOldTop + kBar},
                        {x(int64_t{s.newStart} + s.length), kNewTop}, {x(s.newStart), kNewTop}},
                       faint, "join " + kind);
    }
  }
  const double columns = width - kLeft - kRight;
  for (const TimeTick& t : TimeTicksOf(0, static_cast<int32_t>(std::min<int64_t>(end, INT32_MAX)),
                                       static_cast<int32_t>(columns), TimeLabelColumns(), converter)) {
    for (const double top : {kOldTop + kBar, kNewTop + kBar}) {
      scene.AddLine({x(t.units), top}, {x(t.units), top + 4}, kMutedInk, 1, "time-tick");
      scene.AddText({x(t.units), top + 16}, t.label, 10, Shape::kMiddle, kMutedInk, "time-label");
    }
  }
  return scene;
}

std::string ConformPageHtml(const ConformReport& report, const CAutomationEventArray& before,
                            const CAutomationEventArray& after, const CTimecodeConverter& converter) {
  std::string sources;
  for (const SourceMix& s : report.sources) {
    sources += (sources.empty() ? "" : ", ") + EscapedForXml(s.name) + (s.own ? " (the mix's own file)" : "");
  }
  std::string page =
      "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
      "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; style-src 'unsafe-inline'; "
      "script-src 'unsafe-inline'\">\n<title>" +
      EscapedForXml(report.title) + "</title>\n<style>" + kStyle + "</style>\n</head>\n<body>\n<h1>" +
      EscapedForXml(report.title) + "</h1>\n<p class=\"summary\">Status " + std::to_string(report.status) + ": " +
      EscapedForXml(ConformStatusText(report.status)) + "<br>" + EscapedForXml(report.pathNote) +
      "<br>Events: " + std::to_string(report.eventsBefore) + " before, " + std::to_string(report.eventsAfter) +
      " after<br>Source mixes: " + sources + "</p>\n";
  page += "<h2>Stretches</h2>\n<table id=\"stretches\">\n<thead><tr><th>#</th><th>Kind</th><th>Old range</th>"
          "<th>New range</th><th>Length</th><th>Source mix</th></tr></thead>\n<tbody>\n" +
          StretchRows(report, converter) + "</tbody>\n</table>\n";
  page += "<h2>Old and new picture</h2>\n" +
          SvgOfScene(TimelineScene(report.stretches, converter, kPageWidth), "timeline") + "\n";
  page += "<h2>Channels that changed most</h2>\n" + CurvesSection(report, before, after, converter);
  page += "<script>document.documentElement.dataset.loaded = 'yes';</script>\n</body>\n</html>\n";
  return page;
}

}  // namespace mixauto
