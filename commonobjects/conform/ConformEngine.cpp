#include "commonobjects/conform/ConformEngine.h"

#include <algorithm>
#include <cstdint>
#include <exception>
#include <new>
#include <utility>

#include "commonobjects/conform/CutListReader.h"
#include "commonobjects/conform/EDLReader.h"
#include "commonobjects/conform/RemoteConformClient.h"
#include "commonobjects/editing/ChannelStateTracker.h"
#include "commonobjects/editing/SameTimeDuplicates.h"
#include "commonobjects/eventstore/Notifications.h"
#include "commonobjects/package/AutomationPackage.h"
#include "commonobjects/platform/File.h"
#include "commonobjects/platform/WindowsDrive.h"
#include "commonobjects/timecode/TimecodeConverter.h"

namespace platform = commonobjects::platform;

namespace {

constexpr int32_t kDefaultFirstRoute = 2000;
constexpr char kMixExtension[] = ".aut";

// The file name without its last 4 characters (its extension), as a reel names its mix.
std::string WithoutExtension(const std::string& name) {
  return name.size() >= 4 ? name.substr(0, name.size() - 4) : std::string();
}

bool EndsWithIgnoringCase(const std::string& text, const char* ending) {
  const std::string tail = text.size() >= 4 ? text.substr(text.size() - 4) : text;
  if (tail.size() != 4) return false;
  for (size_t i = 0; i < 4; ++i) {
    const char a = static_cast<char>(tail[i] >= 'A' && tail[i] <= 'Z' ? tail[i] - 'A' + 'a' : tail[i]);
    if (a != ending[i]) return false;
  }
  return true;
}

bool LoadedWhole(const CAutomationPackage& mix) {
  const PackageLoadReportStructure& report = mix.GetLoadReport();
  return report.Opened && report.EventsLoaded;
}

}  // namespace

CConformEngine::CConformEngine() = default;
CConformEngine::~CConformEngine() = default;

std::string TemporaryEDLPath() {
  const std::string windows = platform::GetWindowsDirectory();
  std::string path;
  path += windows.empty() ? 'C' : windows[0];
  path += ":\\tavmir\\edl files";
  platform::CreateDirectories(platform::MapWindowsPath(path));  // a failure shows when writing
  return path + "\\QRX RESERVED TEMP.edl";
}

int32_t ConvertChangeListToTempEDL(const std::string& mixFileName, const std::string& path, bool textForm) {
  CCutListReader reader;
  if (!reader.Read(path)) {
    const int32_t stage = reader.GetFailureStage();
    return stage == CCutListReader::kNoFailure ? CCutListReader::kFailedOpening : stage;
  }
  if (textForm) PairMovesWithInserts(reader);
  // Never leave an earlier run's list to be conformed from: a list that could not be
  // written whole fails the conform.
  if (!ConvertCutListToEDL(reader, mixFileName, TemporaryEDLPath())) return kConformListFileFailed;
  return 0;
}

ConformListKind ConformListKindOf(const std::string& path) {
  if (EndsWithIgnoringCase(path, ".cut")) return ConformListKind::kChangeList;
  if (EndsWithIgnoringCase(path, ".txt") || path.size() < 4 || path[path.size() - 4] != '.') {
    return ConformListKind::kPairedChangeList;
  }
  return ConformListKind::kEditList;
}

enConformStatus DoConform(CAutomationPackage* mix, const std::string& path) {
  if (mix == nullptr) return kConformListFileFailed;
  const ConformListKind kind = ConformListKindOf(path);
  if (kind == ConformListKind::kEditList) {
    CConformEngine engine;
    return engine.ConformFromEDL(mix, path, false);
  }
  const int32_t converted =
      ConvertChangeListToTempEDL(mix->GetFileName(), path, kind == ConformListKind::kPairedChangeList);
  if (converted != 0) return static_cast<enConformStatus>(converted);
  CConformEngine engine;
  return engine.ConformFromEDL(mix, TemporaryEDLPath(), false);
}

