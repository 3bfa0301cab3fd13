// CSourceDestItem: one side of an edit, its source (where the material was) or its
// destination (where it goes), and CSourceDestItemList, the pairs of a whole edit list.
//
// Starts and lengths are frames while an edit list is read and automation time units once
// converted (GetSourceDestItems says which). A destination item owns its edit detail;
// copying an item copies the detail (deep), moving moves it. Source and destination of one
// edit share a pair number once conform numbers them. Plain values; not thread-safe.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "commonobjects/conform/EDLEditDetail.h"
#include "commonobjects/eventstore/GrowableArray.h"

class CSourceDestItem {
 public:
  CSourceDestItem() = default;
  CSourceDestItem(const CSourceDestItem& other);
  CSourceDestItem& operator=(const CSourceDestItem& other);
  CSourceDestItem(CSourceDestItem&&) noexcept = default;
  CSourceDestItem& operator=(CSourceDestItem&&) noexcept = default;
  virtual ~CSourceDestItem() = default;

  // The detail, made (as built) when the item has none yet.
  CEDLEditDetail& EnsureDetail();

  std::unique_ptr<CEDLEditDetail> Detail;  // none when built
  int32_t Number = 0;      // a text event's number, or a change list's move pair number
  int32_t Start = 0;
  int32_t Length = 0;
  int32_t PairNumber = 0;  // links a source item to its destination item
  int32_t Reserved = -1;
  uint8_t Flag = 1;
};

// The items of an edit list, source then destination for each edit, read two at a time.
class CSourceDestItemList : public CGrowableArray<CSourceDestItem> {
 public:
  // Copies the pair at the cursor (items cursor and cursor + 1) into source and dest and
  // moves the cursor on by two; false, leaving everything as it was, when fewer than two
  // items are left.
  bool GetNextPair(CSourceDestItem& source, CSourceDestItem& dest);
  void ResetCursor() { Cursor = 0; }
  int32_t GetCursor() const { return Cursor; }

 private:
  int32_t Cursor = 0;
};

// Reads the whole edit list at path (either form; the text form in the reader's own
// dialect) and appends to items, per event that yields an edit, its source item and then
// its destination item (with the detail). Unless timesInUnits, every start and the
// destination length are converted from frames to automation time units under the
// registry's timecode settings (TimeFromFrames, GetRoundedTime), and the source length
// becomes the converted destination length. A text event line that yields no edit (too
// few fields, a track field no rule accepts, a timecode too short to read) adds nothing.
// A file that cannot be opened appends nothing.
void GetSourceDestItems(std::string path, CGrowableArray<CSourceDestItem>& items, bool timesInUnits);
