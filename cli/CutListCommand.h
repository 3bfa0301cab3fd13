// mixauto cutlist: a picture change list (cut list) as conform reads it, its changes and the
// edit items they make, and on request the binary edit list conform builds from it.
#pragma once

#include <CLI/CLI.hpp>

namespace mixauto {

void AddCutListCommand(CLI::App& app);

}  // namespace mixauto
