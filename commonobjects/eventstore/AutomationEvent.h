// CAutomationEvent: one automation change. At `Time`, control (`Proc`, `Control`) of console
// path `Path` takes `Value`. A plain 16-byte record copied by value; a default-constructed
// event is all zero. Two events concern the same control (the same channel) when `Path`,
// `Proc` and `Control` are equal.
#pragma once

#include <cstdint>

class CAutomationEvent {
 public:
  uint8_t Proc = 0;      // processing block of the control
  uint8_t Control = 0;   // control within the block
  int16_t Value = 0;     // the value the control takes at Time
  int32_t Path = 0;      // console path, from 0
  int32_t Time = 0;      // automation time units
  uint8_t Flags = 0;     // 1 on events that editing operations generate; carried unchanged
  int16_t OldValue = 0;  // the channel's value before this event

  // Diagnostic hook; produces nothing.
  void DebugMe() const {}

  bool SameChannel(const CAutomationEvent& other) const {
    return Path == other.Path && Proc == other.Proc && Control == other.Control;
  }
  friend bool operator==(const CAutomationEvent& a, const CAutomationEvent& b) {
    return a.Proc == b.Proc && a.Control == b.Control && a.Value == b.Value && a.Path == b.Path &&
           a.Time == b.Time && a.Flags == b.Flags && a.OldValue == b.OldValue;
  }
};

static_assert(sizeof(CAutomationEvent) == 16, "events are 16 bytes in memory as on disk");
