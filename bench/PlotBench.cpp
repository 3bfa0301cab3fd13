// mixauto plot at the size of a long feature mix: 10 million events over 256 paths, a quarter
// of the paths moving at every frame in turn (each path an event every 16 units, about six a
// second; every 64th event of a path is a mute toggle, the rest fader moves) over 1 h 44 min.
// The plot is the command's own: paths 0-7, fader level (14:0) and mute (14:2), one hour in
// the middle of the mix, 1400 pixels wide, into a PNG. Goal: under 1 s, reading only the
// events in range (and the few before it that give the values held at its start).
//
// BM_PlotHour is model, layout and PNG from the mix in memory (/1: every control of the
// paths, the command's default); BM_PlotHourFromFile adds loading the saved mix as the
// command does (/0 structured, /1 compressed); the Model, Layout and Render benchmarks time
// each part alone. Counters: events_in_range (all paths), events_shown (the lanes'),
// events_read (PlotModel::eventsRead), lanes, and peak_extra_MB, the process's peak resident
// memory during the iterations above what it held before them. Files go to the temporary
// folder. Run with --benchmark_filter=Plot.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "BenchConsole.h"
#include "EventFileJob.h"
#include "commonobjects/package/AutomationPackage.h"
#include "commonobjects/presentation/ValueTables.h"
#include "pictures/CairoRender.h"
#include "pictures/PlotLayout.h"
#include "pictures/PlotModel.h"

namespace {

using namespace mixauto;

constexpr int32_t kEvents = 10'000'000;
constexpr int32_t kPaths = 256;
constexpr int32_t kMovingPerFrame = 64;  // the paths with an event at each frame, in turn
constexpr int32_t kUnitsPerFrame = 4;
constexpr int32_t kMuteEvery = 64;       // every 64th event of a path toggles its mute
constexpr uint8_t kFaderProc = 14, kFaderLevel = 0, kFaderMute = 2;
constexpr int32_t kMixUnits = kEvents / kMovingPerFrame * kUnitsPerFrame;  // 625,000: 1 h 44 min
constexpr double kWidth = 1400;

std::string BenchPath(const std::string& name) {
  return (std::filesystem::temp_directory_path() / ("co-bench-plot-" + name)).string();
}

// The peak resident memory since the last ResetPeak, and the resident memory now, in bytes
// (Linux: VmHWM and VmRSS).
void ResetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }
double StatusBytes(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field, 0) == 0) return std::stod(line.substr(std::string(field).size())) * 1024.0;
  }
  return 0;
}

// Measures the peak resident memory of a benchmark's iterations above what the process held
// when it was made.
class PeakMemory {
 public:
  PeakMemory() {
    ResetPeak();
    before_ = StatusBytes("VmRSS:");
  }
  void Report(benchmark::State& state) const {
    state.counters["peak_extra_MB"] = std::max(0.0, StatusBytes("VmHWM:") - before_) / 1e6;
  }

 private:
  double before_ = 0;
};

