// The subcommands of mixauto; each file adds its own to the application.
#pragma once

#include <CLI/CLI.hpp>

namespace mixauto {

void AddRegistryCommand(CLI::App& app);
void AddDemoCommand(CLI::App& app);
void AddDemoConformCommand(CLI::App& app);

}  // namespace mixauto
