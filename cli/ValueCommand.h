// mixauto value: names a control and converts its value to text and back, as the hosts
// show and read them, under the console type of the registry in use.
#pragma once

#include <CLI/CLI.hpp>

namespace mixauto {

void AddValueCommand(CLI::App& app);

}  // namespace mixauto
