#include "EventFileJob.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

#include "MixFile.h"
#include "commonobjects/console/ConsoleLayout.h"
#include "commonobjects/eventstore/AutomationEventArray.h"
#include "commonobjects/package/AutomationPackage.h"
#include "commonobjects/platform/CompoundFile.h"
#include "commonobjects/platform/File.h"
#include "commonobjects/platform/WindowsDrive.h"
#include "commonobjects/settings/SharedNames.h"

namespace mixauto {

namespace platform = commonobjects::platform;

// ---- Progress line ----

struct ProgressLine::State {
  uint32_t message = 0;  // "Automation Event Notication"
  std::string phase;
  int32_t percent = -1;
  int32_t count = -1;
  int32_t item = -1;  // conform: the item being worked on, from 1
  size_t width = 0;  // characters of the line now on screen
  std::chrono::steady_clock::time_point lastWrite;

  // Runs on the endpoint's thread; never throws.
  void Take(const platform::PostedMessage& posted) noexcept {
    if (posted.message != message) return;
    try {
      const std::string was = phase;
      switch (posted.code) {
        case 0:
        case 15: phase = "loading", percent = posted.param; break;
        case 17: phase = "loading", percent = 100; break;
        case 26: phase = "converting", percent = posted.param; break;
        case 31: phase = "sorting", percent = -1; break;
        case 33: phase = "thinning", percent = posted.param; break;
        case 34: phase = "thinning", count = posted.param; break;
        case 27: phase = "conforming", percent = std::clamp<int32_t>(posted.param, 0, 100); break;
        case 28:
          if (phase != "conforming") percent = 0;
          phase = "conforming", item = posted.param;
          break;
        default: return;
      }
      if (phase != was && posted.code != 34) count = -1;
      if (phase != was && posted.code != 28) item = -1;
      const auto now = std::chrono::steady_clock::now();
      if (phase == was && now - lastWrite < std::chrono::milliseconds(100)) return;
      lastWrite = now;
      std::string text = phase + (percent >= 0 ? " " + std::to_string(percent) + "%" : std::string("..."));
      if (count >= 0) text += " (" + WithCommas(count) + " removed)";
      if (item >= 0) text += " (item " + WithCommas(item) + ")";
      Write(text);
    } catch (...) {
      // a progress line is worth no failure
    }
  }

  // Rewrites the line in place: carriage return, the text, blanks over a longer old line.
  void Write(const std::string& text) {
    const std::string blanks(width > text.size() ? width - text.size() : 0, ' ');
    std::fprintf(stderr, "\r%s%s", text.c_str(), blanks.c_str());
    std::fflush(stderr);
    width = text.size();
  }

  void Clear() {
    if (width == 0) return;
    std::fprintf(stderr, "\r%s\r", std::string(width, ' ').c_str());
    std::fflush(stderr);
    width = 0;
  }
};

ProgressLine::ProgressLine(bool show) {
  if (!show) return;
  state_ = std::make_unique<State>();
  state_->message = platform::RegisterMessage(SharedNames::kAutomationEventNotificationMessage);
  State* state = state_.get();
  endpoint_ = std::make_unique<platform::Endpoint>(
      SharedNames::kStatusWindowClass, [state](const platform::PostedMessage& posted) { state->Take(posted); });
}

ProgressLine::~ProgressLine() { Stop(); }

HWND ProgressLine::Handle() const { return endpoint_ ? endpoint_->Handle() : nullptr; }

void ProgressLine::Stop() {
  endpoint_.reset();  // delivers what is queued and joins its thread: the state is ours again
  if (state_) state_->Clear();
  state_.reset();
}

// ---- Helpers ----

int FailOn(const char* command, const std::string& file, const std::string& what) {
  std::fprintf(stderr, "mixauto %s: %s: %s\n", command, file.c_str(), what.c_str());
  return 1;
}

int FailArgument(const char* command, const std::string& what) {
  std::fprintf(stderr, "mixauto %s: %s\n", command, what.c_str());
  return 1;
}

std::string WithCommas(int64_t n) {
  std::string digits = std::to_string(n < 0 ? -n : n);
  for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3) digits.insert(static_cast<size_t>(i), ",");
  return (n < 0 ? "-" : "") + digits;
}

