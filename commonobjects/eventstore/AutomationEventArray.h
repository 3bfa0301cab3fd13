// CAutomationEventArray: the automation of a mix, a growable array of events kept in
// ascending Time, together with the console layout, the filter (also the edit range of
// the editing operations), the card-link flag and the host's status window.
//
// Invariants: events are in ascending Time once any public operation that promises time
// order has returned (AddAtTime keeps it; element writes are the caller's business);
// events of equal time keep their order of arrival through AddAtTime.
// RecordSize (12 in max paths mode 0, else 16) and CardLinkIsType4 are fixed at
// construction. The array owns its buffer and its filter, never the status window.
// One thread at a time.
//
// The array is declared once, with every member the system gives it; each family of
// members is defined in its own subsystem's folder (eventstore/ holds storage, insertion,
// search, sort, records, archive and filtered queries).
#pragma once

#include <cstdint>
#include <string>

#include "commonobjects/console/ConsoleLayout.h"
#include "commonobjects/eventstore/Archive.h"
#include "commonobjects/eventstore/AutomationEvent.h"
#include "commonobjects/eventstore/BlockSource.h"
#include "commonobjects/eventstore/EventFilter.h"
#include "commonobjects/eventstore/GrowableArray.h"
#include "commonobjects/eventstore/TranslationPairArray.h"
#include "commonobjects/platform/WindowMessages.h"

class CAutomationPackage;
class CEDLItemList;
class CPathMap;

