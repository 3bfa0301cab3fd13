// MakeEvent: one automation event for a test, its fields named in the order tests think of
// them (which channel, then when and what). Flags and OldValue are 0.
#pragma once

#include <cstdint>

#include "commonobjects/eventstore/AutomationEvent.h"

namespace testsupport {

inline CAutomationEvent MakeEvent(int32_t path, int proc, int control, int32_t time, int value) {
  CAutomationEvent e;
  e.Path = path;
  e.Proc = static_cast<uint8_t>(proc);
  e.Control = static_cast<uint8_t>(control);
  e.Time = time;
  e.Value = static_cast<int16_t>(value);
  return e;
}

}  // namespace testsupport
