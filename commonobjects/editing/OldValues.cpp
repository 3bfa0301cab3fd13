// Old values of CAutomationEventArray: every event learns the value its channel had just
// before it, walking the array in order from the default console state.
//
// The state starts from the defaults of each path's group in the path map, the group first
// passed through the old-value remap (StateTable::kOldValueGroups), on the paths of the
// array's own layout; the events that take entries are those on the paths of the console
// as its settings read now. The two limits differ when the array's max paths mode is not
// the console's: paths past the array's limit but within the console's start from zeros,
// not defaults, and events past the console's limit keep their OldValue.
//
// Each event inside the table reads its channel's entry into OldValue and leaves its Value
// there; a path's memory is written only when one of its values first changes, so the pass
// costs one indexed read per event (and a write on a change) and is linear in the events.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "commonobjects/console/ConsoleLayout.h"
#include "commonobjects/console/ControlModel.h"
#include "commonobjects/console/PathMap.h"
#include "commonobjects/editing/internal/StateTable.h"
#include "commonobjects/eventstore/AutomationEventArray.h"

namespace {

using commonobjects::editing::StateTable;

// Gives e the entry `index` of a region as its OldValue and stores e's Value there.
// current: the region as it reads now; forWrite() yields the writable region.
template <typename ForWrite>
void TakeOldValue(CAutomationEvent& e, const uint16_t* current, size_t index, ForWrite forWrite) {
  const uint16_t before = current[index];
  const uint16_t after = static_cast<uint16_t>(e.Value);
  e.OldValue = static_cast<int16_t>(before);
  if (after != before) forWrite()[index] = after;
}

void TakeOldValue(StateTable& table, CAutomationEvent& e, int32_t highBase) {
  const CControlModel& model = table.Model();
  const int32_t path = e.Path;
  const int32_t proc = e.Proc;
  const int32_t control = e.Control;
  if (model.IsSmallConsole()) {
    if (!model.IsLowRangeControl(proc, control)) return;
    const size_t index = size_t(proc) * CControlModel::kControlsPerProc + size_t(control);
    TakeOldValue(e, table.Small(path), index, [&] { return table.SmallForWrite(path); });
  } else if (model.IsHighRangeControl(proc, control, highBase)) {
    const size_t index = size_t(proc - highBase) * CControlModel::kControlsPerHighProc + size_t(control);
    TakeOldValue(e, table.High(path), index, [&] { return table.HighForWrite(path); });
  } else if (model.IsLowRangeControl(proc, control)) {
    const size_t index = size_t(proc) * CControlModel::kControlsPerProc + size_t(control);
    TakeOldValue(e, table.Low(path), index, [&] { return table.LowForWrite(path); });
  }
}

}  // namespace

void CAutomationEventArray::SetOldValues(int32_t highBase, const CPathMap& map) {
  // Defaults follow this array's layout; the path limit of the events is read afresh from
  // the console settings, as the state tracker reads it.
  const int32_t defaultPaths = std::min(GetMaxPaths(), StateTable::kPaths);
  const int32_t pathLimit = std::min(CConsoleLayout().GetMaxPaths(), StateTable::kPaths);
  StateTable table(CControlModel::ForCurrentConsole());
  table.LoadDefaults(defaultPaths, &map, /*remapGroups=*/true);
  for (CAutomationEvent& e : *this) {
    if (e.Path >= 0 && e.Path < pathLimit) TakeOldValue(table, e, highBase);
  }
}
