#include "commonobjects/editing/ChannelStateTracker.h"

#include <algorithm>
#include <cstring>

#include "commonobjects/console/ConsoleLayout.h"
#include "commonobjects/console/SlotAlignment.h"
#include "commonobjects/eventstore/AutomationEventArray.h"
#include "commonobjects/eventstore/EventFilter.h"
#include "commonobjects/eventstore/Notifications.h"

using commonobjects::editing::StateTable;

namespace {

constexpr uint32_t kTrackerCode = 27;
constexpr int32_t kProgressEvery = 200;  // CopyEventRange reports every 200th event
constexpr int32_t kLowProcs = CControlModel::kLowProcCount;
constexpr int32_t kSmallProcs = CControlModel::kSmallProcCount;
constexpr int32_t kControls = CControlModel::kControlsPerProc;
constexpr int32_t kHighProcs = CControlModel::kHighProcCount;
constexpr int32_t kHighControls = CControlModel::kControlsPerHighProc;

// The path limit, read afresh: the console's "Max Paths Mode" may change between operations.
int32_t CurrentPathLimit() {
  return std::min(CConsoleLayout().GetMaxPaths(), CChannelStateTracker::kMaxPaths);
}

// An index mod 100 of 0 counts as 1.
int32_t TrackerProgress(int32_t scale, int32_t index) {
  const int32_t rest = index % 100;
  return scale / (rest == 0 ? 1 : rest);
}

}  // namespace

CChannelStateTracker::CChannelStateTracker(CAutomationEventArray* array, int32_t base,
                                           const CPathMap* map, int32_t slotOffset,
                                           CEventFilter* filter)
    : Array(array),
      Map(map),
      HighBase(base),
      SlotOffsetValue(slotOffset),
      Table(std::make_unique<StateTable>(CControlModel::ForCurrentConsole())),
      Filter(filter) {
  if (filter != nullptr) {
    for (const int32_t path : filter->Paths) {
      if (path >= 0 && path < kMaxPaths) PathFlags[path] = 1;
    }
  }
  LoadDefaultState();
}

CChannelStateTracker::~CChannelStateTracker() = default;

void CChannelStateTracker::LoadDefaultState() { Table->LoadDefaults(CurrentPathLimit(), Map, false); }

void CChannelStateTracker::StepToTime(int32_t time, bool postProgress) {
  if (time <= CurrentTime) return;
  CurrentTime = time;
  if (Array == nullptr) return;
  const int32_t pathLimit = CurrentPathLimit();
  const bool small = Table->Model().IsSmallConsole();
  const bool post = postProgress && Array->GetStatusWnd() != nullptr;
  const CAutomationEvent* events = Array->GetData();
  const int32_t size = Array->GetSize();
  int32_t i = LastIndex + 1;
  for (; i < size && events[i].Time <= time; ++i) {
    if (post) PostEventNotification(kTrackerCode, TrackerProgress(100, i));
    const CAutomationEvent& e = events[i];
    if (e.Path < 0 || e.Path >= pathLimit) continue;
    if (small) {
      if (e.Proc < kSmallProcs && e.Control < kControls) {
        Table->SmallForWrite(e.Path)[e.Proc * kControls + e.Control] = static_cast<uint16_t>(e.Value);
      }
    } else if (e.Proc >= kLowProcs) {
      const int32_t offset = e.Proc - HighBase;
      if (offset >= 0 && offset < kHighProcs && e.Control < kHighControls) {
        Table->HighForWrite(e.Path)[offset * kHighControls + e.Control] = static_cast<uint16_t>(e.Value);
      }
    } else if (e.Control < kControls) {
      Table->LowForWrite(e.Path)[e.Proc * kControls + e.Control] = static_cast<uint16_t>(e.Value);
    }
  }
  LastIndex = i - 1;
}

bool CChannelStateTracker::Selects(int32_t path, int32_t proc, int32_t control) const {
  const bool flagged = IsPathSelected(path);
  switch (Mode) {
    case TrackSelectedOnly:
      return flagged && (Filter == nullptr || Filter->IsProcControlInFilter(proc, control) != 0);
    case TrackUnselectedOnly:
      return !flagged || (Filter != nullptr && Filter->IsProcControlInFilter(proc, control) == 0);
    default:
      return true;
  }
}

namespace {

// Reads another tracker's table or a saved one through the same region views.
struct SavedTable {
  const uint16_t* values;
  const uint16_t* Low(int32_t path) const {
    return values + StateTable::kLowOffset + size_t(path) * StateTable::kLowPerPath;
  }
  const uint16_t* High(int32_t path) const {
    return values + StateTable::kHighOffset + size_t(path) * StateTable::kHighPerPath;
  }
  const uint16_t* Small(int32_t path) const {
    return values + StateTable::kSmallOffset + size_t(path) * StateTable::kSmallPerPath;
  }
};

}  // namespace