class CAutomationEventArray : public CGrowableArray<CAutomationEvent>,
                              public CConsoleLayout,
                              public CBlockSource {
 public:
  enum SortMode : int32_t { SortByTime = 0, SortByPathControl = 1, SortByPathTime = 2 };
  // The side of an edit point on which its ramp lies: RampFromPoint (2) starts at the point
  // and runs forward; RampToPoint (3) ends at the point. Only these two make edit points.
  enum TimeDirection : int32_t { RampFromPoint = 2, RampToPoint = 3 };

  CAutomationEventArray();
  CAutomationEventArray(const CAutomationEventArray&) = default;
  CAutomationEventArray& operator=(const CAutomationEventArray&) = default;
  ~CAutomationEventArray() override;

  CEventFilter Filter;           // the view's selection and the editing operations' edit range
  bool CardLinkIsType4 = false;  // "CardLinkType" of the console server is 4

  // ---- Storage, insertion, search, sort (eventstore/AutomationEventArray.cpp) ----

  // Inserts e after every event at or before its time and returns its index. A time-0 event
  // replaces the time-0 event of the same channel while a later event exists. Appending
  // (time at or after the last event's) costs no search; an insertion moves the events
  // after it up by one.
  int32_t AddAtTime(const CAutomationEvent& e);
  // time -1: 0 (even on an empty array). Empty array: -1. after == 0: the first event at or
  // after time (the last index when every event is earlier). after != 0: from that event,
  // the first later than time, found by walking forward past every event at or before time
  // (the last index when there is none); out of time order this is not the first later
  // event of the whole array. The search is logarithmic; the walk is linear in the run of
  // events at or before time that it crosses.
  int32_t GetAtTime(int32_t time, int after) const;
  // Sorts by the mode's keys; posts code 31 first while a status window is set. An unknown
  // mode changes nothing. Events equal in every key end in any order.
  void Sort(SortMode mode);
  void SetStatusWnd(HWND wnd) { StatusWnd = wnd; }
  HWND GetStatusWnd() const { return StatusWnd; }
  // Visits every event's diagnostic hook; produces nothing.
  void DebugMe() const;

  // ---- Engine records (eventstore/EngineRecords.cpp) ----
  int32_t GetRecords(int32_t count, int32_t first, void* dest) override;
  int32_t GetBlockCount(int32_t blockSize) override;

  // ---- Archive form (eventstore/AutomationEventArchive.cpp) ----
  // Count (16-bit, or 0xFFFF then 32-bit from 65535 on), then 16 bytes per event; byte 13
  // of each is written 0 and ignored when read. Loading an archive that holds fewer events
  // than its count (or a count above INT32_MAX) throws CArchiveException and leaves the
  // array unchanged; the archive has then read the count.
  virtual void Serialize(CArchive& ar);

  // ---- Event-array file (files/EventArrayFile.cpp) ----
  // Names are Windows paths ("C:\Mixes\a.mix") or native ones. Each call opens the file,
  // does its work and closes it; the file is held exclusively meanwhile (another opener fails).
  // Writes the events into the compound file `name` (created when missing; its other streams
  // kept) in the record layout of the current max paths mode, with "Path Mode", "File
  // Version" 1.4 and "Time And Date", all committed together. 1 on success; 0 when the file
  // could not be created or opened as a compound file (a compressed automation file, a file
  // in use) or the events could not be written; the file then holds what it held before.
  // The array is unchanged.
  int Save(const std::string& name) const;
  // Reads the file's events into the array; 1 on success, 0 on failure, the array then as
  // it was. A file of mode 1 loads into a mode-2 array; other mode differences fail. A file
  // without records loads (1) and leaves the array as it was. Posts code 15 (0 at the start,
  // 50 before reading, then percentages) whether or not a status window is set. mode
  // receives the max paths mode found in the file (0 when it has none).
  int Load(const std::string& name, int32_t& mode);
  int Load(const std::string& name);
  // The "Path Mode" stream: written (with the version streams) unless the file is a
  // compressed automation file; read from either form (mode -1 for an empty stream).
  // 1 on success, 0 on failure.
  int WritePathMode(const std::string& name, int32_t mode) const;
  int ReadPathMode(const std::string& name, int32_t& mode) const;
  // The max paths mode 0 twins of the stream writer and reader (8-bit paths), without the
  // "Path Mode" stream and without any mode check.
  static int SaveNarrowPathData(const std::string& name, const std::string& streamName,
                                const CAutomationEventArray& array);
  static int LoadNarrowPathData(const std::string& name, const std::string& streamName,
                                CAutomationEventArray& array);

  // ---- Filtered queries (eventstore/FilteredQueries.cpp) ----
  // The filter's EndTime -1 becomes the last event's time, and stays so.
  // Number of matching events; indices (when given) receives their indices, ascending.
  uint32_t GetFilteredTotal(CEventFilter& filter, CIntArray* indices) const;
  // Empties out and appends every matching event; returns the count.
  int32_t GetAllFilteredEvents(CEventFilter& filter, CAutomationEventArray& out) const;
  // Up to max matching events from resume on (resume <= 0: from StartTime), forward or
  // backward (forward != 0); out is in time order either way. Forward: first = index of
  // the first event found, resume = next index to examine. Backward: resume = the first
  // found (the highest index), first = where the scan stopped.
  int32_t GetFilteredEvents(CEventFilter& filter, int32_t max, int32_t& first, int32_t& resume,
                            CAutomationEventArray& out, int forward) const;
  int32_t GetFilteredEvents(CEventFilter& filter, int32_t max, int32_t& resume,
                            CAutomationEventArray& out, int forward) const;

  // ---- Path translation (eventstore/PathTranslation.cpp) ----
  // Renumbers paths by the first matching pair (pairs do not chain); times and order stay.
  // On a non-empty array with pairs, the filter's StartTime and EndTime are raised to at
  // least 1 first. Nothing at all on an empty array or pair list.
  void DoTranslatePaths(const CTranslationPairArray& pairs);

  // ---- Old values (editing/OldValues.cpp: it walks the console state) ----
  // Gives every event within the console's table the value its channel had just before it,
  // in array order, starting from the default console state by map's path groups passed
  // through the old-value group remap (0,7,1,2,3,8,4,5,6,9,10,11,12,13). Defaults cover the
  // paths of this array's max paths mode; the table holds the paths of the console's mode as
  // the settings read now (paths of the table past the array's limit start from zeros).
  // Events outside the table keep their OldValue. highBase: the first high-range Proc.
  void SetOldValues(int32_t highBase, const CPathMap& map);

  // ---- Thinning (editing/ThinAutoData.cpp) ----
  // Removes same-time duplicates, then thins the selected channels (filter Paths and
  // controls) between the events at StartTime and EndTime (both inclusive) by the window
  // level (0..6) and value threshold (0..16), sorts by time and recomputes OldValue.
  // Returns the events removed (duplicates + thinned); 0 when windowLevel is outside 0..6
  // (the duplicates are then removed all the same). Posts codes 33 and 34.
  int32_t ThinAutoData(int32_t highBase, const CPathMap& map, int32_t windowLevel,
                       int32_t threshold);

  // ---- Copy and merge (editing/CopyChannelData.cpp, editing/MergeChannelData.cpp) ----
  // The edit range is the filter's: source [StartTime, EndTime) of the first path in Paths,
  // pasted at ExtraValue onto every path of ExtraList, for the controls the filter accepts.
  // Each destination channel's automation over the pasted length is replaced, and both edges
  // are joined by a step or, on slot-aligned controls, a ramp of rampLength units (steps of
  // rampStep frames) on the side given by each edge's direction. The array ends in time
  // order. Nothing happens to an empty array.
  void CopyChannelData(int16_t rampStep, int16_t rampLength, TimeDirection startDirection,
                       TimeDirection endDirection, int32_t highBase, const CPathMap& map);
  // As CopyChannelData, from source's first filter path over source's range, into this
  // array's ExtraList at this ExtraValue. A merge of n sources is n calls with stepNumber
  // 1..n of stepCount n: the array stays in channel order, unsorted by time, until the last.
  // sameSource: paste the source path onto every destination without edge joins.
  void MergeChannelData(CAutomationEventArray& source, int16_t rampStep, int16_t rampLength,
                        TimeDirection startDirection, TimeDirection endDirection,
                        int32_t highBase, const CPathMap& map, int32_t sourceSlotOffset,
                        int32_t stepNumber, int32_t stepCount, int32_t sameSource);

  // ---- Isolate and erase (editing/IsolateChannelData.cpp, editing/EraseChannelData.cpp) ----
  // Keeps only the selected channels (filter Paths and controls) over [StartTime, EndTime],
  // moved to ExtraValue: their state at StartTime (where it differs from the defaults) at
  // ExtraValue, then their events after StartTime up to EndTime. Time order.
  void IsolateChannelData(int32_t highBase, const CPathMap& map);
  // Erases the selected channels' events in [StartTime, EndTime] and restores at EndTime + 1
  // every value the unedited automation had there (an event of another channel exactly at
  // EndTime + 1 is rewritten as such a restored value). Time order.
  void EraseChannelData(int32_t highBase, const CPathMap& map);
  // Erases the selected channels' events in [max(StartTime, 1), EndTime) (slot-aligned) and
  // joins the values on both sides at EndTime by a step or a ramp. Time order.
  void EraseChannelData(int16_t rampStep, int16_t rampLength, TimeDirection direction,
                        int32_t highBase, const CPathMap& map);

  // ---- Timestamp continuity (editing/TimeStampContinuity.cpp) ----
  // When some event's Time is below an earlier one's, writes the report "C:\Tavmir\tcerr.txt"
  // (every such place), removes same-time duplicates and sorts by time; returns whether it
  // found one. The argument is unused.
  bool MakeTimeStampsContinuous(int32_t unused);

  // ---- Conform (conform/EdlConform.cpp) ----
  // Rebuilds the events so that they follow the re-cut described by items (kept, removed,
  // inserted and moved stretches, clips saved and placed; see EDLItemList.h). Clips are
  // written to and read from folder + subfolder + "\" + clip name + ".aut" (a kind-8 item's
  // own subfolder, when it names one, replaces subfolder). mix gives the first automation
  // route, the path map and the clip files' other members; it may be null. Same-time
  // duplicates are merged first. 1 on success, the events then in time order; 0 with
  // message set when a clip could not be saved or a placed clip could not be read, the
  // events then as the duplicate merge left them.
  int EDLConform(const CEDLItemList& items, const std::string& folder, const std::string& subfolder,
                 const CAutomationPackage* mix, std::string& message);
  // Kept for the hosts that call it: does nothing and returns 0.
  int EDLConform(const CEDLItemList& items, int32_t unused, const CPathMap& map);

 protected:
  HWND StatusWnd = nullptr;  // non-null switches status reporting on
};
