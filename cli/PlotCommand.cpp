// mixauto plot FILE --paths LIST [--controls LIST] [--from T] [--to T] -o OUT: the automation
// of the chosen paths as curves, one lane per channel, into an SVG, PNG or PDF picture.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "Commands.h"
#include "ControlGroups.h"
#include "EventFileJob.h"
#include "ListArguments.h"
#include "Text.h"
#include "TimeArgument.h"
#include "commonobjects/console/ConsoleConfiguration.h"
#include "commonobjects/console/ConsoleLayout.h"
#include "commonobjects/console/ControlModel.h"
#include "commonobjects/platform/File.h"
#include "commonobjects/platform/WindowsDrive.h"
#include "pictures/CairoRender.h"
#include "pictures/PlotLayout.h"

namespace mixauto {

namespace {

namespace platform = commonobjects::platform;

struct PlotOptions {
  std::string file;
  std::string paths;
  std::string controls;
  int32_t from = 0, to = 0;
  std::string output;
  double width = 1400;
  int32_t highBase = CControlModel::kFirstHighProc;
  bool progress = false;
};

// The (Proc, Control) pairs of a list of group names and PROC:CONTROL items; empty: all.
bool ParseControls(const std::string& text, int32_t highBase, std::vector<int32_t>& pairs, std::string& error) {
  pairs.clear();
  std::string names;
  for (size_t begin = 0; begin <= text.size();) {
    const size_t comma = std::min(text.find(',', begin), text.size());
    const std::string item = Trimmed(text.substr(begin, comma - begin));
    begin = comma + 1;
    if (item.find(':') == std::string::npos) {
      names += (names.empty() ? "" : ",") + item;
      continue;
    }
    const auto pair = ParsePairList(item, 0, 255, "PROC:CONTROL", error);
    if (!pair) return false;
    pairs.push_back(pair->front().first << 8 | pair->front().second);
  }
  std::optional<uint32_t> flags;
  if (!ParseGroups(names, CConsoleConfiguration::GetConsoleType(), flags, error)) return false;
  if (!flags) {
    if (!Trimmed(names).empty()) pairs.clear();  // "all" among the items: every control
    return true;
  }
  const std::vector<int32_t> grouped = ProcControlsOfGroups(*flags, highBase);
  pairs.insert(pairs.end(), grouped.begin(), grouped.end());
  return true;
}

int RunPlot(const PlotOptions& options, const CLI::App& command) {
  std::string error;
  const auto paths = ParsePathList(options.paths, CConsoleLayout().GetMaxPaths(), error);
  if (!paths) return FailArgument("plot", "--paths: " + error);
  PlotRequest request;
  request.paths = *paths;
  if (!ParseControls(options.controls, options.highBase, request.controls, error)) {
    return FailArgument("plot", "--controls: " + error);
  }
  if (PictureFormatOf(options.output) == PictureFormat::kUnknown) {
    return FailArgument("plot", "-o " + options.output + ": the picture's name must end in .svg, .png or .pdf");
  }
  if (command.count("--from")) request.from = options.from;
  if (command.count("--to")) request.to = options.to;
  if (request.from && request.to && *request.to <= *request.from) return FailArgument("plot", "--to must come after --from");
  request.columns = PlotColumns(options.width);
  request.timeLabelWidth = TimeLabelColumns();

  ProgressLine progress(options.progress || platform::IsTerminal(stderr));
  std::string problem;
  const std::unique_ptr<CAutomationEventArray> events =
      LoadEventsToRead(platform::MapWindowsPath(options.file), progress.Handle(), problem);
  progress.Stop();
  if (!events) return FailOn("plot", options.file, problem);
  const CTimecodeConverter converter;
  const PlotModel model = BuildPlot(*events, request, converter);
  int64_t shown = 0;
  for (const PlotLane& lane : model.lanes) shown += lane.events;
  PlotStyle style;
  style.width = options.width;
  // Many lanes get lower ones, so that a plot of a few paths fits a screen.
  style.laneHeight = std::clamp(960.0 / std::max<size_t>(1, model.lanes.size()), 44.0, 84.0);
  style.title = options.file;
  style.subtitle = FormatTime(converter, model.from) + " to " + FormatTime(converter, model.to) + "   " +
                   WithCommas(shown) + " events in " + std::to_string(model.lanes.size()) +
                   (model.lanes.size() == 1 ? " lane" : " lanes");
  const std::string failure = RenderScene(LayoutPlot(model, style), platform::MapWindowsPath(options.output));
  if (!failure.empty()) return FailOn("plot", options.output, failure);
  std::printf("Wrote %s: %zu %s, %s events from %s to %s\n", options.output.c_str(), model.lanes.size(),
              model.lanes.size() == 1 ? "lane" : "lanes", WithCommas(shown).c_str(), FormatTime(converter, model.from).c_str(),
              FormatTime(converter, model.to).c_str());
  return 0;
}

}  // namespace

void AddPlotCommand(CLI::App& app) {
  auto options = std::make_shared<PlotOptions>();
  CLI::App* command = app.add_subcommand(
      "plot",
      "Draw the automation of paths as curves: one lane per channel (path and control), values in the "
      "control's own text, time in timecode; steps hold until the next event, ramps as the events make them, "
      "switches as bands of the time they are on");
  command->add_option("FILE", options->file, "An event-array file or a mix (either form)")->required();
  command->add_option("--paths", options->paths, "Paths to draw, in this order, e.g. 0-7,12")->required();
  command->add_option("--controls", options->controls,
                      "Control groups (listed below) and PROC:CONTROL pairs, e.g. fader,mute,21:0; "
                      "default: every control with automation");
  AddTimeOption(*command, "--from", options->from, "Start of the drawing (default: the first event)");
  AddTimeOption(*command, "--to", options->to, "End of the drawing, excluded (default: after the last event)");
  command->add_option("-o,--output", options->output, "The picture: OUT.svg, OUT.png or OUT.pdf")->required();
  command->add_option("--width", options->width, "Width in pixels (default 1400)")->check(CLI::Range(600, 10000));
  command->add_option("--high-base", options->highBase, "First Proc of the group faders (default 36)")
      ->check(CLI::Range(36, 208));
  command->add_flag("--progress", options->progress, "Show a progress line on stderr while loading");
  command->footer(GroupList("--controls"));
  command->callback([options, command] { ExitOnFailure(RunPlot(*options, *command)); });
}

}  // namespace mixauto
