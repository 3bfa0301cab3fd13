// EDL conform of CAutomationEventArray: the automation follows a picture re-cut given as an
// edit item list. Two passes over the list, each walking the old time p (and the second the
// new time q) from the list's start position:
//  1. Prepare: notes the console state and the event range at the start of every stretch
//     that will be written elsewhere (kinds 3, 4), and saves every stretch that leaves as a
//     clip (kinds 6, 7) into "<folder><subfolder>\<clip>.aut", the clip starting at time 0
//     with the state it had at its start.
//  2. Assemble: writes the new automation apart, then replaces the events with it.
//
//   items  [0: 100 kept][1: 50 removed][2: 30 blank][0: 200 kept]      (start position 0)
//   old    |----A----|--X--|------B------->
//   new    |----A----|.....|------B------->        B starts at 130 instead of 150,
//                          ^ the state at the end of A stays through the blank
//
// Every stretch written in the new cut is preceded by the events that bring the console from
// the state the new automation has reached to the state the material had at its old start
// (written at the stretch's new start, slot-aligned controls in their path's slot). Old
// material after the last item follows at the new position reached, as a kept stretch.
//
// A placed clip (kind 8) is read from its file: the clip's state at its time 0 is brought in
// at q, then its later events follow shifted by q, up to the item's length (clip times 0 to
// length - 1), so that a clip never runs over the stretch that follows it.
//
// Edge cases: events exactly at a kept stretch's old start belong to its starting state (a
// value equal to what the new automation already holds writes nothing); a removed stretch's
// moves reach the next kept stretch only as its starting state; an empty list keeps the old
// automation as one kept stretch from the start position. Memory: notes keep only what
// differs from the console's defaults; both trackers only step forward, so a conform is one
// walk over the old events whatever the number of items.
#include <cstdint>
#include <exception>
#include <string>
#include <vector>

#include "commonobjects/conform/EDLItemList.h"
#include "commonobjects/conform/EDLStateNote.h"
#include "commonobjects/conform/RemoteConformClient.h"
#include "commonobjects/conform/SourceDestItem.h"
#include "commonobjects/console/PathMap.h"
#include "commonobjects/editing/ChannelStateTracker.h"
#include "commonobjects/conform/internal/DayLength.h"
#include "commonobjects/editing/SameTimeDuplicates.h"
#include "commonobjects/editing/SlotOffset.h"
#include "commonobjects/editing/internal/TrackerEdits.h"
#include "commonobjects/eventstore/AutomationEventArray.h"
#include "commonobjects/eventstore/Notifications.h"
#include "commonobjects/files/CompressedAutoFile.h"
#include "commonobjects/package/AutomationPackage.h"
#include "commonobjects/platform/File.h"
#include "commonobjects/platform/WindowsDrive.h"
#include "commonobjects/timecode/TimecodeConverter.h"

