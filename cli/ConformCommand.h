// mixauto conform and recut: a mix follows a re-cut picture. conform takes an edit decision
// list or a picture change list; recut copies, moves or deletes a stretch by hand, as the
// console's own conform does. Both rebuild the mix's automation with the library's conform,
// report the stretches kept, removed, moved and inserted, and write the mix back whole in
// its own form as the other whole-file commands do. Used from the main thread only.
#pragma once

#include <CLI/CLI.hpp>

#include <cstdint>
#include <string>
#include <vector>

#include "ConformJob.h"

namespace mixauto {

void AddConformCommand(CLI::App& app);
void AddRecutCommand(CLI::App& app);

// The conform of the mix `mixName` to `list` over `paths` (ascending, no repeats; empty:
// every path of the console), `pathsText` as the user wrote them; the report as JSON when
// `json`.
ConformJob MakeConformJob(const std::string& mixName, const std::string& list, const std::vector<int32_t>& paths,
                          const std::string& pathsText, bool json);

}  // namespace mixauto