void ExitOnFailure(int status) {
  if (status != 0) throw CLI::RuntimeError(status);
}

CLI::Option* AddEventFileOptions(CLI::App& command, EventFileOptions& options, bool fileRequired) {
  CLI::Option* file =
      command.add_option("FILE", options.file, "Event-array file or mix (structured or compressed)")->type_name("FILE");
  if (fileRequired) file->required();
  command.add_option("-o,--output", options.output,
                     "Write the result to OUT instead of back into FILE (a mix keeps its form)")
      ->type_name("OUT");
  command.add_flag("--dry-run", options.dryRun, "Compute and report, write nothing");
  command.add_flag("--progress", options.progress, "Show a progress line on stderr while loading and working");
  return file;
}

namespace {


// Why FILE cannot be loaded as an event-array file or a mix, before trying: "" when it may.
std::string FormProblem(const std::string& native, FileKind kind) {
  switch (kind) {
    case FileKind::kMissing:
      return "no such file (check the name; Windows names such as C:\\Mixes\\a.mix live under the Windows drive "
             "folder)";
    case FileKind::kOther: {
      const platform::StgStatus probe = platform::StgIsStorageFile(native);
      return probe.code == platform::StgStatus::kNotCompoundFile || probe.message.empty()
                 ? "not an event-array file or mix (neither a compound file nor a compressed mix)"
                 : probe.message;
    }
    default: return "";
  }
}

// The file's max paths mode is one the array can take: none (read as mode 0), 0, the
// array's own, or 1 inside the 2000 paths of mode 2.
std::string ModeProblem(const CAutomationEventArray& events, const std::string& native, int32_t* fileMode) {
  int32_t mode = 0;
  if (events.ReadPathMode(native, mode) == 0) mode = 0;
  *fileMode = mode;
  const int32_t own = events.GetMaxPathsMode();
  if (mode == 0 || mode == own || (own == 2 && mode == 1)) return "";
  return PathModeMismatch(mode, own);
}

std::string LoadProblem(CAutomationEventArray& events, const std::string& native, int32_t* fileMode) {
  std::string problem = ModeProblem(events, native, fileMode);
  if (problem.empty() && events.Load(native) != 1) {
    problem = "cannot load its events: the \"AutomationData\" stream is missing or damaged, or another program "
              "holds the file (try mixauto check on it)";
  }
  return problem;
}

bool SameEvents(const CAutomationEventArray& a, const CAutomationEventArray& b) {
  return a.GetSize() == b.GetSize() && std::equal(a.begin(), a.end(), b.begin());
}

bool IsSameFile(const std::string& a, const std::string& b) {
  std::error_code ignored;
  return a == b || std::filesystem::equivalent(a, b, ignored);
}

// Another file: FILE's bytes are copied to a temporary name beside OUT, the events saved
// into the copy (so OUT keeps FILE's other streams, not OUT's), and the copy renamed over
// OUT. OUT is replaced whole or not at all; the temporary file never outlives a failure.
std::string WriteCopy(const std::string& source, const std::string& out, const CAutomationEventArray& events,
                      bool changed) {
  if (!changed) return ReplaceFile(out, source, nullptr);
  return ReplaceFile(out, source, [&events](const std::string& temporary) { return events.Save(temporary) == 1; });
}

int WriteBack(const char* command, const EventFileOptions& options, const std::string& native,
              const CAutomationEventArray& events, int32_t fileMode, bool changed) {
  if (options.dryRun) {
    std::printf("Dry run: nothing written.\n");
    return 0;
  }
  const std::string out = options.output.empty() ? native : platform::MapWindowsPath(options.output);
  const bool inPlace = IsSameFile(native, out);
  if (inPlace && !changed) {
    std::printf("Events unchanged: %s not rewritten.\n", options.file.c_str());
    return 0;
  }
  const int32_t savedMode = CConsoleLayout().GetMaxPathsMode();
  if (changed && savedMode != fileMode) {
    std::printf("Note: written in max paths mode %d (%s paths); the file had mode %d.\n", savedMode,
                PathsOfMode(savedMode).c_str(), fileMode);
  }
  // In place, Save writes straight into FILE rather than into a copy renamed over it: Save
  // puts every stream into free sectors and switches the header last, after a sync, so an
  // interrupted or refused save leaves the file as it was; and it keeps the file's other
  // streams and permissions and respects a program that holds the file open, which a rename
  // over it would not.
  if (inPlace) {
    if (events.Save(native) != 1) {
      return FailOn(command, options.file,
                    "could not write the events back (is the file in use, or its folder read-only?); the file is "
                    "as it was");
    }
    std::printf("Wrote %s.\n", options.file.c_str());
    return 0;
  }
  const std::string problem = WriteCopy(native, out, events, changed);
  if (!problem.empty()) return FailOn(command, options.output, problem + "; nothing written");
  std::printf("Wrote %s%s.\n", options.output.c_str(), changed ? "" : " (a copy of the unchanged file)");
  return 0;
}

// ---- Mixes ----

// What a save of the loaded mix changes besides the events: the max paths mode of its event
// records and the snapshot version of its records.
std::string MixSaveNotes(const CAutomationPackage& mix) {
  std::string notes;
  const PackageLoadReportStructure& report = mix.GetLoadReport();
  const int32_t savedMode = mix.GetMaxPathsMode();
  if (!mix.IsCompressedFile() && report.EventMode >= 0 && report.EventMode != savedMode) {
    notes += "Note: events written in max paths mode " + std::to_string(savedMode) + " (" + PathsOfMode(savedMode) +
             " paths); the file had mode " + std::to_string(report.EventMode) + ".\n";
  }
  if (mix.IsOldVersion()) {
    notes += "Note: the mix had snapshot version " + std::to_string(report.Version) +
             " and was converted on loading; it is saved under the current version.\n";
  }
  return notes;
}

int WriteMixBack(const char* command, const EventFileOptions& options, const std::string& native,
                 CAutomationPackage& mix, bool changed, std::FILE* notes) {
  if (options.dryRun) {
    std::fprintf(notes, "Dry run: nothing written.\n");
    return 0;
  }
  const std::string out = options.output.empty() ? native : platform::MapWindowsPath(options.output);
  const bool inPlace = IsSameFile(native, out);
  const std::string& shown = inPlace ? options.file : options.output;
  if (inPlace && !changed) {
    std::fprintf(notes, "Events unchanged: %s not rewritten.\n", options.file.c_str());
    return 0;
  }
  if (!changed) {
    const std::string problem = ReplaceFile(out, native, nullptr);
    if (!problem.empty()) return FailOn(command, shown, problem + "; nothing written");
    std::fprintf(notes, "Wrote %s (a copy of the unchanged file).\n", shown.c_str());
    return 0;
  }
  const std::string refusal = SaveProblem(mix);
  if (!refusal.empty()) {
    return FailOn(command, options.file, refusal + "; saving the mix would lose that, so nothing was written");
  }
  const bool compressed = mix.IsCompressedFile();
  std::fputs(MixSaveNotes(mix).c_str(), notes);
  // A structured mix written elsewhere starts from a copy of FILE, as an event-array file
  // does, so that OUT keeps FILE's other streams; in place the save commits into FILE.
  const std::string problem =
      compressed || inPlace ? SaveMixInto(mix, out, compressed)
                            : ReplaceFile(out, native, [&mix](const std::string& temporary) {
                                return SaveMixInto(mix, temporary, false).empty();
                              });
  if (!problem.empty()) {
    return FailOn(command, shown, problem + (inPlace ? "; the file is as it was" : "; nothing written"));
  }
  std::fprintf(notes, "Wrote %s (the whole %s).\n", shown.c_str(), MixFormName(compressed));
  return 0;
}

// Loads the mix at native, runs the work and writes the mix back when its events changed.
int RunOnLoadedMix(const char* command, const EventFileOptions& options, const std::string& native,
                   const MixWork& work, bool notesToStderr) {
  ProgressLine progress(options.progress || platform::IsTerminal(stderr));
  const std::unique_ptr<CAutomationPackage> mix = LoadMix(native, progress.Handle());
  const std::string problem = EventsProblem(*mix);
  if (!problem.empty()) {
    progress.Stop();
    return FailOn(command, options.file, problem);
  }
  const std::vector<CAutomationEvent> loaded(mix->begin(), mix->end());
  const MixWorkResult result = work(*mix);
  progress.Stop();
  if (!result.failure.empty()) return FailOn(command, options.file, result.failure + "; nothing was written");
  std::fputs(result.report.c_str(), stdout);
  const bool changed = !std::equal(loaded.begin(), loaded.end(), mix->begin(), mix->end());
  return WriteMixBack(command, options, native, *mix, changed, notesToStderr ? stderr : stdout);
}

int RunOnMix(const char* command, const EventFileOptions& options, const std::string& native,
             const EventWork& work) {
  return RunOnLoadedMix(
      command, options, native, [&work](CAutomationPackage& mix) { return MixWorkResult{work(mix, &mix), ""}; },
      false);
}

}  // namespace