namespace {

using commonobjects::editing::TakeEvents;
using commonobjects::platform::MapWindowsPath;

constexpr int32_t kDefaultFirstRoute = 2000;
constexpr int32_t kSaveFailedError = 5;  // a package's error state after a failed save
constexpr char kSaveFailedMessage[] = "Conform could not save the automation :\n ";
constexpr char kLoadFailedMessage[] = "Conform failed to load the automation !\n ";

// What both passes build their trackers with.
struct ConformContext {
  int32_t FirstRoute = kDefaultFirstRoute;
  int32_t SlotOffset = 0;
  CPathMap Map;
};

// Positions wrap as 32-bit sums.
int32_t Advance(int32_t time, int32_t length) { return static_cast<int32_t>(int64_t{time} + length); }

bool TakesOldTime(int32_t kind) {
  return kind == CEDLItem::kKept || kind == CEDLItem::kRemoved || kind == CEDLItem::kRemovedNoted || kind == CEDLItem::kMoved ||
         kind == CEDLItem::kSavedRemoved || kind == CEDLItem::kSavedKept;
}

std::string ClipFileName(const std::string& clipFolder, const CEDLItem& item) {
  return clipFolder + item.Strings[2] + ".aut";
}

// ---- The head of the list for the picture-editing system ----

// 24 hours at the timecode frame rate, in automation units.
int32_t FarEnd() { return commonobjects::conform::DayInUnits(GetTimecodeFramesPerSecond()); }

CSourceDestItem RemoteItem(int32_t start, int32_t length, int32_t pair) {
  CSourceDestItem item;
  item.Start = start;
  item.Length = length;
  item.PairNumber = pair;
  return item;
}

// The picture side is told the head of the list only: its first two items, as far as they
// keep (0, 7), remove (1) or blank-insert (2) picture. Each kept item goes as a pair in
// place; then the rest of the day, from the old position reached to the far end, goes to
// the new position reached. When neither of the two removes or inserts, nothing moves and
// no client is made.
void NotifyRemoteConform(const CEDLItemList& items) {
  CGrowableArray<CSourceDestItem> sources;
  CGrowableArray<CSourceDestItem> destinations;
  int32_t p = items.StartPosition;
  int32_t q = items.StartPosition;
  bool edited = false;
  for (int32_t i = 0; i < items.GetSize() && i < 2; ++i) {
    const CEDLItem& item = items[i];
    if (item.Kind == CEDLItem::kKept || item.Kind == CEDLItem::kSavedKept) {
      sources.Add(RemoteItem(p, item.Length, sources.GetSize()));
      destinations.Add(RemoteItem(q, item.Length, destinations.GetSize()));
      p = Advance(p, item.Length);
      q = Advance(q, item.Length);
    } else if (item.Kind == CEDLItem::kRemoved) {
      p = Advance(p, item.Length);
      edited = true;
    } else if (item.Kind == CEDLItem::kBlank) {
      q = Advance(q, item.Length);
      edited = true;
    } else {
      break;
    }
  }
  if (!edited) return;
  const int32_t rest = Advance(FarEnd(), -p);
  if (rest > 0) {
    sources.Add(RemoteItem(p, rest, sources.GetSize()));
    destinations.Add(RemoteItem(q, rest, destinations.GetSize()));
  }
  const CRemoteConformClient client(sources, destinations);
}

// ---- First pass ----

CEDLStateNote NoteStretch(CChannelStateTracker& old, int32_t itemNumber, int32_t p, int32_t length) {
  CEDLStateNote note;
  old.StepToTime(p, false);
  note.ItemNumber = itemNumber;
  note.StartTime = old.GetCurrentTime();
  note.EndTime = Advance(note.StartTime, length - 1);
  old.SaveState(note.State);
  note.FirstIndex = old.GetLastIndex() + 1;
  old.StepToTime(note.EndTime, false);
  note.LastIndex = old.GetLastIndex();
  return note;
}

// Saves events as a copy of mix (a default mix when there is none) named `name`; 0, or the
// package's error state.
int32_t SaveClipFile(CAutomationEventArray& events, const std::string& clipFolder,
                     const std::string& name, const CAutomationPackage* mix) {
  const bool compressed = events.CardLinkIsType4;
  CAutomationPackage clip;
  if (mix != nullptr) clip = *mix;
  TakeEvents(clip, events);
  // An existing folder is fine; a folder that cannot be made shows as a failed save.
  static_cast<void>(commonobjects::platform::CreateDirectory(MapWindowsPath(clipFolder)));
  clip.SetFileName(name);
  clip.SetMixPass(-1, -1);
  if (clip.Save(compressed ? 1 : 0) != 0) return 0;
  return clip.GetErrorState() != 0 ? clip.GetErrorState() : kSaveFailedError;
}

// The old stretch [p, p + length - 1] as a mix of its own starting at time 0: its state at p
// first, then its later events.
int32_t SaveClip(CChannelStateTracker& old, int32_t p, const CEDLItem& item,
                 const std::string& clipFolder, const ConformContext& context,
                 const CAutomationPackage* mix) {
  old.StepToTime(p, false);
  CAutomationEventArray events;
  CChannelStateTracker clip(&events, context.FirstRoute, &context.Map, context.SlotOffset, nullptr);
  clip.StepToTime(0, false);
  clip.EmitDifferences(old);
  const int32_t shift = clip.GetCurrentTime() - old.GetCurrentTime();
  const int32_t first = old.GetLastIndex() + 1;
  old.StepToTime(Advance(p, item.Length - 1), false);
  if (old.GetLastIndex() >= first) clip.CopyEventRange(old, first, old.GetLastIndex(), shift, false);
  events.Sort(CAutomationEventArray::SortByTime);
  return SaveClipFile(events, clipFolder, ClipFileName(clipFolder, item), mix);
}

// Returns 0, or the error code of the first clip that could not be saved (the pass stops there).
int32_t PrepareEDLConform(CAutomationEventArray& array, const CEDLItemList& items,
                          const std::string& clipFolder, const ConformContext& context,
                          const CAutomationPackage* mix, std::vector<CEDLStateNote>& notes) {
  CChannelStateTracker old(&array, context.FirstRoute, &context.Map, context.SlotOffset, nullptr);
  int32_t p = items.StartPosition;
  const int32_t count = items.GetSize();
  for (int32_t i = 0; i < count; ++i) {
    PostConformItem(&array, i, count);
    const CEDLItem& item = items[i];
    if (item.Kind == CEDLItem::kRemovedNoted || item.Kind == CEDLItem::kMoved) {
      notes.push_back(NoteStretch(old, i + 1, p, item.Length));
    } else if (item.Kind == CEDLItem::kSavedRemoved || item.Kind == CEDLItem::kSavedKept) {
      if (const int32_t error = SaveClip(old, p, item, clipFolder, context, mix)) return error;
    }
    if (TakesOldTime(item.Kind)) p = Advance(p, item.Length);
  }
  return 0;
}

// ---- Second pass ----

// Reads a clip file of either form; false when it is missing or unreadable.
bool LoadClip(const std::string& name, CAutomationEventArray& events) {
  if (!commonobjects::platform::FileExists(MapWindowsPath(name))) return false;
  if (!IsCompressedAutoFile(name)) return events.Load(name) != 0;
  CAutomationPackage clip;
  clip.SetFileName(name);
  clip.Load();
  if (!clip.GetLoadReport().EventsLoaded) return false;
  TakeEvents(events, clip);
  return true;
}

// Builds the new automation: a source tracker walks the old events, a destination tracker
// the new ones as they are written.
class Assembler {
 public:
  Assembler(CAutomationEventArray& old, const ConformContext& context,
            const std::vector<CEDLStateNote>& notes, int32_t start)
      : Context(context),
        Notes(notes),
        Source(&old, context.FirstRoute, &context.Map, context.SlotOffset, nullptr),
        Dest(&Built, context.FirstRoute, &context.Map, context.SlotOffset, nullptr),
        P(start),
        Q(start) {
    Source.StepToTime(0, false);
    Dest.StepToTime(0, false);
    Dest.EmitDifferences(Source);
  }

