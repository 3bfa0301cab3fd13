// mixauto's whole-array commands on event-array files and mixes: thin (fewer events with the
// same shape), repair (time order), oldvalues (each event's value before it) and translate
// (events moved to other paths). Each loads the file, runs one library operation, reports
// what changed, and writes the result back in place or to -o OUT (nothing with --dry-run);
// a mix is written back whole, in its own form (EventFileJob.h).
#pragma once

#include <CLI/CLI.hpp>

namespace mixauto {

void AddThinCommand(CLI::App& app);
void AddRepairCommand(CLI::App& app);
void AddOldValuesCommand(CLI::App& app);
void AddTranslateCommand(CLI::App& app);

}  // namespace mixauto
