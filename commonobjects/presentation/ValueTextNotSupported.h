// CValueTextNotSupported: thrown by CTemplateSnapAutoEvent::GetValueFromText for a control
// whose value cannot be typed as text (route blocks, empty blocks, on/off, name-list and
// ratio controls). Hosts catch it and keep the control's value as it was.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

class CValueTextNotSupported : public std::runtime_error {
 public:
  CValueTextNotSupported(int32_t proc, int32_t control)
      : std::runtime_error("no value can be read from text for Proc " + std::to_string(proc) +
                           " Control " + std::to_string(control)),
        Proc(proc),
        Control(control) {}

  int32_t Proc;     // the control that has no parser
  int32_t Control;
};
