// Control groups on mixauto's command line: the hosts' group selections by name ("fader",
// "mute", "eq" ...), per console family, as the flags the event filter turns into controls.
// Constant tables and pure functions.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace mixauto {

// The groups of both console families, for a command's help footer; `option` names the
// option that takes them ("--groups").
std::string GroupList(const std::string& option);

// The flags of a list such as "fader,mute" into `flags`; "" or "all" leaves it empty (every
// control). False, with `error`, for a name that is not a group of the console type.
bool ParseGroups(const std::string& text, int32_t consoleType, std::optional<uint32_t>& flags, std::string& error);

// The (Proc, Control) pairs the groups select on this process's console type, as
// Proc << 8 | Control, ascending; the group faders are the 48 high-range blocks from
// `highBase`.
std::vector<int32_t> ProcControlsOfGroups(uint32_t flags, int32_t highBase);

}  // namespace mixauto
