#include "commonobjects/editing/SlotOffset.h"

#include "commonobjects/console/ControlModel.h"
#include "commonobjects/eventstore/AutomationEventArray.h"

int32_t SlotOffset(const CAutomationEventArray& array) {
  if (array.IsEmpty() || CControlModel::ForCurrentConsole().IsSmallConsole()) return 0;
  const CAutomationEvent& last = array[array.GetSize() - 1];
  const int32_t difference = last.Path % 4 - last.Time % 4;
  return difference < 0 ? -difference : difference;
}