void CConformEngine::ReadItems(CEDLReader& reader, bool timesInUnits) {
  CTimecodeConverter converter;
  auto units = [&converter](int32_t frames) {
    converter.TimeFromFrames(frames);
    return converter.GetRoundedTime();
  };
  std::vector<CSourceDestItem> sources;
  CEDLTimecodeBlock tc;
  int32_t pair = 0;
  for (;;) {
    CSourceDestItem source;
    CSourceDestItem dest;
    if (reader.ReadEvent(tc, source, dest) == 0) break;
    if (!reader.EventYieldsEdit()) continue;
    CEDLEditDetail& detail = dest.EnsureDetail();
    if (reader.HasOldHeader()) {
      detail.ReelIndex = Reels.Find(detail.ReelName);
    } else if (detail.ReelIndex >= 0 && detail.ReelIndex < Reels.GetSize()) {
      detail.ReelName = Reels.GetName(detail.ReelIndex);
    }
    source.PairNumber = dest.PairNumber = pair++;
    if (!timesInUnits) {
      source.Start = units(source.Start);
      source.Length = units(source.Length);
      dest.Start = units(dest.Start);
      dest.Length = units(dest.Length);
    }
    sources.push_back(std::move(source));
    Destinations.Add(std::move(dest));
  }
  // By ascending start; equal starts stay in list order.
  std::stable_sort(sources.begin(), sources.end(),
                   [](const CSourceDestItem& a, const CSourceDestItem& b) { return a.Start < b.Start; });
  Sources.Reserve(static_cast<int32_t>(sources.size()));
  for (CSourceDestItem& source : sources) Sources.Add(std::move(source));
}

bool CConformEngine::LoadSourceMixes(CAutomationPackage* mix) {
  bool anyName = false;
  for (const CReel& reel : Reels.GetReels()) anyName = anyName || !reel.Name.empty();
  if (!anyName) {
    // The list names no reel: the material is the mix's own file.
    Reels.RemoveAll();
    if (mix->GetFileName().empty()) {
      SourceMixes.push_back(mix);  // never saved: the mix as it is
      return true;
    }
    auto own = std::make_unique<CAutomationPackage>();
    own->SetFileName(mix->GetFileName());
    own->Load();
    if (!LoadedWhole(*own)) return false;
    SourceMixes.push_back(own.get());
    LoadedMixes.push_back(std::move(own));
    return true;
  }
  const std::string ownReel = WithoutExtension(mix->GetFileName());
  for (const CReel& reel : Reels.GetReels()) {
    auto source = std::make_unique<CAutomationPackage>();
    if (!reel.Name.empty()) {
      // Change lists and the console-style conforms name the mix by its file name without
      // the extension: that reel is the mix's own file, whatever its extension.
      const std::string file = reel.Name == ownReel ? mix->GetFileName() : reel.Name + kMixExtension;
      source->SetFileName(file);
      source->Load();
      // Conforming from a reel that could not be read would drop its material.
      if (!LoadedWhole(*source)) return false;
      source->SetStatusWnd(mix->GetStatusWnd());
      RemoveSameTimeDuplicates(*source);
    }
    SourceMixes.push_back(source.get());
    LoadedMixes.push_back(std::move(source));
  }
  return true;
}

size_t CConformEngine::SourceSlotOf(const CSourceDestItem* destination) const {
  int32_t reel = 0;
  if (destination != nullptr && destination->Detail) reel = destination->Detail->ReelIndex;
  if (reel < 0 || static_cast<size_t>(reel) >= SourceMixes.size()) reel = 0;
  return static_cast<size_t>(reel);
}

const CSourceDestItem* CConformEngine::DestinationOf(int32_t pairNumber) const {
  // Pair numbers count the destinations in list order, so the pair is usually at its number.
  if (pairNumber >= 0 && pairNumber < Destinations.GetSize() &&
      Destinations[pairNumber].PairNumber == pairNumber) {
    return &Destinations[pairNumber];
  }
  for (int32_t i = 0; i < Destinations.GetSize(); ++i) {
    if (Destinations[i].PairNumber == pairNumber) return &Destinations[i];
  }
  return nullptr;
}

