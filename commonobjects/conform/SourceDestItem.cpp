#include "commonobjects/conform/SourceDestItem.h"

#include <algorithm>
#include <new>

#include "commonobjects/conform/EDLReader.h"
#include "commonobjects/timecode/TimecodeConverter.h"

CSourceDestItem::CSourceDestItem(const CSourceDestItem& other)
    : Detail(other.Detail ? std::make_unique<CEDLEditDetail>(*other.Detail) : nullptr),
      Number(other.Number),
      Start(other.Start),
      Length(other.Length),
      PairNumber(other.PairNumber),
      Reserved(other.Reserved),
      Flag(other.Flag) {}

CSourceDestItem& CSourceDestItem::operator=(const CSourceDestItem& other) {
  if (this != &other) *this = CSourceDestItem(other);
  return *this;
}

CEDLEditDetail& CSourceDestItem::EnsureDetail() {
  if (!Detail) Detail = std::make_unique<CEDLEditDetail>();
  return *Detail;
}

bool CSourceDestItemList::GetNextPair(CSourceDestItem& source, CSourceDestItem& dest) {
  if (Cursor < 0 || Cursor + 1 >= GetSize()) return false;
  source = ElementAt(Cursor);
  dest = ElementAt(Cursor + 1);
  Cursor += 2;
  return true;
}

void GetSourceDestItems(std::string path, CGrowableArray<CSourceDestItem>& items, bool timesInUnits) {
  CTimecodeConverter converter;
  CEDLReader reader(path, CEDLReader::kQrx);
  if (!reader.Open()) return;
  CTimecodeSettings settings = converter.GetSettings();
  CReelTable reels;
  reader.ReadHeader(settings, reels);

  // The pairs go straight to the end of items (source, then destination) and are converted
  // where they lie: the same items as reading them all first and appending pair by pair,
  // without a second copy of a long list.
  const int32_t first = items.GetSize();
  try {  // room for every pair at once, so a long list is not moved as it grows
    items.Reserve(static_cast<int32_t>(std::min<int64_t>(first + int64_t{2} * reader.GetEventBound(), INT32_MAX)));
  } catch (const std::bad_alloc&) {
    // no room to spare: the list grows as it is read
  }
  CEDLTimecodeBlock tc;
  for (;;) {
    CSourceDestItem source;
    CSourceDestItem dest;
    if (reader.ReadEvent(tc, source, dest) == 0) break;
    if (!reader.EventYieldsEdit()) continue;
    items.Add(std::move(source));
    items.Add(std::move(dest));
  }
  if (timesInUnits) return;
  auto units = [&converter](int32_t frames) {
    converter.TimeFromFrames(frames);
    return converter.GetRoundedTime();
  };
  for (int32_t i = first; i + 1 < items.GetSize(); i += 2) {
    CSourceDestItem& s = items[i];
    CSourceDestItem& d = items[i + 1];
    s.Start = units(s.Start);
    d.Start = units(d.Start);
    d.Length = units(d.Length);
    s.Length = d.Length;
  }
}
