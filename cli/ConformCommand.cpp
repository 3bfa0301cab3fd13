// mixauto conform MIX LIST [-o OUT] [--dry-run] [--progress] [--paths LIST] [--json]: the mix
// follows the re-cut picture that LIST describes. LIST is told by its name, as the library
// tells it: ".cut" a change list (binary, or a text report whose moves are not paired), ".txt"
// or no extension a text change list (inserts paired with the moves they name), any other
// extension an edit decision list. Only the selected paths are conformed; the automation of
// the others is not carried over, as on the console.
#include "ConformCommand.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ConformJob.h"
#include "ListArguments.h"
#include "Text.h"
#include "commonobjects/conform/ConformEngine.h"
#include "commonobjects/console/ConsoleLayout.h"
#include "commonobjects/package/AutomationPackage.h"
#include "commonobjects/platform/WindowsDrive.h"

namespace mixauto {

namespace {

constexpr const char* kConformHelp =
    "Conform a mix to a re-cut picture: LIST is an edit decision list or a picture change list (told by its name: "
    ".cut a change list, .txt or no extension a text change list, any other extension an edit list). Reports the "
    "stretches kept, removed, moved and inserted, the source mixes and the events before and after, and writes the "
    "mix back whole in its own form.";

struct ConformOptions {
  EventFileOptions file;
  std::string list;
  std::string paths;
  bool json = false;
  std::string report;
};

const char* KindText(ConformListKind kind) {
  switch (kind) {
    case ConformListKind::kEditList: return "an edit decision list";
    case ConformListKind::kChangeList: return "a change list, its moves not paired with inserts";
    case ConformListKind::kPairedChangeList: return "a text change list, each insert taking the move it names";
  }
  return "";
}

std::string Advice(const std::string& list, enConformStatus status) {
  switch (status) {
    case kConformListFileFailed:
      return "check that " + list +
             " is there and readable (mixauto cutlist reads it) and that the temporary edit "
             "list " +
             TemporaryEdlFile() + " can be written under the Windows drive folder (COMMONOBJECTS_ROOT)";
    case kConformChangeListHeadFailed:
      return "no change could be read: neither the binary magic nor a text header (Old Duration ... Clip Name) "
             "followed by a change; mixauto cutlist " +
             list + " shows what it reads";
    case kConformChangeListChangesFailed:
      return "a change is malformed (feet+frames footage, wording, or a record cut short); mixauto cutlist " + list +
             " shows where";
    case kConformEdlOpenFailed: return "check the name of " + list + " and that it is readable (mixauto edl reads it)";
    case kConformSourcesFailed:
      return "the list's reels name the source mixes (<reel>.aut, beside where mixauto runs); mixauto edl " + list +
             " shows its reel table";
    default: return "the mix could not be rebuilt from its source mixes";
  }
}

// The selected paths, in ascending order without repeats; nothing (and the error on stderr)
// for a bad list, an empty vector for every path.
std::optional<std::vector<int32_t>> ResolvePaths(const std::string& text) {
  if (text.empty()) return std::vector<int32_t>{};
  std::string error;
  std::optional<std::vector<int32_t>> paths = ParsePathList(text, CConsoleLayout().GetMaxPaths(), error);
  if (!paths) {
    FailArgument("conform", "--paths: " + error);
    return std::nullopt;
  }
  std::sort(paths->begin(), paths->end());
  paths->erase(std::unique(paths->begin(), paths->end()), paths->end());
  return paths;
}

std::string PathNote(const std::string& text, size_t selected, int32_t pathCount) {
  if (selected == 0) return "Paths: every path of the console (" + std::to_string(pathCount) + ")";
  const int64_t others = pathCount - static_cast<int64_t>(selected);
  return "Paths: " + Trimmed(text) + " (" + std::to_string(selected) + " of " + std::to_string(pathCount) +
         "); the automation of the other " + WithCommas(others) + " path" + (others == 1 ? "" : "s") +
         " is dropped, as the console's conform drops it";
}

int RunConform(const ConformOptions& options) {
  const std::optional<std::vector<int32_t>> paths = ResolvePaths(options.paths);
  if (!paths) return 1;
  ConformJob job = MakeConformJob(options.file.file, options.list, *paths, options.paths, options.json);
  if (!options.report.empty()) job.page = commonobjects::platform::MapWindowsPath(options.report);
  return RunOnMixFile(
      "conform", options.file, [&job](CAutomationPackage& mix) { return RunConformJob(mix, job); }, options.json);
}

}  // namespace

ConformJob MakeConformJob(const std::string& mixName, const std::string& list, const std::vector<int32_t>& paths,
                          const std::string& pathsText, bool json) {
  const ConformListKind kind = ConformListKindOf(list);
  ConformJob job;
  job.mixName = mixName;
  job.title = "Conform of " + mixName + " to " + list + " (" + KindText(kind) + ")";
  job.pathNote = PathNote(pathsText, paths.size(), CConsoleLayout().GetMaxPaths());
  job.conform = [paths, list](CAutomationPackage& mix) {
    mix.Filter.Clear();
    if (paths.empty()) {
      for (int32_t path = 0; path < mix.GetMaxPaths(); ++path) mix.Filter.Paths.Add(path);
    } else {
      for (const int32_t path : paths) mix.Filter.Paths.Add(path);
    }
    return DoConform(&mix, list);
  };
  job.list = [kind, list] { return kind == ConformListKind::kEditList ? list : TemporaryEDLPath(); };
  job.advice = [list](enConformStatus status) { return Advice(list, status); };
  job.json = json;
  return job;
}

void AddConformCommand(CLI::App& app) {
  auto options = std::make_shared<ConformOptions>();
  CLI::App* command = app.add_subcommand("conform", kConformHelp);
  AddMixFileOptions(*command, options->file);
  command->add_option("LIST", options->list, "The edit decision list or change list")->type_name("LIST")->required();
  command
      ->add_option("--paths", options->paths,
                   "Conform only these paths, e.g. 0-7,12 (default: every path); the others' automation is "
                   "dropped")
      ->type_name("LIST");
  command->add_flag("--json", options->json,
                    "Print the report as one JSON object (the lines about writing go to stderr)");
  AddReportPageOption(*command, options->report);
  command->callback([options] { ExitOnFailure(RunConform(*options)); });
}

}  // namespace mixauto