  // False when a placed clip cannot be read.
  bool Place(const CEDLItem& item, const std::string& folder, const std::string& subfolder);
  // The old events after the last one consumed, as a kept stretch at the new position.
  void CopyRest() { CopyOld(Source.GetArray()->GetSize() - 1, false); }

  CAutomationEventArray Built;

 private:
  // Brings the new automation at Q to the old state at P, then copies the old events after P
  // up to lastIndex (or, byTime, up to the last at or before time lastIndex).
  void CopyOld(int32_t last, bool byTime);
  const CEDLStateNote* NoteFor(const CEDLItem& item) const;
  void WriteNote(const CEDLStateNote& note);
  bool PlaceClip(const std::string& name, int32_t length);

  const ConformContext& Context;
  const std::vector<CEDLStateNote>& Notes;
  CChannelStateTracker Source;
  CChannelStateTracker Dest;
  int32_t P;
  int32_t Q;
};

bool Assembler::Place(const CEDLItem& item, const std::string& folder, const std::string& subfolder) {
  switch (item.Kind) {
    case CEDLItem::kKept:
    case CEDLItem::kSavedKept:
      CopyOld(Advance(P, item.Length - 1), true);
      P = Advance(P, item.Length);
      Q = Advance(Q, item.Length);
      break;
    case CEDLItem::kRemoved:
    case CEDLItem::kRemovedNoted:
    case CEDLItem::kSavedRemoved:
      P = Advance(P, item.Length);
      break;
    case CEDLItem::kBlank:
      Q = Advance(Q, item.Length);
      break;
    case CEDLItem::kMoved:
    case CEDLItem::kFromNote:
      if (const CEDLStateNote* note = NoteFor(item)) WriteNote(*note);
      Q = Advance(Q, item.Length);
      if (item.Kind == CEDLItem::kMoved) P = Advance(P, item.Length);
      break;
    case CEDLItem::kClip: {
      const std::string& clipSubfolder = item.Strings[1].empty() ? subfolder : item.Strings[1];
      if (!PlaceClip(ClipFileName(folder + clipSubfolder + "\\", item), item.Length)) return false;
      Q = Advance(Q, item.Length);
      break;
    }
    default:
      break;  // other kinds take no time on either side
  }
  return true;
}

void Assembler::CopyOld(int32_t last, bool byTime) {
  Source.StepToTime(P, false);
  Dest.StepToTime(Q, false);
  const int32_t shift = Dest.GetCurrentTime() - Source.GetCurrentTime();
  Dest.EmitDifferences(Source);
  const int32_t first = Source.GetLastIndex() + 1;
  if (byTime) {
    Source.StepToTime(last, false);
    last = Source.GetLastIndex();
  }
  if (last >= first) Dest.CopyEventRange(Source, first, last, shift, false);
}

// A moved stretch (kind 4) is written from the first note taken; a kind-5 item from the
// first note of the item it references.
const CEDLStateNote* Assembler::NoteFor(const CEDLItem& item) const {
  if (item.Kind == CEDLItem::kMoved) return Notes.empty() ? nullptr : &Notes.front();
  for (const CEDLStateNote& note : Notes) {
    if (note.ItemNumber == item.Reference) return &note;
  }
  return nullptr;
}

void Assembler::WriteNote(const CEDLStateNote& note) {
  Dest.StepToTime(Q, false);
  Dest.EmitDifferences(note.State);
  if (note.HoldsEvents()) {
    Dest.CopyEventRange(Source, note.FirstIndex, note.LastIndex, Dest.GetCurrentTime() - note.StartTime, false);
  }
}

bool Assembler::PlaceClip(const std::string& name, int32_t length) {
  CAutomationEventArray events;
  if (!LoadClip(name, events)) return false;
  CChannelStateTracker clip(&events, Context.FirstRoute, &Context.Map, Context.SlotOffset, nullptr);
  clip.StepToTime(0, false);
  Dest.StepToTime(Q, false);
  Dest.EmitDifferences(clip);
  const int32_t shift = Dest.GetCurrentTime() - clip.GetCurrentTime();
  const int32_t first = clip.GetLastIndex() + 1;
  clip.StepToTime(length - 1, false);
  if (clip.GetLastIndex() >= first) Dest.CopyEventRange(clip, first, clip.GetLastIndex(), shift, false);
  return true;
}

// False, the array unchanged, when a placed clip cannot be read.
bool AssembleEDLConform(CAutomationEventArray& array, const CEDLItemList& items, const std::string& folder,
                        const std::string& subfolder, const ConformContext& context,
                        const std::vector<CEDLStateNote>& notes) {
  Assembler assembler(array, context, notes, items.StartPosition);
  const int32_t count = items.GetSize();
  for (int32_t i = 0; i < count; ++i) {
    PostConformItem(&array, i, count);
    if (!assembler.Place(items[i], folder, subfolder)) return false;
  }
  assembler.CopyRest();
  TakeEvents(array, assembler.Built);
  array.Sort(CAutomationEventArray::SortByTime);
  return true;
}

}  // namespace

