// A mix with something in every member, for tests that save, load, convert or edit mixes:
// events over several paths, records in every slot (each record's bytes tell its slot and
// index), parameter blocks of the complete size, a path map, link and gang maps with
// entries of their own, and a mix pass. Build the TestConsole first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "commonobjects/package/AutomationPackage.h"

namespace testsupport {

// Fills `mix` (of the current console) with `events` events and `records` records per slot.
void FillSampleMix(CAutomationPackage& mix, int32_t events = 500, int32_t records = 40);

// The streams of a structured save of FillSampleMix(mix, events, records) on a large console
// of `paths` paths, with their lengths in bytes.
std::map<std::string, size_t> SampleMixStreamLengths(int32_t paths, int32_t events, int32_t records);

// Every member a save stores, as bytes, keyed by member ("events", "slot FullControl 3", ...),
// so that two mixes compare member by member with a readable difference.
std::vector<std::pair<std::string, std::vector<uint8_t>>> MixMembers(const CAutomationPackage& mix);

}  // namespace testsupport
