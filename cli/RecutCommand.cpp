// mixauto recut copy|move|delete MIX --from T --to T [--at T]: the console's conform by hand.
// The stretch [--from, --to) is S, and D starts at --at with S's length:
//
//   copy    S written over D; everything else stays
//   move    S leaves its place (a blank remains) and lands at --at when that is at or before
//           --from, else at --at + --to, as the console places a later move
//   delete  S emptied (a blank remains); everything else stays
//
// Every path is conformed. The report's stretches come from the edit list the library
// writes for the operation.
#include <memory>
#include <string>

#include "ConformCommand.h"
#include "ConformJob.h"
#include "TimeArgument.h"
#include "commonobjects/conform/ConformEngine.h"
#include "commonobjects/conform/VadicConform.h"
#include "commonobjects/package/AutomationPackage.h"
#include "commonobjects/platform/WindowsDrive.h"

namespace mixauto {

namespace {

enum class RecutKind { kCopy, kMove, kDelete };

struct RecutOptions {
  EventFileOptions file;
  int32_t from = 0;
  int32_t to = 0;
  int32_t at = 0;
  std::string report;
};

std::string Range(const RecutOptions& o) {
  const CTimecodeConverter c;
  return FormatTime(c, o.from) + " to " + FormatTime(c, o.to) + " (end excluded)";
}

std::string Title(RecutKind kind, const RecutOptions& o) {
  const CTimecodeConverter c;
  const std::string head = "Recut on " + o.file.file + ": ";
  switch (kind) {
    case RecutKind::kCopy: return head + "copy " + Range(o) + " over the stretch at " + FormatTime(c, o.at);
    case RecutKind::kMove:
      return head + "move " + Range(o) + " to " +
             (o.at <= o.from ? FormatTime(c, o.at)
                             : FormatTime(c, o.at + o.to) + " (--at " + FormatTime(c, o.at) +
                                   " plus --to, as the console places a later move)");
    case RecutKind::kDelete: return head + "delete " + Range(o) + "; everything else stays in place";
  }
  return head;
}

std::string Advice(enConformStatus status) {
  if (status == kConformListFileFailed) {
    return "the temporary edit list " + TemporaryEdlFile() +
           " could not be written; is the Windows drive folder (COMMONOBJECTS_ROOT) writable?";
  }
  if (status == kConformEdlOpenFailed) return "the temporary edit list " + TemporaryEdlFile() + " could not be read";
  return "the mix could not be rebuilt from its own file";
}

enConformStatus Run(RecutKind kind, CAutomationPackage& mix, const RecutOptions& o) {
  CSourceDestItem source, destination;
  source.Start = o.from;
  source.Length = o.to - o.from;
  destination.Start = o.at;
  destination.Length = source.Length;
  switch (kind) {
    case RecutKind::kCopy: return CopyConformVadicStyle(&mix, source, destination);
    case RecutKind::kMove: return MoveConformVadicStyle(&mix, source, destination);
    case RecutKind::kDelete: return DeleteConformVadicStyle(&mix, source);
  }
  return kConformAssemblyFailed;
}

int RunRecut(RecutKind kind, const char* command, const RecutOptions& options) {
  if (options.to <= options.from || options.from < 0) {
    return FailArgument(command,
                        "--to must be later than --from, and --from not before time 0 (the stretch ends "
                        "just before --to)");
  }
  if (options.at < 0 || static_cast<int64_t>(options.at) + options.to > INT32_MAX) {
    return FailArgument(command,
                        "--at: the stretch would land before time 0 or past the last time an event can "
                        "hold");
  }
  ConformJob job;
  job.mixName = options.file.file;
  job.title = Title(kind, options);
  job.pathNote = "Paths: every path (a recut conforms the whole mix)";
  job.conform = [&](CAutomationPackage& mix) { return Run(kind, mix, options); };
  job.list = [] { return TemporaryEDLPath(); };
  job.timesInUnits = true;
  job.advice = Advice;
  if (!options.report.empty()) job.page = commonobjects::platform::MapWindowsPath(options.report);
  return RunOnMixFile(command, options.file, [&](CAutomationPackage& mix) { return RunConformJob(mix, job); });
}

void AddRecut(CLI::App& recut, RecutKind kind, const char* name, const char* command, const char* help) {
  auto options = std::make_shared<RecutOptions>();
  CLI::App* sub = recut.add_subcommand(name, help);
  AddMixFileOptions(*sub, options->file);
  AddTimeOption(*sub, "--from", options->from, "Start of the stretch, included")->required();
  AddTimeOption(*sub, "--to", options->to, "End of the stretch, excluded")->required();
  if (kind != RecutKind::kDelete) {
    AddTimeOption(*sub, "--at", options->at,
                  kind == RecutKind::kCopy ? "Where the copy lands" : "Where the stretch goes (see above)")
        ->required();
  }
  AddReportPageOption(*sub, options->report);
  sub->callback([options, kind, command] { ExitOnFailure(RunRecut(kind, command, *options)); });
}

}  // namespace

void AddRecutCommand(CLI::App& app) {
  CLI::App* recut = app.add_subcommand(
      "recut",
      "Conform a mix by hand, as the console does: copy, move or delete a stretch (mixauto recut COMMAND "
      "--help)");
  recut->require_subcommand(1);
  AddRecut(*recut, RecutKind::kCopy, "copy", "recut copy",
           "Write the stretch [--from, --to) over the same length at --at; everything else stays in place");
  AddRecut(*recut, RecutKind::kMove, "move", "recut move",
           "Take the stretch [--from, --to) out (a blank remains) and write it at --at when that is at or before "
           "--from, else at --at + --to, as the console places a later move");
  AddRecut(*recut, RecutKind::kDelete, "delete", "recut delete",
           "Empty the stretch [--from, --to) (a blank remains); everything else stays in place");
}

}  // namespace mixauto
