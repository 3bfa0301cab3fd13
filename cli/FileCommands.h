// The file subcommands of mixauto: what is in an event-array file or a mix of either form
// (info), its events (dump), whether its container and members are sound (check), and a
// round trip of the demo mix through a real event-array file or mix (save-demo).
#pragma once

#include <CLI/CLI.hpp>

namespace mixauto {

void AddInfoCommand(CLI::App& app);
void AddDumpCommand(CLI::App& app);
void AddCheckCommand(CLI::App& app);
void AddSaveDemoCommand(CLI::App& app);

}  // namespace mixauto
