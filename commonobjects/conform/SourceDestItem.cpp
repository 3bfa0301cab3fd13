#include "commonobjects/conform/SourceDestItem.h"

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

  CSourceDestItemList pairs;
  CEDLTimecodeBlock tc;
  for (;;) {
    CSourceDestItem source;
    CSourceDestItem dest;
    if (reader.ReadEvent(tc, source, dest) == 0) break;
    if (!reader.EventYieldsEdit()) continue;
    pairs.Add(std::move(source));
    pairs.Add(std::move(dest));
  }

  auto units = [&converter](int32_t frames) {
    converter.TimeFromFrames(frames);
    return converter.GetRoundedTime();
  };
  CSourceDestItem source;
  CSourceDestItem dest;
  while (pairs.GetNextPair(source, dest)) {
    if (!timesInUnits) {
      source.Start = units(source.Start);
      dest.Start = units(dest.Start);
      dest.Length = units(dest.Length);
      source.Length = dest.Length;
    }
    items.Add(source);
    items.Add(dest);
  }
}
