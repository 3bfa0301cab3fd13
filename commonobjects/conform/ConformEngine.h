// Conform: a mix follows a re-cut picture. DoConform takes an edit decision list, or a
// change list that it first turns into the temporary binary edit list, and rebuilds the
// mix's automation: every stretch of old material goes to where its picture now lies, each
// preceded by the events that bring the console to the state it had at the stretch's old
// start.
//
// CConformEngine runs one conform from an edit list. Its own event array receives the new
// automation, which then replaces the mix's events (the mix keeps everything else). The
// material comes from source mixes, one per reel the list names ("<reel>.aut"), or, when
// the list names no reel, from the mix's own file. Stages: 4 reading the list, 5 noting
// every source stretch (PrepareSources), 6 building the new automation (AssembleConform);
// a failure returns the stage that failed and leaves the mix's events as they were. The
// remote conform client is told of the conform before the mix is rebuilt. Progress goes to
// the mix's status window (codes 28 and 27 per item).
//
// Only the paths the mix's filter selects are conformed when the list's times were frames
// (DoConform); the others' automation is not carried over. One engine per conform, used by
// one thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "commonobjects/conform/ConformStatus.h"
#include "commonobjects/conform/EDLStateNote.h"
#include "commonobjects/conform/ReelTable.h"
#include "commonobjects/conform/SourceDestItem.h"
#include "commonobjects/eventstore/AutomationEventArray.h"
#include "commonobjects/eventstore/GrowableArray.h"

class CAutomationPackage;
class CChannelStateTracker;

class CConformEngine : public CAutomationEventArray {
 public:
  CConformEngine();
  ~CConformEngine() override;
  CConformEngine(const CConformEngine&) = delete;
  CConformEngine& operator=(const CConformEngine&) = delete;

  // Conforms mix to the edit list at edlPath (either form). timesInUnits: the list's starts
  // and lengths are automation time units already (the console-style conforms), else frames
  // under the registry's timecode settings.
  enConformStatus ConformFromEDL(CAutomationPackage* mix, const std::string& edlPath, bool timesInUnits);

  const CReelTable& GetReels() const { return Reels; }
  // Source items by ascending start (equal starts in list order); destination items in list
  // order; a source and its destination share a pair number (0, 1, 2 ... in list order).
  const CGrowableArray<CSourceDestItem>& GetSources() const { return Sources; }
  const CGrowableArray<CSourceDestItem>& GetDestinations() const { return Destinations; }
  // The source mixes loaded for the conform (emptied once it succeeded).
  size_t GetSourceMixCount() const { return SourceMixes.size(); }
  // -1 when built, then the stage running or failed (4, 5, 6), 0 once done.
  int32_t GetStatus() const { return Status; }

 private:
  void ReadItems(class CEDLReader& reader, bool timesInUnits);
  bool LoadSourceMixes(CAutomationPackage* mix);
  // The source mix of a destination by its reel (reel 0 when it names none in the table).
  size_t SourceSlotOf(const CSourceDestItem* destination) const;
  const CSourceDestItem* DestinationOf(int32_t pairNumber) const;
  bool PrepareSources(CAutomationPackage* mix);
  bool AssembleConform(CAutomationPackage* mix, bool onlySelectedPaths);

  CReelTable Reels;
  std::vector<std::unique_ptr<CAutomationPackage>> SourceMixes;
  CGrowableArray<CSourceDestItem> Sources;
  CGrowableArray<CSourceDestItem> Destinations;
  std::unique_ptr<CChannelStateTracker> Tracker;
  int32_t Status = -1;

  int32_t FirstRoute = 2000;
  int32_t SlotOffsetValue = 0;
  CGrowableArray<CEDLStateNote> Notes;
};

// Conforms mix to the list at path. A path whose last 4 characters are ".cut" (ignoring
// case) is a binary or text change list read without move pairing; ".txt" (ignoring case),
// or an ending that does not start with ".", a text change list whose inserts take their
// material from the moves they name; any other ".xxx" an edit decision list. A change list
// becomes the temporary edit list first (TemporaryEDLPath()); when that cannot be written
// the status is 1 and the mix is untouched (never a conform from an earlier run's file).
enConformStatus DoConform(CAutomationPackage* mix, const std::string& path);

// Reads the change list at path and writes it as the temporary edit list with the mix's
// own reel (mixFileName without its extension). textForm: pair each move with the insert
// that takes its material. 0, or the reader's failing stage (1, 2, 3), or 1 when the
// temporary edit list could not be written.
int32_t ConvertChangeListToTempEDL(const std::string& mixFileName, const std::string& path, bool textForm);

// "C:\tavmir\edl files\QRX RESERVED TEMP.edl" on the Windows directory's drive; its folders
// are created when missing.
std::string TemporaryEDLPath();