int CAutomationEventArray::EDLConform(const CEDLItemList& items, const std::string& folder,
                                      const std::string& subfolder, const CAutomationPackage* mix,
                                      std::string& message) {
  ConformContext context;
  if (mix != nullptr && !mix->FirstAutoRte.IsEmpty()) context.FirstRoute = static_cast<int32_t>(mix->FirstAutoRte[0]);
  if (mix != nullptr) context.Map = mix->GetPathMap();
  // The phase of the mix as recorded, before duplicates go (0 on the quarter-frame consoles).
  context.SlotOffset = SlotOffset(*this);
  RemoveSameTimeDuplicates(*this);

  NotifyRemoteConform(items);

  std::vector<CEDLStateNote> notes;
  try {
    if (const int32_t error = PrepareEDLConform(*this, items, folder + subfolder + "\\", context, mix, notes)) {
      message = kSaveFailedMessage + commonobjects::platform::SystemErrorText(error);
      return 0;
    }
    if (!AssembleEDLConform(*this, items, folder, subfolder, context, notes)) {
      message = kLoadFailedMessage;
      return 0;
    }
  } catch (const std::exception&) {
    // Out of memory: the new automation is built apart, so the array is as it was.
    message = kLoadFailedMessage;
    return 0;
  }
  return 1;
}

int CAutomationEventArray::EDLConform(const CEDLItemList&, int32_t, const CPathMap&) { return 0; }
