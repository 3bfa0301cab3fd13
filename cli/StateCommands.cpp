// mixauto repair, oldvalues and translate, and what they share with thin (ThinCommand.cpp):
// the high-control base and the path groups that decide each channel's starting value.
#include "StateCommands.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "EventFileJob.h"
#include "ListArguments.h"
#include "StateCommandSupport.h"
#include "TimeArgument.h"
#include "commonobjects/console/ConsoleLayout.h"
#include "commonobjects/console/ControlModel.h"
#include "commonobjects/eventstore/AutomationEventArray.h"
#include "commonobjects/eventstore/TranslationPairArray.h"
#include "commonobjects/package/AutomationPackage.h"
#include "commonobjects/platform/File.h"
#include "commonobjects/platform/WindowsDrive.h"

namespace mixauto {

namespace platform = commonobjects::platform;

// ---- What thin and oldvalues share ----

void AddConsoleStateOptions(CLI::App& command, ConsoleStateOptions& options) {
  command.add_option("--high-base", options.highBase, "First Proc of the high-range controls (36 to 255)")
      ->type_name("B")
      ->capture_default_str();
  command.add_option("--path-groups", options.pathGroups,
                     "Path groups FIRST:COUNT,... (group 0 first) choosing each path's default values; "
                     "default: a mix's own path groups, or every path in group 0 for an event-array file")
      ->type_name("LIST");
}

std::optional<CPathMap> ResolveConsoleState(const char* command, const ConsoleStateOptions& options) {
  if (options.highBase < CControlModel::kFirstHighProc || options.highBase > 255) {
    FailArgument(command, "--high-base " + std::to_string(options.highBase) + ": the high-range base is 36 to 255");
    return std::nullopt;
  }
  if (options.pathGroups.empty()) return CPathMap();
  std::string error;
  std::optional<CPathMap> map = ParsePathGroups(options.pathGroups, error);
  if (!map) FailArgument(command, "--path-groups: " + error);
  return map;
}

CPathMap PathGroupsFor(const ConsoleStateOptions& options, const CPathMap& resolved, const CAutomationPackage* mix) {
  return options.pathGroups.empty() && mix != nullptr ? mix->GetPathMap() : resolved;
}

std::string PathGroupsLine(const ConsoleStateOptions& options, const CPathMap& used, const CAutomationPackage* mix) {
  if (mix == nullptr && options.pathGroups.empty()) return "";
  const std::string groups = FormatPathGroups(used);
  const std::string source = options.pathGroups.empty() ? "the mix's own" : "--path-groups";
  return "Path groups:        " + (groups.empty() ? "none, every path in group 0" : groups) + " (" + source + ")\n";
}

int32_t CountTimeReversals(const CAutomationEventArray& events, int32_t* first) {
  int32_t count = 0;
  int32_t latest = 0;
  *first = -1;
  for (int32_t i = 0; i < events.GetSize(); ++i) {
    const int32_t time = events[i].Time;
    if (i > 0 && time < latest) {
      if (count++ == 0) *first = i;
    } else {
      latest = time;
    }
  }
  return count;
}

std::string CountLine(const char* label, int64_t n) {
  char line[96];
  std::snprintf(line, sizeof line, "%-20s%14s\n", label, WithCommas(n).c_str());
  return line;
}

namespace {

// ---- repair ----

std::string Repair(CAutomationEventArray& events) {
  const CTimecodeConverter converter;
  const int32_t before = events.GetSize();
  int32_t first = -1;
  const int32_t reversals = CountTimeReversals(events, &first);
  std::string report = CountLine("Events", before);
  if (reversals > 0) {
    report += "Time order:         broken at " + WithCommas(reversals) + " place(s); first at event " +
              std::to_string(first) + " (" + FormatTime(converter, events[first].Time) + " after " +
              FormatTime(converter, events[first - 1].Time) + ")\n";
  }
  const std::string reportFile = platform::MapWindowsPath("C:\\Tavmir\\tcerr.txt");
  if (!events.MakeTimeStampsContinuous(0)) return report + "Time order:         intact; nothing to repair.\n";
  report += "Repaired:           same-time duplicates merged, events sorted by time\n";
  report += CountLine("Duplicates merged", before - events.GetSize());
  report += CountLine("Events after", events.GetSize());
  if (platform::FileExists(reportFile)) report += "Report of the places: " + reportFile + "\n";
  return report;
}

// ---- oldvalues ----

std::string SetOldValues(CAutomationEventArray& events, int32_t highBase, const CPathMap& map) {
  std::vector<int16_t> before(static_cast<size_t>(events.GetSize()));
  for (int32_t i = 0; i < events.GetSize(); ++i) before[static_cast<size_t>(i)] = events[i].OldValue;
  events.SetOldValues(highBase, map);
  int64_t changed = 0;
  for (int32_t i = 0; i < events.GetSize(); ++i) changed += before[static_cast<size_t>(i)] != events[i].OldValue;
  return CountLine("Events", events.GetSize()) + CountLine("OldValue changed", changed);
}

// ---- translate ----

struct TranslateOptions {
  EventFileOptions file;
  std::string map;
};

// Events each pair moves: an event takes the first pair whose FROM is its path, once.
std::vector<int64_t> MovesPerPair(const CAutomationEventArray& events, const CTranslationPairArray& pairs) {
  std::vector<int64_t> moves(static_cast<size_t>(pairs.GetSize()));
  for (const CAutomationEvent& e : events) {
    for (int32_t k = 0; k < pairs.GetSize(); ++k) {
      if (pairs[k].From == e.Path) {
        ++moves[static_cast<size_t>(k)];
        break;
      }
    }
  }
  return moves;
}

std::string Translate(CAutomationEventArray& events, const CTranslationPairArray& pairs) {
  const std::vector<int64_t> moves = MovesPerPair(events, pairs);
  events.DoTranslatePaths(pairs);
  std::string report = "   from      to        events\n";
  int64_t total = 0;
  for (int32_t k = 0; k < pairs.GetSize(); ++k) {
    const int64_t n = moves[static_cast<size_t>(k)];
    std::string note;
    for (int32_t j = 0; j < k && note.empty(); ++j) {
      if (pairs[j].From == pairs[k].From) note = "  never applies: pair " + std::to_string(j + 1) + " takes the path";
    }
    if (note.empty() && pairs[k].From == pairs[k].To) note = "  same path";
    if (pairs[k].From != pairs[k].To) total += n;
    char row[64];
    std::snprintf(row, sizeof row, "%7d %7d %13s", pairs[k].From, pairs[k].To, WithCommas(n).c_str());
    report += row + note + "\n";
  }
  return report + CountLine("Events", events.GetSize()) + CountLine("Events moved", total);
}

int RunTranslate(const TranslateOptions& options) {
  const int32_t pathCount = CConsoleLayout().GetMaxPaths();
  std::string error;
  const auto pairs = ParsePairList(options.map, 0, pathCount - 1, "FROM:TO", error);
  if (!pairs) return FailArgument("translate", "--map: " + error);
  CTranslationPairArray translation;
  for (const auto& [from, to] : *pairs) translation.AddPair(from, to);
  return RunOnEventFile("translate", options.file, [&](CAutomationEventArray& events, const CAutomationPackage*) {
    return Translate(events, translation);
  });
}

}  // namespace

void AddRepairCommand(CLI::App& app) {
  auto options = std::make_shared<EventFileOptions>();
  CLI::App* repair = app.add_subcommand(
      "repair", "Put events back in time order where time goes backwards, merging same-time duplicates; a file "
                "already in order is left untouched. The places found are reported in C:\\Tavmir\\tcerr.txt "
                "when that folder exists");
  AddEventFileOptions(*repair, *options);
  repair->callback([options] {
    ExitOnFailure(RunOnEventFile("repair", *options,
                                 [](CAutomationEventArray& events, const CAutomationPackage*) { return Repair(events); }));
  });
}

void AddOldValuesCommand(CLI::App& app) {
  auto options = std::make_shared<EventFileOptions>();
  auto state = std::make_shared<ConsoleStateOptions>();
  CLI::App* oldValues = app.add_subcommand(
      "oldvalues", "Give every event the value its control had just before it (its OldValue), from the "
                   "console's default state on");
  AddEventFileOptions(*oldValues, *options);
  AddConsoleStateOptions(*oldValues, *state);
  oldValues->callback([options, state] {
    const std::optional<CPathMap> map = ResolveConsoleState("oldvalues", *state);
    if (!map) ExitOnFailure(1);
    ExitOnFailure(RunOnEventFile("oldvalues", *options, [&](CAutomationEventArray& events, const CAutomationPackage* mix) {
      const CPathMap groups = PathGroupsFor(*state, *map, mix);
      return PathGroupsLine(*state, groups, mix) + SetOldValues(events, state->highBase, groups);
    }));
  });
}

void AddTranslateCommand(CLI::App& app) {
  auto options = std::make_shared<TranslateOptions>();
  CLI::App* translate = app.add_subcommand(
      "translate", "Move the events of paths to other paths (the first pair naming a path applies; pairs do "
                   "not chain); times and order stay");
  AddEventFileOptions(*translate, options->file);
  translate->add_option("--map", options->map, "Pairs FROM:TO,... of path numbers as dump shows them, e.g. 5:7,6:8")
      ->type_name("MAP")
      ->required();
  translate->callback([options] { ExitOnFailure(RunTranslate(*options)); });
}

}  // namespace mixauto