int RunOnMixFile(const char* command, const EventFileOptions& options, const MixWork& work, bool notesToStderr) {
  const std::string native = platform::MapWindowsPath(options.file);
  const FileKind kind = DetectFileKind(native);
  if (kind == FileKind::kEventArray) {
    return FailOn(command, options.file, "an event-array file (events only), not a mix; give a structured or a "
                                         "compressed mix");
  }
  if (!IsMix(kind)) return FailOn(command, options.file, FormProblem(native, kind));
  return RunOnLoadedMix(command, options, native, work, notesToStderr);
}

std::unique_ptr<CAutomationEventArray> LoadEventsToRead(const std::string& native, HWND status, std::string& problem) {
  const FileKind kind = DetectFileKind(native);
  problem = FormProblem(native, kind);
  if (!problem.empty()) return nullptr;
  if (IsMix(kind)) {
    std::unique_ptr<CAutomationPackage> mix = LoadMix(native, status);
    problem = EventsProblem(*mix);
    if (problem.empty()) return mix;
    return nullptr;
  }
  auto events = std::make_unique<CAutomationEventArray>();
  events->SetStatusWnd(status);
  int32_t fileMode = 0;
  problem = LoadProblem(*events, native, &fileMode);
  if (problem.empty()) return events;
  return nullptr;
}

int RunOnEventFile(const char* command, const EventFileOptions& options, const EventWork& work) {
  const std::string native = platform::MapWindowsPath(options.file);
  const FileKind kind = DetectFileKind(native);
  if (IsMix(kind)) return RunOnMix(command, options, native, work);
  if (!FormProblem(native, kind).empty()) return FailOn(command, options.file, FormProblem(native, kind));
  ProgressLine progress(options.progress || platform::IsTerminal(stderr));
  CAutomationEventArray events;
  events.SetStatusWnd(progress.Handle());  // Sort reports only to a set status window
  int32_t fileMode = 0;
  const std::string problem = LoadProblem(events, native, &fileMode);
  if (!problem.empty()) {
    progress.Stop();
    return FailOn(command, options.file, problem);
  }
  const CAutomationEventArray loaded = events;
  const std::string report = work(events, nullptr);
  progress.Stop();
  std::fputs(report.c_str(), stdout);
  return WriteBack(command, options, native, events, fileMode, !SameEvents(loaded, events));
}

}  // namespace mixauto
