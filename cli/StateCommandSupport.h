// What mixauto thin, repair and oldvalues share (defined in StateCommands.cpp): the options
// that decide each channel's starting value, the count of places where time goes backwards,
// and the report's count lines.
#pragma once

#include <CLI/CLI.hpp>

#include <cstdint>
#include <optional>
#include <string>

#include "commonobjects/console/ControlModel.h"
#include "commonobjects/console/PathMap.h"

class CAutomationEventArray;
class CAutomationPackage;

namespace mixauto {

struct ConsoleStateOptions {
  int32_t highBase = CControlModel::kFirstHighProc;  // first high-range Proc
  std::string pathGroups;  // FIRST:COUNT,...; empty: the mix's own, or every path in group 0
};

// Adds --high-base and --path-groups.
void AddConsoleStateOptions(CLI::App& command, ConsoleStateOptions& options);
// The path map of the options; nothing, with the problem on stderr, when they are bad.
std::optional<CPathMap> ResolveConsoleState(const char* command, const ConsoleStateOptions& options);
// The path groups an operation on the events of `mix` (null: an event-array file) uses: the
// resolved --path-groups when given, else the mix's own path map, else none.
CPathMap PathGroupsFor(const ConsoleStateOptions& options, const CPathMap& resolved, const CAutomationPackage* mix);
// "Path groups: ..." and a line feed, saying where they came from; "" for an event-array file
// without --path-groups (today's report).
std::string PathGroupsLine(const ConsoleStateOptions& options, const CPathMap& used, const CAutomationPackage* mix);

// Events earlier than some event before them, as the time-order repair finds them (each
// compared with the latest time before it); *first receives the index of the first, or -1.
int32_t CountTimeReversals(const CAutomationEventArray& events, int32_t* first);

// "label      1,234" with the number right-aligned, and a line feed.
std::string CountLine(const char* label, int64_t n);

}  // namespace mixauto
