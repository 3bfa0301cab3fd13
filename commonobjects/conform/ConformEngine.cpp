#include "commonobjects/conform/ConformEngine.h"

#include <algorithm>
#include <exception>
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
  if (textForm) {
    // A move and the insert that takes its material share a pair number.
    auto& changes = reader.GetChanges();
    int32_t pair = 0;
    for (auto& change : changes) {
      if (change->Kind != CCutListChange::kInsertFrom) continue;
      const int32_t from = change->SourceChange;
      if (from < 1 || static_cast<size_t>(from) > changes.size()) continue;
      CCutListChange& move = *changes[static_cast<size_t>(from) - 1];
      if (move.Kind != CCutListChange::kMove) continue;
      move.SourceChange = pair;
      change->SourceChange = pair;
      ++pair;
    }
  }
  // Never leave an earlier run's list to be conformed from: a list that could not be
  // written whole fails the conform.
  if (!ConvertCutListToEDL(reader, mixFileName, TemporaryEDLPath())) return kConformListFileFailed;
  return 0;
}

enConformStatus DoConform(CAutomationPackage* mix, const std::string& path) {
  if (mix == nullptr) return kConformListFileFailed;
  bool textForm = false;
  if (EndsWithIgnoringCase(path, ".cut")) {
    textForm = false;
  } else if (EndsWithIgnoringCase(path, ".txt") || path.size() < 4 || path[path.size() - 4] != '.') {
    textForm = true;
  } else {
    CConformEngine engine;
    return engine.ConformFromEDL(mix, path, false);
  }
  const int32_t converted = ConvertChangeListToTempEDL(mix->GetFileName(), path, textForm);
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
    auto own = std::make_unique<CAutomationPackage>();
    if (mix->GetFileName().empty()) {
      *own = *mix;  // never saved: the mix as it is
    } else {
      own->SetFileName(mix->GetFileName());
      own->Load();
      if (!LoadedWhole(*own)) return false;
    }
    SourceMixes.push_back(std::move(own));
    return true;
  }
  const std::string ownReel = WithoutExtension(mix->GetFileName());
  for (const CReel& reel : Reels.GetReels()) {
    auto source = std::make_unique<CAutomationPackage>();
    if (!reel.Name.empty()) {
      std::string file = reel.Name + kMixExtension;
      // A change list names the mix by its file name without extension, whatever that is.
      if (reel.Name == ownReel && !platform::FileExists(platform::MapWindowsPath(file))) {
        file = mix->GetFileName();
      }
      source->SetFileName(file);
      source->Load();
      // Conforming from a reel that could not be read would drop its material.
      if (!LoadedWhole(*source)) return false;
      source->SetStatusWnd(mix->GetStatusWnd());
      RemoveSameTimeDuplicates(*source);
    }
    SourceMixes.push_back(std::move(source));
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
      tracker = std::make_unique<CChannelStateTracker>(SourceMixes[slot].get(), FirstRoute, &map,
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
  built.EmitDifferences(target);

  // The notes of each pair, in note order (a pair has one note).
  std::vector<std::vector<int32_t>> notesOfPair(static_cast<size_t>(Destinations.GetSize()));
  for (int32_t n = 0; n < Notes.GetSize(); ++n) {
    const int32_t pair = Notes[n].ItemNumber;
    if (pair >= 0 && pair < Destinations.GetSize()) notesOfPair[static_cast<size_t>(pair)].push_back(n);
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
      sources[slot] = std::make_unique<CChannelStateTracker>(SourceMixes[slot].get(), FirstRoute, &map,
                                                             SlotOffsetValue, &mix->Filter);
    }
    built.StepToTime(destination.Start, false);
    const int32_t pair = destination.PairNumber;
    if (pair < 0 || pair >= count) continue;
    for (const int32_t n : notesOfPair[static_cast<size_t>(pair)]) {
      const CEDLStateNote& note = Notes[n];
      // The console takes the stretch's starting state at its new place also when the
      // stretch holds no events of its own.
      built.EmitDifferences(note.State);
      if (!note.HoldsEvents()) continue;
      const int32_t shift = static_cast<int32_t>(int64_t{built.GetCurrentTime()} - note.StartTime);
      built.CopyEventRange(*sources[slot], note.FirstIndex, note.LastIndex, shift, false);
    }
  }
  // The new automation replaces the mix's; everything else of the mix stays.
  static_cast<CGrowableArray<CAutomationEvent>&>(*mix) = std::move(static_cast<CGrowableArray<CAutomationEvent>&>(*this));
  mix->MakeTimeStampsContinuous(0);
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
  Status = kConformDone;
  return kConformDone;
}
