// The frame of mixauto conform and recut: one conform call on a loaded mix, then the report
// of what it did.
//
// The library conforms from source mixes it loads by file name: the mix's own file when the
// edit list names no reel or names the mix's own reel (its file name without the
// extension, as a change list or recut does), else "<reel>.aut". The conform never writes
// the mix's file. Used from the main thread only.
#pragma once

#include <CLI/CLI.hpp>

#include <functional>
#include <string>

#include "ConformReport.h"
#include "EventFileJob.h"
#include "commonobjects/conform/ConformStatus.h"

class CAutomationPackage;

namespace mixauto {

struct ConformJob {
  std::string mixName;   // MIX as given, for the report
  std::string title;     // the report's first line
  std::string pathNote;  // which paths are conformed
  // The conform itself, on the mix.
  std::function<enConformStatus(CAutomationPackage& mix)> conform;
  // The edit list the conform read, for the report's pairs and reels (a library path), and
  // whether its times are automation units already (else frames).
  std::function<std::string()> list;
  bool timesInUnits = false;
  // What to suggest for a failed conform's status, after its meaning.
  std::function<std::string(enConformStatus status)> advice;
  bool json = false;
  // Where to write the report as an HTML page (a native path); "" for none. A page that
  // cannot be written fails the job, so the mix is not written either.
  std::string page;
};

// Runs the job on the mix (whose file name is the same on return) and reports, or says why
// the conform failed (status, meaning, advice). `model` (may be null) receives the report.
MixWorkResult RunConformJob(CAutomationPackage& mix, const ConformJob& job, ConformReport* model = nullptr);

// Adds MIX (required), -o/--output, --dry-run and --progress.
void AddMixFileOptions(CLI::App& command, EventFileOptions& options);
// Adds --report OUT.html: the conform's report as a page (ConformJob::page).
void AddReportPageOption(CLI::App& command, std::string& page);

// The temporary edit list the conform writes, as a native path, for messages.
std::string TemporaryEdlFile();

}  // namespace mixauto
