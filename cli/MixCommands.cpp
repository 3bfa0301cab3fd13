// mixauto convert and save-demo --mix.
//
// convert loads a mix of either form and writes it in the form --to names to OUT, so that OUT
// ends whole: the new mix, or what it held before when the write fails. A mix whose events or
// members could not be read is refused unless --force, since the converted mix would lack them.
#include "MixCommands.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "EventCsv.h"
#include "EventFileJob.h"
#include "MixFile.h"
#include "commonobjects/package/AutomationPackage.h"
#include "commonobjects/package/MixLayout.h"
#include "commonobjects/platform/File.h"
#include "commonobjects/platform/WindowsDrive.h"

namespace mixauto {

namespace {

namespace platform = commonobjects::platform;

struct ConvertOptions {
  std::string file;
  std::string to;
  std::string output;
  bool force = false;
  bool progress = false;
};

std::string SizeOf(const std::string& native) {
  platform::FileAttributes attributes;
  platform::GetFileAttributes(native, &attributes);
  return WithCommas(static_cast<int64_t>(attributes.size));
}

// Why FILE is no mix to convert, or "".
std::string NotAMix(FileKind kind) {
  switch (kind) {
    case FileKind::kMissing:
      return "no such file (check the name; Windows names live under the Windows drive folder)";
    case FileKind::kEventArray:
      return "an event-array file (events only), not a mix: it has no records, maps or identity to convert";
    case FileKind::kOther: return "not a mix (neither a structured mix nor a compressed mix)";
    default: return "";
  }
}

int RunConvert(const ConvertOptions& options) {
  const bool compressed = options.to == "compressed";
  const std::string native = platform::MapWindowsPath(options.file);
  const std::string problem = NotAMix(DetectFileKind(native));
  if (!problem.empty()) return FailOn("convert", options.file, problem);
  ProgressLine progress(options.progress || platform::IsTerminal(stderr));
  const std::unique_ptr<CAutomationPackage> mix = LoadMix(native, progress.Handle());
  progress.Stop();
  const std::string damage = SaveProblem(*mix);
  if (!mix->GetLoadReport().Opened) return FailOn("convert", options.file, damage);
  if (!damage.empty() && !options.force) {
    return FailOn("convert", options.file,
                  damage + "; the converted mix would lack it, so nothing was written (--force converts what could "
                           "be read)");
  }
  if (!damage.empty()) std::printf("Warning: %s; converting what could be read (--force).\n", damage.c_str());
  if (mix->IsOldVersion()) {
    std::printf("Note: snapshot version %u, converted on loading; written under the current version.\n",
                mix->GetLoadReport().Version);
  }
  const std::string out = platform::MapWindowsPath(options.output);
  const bool existed = platform::FileExists(out);
  const std::string failed = WriteMix(*mix, out, compressed);
  if (!failed.empty()) {
    return FailOn("convert", options.output, failed + (existed ? "; the file is as it was" : "; nothing written"));
  }
  std::printf("Converted %s (%s, %s events) to %s (%s): %s bytes.\n", options.file.c_str(),
              MixFormName(mix->IsCompressedFile()), WithCommas(mix->GetSize()).c_str(), options.output.c_str(),
              MixFormName(compressed), SizeOf(out).c_str());
  return 0;
}

// The members of a new mix on this console, around its events: the snapshot version current
// for the console's max paths mode, one link per path, no gangs, a complete control parameter
// block of zeros; no records in the slots, no route parameters, no path groups, no mix pass.
void FillNewMix(CAutomationPackage& mix) {
  const int32_t paths = mix.GetMaxPaths();
  mix.SnapshotVersion.RemoveAll();
  mix.SnapshotVersion.Add(static_cast<uint32_t>(MixLayout::CurrentSnapshotVersion(mix.GetPathsMode(), mix.HasSmallSlots())));
  mix.LinkMap.SetSize(paths);
  for (int32_t p = 0; p < paths; ++p) mix.LinkMap[p] = static_cast<uint32_t>(p);
  mix.GangMap.SetSize(paths * paths);
  std::fill(mix.GangMap.begin(), mix.GangMap.end(), uint16_t{0xFFFF});
  mix.ControlParms.SetSize(paths * MixLayout::kControlParmWordsPerPath);
  std::fill(mix.ControlParms.begin(), mix.ControlParms.end(), uint16_t{0});
}

template <typename T>
bool SameArray(const CGrowableArray<T>& a, const CGrowableArray<T>& b) {
  return a.GetSize() == b.GetSize() && std::equal(a.begin(), a.end(), b.begin());
}

bool SameMix(const CAutomationPackage& a, const CAutomationPackage& b) {
  return SameArray<CAutomationEvent>(a, b) && SameArray(a.SnapshotVersion, b.SnapshotVersion) &&
         SameArray(a.LinkMap, b.LinkMap) && SameArray(a.GangMap, b.GangMap) &&
         SameArray(a.ControlParms, b.ControlParms) && SameArray(a.RouteParms, b.RouteParms);
}

}  // namespace

int SaveDemoMix(const std::string& eventsFile, const std::string& file, bool compressed) {
  CAutomationPackage mix;
  mix.SetNotifyOnDestruction(false);
  std::string error;
  if (!LoadEventCsv(eventsFile, mix, error)) return FailOn("save-demo", eventsFile, error);
  std::printf("Read %s events from %s\n", WithCommas(mix.GetSize()).c_str(), eventsFile.c_str());
  FillNewMix(mix);
  std::printf("Saving them as a %s with max paths mode %d (%s), snapshot version %u, one link per path, no "
              "gangs and zero parameters\n",
              MixFormName(compressed), mix.GetPathsMode(), PathsModeName(mix.GetPathsMode()), mix.SnapshotVersion[0]);
  const std::string native = platform::MapWindowsPath(file);
  const std::string failed = WriteMix(mix, native, compressed);
  if (!failed.empty()) return FailOn("save-demo", file, "could not save: " + failed);
  std::printf("Wrote %s: %s bytes\n", native.c_str(), SizeOf(native).c_str());

  const std::unique_ptr<CAutomationPackage> loaded = LoadMix(native);
  const std::string problem = EventsProblem(*loaded);
  if (!problem.empty()) return FailOn("save-demo", file, "saved, but could not load it back: " + problem);
  const bool equal = SameMix(mix, *loaded);
  std::printf("Loaded the mix back (%s events): %s\n", WithCommas(loaded->GetSize()).c_str(),
              equal ? "equal to the saved mix" : "DIFFERENT from the saved mix");
  return equal ? 0 : 1;
}

void AddConvertCommand(CLI::App& app) {
  auto options = std::make_shared<ConvertOptions>();
  CLI::App* convert = app.add_subcommand(
      "convert", "Save a mix in the other form (or the same) to OUT: structured (compound file) or compressed "
                 "(AUTXFILE); OUT is replaced whole or left as it was");
  convert->add_option("MIX", options->file, "The mix to convert: a structured or a compressed mix")
      ->type_name("MIX")
      ->required();
  convert->add_option("--to", options->to, "The form to write: compressed or structured")
      ->type_name("FORM")
      ->check(CLI::IsMember({"compressed", "structured"}))
      ->required();
  convert->add_option("-o,--output", options->output, "The file to write (created, or replaced whole)")
      ->type_name("OUT")
      ->required();
  convert->add_flag("--force", options->force,
                    "Convert even when the mix's events or some members could not be read (they are lost)");
  convert->add_flag("--progress", options->progress, "Show a progress line on stderr while loading");
  convert->callback([options] { ExitOnFailure(RunConvert(*options)); });
}

}  // namespace mixauto