bool CConformEngine::PrepareSources(CAutomationPackage* mix) {
  if (Reels.GetSize() > 0) {
    bool anyName = false;
    for (const CReel& reel : Reels.GetReels()) anyName = anyName || !reel.Name.empty();
    if (!anyName) return false;
  }
  const CPathMap map = mix->GetPathMap();
  // One tracker per source mix, stepped forward from item to item (the items come by
  // ascending source start); an item that starts before where its mix's tracker stands
  // gets a fresh tracker, so every note is the state a tracker from time 0 would reach.
  std::vector<std::unique_ptr<CChannelStateTracker>> trackers(SourceMixes.size());
  if (SourceMixes.empty()) return false;
  const int32_t count = Sources.GetSize();
  Notes.Reserve(count);
  for (int32_t i = 0; i < count; ++i) {
    PostConformItem(mix, i, count);
    const CSourceDestItem& source = Sources[i];
    const size_t slot = SourceSlotOf(DestinationOf(source.PairNumber));
    auto& tracker = trackers[slot];
    if (!tracker || source.Start < tracker->GetCurrentTime()) {
      tracker = std::make_unique<CChannelStateTracker>(SourceMixes[slot], FirstRoute, &map,
                                                       SlotOffsetValue, nullptr);
    }
    tracker->StepToTime(source.Start, false);
    CEDLStateNote note;
    note.ItemNumber = source.PairNumber;
    note.StartTime = tracker->GetCurrentTime();
    note.EndTime = static_cast<int32_t>(int64_t{note.StartTime} + source.Length - 1);
    tracker->SaveState(note.State);
    note.FirstIndex = tracker->GetLastIndex() + 1;
    tracker->StepToTime(note.EndTime, false);
    note.LastIndex = tracker->GetLastIndex();
    Notes.Add(std::move(note));
  }
  return true;
}

bool CConformEngine::AssembleConform(CAutomationPackage* mix, bool onlySelectedPaths) {
  const CPathMap map = mix->GetPathMap();
  CChannelStateTracker target(mix, FirstRoute, &map, SlotOffsetValue, &mix->Filter);
  CChannelStateTracker built(this, FirstRoute, &map, SlotOffsetValue, &mix->Filter);
  const int32_t mode = onlySelectedPaths ? CChannelStateTracker::TrackSelectedOnly : CChannelStateTracker::TrackAll;
  target.Mode = built.Mode = mode;
  target.StepToTime(0, false);
  built.StepToTime(0, false);
  bool reordered = false;  // whether any events were put into time order here
  int32_t appended = GetSize();
  built.EmitDifferences(target);
  reordered |= MergeAppended(appended, true, built.GetLastIndex() + 1);

  // The notes of each pair, in note order (a pair has one note); room for every event they
  // copy, so the new automation is never moved as it grows.
  std::vector<std::vector<int32_t>> notesOfPair(static_cast<size_t>(Destinations.GetSize()));
  int64_t copied = GetSize();
  for (int32_t n = 0; n < Notes.GetSize(); ++n) {
    const int32_t pair = Notes[n].ItemNumber;
    if (pair >= 0 && pair < Destinations.GetSize()) notesOfPair[static_cast<size_t>(pair)].push_back(n);
    if (Notes[n].HoldsEvents()) copied += int64_t{Notes[n].LastIndex} - Notes[n].FirstIndex + 1;
  }
  try {
    Reserve(static_cast<int32_t>(std::min<int64_t>(copied, INT32_MAX)));
  } catch (const std::bad_alloc&) {
    // no room to spare: the array grows as it is built
  }
  if (SourceMixes.empty()) return false;
  // Trackers that lend their source mix's events to CopyEventRange.
  std::vector<std::unique_ptr<CChannelStateTracker>> sources(SourceMixes.size());
  const int32_t count = Destinations.GetSize();
  for (int32_t i = 0; i < count; ++i) {
    PostConformItem(mix, i, count);
    const CSourceDestItem& destination = Destinations[i];
    const size_t slot = SourceSlotOf(&destination);
    if (!sources[slot]) {
      sources[slot] = std::make_unique<CChannelStateTracker>(SourceMixes[slot], FirstRoute, &map,
                                                             SlotOffsetValue, &mix->Filter);
    }
    built.StepToTime(destination.Start, false);
    const int32_t pair = destination.PairNumber;
    if (pair < 0 || pair >= count) continue;
    for (const int32_t n : notesOfPair[static_cast<size_t>(pair)]) {
      const CEDLStateNote& note = Notes[n];
      // The console takes the stretch's starting state at its new place also when the
      // stretch holds no events of its own.
      appended = GetSize();
      built.EmitDifferences(note.State);
      reordered |= MergeAppended(appended, true, built.GetLastIndex() + 1);
      if (!note.HoldsEvents()) continue;
      const int32_t shift = static_cast<int32_t>(int64_t{built.GetCurrentTime()} - note.StartTime);
      appended = GetSize();
      built.CopyEventRange(*sources[slot], note.FirstIndex, note.LastIndex, shift, false);
      reordered |= MergeAppended(appended, false, built.GetLastIndex() + 1);
    }
  }
  // Events put into order here are merged as the time-stamp repair would merge them.
  if (reordered) RemoveSameTimeDuplicates(*this);
  // The new automation replaces the mix's; everything else of the mix stays.
  static_cast<CGrowableArray<CAutomationEvent>&>(*mix) = std::move(static_cast<CGrowableArray<CAutomationEvent>&>(*this));
  mix->MakeTimeStampsContinuous(0);
  return true;
}