// The mix: fader moves (each path a triangle wave of its own speed across the fader's range)
// and, every kMuteEvery events of a path, its mute switching; old values are the channel's
// previous ones, as a recording leaves them.
void FillMix(CAutomationEventArray& mix) {
  namespace presentation = commonobjects::presentation;
  const auto fader = presentation::FindValueRange(3, kFaderProc, kFaderLevel).value_or(presentation::ValueRange{0, 1023});
  const auto mute = presentation::FindValueRange(3, kFaderProc, kFaderMute).value_or(presentation::ValueRange{0, 1});
  const int32_t span = fader.highest - fader.lowest;
  std::vector<int32_t> moves(kPaths, 0), level(kPaths, fader.lowest);
  std::vector<int16_t> muted(kPaths, mute.lowest);
  mix.SetSize(kEvents);
  CAutomationEvent* e = mix.GetData();
  for (int32_t i = 0; i < kEvents; ++i) {
    const int32_t frame = i / kMovingPerFrame;
    const int32_t path = (frame % (kPaths / kMovingPerFrame)) * kMovingPerFrame + i % kMovingPerFrame;
    const int32_t n = moves[static_cast<size_t>(path)]++;
    e[i] = CAutomationEvent();
    e[i].Time = frame * kUnitsPerFrame;
    e[i].Path = path;
    e[i].Proc = kFaderProc;
    if (n % kMuteEvery == kMuteEvery - 1) {
      int16_t& m = muted[static_cast<size_t>(path)];
      e[i].Control = kFaderMute;
      e[i].OldValue = m;
      m = m == mute.lowest ? mute.highest : mute.lowest;
      e[i].Value = m;
      continue;
    }
    const int32_t phase = n * (1 + path % 7) % (2 * span);
    int32_t& v = level[static_cast<size_t>(path)];
    e[i].Control = kFaderLevel;
    e[i].OldValue = static_cast<int16_t>(v);
    v = fader.lowest + (phase < span ? phase : 2 * span - phase);
    e[i].Value = static_cast<int16_t>(v);
  }
}

// The mix in memory, built once.
const CAutomationEventArray& Mix() {
  static const auto mix = [] {
    const BenchConsole console;
    auto m = std::make_unique<CAutomationEventArray>();
    FillMix(*m);
    return m;
  }();
  return *mix;
}

// The mix saved in one form (0 structured, 1 compressed), unless it already is; the file's
// native path.
std::string SavedMix(int compressed) {
  const std::string path = BenchPath(compressed != 0 ? "mix.cmx" : "mix.mix");
  if (!std::filesystem::exists(path)) {
    const BenchConsole console;
    CAutomationPackage mix;
    mix.SetNotifyOnDestruction(false);
    FillMix(mix);
    for (int32_t p = 0; p < kPaths; ++p) mix.Filter.Paths.Add(p);
    mix.SetFileName(path);
    if (mix.Save(compressed) == 0) std::abort();
  }
  return path;
}

// One hour in the middle of the mix, in the converter's units.
struct Hour {
  int32_t from = 0, to = 0;
};
Hour MiddleHour(const CTimecodeConverter& converter) {
  const auto hour = static_cast<int32_t>(UnitsPerLabelSecond(converter) * 3600);
  const int32_t from = (kMixUnits - hour) / 2 / kUnitsPerFrame * kUnitsPerFrame;
  return {from, from + hour};
}

// The command's request: paths 0-7 with fader level and mute, or (`every`) every control.
PlotRequest HourRequest(const CTimecodeConverter& converter, bool every) {
  PlotRequest request;
  for (int32_t p = 0; p < 8; ++p) request.paths.push_back(p);
  if (!every) request.controls = {kFaderProc << 8 | kFaderLevel, kFaderProc << 8 | kFaderMute};
  const Hour hour = MiddleHour(converter);
  request.from = hour.from;
  request.to = hour.to;
  request.columns = PlotColumns(kWidth);
  request.timeLabelWidth = TimeLabelColumns();
  return request;
}

PlotStyle HourStyle(const PlotModel& model) {
  PlotStyle style;
  style.width = kWidth;
  style.title = "bench mix";
  style.subtitle = std::to_string(model.from) + " to " + std::to_string(model.to);
  return style;
}

int64_t EventsIn(const CAutomationEventArray& events, int32_t from, int32_t to) {
  const auto byTime = [](const CAutomationEvent& e, int32_t t) { return e.Time < t; };
  const CAutomationEvent* begin = events.GetData();
  const CAutomationEvent* end = begin + events.GetSize();
  return std::lower_bound(begin, end, to, byTime) - std::lower_bound(begin, end, from, byTime);
}

void ReportModel(benchmark::State& state, const CAutomationEventArray& events, const PlotModel& model) {
  int64_t shown = 0;
  for (const PlotLane& lane : model.lanes) shown += lane.events;
  state.counters["events_in_range"] = static_cast<double>(EventsIn(events, model.from, model.to));
  state.counters["events_shown"] = static_cast<double>(shown);
  state.counters["events_read"] = static_cast<double>(model.eventsRead);
  state.counters["lanes"] = static_cast<double>(model.lanes.size());
}

