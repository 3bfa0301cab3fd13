// A mix with something in every member, for tests that save, load, convert or edit mixes:
// events over several paths, records in every slot (each record's bytes tell its slot and
// index), parameter blocks of the complete size, a path map, link and gang maps with
// entries of their own, and a mix pass. Build the TestConsole first.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "commonobjects/package/AutomationPackage.h"

namespace testsupport {

// Fills `mix` (of the current console) with `events` events and `records` records per slot.
void FillSampleMix(CAutomationPackage& mix, int32_t events = 500, int32_t records = 40);

// Every member a save stores, as bytes, keyed by member ("events", "slot FullControl 3", ...),
// so that two mixes compare member by member with a readable difference.
std::vector<std::pair<std::string, std::vector<uint8_t>>> MixMembers(const CAutomationPackage& mix);

}  // namespace testsupport
