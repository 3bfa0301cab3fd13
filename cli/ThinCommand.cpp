// mixauto thin: fewer events, same shape. The selected channels of the selected paths lose,
// between --from and --to, the least significant event of each dense window (--window) and
// the fader level and trim events that stay within a threshold of the last kept value
// (--threshold); same-time duplicates are merged first, everywhere in the file.
#include <cctype>
#include <climits>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "EventFileJob.h"
#include "ListArguments.h"
#include "StateCommandSupport.h"
#include "StateCommands.h"
#include "Table.h"
#include "TimeArgument.h"
#include "Text.h"
#include "commonobjects/console/ConsoleLayout.h"
#include "commonobjects/editing/SameTimeDuplicates.h"
#include "commonobjects/editing/Thinning.h"
#include "commonobjects/eventstore/AutomationEventArray.h"

namespace mixauto {
namespace {

struct ThinOptions {
  EventFileOptions file;
  ConsoleStateOptions state;
  bool list = false;
  std::string window, threshold, from, to, paths;
};

// What the options resolve to.
struct ThinSettings {
  int32_t window = 0;
  int32_t threshold = 0;
  std::optional<int32_t> from, to;
  std::vector<int32_t> paths;
  CPathMap map;
};

// A level by its index (a bare number is always the index) or by its name, ignoring case.
std::optional<int32_t> ParseLevel(const std::string& text, int32_t count, const char* (*nameOf)(int32_t)) {
  const bool digits = !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
  if (digits) {
    const int32_t index = text.size() <= 2 ? std::stoi(text) : count;
    return index < count ? std::optional<int32_t>(index) : std::nullopt;
  }
  for (int32_t level = 0; level < count; ++level) {
    if (Lowered(nameOf(level)) == Lowered(text)) return level;
  }
  return std::nullopt;
}

void PrintLevels() {
  Table windows;
  for (const char* header : {"--window", "events per window"}) windows.AddColumn(header);
  windows.AddColumn("name", Table::Left);
  for (int32_t level = 0; level < Thinning::kWindowLevels; ++level) {
    const int32_t size = Thinning::WindowSize(level);
    windows.AddRow({std::to_string(level), size ? std::to_string(size) : "-", Thinning::WindowLevelName(level)});
  }
  std::printf("Window levels: in a run of one control written faster than once per frame, one event of each\n"
              "window is dropped (smaller windows thin more):\n");
  windows.Print();
  Table thresholds;
  thresholds.AddColumn("--threshold");
  thresholds.AddColumn("name", Table::Left);
  for (int32_t level = 0; level < Thinning::kThresholdLevels; ++level) {
    thresholds.AddRow({std::to_string(level), Thinning::ThresholdName(level)});
  }
  std::printf("\nValue thresholds, in steps of 0.0125 dB: fader level and trim events within the threshold of\n"
              "the last kept one are dropped while the fader keeps moving one way:\n");
  thresholds.Print();
  std::printf("\nGive either the number or the name (\"3 Heavy\"); a bare number is always the number.\n");
}

// A time option's units; nothing, with the problem on stderr, when it is bad.
bool ResolveTime(const std::string& option, const std::string& text, std::optional<int32_t>& units) {
  if (text.empty()) return true;
  std::string error;
  units = ParseTimeArgument(CTimecodeConverter(), text, error);
  if (!units) FailArgument("thin", option + ": " + error);
  return units.has_value();
}

std::optional<ThinSettings> Resolve(const ThinOptions& options) {
  ThinSettings settings;
  std::optional<int32_t> window = ParseLevel(options.window, Thinning::kWindowLevels, Thinning::WindowLevelName);
  std::optional<int32_t> threshold =
      ParseLevel(options.threshold, Thinning::kThresholdLevels, Thinning::ThresholdName);
  if (!window) FailArgument("thin", "--window \"" + options.window + "\": not a window level (0 to 6 or a name; see mixauto thin --list)");
  if (window && !threshold) FailArgument("thin", "--threshold \"" + options.threshold + "\": not a value threshold (0 to 16 or a name; see mixauto thin --list)");
  if (!window || !threshold) return std::nullopt;
  settings.window = *window;
  settings.threshold = *threshold;
  if (!ResolveTime("--from", options.from, settings.from) || !ResolveTime("--to", options.to, settings.to)) {
    return std::nullopt;
  }
  const int32_t pathCount = CConsoleLayout().GetMaxPaths();
  std::string error;
  const auto paths = ParsePathList(options.paths.empty() ? "0-" + std::to_string(pathCount - 1) : options.paths,
                                   pathCount, error);
  if (!paths) FailArgument("thin", "--paths: " + error);
  const std::optional<CPathMap> map = paths ? ResolveConsoleState("thin", options.state) : std::nullopt;
  if (!map) return std::nullopt;
  settings.paths = *paths;
  settings.map = *map;
  return settings;
}

std::string Header(const ThinOptions& options, const ThinSettings& settings) {
  const CTimecodeConverter converter;
  const int32_t size = Thinning::WindowSize(settings.window);
  return "Window level " + std::to_string(settings.window) + " \"" + Thinning::WindowLevelName(settings.window) +
         "\" (" + (size ? "windows of " + std::to_string(size) + " events" : "no window thinning") +
         "); threshold " + std::to_string(settings.threshold) + " \"" + Thinning::ThresholdName(settings.threshold) +
         "\"\nRange: " + (settings.from ? FormatTime(converter, *settings.from) : "first event") + " to " +
         (settings.to ? "the first event at or after " + FormatTime(converter, *settings.to) : "last event") +
         "; paths " + (options.paths.empty() ? "all" : options.paths) + "\n";
}

std::string Thin(CAutomationEventArray& events, const CAutomationPackage* mix, const ThinOptions& options,
                 const ThinSettings& settings) {
  const CPathMap groups = PathGroupsFor(options.state, settings.map, mix);
  std::string report = Header(options, settings) + PathGroupsLine(options.state, groups, mix);
  int32_t first = -1;
  const int32_t reversals = CountTimeReversals(events, &first);
  if (reversals > 0) {
    report += "Warning: time goes backwards at " + WithCommas(reversals) + " place(s) (first at event " +
              std::to_string(first) + "), so the range may be misplaced; run mixauto repair on the file first\n";
  }
  const int32_t before = events.GetSize();
  RemoveSameTimeDuplicates(events);
  const int32_t merged = events.GetSize();
  events.Filter.Clear();
  events.Filter.StartTime = settings.from.value_or(-1);       // -1: from the first event
  events.Filter.EndTime = settings.to.value_or(INT32_MAX);    // past every event: to the last one
  for (const int32_t path : settings.paths) events.Filter.Paths.Add(path);  // empty would select nothing
  events.ThinAutoData(options.state.highBase, groups, settings.window, settings.threshold);
  return report + CountLine("Events before", before) + CountLine("Duplicates merged", before - merged) +
         CountLine("Events thinned", merged - events.GetSize()) + CountLine("Events after", events.GetSize());
}

int RunThin(const ThinOptions& options) {
  if (options.list) {
    PrintLevels();
    return 0;
  }
  if (options.file.file.empty() || options.window.empty() || options.threshold.empty()) {
    return FailArgument("thin", "give FILE, --window and --threshold (mixauto thin --list shows the levels)");
  }
  const std::optional<ThinSettings> settings = Resolve(options);
  if (!settings) return 1;
  return RunOnEventFile("thin", options.file, [&](CAutomationEventArray& events, const CAutomationPackage* mix) {
    return Thin(events, mix, options, *settings);
  });
}

}  // namespace

void AddThinCommand(CLI::App& app) {
  auto options = std::make_shared<ThinOptions>();
  CLI::App* thin = app.add_subcommand(
      "thin", "Thin dense automation inside a time range on chosen paths, keeping its shape "
              "(mixauto thin --list shows the levels)");
  AddEventFileOptions(*thin, options->file, false);
  thin->add_flag("--list", options->list, "Print the window levels and value thresholds with their names");
  thin->add_option("--window", options->window, "Window level: 0 (no change) to 6 (heavy), or its name")
      ->type_name("LEVEL");
  thin->add_option("--threshold", options->threshold, "Fader value threshold: 0 (no change) to 16 (heavy), or its name")
      ->type_name("N");
  thin->add_option("--from", options->from, std::string("Start of the range, inclusive (") + kTimeForms + "); default: the first event")
      ->type_name("TIME");
  thin->add_option("--to", options->to, "End of the range: the first event at or after this time is the last one thinned; default: the last event")
      ->type_name("TIME");
  thin->add_option("--paths", options->paths, "Paths to thin, as dump numbers them, e.g. 0-7,12; default: every path")
      ->type_name("LIST");
  AddConsoleStateOptions(*thin, options->state);
  thin->callback([options] { ExitOnFailure(RunThin(*options)); });
}

}  // namespace mixauto
