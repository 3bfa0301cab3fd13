// mixauto timecode: converts times to automation units and back under the current
// timecode settings, and says which settings those are.
#pragma once

#include <CLI/CLI.hpp>

namespace mixauto {

void AddTimecodeCommand(CLI::App& app);

}  // namespace mixauto