// Model, layout and PNG, as the command does after loading.
PlotModel Plot(const CAutomationEventArray& events, const PlotRequest& request, const CTimecodeConverter& converter,
               const std::string& png, benchmark::State& state) {
  PlotModel model = BuildPlot(events, request, converter);
  const std::string failure = RenderScene(LayoutPlot(model, HourStyle(model)), png);
  if (!failure.empty()) state.SkipWithError(failure.c_str());
  return model;
}

void BM_PlotHour(benchmark::State& state) {
  const BenchConsole console;
  const CAutomationEventArray& mix = Mix();
  const CTimecodeConverter converter;
  const PlotRequest request = HourRequest(converter, state.range(0) != 0);
  const std::string png = BenchPath("hour.png");
  const PeakMemory peak;
  PlotModel model;
  for (auto _ : state) model = Plot(mix, request, converter, png, state);
  peak.Report(state);
  ReportModel(state, mix, model);
  std::filesystem::remove(png);
}
BENCHMARK(BM_PlotHour)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_PlotHourFromFile(benchmark::State& state) {
  const std::string file = SavedMix(static_cast<int>(state.range(0)));
  const BenchConsole console;
  const CTimecodeConverter converter;
  const PlotRequest request = HourRequest(converter, false);
  const std::string png = BenchPath("file-hour.png");
  const PeakMemory peak;
  bool reported = false;
  for (auto _ : state) {
    std::string problem;
    const std::unique_ptr<CAutomationEventArray> events = LoadEventsToRead(file, nullptr, problem);
    if (!events || events->GetSize() != kEvents) {
      state.SkipWithError(("cannot load the mix: " + problem).c_str());
      break;
    }
    const PlotModel model = Plot(*events, request, converter, png, state);
    if (!reported) ReportModel(state, *events, model);
    reported = true;
  }
  peak.Report(state);
  state.counters["file_MB"] = static_cast<double>(std::filesystem::file_size(file)) / 1e6;
  std::filesystem::remove(png);
  std::filesystem::remove(file);
}
BENCHMARK(BM_PlotHourFromFile)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_PlotHourModel(benchmark::State& state) {
  const BenchConsole console;
  const CAutomationEventArray& mix = Mix();
  const CTimecodeConverter converter;
  const PlotRequest request = HourRequest(converter, state.range(0) != 0);
  PlotModel model;
  for (auto _ : state) model = BuildPlot(mix, request, converter);
  ReportModel(state, mix, model);
}
BENCHMARK(BM_PlotHourModel)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_PlotHourLayout(benchmark::State& state) {
  const BenchConsole console;
  const CTimecodeConverter converter;
  const PlotModel model = BuildPlot(Mix(), HourRequest(converter, false), converter);
  const PlotStyle style = HourStyle(model);
  size_t shapes = 0;
  for (auto _ : state) shapes = LayoutPlot(model, style).shapes.size();
  state.counters["shapes"] = static_cast<double>(shapes);
}
BENCHMARK(BM_PlotHourLayout)->Unit(benchmark::kMillisecond);

void BM_PlotHourRender(benchmark::State& state) {
  const BenchConsole console;
  const CTimecodeConverter converter;
  const PlotModel model = BuildPlot(Mix(), HourRequest(converter, false), converter);
  const Scene scene = LayoutPlot(model, HourStyle(model));
  const std::string png = BenchPath("render.png");
  for (auto _ : state) {
    const std::string failure = RenderScene(scene, png);
    if (!failure.empty()) state.SkipWithError(failure.c_str());
  }
  state.counters["png_KB"] = static_cast<double>(std::filesystem::file_size(png)) / 1e3;
  std::filesystem::remove(png);
}
BENCHMARK(BM_PlotHourRender)->Unit(benchmark::kMillisecond);

}  // namespace
