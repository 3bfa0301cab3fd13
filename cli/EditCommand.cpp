// mixauto edit copy|merge|isolate|erase. The options become the array's edit range: --from
// and --to bound it, --at is the destination time, --source / --paths the selected paths,
// --to-paths the destinations and --groups the controls (CEventFilter::TranslateFilter).
#include "EditCommand.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "ControlGroups.h"
#include "EventFileJob.h"
#include "ListArguments.h"
#include "MixFile.h"
#include "StateCommandSupport.h"
#include "Text.h"
#include "TimeArgument.h"
#include "commonobjects/console/ConsoleConfiguration.h"
#include "commonobjects/console/ConsoleLayout.h"
#include "commonobjects/console/ControlModel.h"
#include "commonobjects/editing/SlotOffset.h"
#include "commonobjects/eventstore/AutomationEventArray.h"
#include "commonobjects/platform/File.h"
#include "commonobjects/platform/RegFileFormat.h"
#include "commonobjects/platform/WindowsDrive.h"
#include "commonobjects/presentation/TemplateSnapAutoEvent.h"

namespace mixauto {
namespace {

namespace platform = commonobjects::platform;
using Direction = CAutomationEventArray::TimeDirection;

enum class EditKind { kCopy, kMerge, kIsolate, kErase };

// ---- Options ----

struct EditOptions {
  EventFileOptions file;
  ConsoleStateOptions state;
  std::string from, to, at, source, toPaths, paths, sourceFile, groups;
  std::string startDirection = "before", endDirection = "after", direction = "before";
  bool sameSource = false;
  int32_t rampLength = 0;
  int32_t rampStep = 1;
  int32_t show = 100;
  bool rangedErase = false;  // erase: --ramp-length was given
};

// What the options resolve to.
struct EditSettings {
  int32_t from = 0, to = 0, at = 0;
  std::vector<int32_t> paths;         // the source path (copy, merge) or the selected paths
  std::vector<int32_t> destinations;  // copy, merge
  std::optional<uint32_t> groups;     // nothing: every control
  Direction startDirection = CAutomationEventArray::RampToPoint;
  Direction endDirection = CAutomationEventArray::RampFromPoint;
  Direction direction = CAutomationEventArray::RampToPoint;
  CPathMap map;
};

// An edge's direction: 2 or "after" (the ramp starts at the edge and runs forward), 3 or
// "before" (the ramp ends at the edge).
std::optional<Direction> ParseDirection(const std::string& text) {
  const std::string word = Lowered(Trimmed(text));
  if (word == "2" || word == "after") return CAutomationEventArray::RampFromPoint;
  if (word == "3" || word == "before") return CAutomationEventArray::RampToPoint;
  return std::nullopt;
}

bool ResolveDirection(const char* command, const std::string& option, const std::string& text, Direction& out) {
  const std::optional<Direction> direction = ParseDirection(text);
  if (!direction) {
    FailArgument(command, option + " \"" + text + "\": give 3 or before (the ramp ends at the edge) or 2 or after "
                          "(the ramp starts at the edge and runs forward)");
    return false;
  }
  out = *direction;
  return true;
}

bool ResolveTime(const char* command, const std::string& option, const std::string& text, int32_t& units) {
  std::string error;
  const std::optional<int32_t> parsed = ParseTimeArgument(CTimecodeConverter(), text, error);
  if (!parsed) FailArgument(command, option + ": " + error);
  if (parsed) units = *parsed;
  return parsed.has_value();
}

bool ResolvePaths(const char* command, const std::string& option, const std::string& text,
                  std::vector<int32_t>& paths) {
  std::string error;
  const auto parsed = ParsePathList(text, CConsoleLayout().GetMaxPaths(), error);
  if (!parsed) FailArgument(command, option + ": " + error);
  if (parsed) paths = *parsed;
  return parsed.has_value();
}

// Copy, merge and the ranged erase take [--from, --to); isolate and the tracker erase take
// [--from, --to].
bool EndExcluded(EditKind kind, const EditOptions& options) {
  return kind == EditKind::kCopy || kind == EditKind::kMerge || (kind == EditKind::kErase && options.rangedErase);
}

bool ResolveRange(const char* command, EditKind kind, const EditOptions& options, EditSettings& settings) {
  if (!ResolveTime(command, "--from", options.from, settings.from) ||
      !ResolveTime(command, "--to", options.to, settings.to)) {
    return false;
  }
  settings.at = settings.from;
  if (!options.at.empty() && !ResolveTime(command, "--at", options.at, settings.at)) return false;
  if (settings.to < settings.from || (settings.to == settings.from && EndExcluded(kind, options))) {
    FailArgument(command, "--to must be later than --from" +
                              std::string(EndExcluded(kind, options) ? " (the range ends just before --to)" : ""));
    return false;
  }
  if (static_cast<int64_t>(settings.at) + settings.to - settings.from > INT32_MAX) {
    FailArgument(command, "--at: the pasted range would end past the last time an event can hold");
    return false;
  }
  return true;
}

bool ResolveSelection(const char* command, EditKind kind, const EditOptions& options, EditSettings& settings) {
  if (kind == EditKind::kIsolate || kind == EditKind::kErase) {
    return ResolvePaths(command, "--paths", options.paths, settings.paths);
  }
  if (!ResolvePaths(command, "--source", options.source, settings.paths)) return false;
  if (settings.paths.size() != 1) {
    FailArgument(command, "--source \"" + options.source + "\": give one path, the one to copy from");
    return false;
  }
  return ResolvePaths(command, "--to-paths", options.toPaths, settings.destinations);
}

bool ResolveEdges(const char* command, EditKind kind, const EditOptions& options, EditSettings& settings) {
  if (kind == EditKind::kErase) return ResolveDirection(command, "--direction", options.direction, settings.direction);
  if (kind == EditKind::kIsolate) return true;
  return ResolveDirection(command, "--start-direction", options.startDirection, settings.startDirection) &&
         ResolveDirection(command, "--end-direction", options.endDirection, settings.endDirection);
}

bool ResolveGroups(const char* command, const EditOptions& options, EditSettings& settings) {
  std::string error;
  if (ParseGroups(options.groups, CConsoleConfiguration::GetConsoleType(), settings.groups, error)) return true;
  FailArgument(command, "--groups: " + error);
  return false;
}

std::optional<EditSettings> Resolve(const char* command, EditKind kind, const EditOptions& options) {
  EditSettings settings;
  if (!ResolveRange(command, kind, options, settings) || !ResolveSelection(command, kind, options, settings) ||
      !ResolveEdges(command, kind, options, settings) || !ResolveGroups(command, options, settings)) {
    return std::nullopt;
  }
  const std::optional<CPathMap> map = ResolveConsoleState(command, options.state);
  if (!map) return std::nullopt;
  settings.map = *map;
  return settings;
}

// ---- The edit ----

// The array's edit range as the hosts set it before an edit.
void SetEditRange(CEventFilter& filter, const EditSettings& settings, int32_t highBase) {
  filter.Clear();
  filter.StartTime = settings.from;
  filter.EndTime = settings.to;
  filter.ExtraValue = settings.at;
  for (const int32_t path : settings.paths) filter.Paths.Add(path);
  for (const int32_t path : settings.destinations) filter.ExtraList.Add(path);
  if (!settings.groups) return;  // no pairs: every control
  filter.FirstGroupProc = highBase;  // the group faders are the high-range blocks
  filter.EndGroupProc = highBase + CControlModel::kHighProcCount;
  filter.TranslateFilter(AutomationEventFilterStructure{*settings.groups});
}

void RunEdit(EditKind kind, CAutomationEventArray& events, CAutomationEventArray* source, const EditOptions& options,
             const EditSettings& s) {
  const int32_t base = options.state.highBase;
  const auto step = static_cast<int16_t>(options.rampStep);
  const auto length = static_cast<int16_t>(options.rampLength);
  SetEditRange(events.Filter, s, base);
  switch (kind) {
    case EditKind::kCopy:
      events.CopyChannelData(step, length, s.startDirection, s.endDirection, base, s.map);
      break;
    case EditKind::kMerge:
      SetEditRange(source->Filter, s, base);  // extraction reads the source's range, path and controls
      events.MergeChannelData(*source, step, length, s.startDirection, s.endDirection, base, s.map,
                              SlotOffset(*source), 1, 1, options.sameSource ? 1 : 0);
      break;
    case EditKind::kIsolate:
      events.IsolateChannelData(base, s.map);
      break;
    case EditKind::kErase:
      if (options.rangedErase) {
        events.EraseChannelData(step, length, s.direction, base, s.map);
      } else {
        events.EraseChannelData(base, s.map);
      }
      break;
  }
}

// ---- What changed ----

auto EveryField(const CAutomationEvent& e) {
  return std::make_tuple(e.Time, e.Path, e.Proc, e.Control, e.Value, e.OldValue, e.Flags);
}
bool ByEveryField(const CAutomationEvent& a, const CAutomationEvent& b) { return EveryField(a) < EveryField(b); }
bool ByTimeAndChannel(const CAutomationEvent& a, const CAutomationEvent& b) {
  return std::tie(a.Time, a.Path, a.Proc, a.Control) < std::tie(b.Time, b.Path, b.Proc, b.Control);
}

// The events of `before` missing from `after` and the reverse, counted as multisets: an event
// whose OldValue or Flags changed is removed and added. Each list in time order.
struct EventChanges {
  std::vector<CAutomationEvent> removed, added;
};

EventChanges Compare(std::vector<CAutomationEvent> a, const CAutomationEventArray& after) {
  std::vector<CAutomationEvent> b(after.begin(), after.end());
  std::sort(a.begin(), a.end(), ByEveryField);
  std::sort(b.begin(), b.end(), ByEveryField);
  EventChanges changes;
  std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(changes.removed), ByEveryField);
  std::set_difference(b.begin(), b.end(), a.begin(), a.end(), std::back_inserter(changes.added), ByEveryField);
  return changes;
}

// One changed event as dump shows it: sign, time, path, control name, value, old value, flags.
std::vector<std::string> Cells(const CTimecodeConverter& converter, char sign, const CAutomationEvent& e) {
  const CTemplateSnapAutoEvent view(e);
  std::string value, oldValue;
  view.GetText(value, 1, 0);
  CTemplateSnapAutoEvent(e.Proc, e.Control, e.OldValue).GetText(oldValue, 1, 0);
  return {std::string(1, sign),
          FormatTime(converter, e.Time),
          std::to_string(e.Path),
          platform::Windows1252ToUtf8(view.GetEventName()) + " (" + std::to_string(e.Proc) + "/" +
              std::to_string(e.Control) + ")",
          platform::Windows1252ToUtf8(value),
          platform::Windows1252ToUtf8(oldValue),
          std::to_string(e.Flags)};
}

// Rows in aligned columns; the control name (column 3) and the sign left-aligned.
std::string Aligned(const std::vector<std::vector<std::string>>& rows) {
  std::vector<size_t> width(rows.front().size());
  for (const auto& row : rows) {
    for (size_t c = 0; c < row.size(); ++c) width[c] = std::max(width[c], DisplayColumns(row[c]));
  }
  std::string text;
  for (const auto& row : rows) {
    std::string line;
    for (size_t c = 0; c < row.size(); ++c) {
      const std::string pad(width[c] - DisplayColumns(row[c]), ' ');
      line += (c ? "  " : "") + (c == 0 || c == 3 ? row[c] + pad : pad + row[c]);
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    text += line + "\n";
  }
  return text;
}

// The first `show` changes in time order (a removal before an addition at the same time and
// channel), then how many more there are.
std::string ChangeList(const EventChanges& changes, int32_t show) {
  const CTimecodeConverter converter;
  const size_t total = changes.removed.size() + changes.added.size();
  if (total == 0) return "No event would change.\n";
  const size_t shown = show > 0 ? std::min(total, static_cast<size_t>(show)) : total;
  std::vector<std::vector<std::string>> rows = {{"", "time", "path", "control", "value", "old value", "flags"}};
  size_t r = 0, a = 0;
  while (rows.size() <= shown) {
    const bool takeRemoved = a == changes.added.size() ||
                             (r < changes.removed.size() && !ByTimeAndChannel(changes.added[a], changes.removed[r]));
    rows.push_back(takeRemoved ? Cells(converter, '-', changes.removed[r++])
                               : Cells(converter, '+', changes.added[a++]));
  }
  std::string text = "Events that would change (- removed, + added):\n" + Aligned(rows);
  if (shown < total) {
    text += "... and " + WithCommas(static_cast<int64_t>(total - shown)) + " more (--show 0 lists all)\n";
  }
  return text;
}

// ---- Reports ----

std::string ControlsText(const EditOptions& options, const EditSettings& settings) {
  return settings.groups ? "groups " + Trimmed(options.groups) : std::string("every control");
}

std::string EdgesText(const EditOptions& options, const char* what) {
  if (options.rampLength == 0) return std::string(what) + ": steps\n";
  return std::string(what) + ": ramps of " + std::to_string(options.rampLength) + " units in steps of " +
         std::to_string(options.rampStep) + " frame(s) on slot-aligned controls, steps elsewhere\n";
}

std::string Header(EditKind kind, const EditOptions& options, const EditSettings& s) {
  const CTimecodeConverter c;
  const std::string range = FormatTime(c, s.from) + " to " + FormatTime(c, s.to);
  const std::string controls = "; " + ControlsText(options, s) + "\n";
  switch (kind) {
    case EditKind::kCopy:
    case EditKind::kMerge:
      return std::string(kind == EditKind::kMerge ? "Merge from " + options.sourceFile + ", path " : "Copy path ") +
             std::to_string(s.paths.front()) + ", " + range + " (end excluded), onto paths " + options.toPaths +
             " at " + FormatTime(c, s.at) + controls +
             (options.sameSource ? std::string("Edges: not joined (--same-source)\n") : EdgesText(options, "Edges"));
    case EditKind::kIsolate:
      return "Isolate paths " + options.paths + ", " + range + " (both included), moved to " + FormatTime(c, s.at) +
             controls;
    case EditKind::kErase:
      if (!options.rangedErase) {
        return "Erase paths " + options.paths + ", " + range + " (both included), values restored just after" +
               controls;
      }
      return "Erase paths " + options.paths + ", " + range + " (end excluded, never time 0)" + controls +
             EdgesText(options, "Join at the end");
  }
  return "";
}

// The edit on the events of `mix` (null: an event-array file), with the mix's own path groups
// unless --path-groups gives others.
std::string Edit(EditKind kind, CAutomationEventArray& events, const CAutomationPackage* mix,
                 CAutomationEventArray* source, const EditOptions& options, EditSettings settings) {
  settings.map = PathGroupsFor(options.state, settings.map, mix);
  std::vector<CAutomationEvent> before(events.begin(), events.end());
  const auto count = static_cast<int64_t>(before.size());
  RunEdit(kind, events, source, options, settings);
  const EventChanges changes = Compare(std::move(before), events);
  std::string report = Header(kind, options, settings) + PathGroupsLine(options.state, settings.map, mix) +
                       CountLine("Events before", count) +
                       CountLine("Events after", events.GetSize()) +
                       CountLine("Events removed", static_cast<int64_t>(changes.removed.size())) +
                       CountLine("Events added", static_cast<int64_t>(changes.added.size()));
  if (options.file.dryRun) report += ChangeList(changes, options.show);
  return report;
}

// The other mix of a merge (an event-array file or a mix of either form, of which only the
// events are read); nothing, with the problem on stderr, when its events cannot be loaded.
std::unique_ptr<CAutomationEventArray> LoadSource(const char* command, const std::string& file) {
  const std::string native = platform::MapWindowsPath(file);
  const FileKind kind = DetectFileKind(native);
  if (kind == FileKind::kMissing) {
    FailOn(command, file, "no such file (give the mix to merge from with --source-file)");
    return nullptr;
  }
  if (IsMix(kind)) {
    std::unique_ptr<CAutomationPackage> mix = LoadMix(native);
    const std::string problem = EventsProblem(*mix);
    if (!problem.empty()) {
      FailOn(command, file, problem);
      return nullptr;
    }
    return mix;
  }
  auto source = std::make_unique<CAutomationEventArray>();
  if (source->Load(native) != 1) {
    FailOn(command, file, "cannot load its events (is it an event-array file or a mix? try mixauto check on it)");
    return nullptr;
  }
  return source;
}

int RunEditCommand(EditKind kind, const char* command, const EditOptions& options) {
  const std::optional<EditSettings> settings = Resolve(command, kind, options);
  if (!settings) return 1;
  std::unique_ptr<CAutomationEventArray> source;
  if (kind == EditKind::kMerge && !(source = LoadSource(command, options.sourceFile))) return 1;
  return RunOnEventFile(command, options.file, [&](CAutomationEventArray& events, const CAutomationPackage* mix) {
    return Edit(kind, events, mix, source.get(), options, *settings);
  });
}

// ---- Command line ----

void AddRangeOptions(CLI::App& command, EditOptions& options, const char* toHelp) {
  command.add_option("--from", options.from, std::string("Start of the edit range, included (") + kTimeForms + ")")
      ->type_name("TIME")
      ->required();
  command.add_option("--to", options.to, toHelp)->type_name("TIME")->required();
}

void AddSharedOptions(CLI::App& command, EditOptions& options) {
  AddEventFileOptions(command, options.file);
  command.add_option("--groups", options.groups,
                     "Control groups to edit, e.g. fader,mute (listed below); default: every control")
      ->type_name("LIST");
  command.footer(GroupList("--groups"));
  AddConsoleStateOptions(command, options.state);
  command.add_option("--show", options.show, "With --dry-run, how many changed events to list; 0: all")
      ->type_name("N")
      ->check(CLI::NonNegativeNumber)
      ->capture_default_str();
}

void AddAtOption(CLI::App& command, EditOptions& options, const char* what) {
  command.add_option("--at", options.at, std::string("Destination time: where ") + what + "; default: --from")
      ->type_name("TIME");
}

CLI::Option* AddRampOptions(CLI::App& command, EditOptions& options, const char* lengthHelp) {
  CLI::Option* length = command.add_option("--ramp-length", options.rampLength, lengthHelp)
                            ->type_name("UNITS")
                            ->check(CLI::Range(0, 32767));
  command.add_option("--ramp-step", options.rampStep, "Frames between the values of a ramp (1 to 32767)")
      ->type_name("FRAMES")
      ->check(CLI::Range(1, 32767))
      ->capture_default_str();
  return length;
}

void AddPasteOptions(CLI::App& command, EditOptions& options) {
  AddRangeOptions(command, options, "End of the edit range, excluded: the range ends just before it");
  AddAtOption(command, options, "the range's start lands");
  command.add_option("--source", options.source, "The one path to copy from, as dump numbers it")
      ->type_name("PATH")
      ->required();
  command.add_option("--to-paths", options.toPaths, "Destination paths, e.g. 0-7,12; their automation over the "
                                                    "pasted length is replaced")
      ->type_name("LIST")
      ->required();
  AddRampOptions(command, options, "Length of the ramps that join each edge on slot-aligned controls (fader, "
                                   "pan ...); default 0: a step at each edge")
      ->capture_default_str();
  command.add_option("--start-direction", options.startDirection,
                     "Side of the start edge the ramp lies on: before (3: the ramp ends at the edge) or after (2: it "
                     "starts at the edge and runs forward); default: before, outside the pasted block")
      ->type_name("DIR");
  command.add_option("--end-direction", options.endDirection,
                     "Side of the end edge the ramp lies on: after (2) or before (3); default: after, outside the "
                     "pasted block")
      ->type_name("DIR");
  AddSharedOptions(command, options);
}

void AddCopy(CLI::App& edit) {
  auto options = std::make_shared<EditOptions>();
  CLI::App* copy = edit.add_subcommand(
      "copy", "Copy one path's automation over [--from, --to) onto other paths at --at, joining the edges");
  AddPasteOptions(*copy, *options);
  copy->callback([options] { ExitOnFailure(RunEditCommand(EditKind::kCopy, "edit copy", *options)); });
}

void AddMerge(CLI::App& edit) {
  auto options = std::make_shared<EditOptions>();
  CLI::App* merge = edit.add_subcommand(
      "merge", "Paste one path of another mix over [--from, --to) onto paths of FILE at --at, joining the edges");
  merge->add_option("--source-file", options->sourceFile,
                    "The mix to take the automation from: an event-array file or a mix of either form")
      ->type_name("FILE2")
      ->required();
  merge->add_flag("--same-source", options->sameSource,
                  "Paste the source path onto every destination without joining the edges; a destination's own "
                  "events stay beside the pasted ones");
  AddPasteOptions(*merge, *options);
  merge->callback([options] { ExitOnFailure(RunEditCommand(EditKind::kMerge, "edit merge", *options)); });
}

void AddIsolate(CLI::App& edit) {
  auto options = std::make_shared<EditOptions>();
  CLI::App* isolate = edit.add_subcommand(
      "isolate", "Keep only the chosen paths and controls over [--from, --to], moved to --at: their state at --from "
                 "where it differs from the defaults, then their moves; everything else goes");
  isolate->add_option("--paths", options->paths, "Paths to keep, e.g. 0-7,12")->type_name("LIST")->required();
  AddRangeOptions(*isolate, *options, "End of the edit range, included");
  AddAtOption(*isolate, *options, "--from lands");
  AddSharedOptions(*isolate, *options);
  isolate->callback([options] { ExitOnFailure(RunEditCommand(EditKind::kIsolate, "edit isolate", *options)); });
}

void AddErase(CLI::App& edit) {
  auto options = std::make_shared<EditOptions>();
  CLI::App* erase = edit.add_subcommand(
      "erase", "Erase the chosen paths and controls over [--from, --to] and restore just after --to the values "
               "they had there; with --ramp-length, erase [--from, --to) and join the two sides at --to instead");
  erase->add_option("--paths", options->paths, "Paths to erase, e.g. 0-7,12")->type_name("LIST")->required();
  AddRangeOptions(*erase, *options, "End of the edit range: included; excluded with --ramp-length");
  CLI::Option* length = AddRampOptions(*erase, *options, "Erase [--from, --to) (never time 0) and join the values "
                                                         "either side at --to by a ramp this long on slot-aligned "
                                                         "controls (0: a step)");
  CLI::Option* direction =
      erase->add_option("--direction", options->direction,
                        "Side of --to the joining ramp lies on: before (3: it ends at --to, inside the erased range) "
                        "or after (2: it starts at --to); default: before")
          ->type_name("DIR");
  erase->get_option("--ramp-step")->needs(length);
  direction->needs(length);
  AddSharedOptions(*erase, *options);
  erase->callback([options, length] {
    options->rangedErase = length->count() > 0;
    ExitOnFailure(RunEditCommand(EditKind::kErase, "edit erase", *options));
  });
}

}  // namespace

void AddEditCommand(CLI::App& app) {
  CLI::App* edit = app.add_subcommand(
      "edit", "Channel edits on an event-array file or mix: copy, merge, isolate, erase (mixauto edit COMMAND --help)");
  edit->require_subcommand(1);
  AddCopy(*edit);
  AddMerge(*edit);
  AddIsolate(*edit);
  AddErase(*edit);
}

}  // namespace mixauto
