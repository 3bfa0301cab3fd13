// The frame of mixauto's whole-array commands (thin, repair, oldvalues, translate, edit):
// load an event-array file or a mix, run one operation on its events, report, and write the
// file back.
//
// Every such command takes FILE, -o/--output OUT (default: FILE itself), --dry-run (compute
// and report, write nothing) and --progress (a progress line on stderr while loading and
// working). A file is written only when its events changed, or when -o names another file.
// An event-array file gets its events back; a mix is saved whole, in the form it came in, so
// that its records, maps and identity stay; a mix whose events or members could not be read
// is not saved (that would lose them). A failure names the file, says what to do and gives
// exit status 1; the file on disk is then as it was before. Used from the main thread only.
#pragma once

#include <CLI/CLI.hpp>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "commonobjects/platform/WindowMessages.h"

class CAutomationEventArray;
class CAutomationPackage;

namespace mixauto {

struct EventFileOptions {
  std::string file;
  std::string output;  // empty: write back into file
  bool dryRun = false;
  bool progress = false;
};

// Adds FILE (required unless `fileRequired` is false), -o/--output, --dry-run and --progress.
CLI::Option* AddEventFileOptions(CLI::App& command, EventFileOptions& options, bool fileRequired = true);

// "mixauto COMMAND: FILE: what" on stderr; returns the exit status 1.
int FailOn(const char* command, const std::string& file, const std::string& what);

// "mixauto COMMAND: what" on stderr, for a bad argument; returns the exit status 1.
int FailArgument(const char* command, const std::string& what);

// 1234567 -> "1,234,567".
std::string WithCommas(int64_t n);

// A progress line on stderr fed by the library's status notifications: while it runs, an
// endpoint of class "TavmirStatusWindow" receives them on its own thread and rewrites one
// line (load 15 and, for a compressed mix, 0 and 17; mix conversion 26; sort 31; thinning
// 33 percent and 34 count; conform 27 percent and 28 item). Stop(), or the destructor,
// unregisters the endpoint, waits for its thread and clears the line; report after that.
class ProgressLine {
 public:
  explicit ProgressLine(bool show);
  ~ProgressLine();
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  // The endpoint to give an array as its status window (so that Sort reports); null when
  // nothing is shown.
  HWND Handle() const;
  void Stop();

  struct State;

 private:
  std::unique_ptr<State> state_;  // outlives the endpoint, whose thread writes it
  std::unique_ptr<commonobjects::platform::Endpoint> endpoint_;
};

// The operation of a command: it changes the events and returns the report to print. `mix`
// is the mix the events belong to, or null for an event-array file.
using EventWork = std::function<std::string(CAutomationEventArray& events, const CAutomationPackage* mix)>;

// Loads options.file, runs `work` on its events, stops the progress line, prints the report
// and writes the file back (unless --dry-run, or the events are unchanged and no -o was
// given). Returns the exit status.
int RunOnEventFile(const char* command, const EventFileOptions& options, const EventWork& work);

// The operation of a command on a whole mix (conform, recut). A non-empty `failure` is
// printed as "mixauto COMMAND: FILE: failure" and nothing is written (exit status 1); else
// the report is printed and the mix written back.
struct MixWorkResult {
  std::string report;
  std::string failure;
};
using MixWork = std::function<MixWorkResult(CAutomationPackage& mix)>;

// Loads options.file, which must be a mix (either form), runs `work` on it, stops the
// progress line, prints the report and writes the mix back whole as RunOnEventFile does.
// With `notesToStderr` the lines about writing go to stderr (stdout holds JSON). Returns
// the exit status.
int RunOnMixFile(const char* command, const EventFileOptions& options, const MixWork& work, bool notesToStderr = false);

// The events of a file to read only (plot, report): an event-array file's array, or a mix in
// either form (the whole package, which is an event array). `native` is a native path. Null,
// with `problem` saying why, when the file cannot be read.
std::unique_ptr<CAutomationEventArray> LoadEventsToRead(const std::string& native, HWND status, std::string& problem);

// Throws CLI's exit for a non-zero status, as the other commands do.
void ExitOnFailure(int status);

}  // namespace mixauto
