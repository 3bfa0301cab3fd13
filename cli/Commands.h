// The subcommands of mixauto; each file adds its own to the application.
#pragma once

#include <CLI/CLI.hpp>
#include <cstdio>
#include <string>

namespace mixauto {

// The problem on stderr as "mixauto COMMAND: message", then out of the command with exit
// status 1.
[[noreturn]] inline void FailCommand(const char* command, const std::string& message) {
  std::fprintf(stderr, "mixauto %s: %s\n", command, message.c_str());
  throw CLI::RuntimeError(1);
}

void AddRegistryCommand(CLI::App& app);
void AddDemoCommand(CLI::App& app);
void AddDemoConformCommand(CLI::App& app);
void AddPlotCommand(CLI::App& app);

}  // namespace mixauto
