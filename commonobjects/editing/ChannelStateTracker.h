// CChannelStateTracker: the state of the console at one point in time (the current value of
// every channel of up to 2000 paths), moved forward through an event array, and the writer
// of the events that bring one console state to another.
//
// A tracker starts at time -1 in the default console state (DefaultConsoleState.h) of the
// paths below the current path limit, by the groups of its path map. StepToTime consumes the
// array's events up to a time; the state only moves forward. EmitDifferences and
// CopyEventRange append to the tracker's array, unordered: the caller sorts.
//
// Which channels EmitDifferences and CopyEventRange take is set by Mode and the filter:
//   TrackAll             every channel
//   TrackSelectedOnly    paths in the filter's Paths, and there the controls it accepts
//   TrackUnselectedOnly  paths not in Paths, and on those in Paths the controls it rejects
// (with no filter no path is selected; a selected path then takes all its controls).
//
// Events outside the table (Path outside 0..path limit - 1, Proc or Control out of range for
// the console) are never stored. The tracker borrows its array, path map and filter, which
// must outlive it, and owns its state table. Not thread-safe. Allocation failures throw.
#pragma once

#include <cstdint>
#include <memory>

#include "commonobjects/editing/internal/StateTable.h"

class CAutomationEventArray;
class CEventFilter;
class CPathMap;

class CChannelStateTracker {
 public:
  enum TrackMode : int32_t { TrackAll = 0, TrackSelectedOnly = 1, TrackUnselectedOnly = 2 };
  static constexpr int32_t kMaxPaths = 2000;
  // Size in values and bytes of a saved state table (CopyStateTable, EmitDifferences).
  static constexpr size_t kStateTableValues = commonobjects::editing::StateTable::kValues;
  static constexpr size_t kStateTableBytes = commonobjects::editing::StateTable::kBytes;

  // array: the array stepped through and appended to (may be null while neither is used);
  // base: the high-control base; map: the path groups (null: every path is group 0);
  // slotOffset: see AlignTimeToPathSlot; filter: the selection (may be null).
  CChannelStateTracker(CAutomationEventArray* array, int32_t base, const CPathMap* map,
                       int32_t slotOffset, CEventFilter* filter);
  CChannelStateTracker(const CChannelStateTracker&) = delete;
  CChannelStateTracker& operator=(const CChannelStateTracker&) = delete;
  virtual ~CChannelStateTracker();

  // Resets every channel to the default state (paths below the current path limit).
  void LoadDefaultState();

  // Consumes the events after the last consumed one whose Time is at or before `time`.
  // Nothing happens when time is not later than the current time. With postProgress and
  // the array's status window set, posts code 27 per event.
  void StepToTime(int32_t time, bool postProgress);

  // Appends to this tracker's array one state event (AppendStateEvent) for every selected
  // channel (by Mode) of the paths below the path limit whose value differs from other's,
  // and takes other's value. Nothing when the whole tables are equal.
  void EmitDifferences(const CChannelStateTracker& other);
  // As above from a table saved by CopyStateTable (kStateTableValues values).
  void EmitDifferences(const uint16_t* saved);
  // Copies the whole table (kStateTableBytes bytes) into out.
  void CopyStateTable(uint16_t* out) const;
  // The same state kept compactly (what differs from the defaults), for callers that keep
  // many states; EmitDifferences from it behaves as from the whole table.
  using SavedState = commonobjects::editing::StateTable::Compact;
  void SaveState(SavedState& out) const;
  void EmitDifferences(const SavedState& saved);

  // Appends events first to last (both inclusive) of source's array that this tracker's Mode
  // selects, with Time + shift. Progress: with postProgress, code 27 while the source array's
  // status window is set; without, OnProgress(i, n) for every index i that is a multiple of
  // 200 and (n, n) at the end.
  void CopyEventRange(const CChannelStateTracker& source, int32_t first, int32_t last,
                      int32_t shift, bool postProgress);

  // Appends (Proc, Control, Value, Path) at the current time, moved forward into the path's
  // slot for slot-aligned controls; Flags and OldValue 0.
  void AppendStateEvent(int32_t path, int32_t proc, int32_t control, int32_t value);
  // The slot rule (SlotAlignment.h) with this tracker's slot offset.
  int32_t AlignTimeToPathSlot(int32_t path, int32_t time, bool mayMoveBack) const;

  // Reads one channel's current value (tests and tools); 0 for a channel outside the table.
  int16_t GetValue(int32_t path, int32_t proc, int32_t control) const;
  int32_t GetCurrentTime() const { return CurrentTime; }
  int32_t GetLastIndex() const { return LastIndex; }
  CAutomationEventArray* GetArray() const { return Array; }
  bool IsPathSelected(int32_t path) const { return path >= 0 && path < kMaxPaths && PathFlags[path] != 0; }

  int32_t Mode = TrackAll;  // set by callers between steps

 protected:
  // Called by CopyEventRange without postProgress; empty here.
  virtual void OnProgress(int32_t index, int32_t total);

 private:
  // Whether this tracker's mode takes (path, proc, control).
  bool Selects(int32_t path, int32_t proc, int32_t control) const;
  template <typename Source>
  void EmitFrom(const Source& source);

  CAutomationEventArray* Array;
  const CPathMap* Map;
  int32_t HighBase;
  int32_t SlotOffsetValue;
  std::unique_ptr<commonobjects::editing::StateTable> Table;
  std::unique_ptr<commonobjects::editing::StateTable> Restored;  // EmitDifferences(SavedState)
  int32_t CurrentTime = -1;
  int32_t LastIndex = -1;
  CEventFilter* Filter;
  int32_t PathFlags[kMaxPaths] = {};
};

// A tracker that reports CopyEventRange's progress through a callback for every 200th
// event: callback(statusArray, index, total). PostIsolateProgress and PostEraseProgress
// (Notifications.h) are such callbacks.
class CProgressStateTracker : public CChannelStateTracker {
 public:
  using ProgressCallback = void (*)(const CAutomationEventArray* statusArray, int32_t index,
                                    int32_t total);

  CProgressStateTracker(CAutomationEventArray* array, int32_t base, const CPathMap* map,
                        int32_t slotOffset, CEventFilter* filter,
                        const CAutomationEventArray* statusArray, ProgressCallback callback)
      : CChannelStateTracker(array, base, map, slotOffset, filter),
        StatusArray(statusArray),
        Callback(callback) {}

 protected:
  void OnProgress(int32_t index, int32_t total) override;

 private:
  const CAutomationEventArray* StatusArray;
  ProgressCallback Callback;
};
