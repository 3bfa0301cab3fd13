// mixauto demo-conform FOLDER: the conform job on the bundled sample mix. Writes the sample
// mix to FOLDER/demo.aut, conforms one copy of it to the bundled edit decision list and
// another to the bundled change list (FOLDER/demo-edl.aut, FOLDER/demo-changes.aut), and
// shows each report, then a few channels in the middle of every stretch of the new cut: the
// value the channel had where the material came from, and the value it has now.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "Commands.h"
#include "ConformCommand.h"
#include "MixCommands.h"
#include "MixFile.h"
#include "Table.h"
#include "TimeArgument.h"
#include "commonobjects/package/AutomationPackage.h"
#include "commonobjects/platform/RegFileFormat.h"
#include "commonobjects/presentation/TemplateSnapAutoEvent.h"
#include "pictures/CairoRender.h"
#include "pictures/ConformPage.h"
#include "pictures/PlotLayout.h"

namespace mixauto {
namespace {

namespace fs = std::filesystem;

struct DemoConformOptions {
  std::string folder;
  std::string events = std::string(MIXAUTO_SOURCE_DIR) + "/testdata/demo/mix-events.csv";
  std::string edl = std::string(MIXAUTO_SOURCE_DIR) + "/testdata/demo/recut.edl";
  std::string changes = std::string(MIXAUTO_SOURCE_DIR) + "/testdata/demo/recut.txt";
};

struct Channel {
  int32_t path;
  uint8_t proc;
  uint8_t control;
};

// A fader, a mute and a pan that the sample mix moves.
constexpr Channel kChannels[] = {{0, 14, 0}, {3, 14, 2}, {5, 21, 0}};

std::string Utf8(const std::string& text) { return commonobjects::platform::Windows1252ToUtf8(text); }

std::string Label(const Channel& c) {
  return "path " + std::to_string(c.path) + " " + Utf8(CTemplateSnapAutoEvent(c.proc, c.control, 0).GetEventName());
}

// The channel's value text at `time`: its last event at or before it; "-" before its first.
std::string ValueAt(const CAutomationEventArray& events, const Channel& c, int32_t time) {
  const CAutomationEvent* last = nullptr;
  for (const CAutomationEvent& e : events) {
    if (e.Time > time) break;
    if (e.Path == c.path && e.Proc == c.proc && e.Control == c.control) last = &e;
  }
  if (last == nullptr) return "-";
  std::string text;
  CTemplateSnapAutoEvent(*last).GetText(text, 1, 0);
  return Utf8(text);
}

void PrintChannels(const CAutomationEventArray& before, const CAutomationEventArray& after,
                   const std::vector<ConformStretch>& stretches) {
  const CTimecodeConverter converter;
  Table table;
  table.AddColumn("stretch", Table::Left);
  table.AddColumn("new time");
  table.AddColumn("old time");
  for (const Channel& c : kChannels) {
    table.AddColumn(Label(c) + ": was");
    table.AddColumn("is");
  }
  const int32_t end = after.GetSize() ? after[after.GetSize() - 1].Time : 0;
  for (const ConformStretch& s : stretches) {
    if (s.kind == ConformStretch::kRemoved || s.newStart > end) continue;
    // The middle of the part that holds automation: a list's last stretch runs to the day's end.
    const int32_t half = std::min(s.length, end - s.newStart + 1) / 2;
    const int32_t at = s.newStart + half;
    const int32_t from = s.kind == ConformStretch::kInserted ? -1 : s.oldStart + half;
    std::vector<std::string> row{StretchKindName(s.kind), FormatTime(converter, at),
                                 from < 0 ? "(blank)" : FormatTime(converter, from)};
    for (const Channel& c : kChannels) {
      row.push_back(from < 0 ? "-" : ValueAt(before, c, from));
      row.push_back(ValueAt(after, c, at));
    }
    table.AddRow(std::move(row));
  }
  std::printf(
      "\nA few channels in the middle of each stretch of the new cut (was: at the old time the material "
      "came from; is: now; -: no move yet):\n");
  table.Print();
}

// The channels that changed most, before (grey) and after (blue), stretch boundaries marked.
std::string PlotBeforeAfter(const CAutomationEventArray& before, const CAutomationEventArray& after,
                            const ConformReport& report, const std::string& file) {
  const CTimecodeConverter converter;
  int32_t end = 1;
  for (const CAutomationEventArray* events : {&before, &after}) {
    if (events->GetSize()) end = std::max(end, (*events)[events->GetSize() - 1].Time + 1);
  }
  PlotStyle style;
  style.title = "Conform of the sample mix: the channels that changed most";
  style.subtitle = "Before (grey) and after (blue); dashed lines: stretch boundaries in the new cut";
  PlotModel model = BuildComparison(before, after, ChannelsThatChangedMost(before, after, end, 6), 0, end,
                                    PlotColumns(style.width), converter);
  for (const ConformStretch& s : report.stretches) {
    if (s.newStart >= 0) model.markers.push_back(s.newStart);
  }
  return RenderScene(LayoutPlot(model, style), file);
}

// Conforms a copy of `mixFile` (written to `out`) to `list`, reports, saves and shows the channels.
int ConformCopy(const std::string& mixFile, const std::string& list, const std::string& out) {
  std::error_code error;
  fs::copy_file(mixFile, out, fs::copy_options::overwrite_existing, error);
  if (error) return FailOn("demo-conform", out, "could not copy the sample mix here (" + error.message() + ")");
  const std::unique_ptr<CAutomationPackage> mix = LoadMix(out);
  const CAutomationEventArray before = *mix;
  std::printf("\n==== mixauto conform %s %s\n", out.c_str(), list.c_str());
  ConformReport report;
  ConformJob job = MakeConformJob(out, list, {}, "", false);
  const std::string stem = (fs::path(out).parent_path() / fs::path(out).stem()).string();
  job.page = stem + "-report.html";
  const MixWorkResult result = RunConformJob(*mix, job, &report);
  if (!result.failure.empty()) return FailOn("demo-conform", out, result.failure);
  std::fputs(result.report.c_str(), stdout);
  const std::string problem = WriteMix(*mix, out, false);
  if (!problem.empty()) return FailOn("demo-conform", out, problem);
  std::printf("Wrote %s (the whole structured mix).\n", out.c_str());
  PrintChannels(before, *mix, report.stretches);
  const std::string plot = stem + "-before-after.png";
  const std::string failure = PlotBeforeAfter(before, *mix, report, plot);
  if (!failure.empty()) return FailOn("demo-conform", plot, failure);
  std::printf("\nReport page:       %s\nBefore/after plot: %s\n", job.page.c_str(), plot.c_str());
  return 0;
}

int RunDemoConform(const DemoConformOptions& options) {
  std::error_code error;
  fs::create_directories(options.folder, error);
  if (error) return FailOn("demo-conform", options.folder, "could not create the folder (" + error.message() + ")");
  const std::string mix = (fs::path(options.folder) / "demo.aut").string();
  std::printf("==== mixauto save-demo %s --mix\n", mix.c_str());
  if (const int status = SaveDemoMix(options.events, mix, false)) return status;
  if (const int status = ConformCopy(mix, options.edl, (fs::path(options.folder) / "demo-edl.aut").string())) {
    return status;
  }
  return ConformCopy(mix, options.changes, (fs::path(options.folder) / "demo-changes.aut").string());
}

}  // namespace

void AddDemoConformCommand(CLI::App& app) {
  auto options = std::make_shared<DemoConformOptions>();
  CLI::App* demo =
      app.add_subcommand("demo-conform",
                         "Write the bundled sample mix to FOLDER, conform copies of it to the bundled edit list and "
                         "change list, and show the reports and a few channels before and after");
  demo->add_option("FOLDER", options->folder, "Where the sample mix and the conformed copies are written")
      ->type_name("FOLDER")
      ->required();
  demo->add_option("--events", options->events, "Events file of the sample mix")->capture_default_str();
  demo->add_option("--edl", options->edl, "The edit decision list to conform to")->capture_default_str();
  demo->add_option("--changes", options->changes, "The change list to conform to")->capture_default_str();
  demo->callback([options] { ExitOnFailure(RunDemoConform(*options)); });
}

}  // namespace mixauto
