// The mix subcommands of mixauto: convert (a mix saved in the other form, or the same) and the
// mix that save-demo --mix writes, so that a new user has one to try the commands on.
#pragma once

#include <CLI/CLI.hpp>

#include <string>

namespace mixauto {

void AddConvertCommand(CLI::App& app);

// save-demo --mix: the demo events of `eventsFile` as a new mix written to `file`, structured
// or compressed, then loaded back and compared. Returns the exit status.
int SaveDemoMix(const std::string& eventsFile, const std::string& file, bool compressed);

}  // namespace mixauto
