// mixauto edit copy|merge|isolate|erase: the channel edits a mixer makes on a desk, run on an
// event-array file or a mix of either form. Each loads FILE, sets the array's edit range (times, source and
// destination paths, control groups) from the options, runs one library edit, reports the
// events it removed and added (listing them with --dry-run) and writes the result back as the
// other whole-file commands do. Used from the main thread only.
#pragma once

#include <CLI/CLI.hpp>

namespace mixauto {

void AddEditCommand(CLI::App& app);

}  // namespace mixauto