// For each selected channel of the paths below the limit whose value differs from source's,
// takes source's value and appends a state event, in the order path, Proc, Control (low range
// before high range).
template <typename Source>
void CChannelStateTracker::EmitFrom(const Source& source) {
  const CControlModel model = Table->Model();
  const int32_t pathLimit = CurrentPathLimit();
  for (int32_t path = 0; path < pathLimit; ++path) {
    if (Mode == TrackSelectedOnly && PathFlags[path] == 0) continue;
    auto emit = [&](const uint16_t* theirs, uint16_t* (StateTable::*write)(int32_t),
                    const uint16_t* (StateTable::*read)(int32_t) const, int32_t procs,
                    int32_t controls, int32_t firstProc) {
      const uint16_t* mine = (Table.get()->*read)(path);
      if (std::memcmp(mine, theirs, sizeof(uint16_t) * size_t(procs * controls)) == 0) return;
      for (int32_t p = 0; p < procs; ++p) {
        for (int32_t c = 0; c < controls; ++c) {
          const int32_t i = p * controls + c;
          const uint16_t value = theirs[i];
          if (mine[i] == value || !Selects(path, firstProc + p, c)) continue;
          uint16_t* written = (Table.get()->*write)(path);
          written[i] = value;
          mine = written;
          AppendStateEvent(path, firstProc + p, c, static_cast<int16_t>(value));
        }
      }
    };
    if (model.IsSmallConsole()) {
      emit(source.Small(path), &StateTable::SmallForWrite, &StateTable::Small, kSmallProcs,
           kControls, 0);
    } else if (model.IsLargeConsole()) {
      emit(source.Low(path), &StateTable::LowForWrite, &StateTable::Low, kLowProcs, kControls, 0);
      emit(source.High(path), &StateTable::HighForWrite, &StateTable::High, kHighProcs,
           kHighControls, HighBase);
    }
  }
}

void CChannelStateTracker::EmitDifferences(const CChannelStateTracker& other) {
  if (Table->Equals(*other.Table)) return;
  EmitFrom(*other.Table);
}

void CChannelStateTracker::EmitDifferences(const uint16_t* saved) {
  if (Table->EqualsSaved(saved)) return;
  EmitFrom(SavedTable{saved});
}

void CChannelStateTracker::CopyStateTable(uint16_t* out) const { Table->CopyTo(out); }

void CChannelStateTracker::SaveState(SavedState& out) const { Table->SaveCompact(out); }

void CChannelStateTracker::EmitDifferences(const SavedState& saved) {
  // The saved table is rebuilt apart, in a table kept for the purpose: only the paths it
  // changed are written, into memory written before.
  if (!Restored) Restored = std::make_unique<StateTable>(Table->Model());
  Restored->LoadCompact(saved);
  if (Table->Equals(*Restored)) return;
  EmitFrom(*Restored);
}

void CChannelStateTracker::CopyEventRange(const CChannelStateTracker& source, int32_t first,
                                          int32_t last, int32_t shift, bool postProgress) {
  const CAutomationEventArray* from = source.Array;
  const int32_t count = last - first + 1;
  // The selection reduced to what it tests, outside the loop.
  const bool everyControl = Filter == nullptr || Filter->ProcControls.GetSize() == 0;
  const bool everyEvent = Mode != TrackSelectedOnly && Mode != TrackUnselectedOnly;
  const bool pathsOnly = Mode == TrackSelectedOnly && everyControl;
  for (int32_t i = first; i <= last; ++i) {
    if (postProgress) {
      if (from->GetStatusWnd() != nullptr) PostEventNotification(kTrackerCode, TrackerProgress(200, i));
    } else if (i % kProgressEvery == 0) {
      OnProgress(i, count);
    }
    if (i < 0 || i >= from->GetSize()) continue;  // indices outside the source read nothing
    CAutomationEvent e = (*from)[i];  // a copy: appending may move the source when it is ours
    if (!(everyEvent || (pathsOnly ? IsPathSelected(e.Path) : Selects(e.Path, e.Proc, e.Control)))) continue;
    // Times wrap as 32-bit arithmetic does.
    e.Time = static_cast<int32_t>(static_cast<int64_t>(e.Time) + shift);
    Array->Add(e);
  }
  if (!postProgress) OnProgress(count, count);
}

void CChannelStateTracker::AppendStateEvent(int32_t path, int32_t proc, int32_t control,
                                            int32_t value) {
  CAutomationEvent e;
  e.Proc = static_cast<uint8_t>(proc);
  e.Control = static_cast<uint8_t>(control);
  e.Value = static_cast<int16_t>(value);
  e.Path = path;
  e.Time = IsSlotAlignedControl(proc, control, HighBase)
               ? AlignTimeToPathSlot(path, CurrentTime, false)
               : CurrentTime;
  Array->Add(e);
}

int32_t CChannelStateTracker::AlignTimeToPathSlot(int32_t path, int32_t time,
                                                  bool mayMoveBack) const {
  return AlignTimeToSlot(SlotOffsetValue, path, time, mayMoveBack);
}

int16_t CChannelStateTracker::GetValue(int32_t path, int32_t proc, int32_t control) const {
  if (path < 0 || path >= kMaxPaths) return 0;
  const CControlModel model = Table->Model();
  if (model.IsSmallConsole()) {
    if (!model.IsLowRangeControl(proc, control)) return 0;
    return static_cast<int16_t>(Table->Small(path)[proc * kControls + control]);
  }
  if (model.IsLowRangeControl(proc, control)) {
    return static_cast<int16_t>(Table->Low(path)[proc * kControls + control]);
  }
  if (model.IsHighRangeControl(proc, control, HighBase)) {
    return static_cast<int16_t>(Table->High(path)[(proc - HighBase) * kHighControls + control]);
  }
  return 0;
}

void CChannelStateTracker::OnProgress(int32_t, int32_t) {}

void CProgressStateTracker::OnProgress(int32_t index, int32_t total) {
  if (Callback != nullptr && index % 200 == 0) Callback(StatusArray, index, total);
}
