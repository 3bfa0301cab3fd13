// CTemplateSnapAutoEvent: how the hosts show one automation event: the name of its control
// and its value as text, and a typed text read back as a value.
//
// The view holds the leading fields of CAutomationEvent (Proc, Control, Value) by value and
// is freely copied. What the numbers mean depends on the process's console type (read once
// per process): small consoles (types 1, 6) have Proc 0 to 4, large consoles (types 2 to 5,
// 7) Proc 0 to 35 plus the high controls from Proc 36; both have Control 0 to 8 per block,
// the high controls Control 0 to 3. Texts are Windows-1252 (the input phase texts carry
// 0xD8, "Ø").
//
// Thread-safety: the names and scales are constant; GetText reads the sample-rate setting
// from the registry for the key input delay. Safe to use from any thread on distinct views.
#pragma once

#include <cstdint>
#include <string>

#include "commonobjects/eventstore/AutomationEvent.h"
#include "commonobjects/presentation/ValueTextNotSupported.h"

class CTemplateSnapAutoEvent {
 public:
  uint8_t Proc = 0;     // processing block
  uint8_t Control = 0;  // control within the block
  int16_t Value = 0;    // raw control value

  CTemplateSnapAutoEvent() = default;
  CTemplateSnapAutoEvent(uint8_t proc, uint8_t control, int16_t value)
      : Proc(proc), Control(control), Value(value) {}
  explicit CTemplateSnapAutoEvent(const CAutomationEvent& event)
      : Proc(event.Proc), Control(event.Control), Value(event.Value) {}

  // Marks the name tables as initialised. The tables are constant, so calling it is
  // optional and calling it again changes nothing.
  static void InitialiseNames();
  static bool NamesInitialised();

  // The control's name: on small consoles the small-console table for Proc < 5 and
  // Control < 9; on large consoles the large-console table for Proc < 36 and Control < 9
  // (the empty string for Proc 31 to 35); "Unknown Event" for anything else, including the
  // high controls and every event on a console type outside 1 to 7.
  std::string GetEventName() const;

  // Value as text, by the control's formatter; out is replaced. units == 0 drops every
  // unit ("dB", "Hz", "kHz", "m", "s", "u"); rawFrequency != 0 shows frequencies in whole
  // Hz. Controls without a formatter, and every control on console types outside 1 to 7,
  // show the decimal value. Never fails.
  void GetText(std::string& out, int units, int rawFrequency) const;

  // The value that text names for this control: read by the control's rule (the leading
  // decimal number of the text; names such as "Cut", "Left", "Center" ignore case),
  // rounded half away from zero, limited to -32767..32767 and then to the control's
  // accepted range (both ends inclusive). Text without a number reads as 0; a rule that
  // yields no number (the logarithm of zero or of a negative number) gives the lowest
  // accepted value. The rule is chosen by Proc with the large consoles' grouping on every
  // console type. Throws CValueTextNotSupported for controls without a rule.
  int16_t GetValueFromText(const std::string& text) const;

  // True only on the small consoles, for their mutes, cuts, switches and selections
  // (Proc 0 or 1 with Control 2, Proc 2 with Control < 6, Proc 3 with Control < 9): hosts
  // show these events' times with the quarter-frame digit.
  bool ShowsQuarterFrames() const;

  // 4 on console types 1 to 7, else 1. Most conversions work on Value times this scale.
  static int GetValueScale();
};
