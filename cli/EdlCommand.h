// mixauto edl: an edit decision list as conform reads it, in either form (the editing
// systems' text dialects or the system's own binary form), event by event, with the times
// each event places in automation units.
#pragma once

#include <CLI/CLI.hpp>
#include <cstdint>
#include <string>

class CTimecodeConverter;

namespace mixauto {

void AddEdlCommand(CLI::App& app);

// The automation time of a frame count of an edit list or a change list as conform takes
// it: the converter's TimeFromFrames, rounded (GetRoundedTime).
int32_t UnitsOfFrames(CTimecodeConverter& converter, int32_t frames);

// An edit's transition flags as letters: C (cut), D (dissolve), K (key); "" for none.
std::string TransitionText(int32_t transition);

}  // namespace mixauto