bool CConformEngine::MergeAppended(int32_t from, bool sortFirst, int32_t unread) {
  CAutomationEvent* const events = GetData();
  const int32_t size = GetSize();
  if (from >= size) return false;
  auto earlier = [](const CAutomationEvent& a, const CAutomationEvent& b) { return a.Time < b.Time; };
  bool moved = false;
  if (sortFirst && !std::is_sorted(events + from, events + size, earlier)) {
    std::stable_sort(events + from, events + size, earlier);
    moved = true;
  }
  if (from == 0 || events[from - 1].Time <= events[from].Time) return moved;
  // Events appended out of order among themselves are left for the repair of the whole mix.
  if (!std::is_sorted(events + from, events + size, earlier)) return moved;
  // Only the appended events earlier than the last one before them move, among the events
  // before them later than the first appended one; equal times keep their order of arrival.
  CAutomationEvent* const low = std::upper_bound(events, events + from, events[from], earlier);
  // Events the destination tracker has read stay where they are (a destination placed before
  // one already built); the repair of the whole mix orders them.
  if (low < events + unread) return moved;
  CAutomationEvent* const high = std::lower_bound(events + from, events + size, events[from - 1], earlier);
  std::inplace_merge(low, events + from, high, earlier);
  return true;
}

enConformStatus CConformEngine::ConformFromEDL(CAutomationPackage* mix, const std::string& edlPath, bool timesInUnits) {
  Status = kConformEdlOpenFailed;
  if (mix == nullptr) return kConformEdlOpenFailed;
  try {
    CEDLReader reader(edlPath, CEDLReader::kQrx);
    if (!reader.Open()) return kConformEdlOpenFailed;
    CTimecodeConverter converter;
    CTimecodeSettings settings = converter.GetSettings();
    reader.ReadHeader(settings, Reels);
    ReadItems(reader, timesInUnits);
    reader.Close();
  } catch (const std::exception&) {
    return kConformEdlOpenFailed;
  }

  // The picture side conforms in step; it never fails the mix's conform.
  CRemoteConformClient remote(Sources, Destinations);

  Status = kConformSourcesFailed;
  try {
    if (!LoadSourceMixes(mix)) return kConformSourcesFailed;
    FirstRoute = mix->FirstAutoRte.GetSize() > 0 ? static_cast<int32_t>(mix->FirstAutoRte[0]) : kDefaultFirstRoute;
    // The slot offset of this (still empty) array: 0.
    SlotOffsetValue = 0;
    if (!PrepareSources(mix)) return kConformSourcesFailed;
  } catch (const std::exception&) {
    return kConformSourcesFailed;
  }

  Status = kConformAssemblyFailed;
  try {
    if (!AssembleConform(mix, !timesInUnits)) return kConformAssemblyFailed;
  } catch (const std::exception&) {
    return kConformAssemblyFailed;
  }
  Notes.SetSize(0);
  Reels.RemoveAll();
  SourceMixes.clear();
  LoadedMixes.clear();
  Status = kConformDone;
  return kConformDone;
}
