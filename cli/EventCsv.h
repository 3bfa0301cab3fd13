// Reading events from the simple text form the demo data uses:
// one "time,path,proc,control,value" line per event; '#' starts a comment line.
#pragma once

#include <string>

#include "commonobjects/eventstore/AutomationEventArray.h"

namespace mixauto {

// Adds every event of the file to events with AddAtTime. Returns false and sets error
// ("FILE:LINE: what was wrong") on the first bad line or when the file cannot be read;
// events added before the bad line stay.
bool LoadEventCsv(const std::string& path, CAutomationEventArray& events, std::string& error);

}  // namespace mixauto
