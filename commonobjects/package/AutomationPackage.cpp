// The package itself: construction, destruction, assignment, Clear and the small accessors.
// Storage lives in PackageStorage.cpp, StructuredMix.cpp and CompressedMix.cpp; the
// conversions of old mixes in MixConversion.cpp.
#include "commonobjects/package/AutomationPackage.h"

#include <algorithm>
#include <initializer_list>

#include "commonobjects/console/ControlModel.h"
#include "commonobjects/console/FaderLayout.h"
#include "commonobjects/eventstore/Notifications.h"
#include "commonobjects/package/internal/BusyScope.h"
#include "commonobjects/platform/CriticalSection.h"
#include "commonobjects/timecode/TimecodeConverter.h"

namespace {

constexpr uint32_t kDestroyedCode = 17;
constexpr uint32_t kPollMilliseconds = 100;
constexpr uint16_t kNoGang = 0xFFFF;
constexpr int32_t kAnalogueInfoWords = 25;

std::unique_ptr<CRecordArray> MakeSlot(const char* name, int32_t recordSize) {
  return std::make_unique<CRecordArray>(name, recordSize);
}

// The cut A/B path the package records: "CutABPath" on type 1, "MuteABPath" on type 6.
uint32_t CutABForConsole(int32_t consoleType) {
  if (consoleType == 1) return static_cast<uint32_t>(CConsoleConfiguration::GetCutABPath());
  if (consoleType == 6) return static_cast<uint32_t>(CConsoleConfiguration::GetMuteABPath());
  return 0;
}

}  // namespace

CAutomationPackage::CAutomationPackage()
    : Lock(std::make_unique<commonobjects::platform::CriticalSection>()),
      Configuration(std::make_unique<CConsoleConfiguration>()),
      PathsLayout(std::make_unique<CConsoleLayout>()) {
  const CControlModel model = CControlModel::ForCurrentConsole();
  SlotArray& controls = model.IsSmallConsole() ? SmallControlSlots : ControlSlots;
  SlotArray& routes = model.IsSmallConsole() ? SmallRouteSlots : RouteSlots;
  const int32_t controlBytes =
      model.IsSmallConsole() ? MixLayout::kSmallControlRecordBytes : MixLayout::kFullControlRecordBytes;
  const int32_t routeBytes = model.IsSmallConsole() ? MixLayout::kSmallRouteRecordBytes : MixLayout::kFullRouteRecordBytes;
  for (int32_t k = 0; k < MixLayout::kSlotCount; ++k) {
    controls[k] = MakeSlot(MixLayout::kControlSlotNames[k], controlBytes);
    routes[k] = MakeSlot(MixLayout::kRouteSlotNames[k], routeBytes);
  }
  const int32_t paths = PathsLayout->GetMaxPaths();
  GangMap.SetSize(paths * paths);
  std::fill(GangMap.begin(), GangMap.end(), kNoGang);
  FrameRate.Add(static_cast<uint32_t>(GetTimecodeFramesPerSecond()));
  CutAB.Add(CutABForConsole(model.GetConsoleType()));
  AutomationSize.Add(0);
  ConsoleType.Add(static_cast<uint32_t>(model.GetConsoleType()));
  FillAnalogueInfo();
  StampModificationTime();
}

CAutomationPackage::~CAutomationPackage() {
  // A save or load running on another thread finishes first; it still reads the package's
  // own layout, so that goes only after the wait.
  for (;;) {
    Lock->Enter();
    const bool idle = Idle != 0;
    Lock->Leave();
    if (idle) break;
    commonobjects::platform::Sleep(kPollMilliseconds);
  }
  PathsLayout.reset();
  for (SlotArray* set : {&ControlSlots, &RouteSlots, &SmallControlSlots, &SmallRouteSlots}) {
    for (auto& slot : *set) slot.reset();
  }
  if (NotifyOnDestruction != 0) PostEventNotification(kDestroyedCode, 0);
}

CAutomationPackage& CAutomationPackage::operator=(const CAutomationPackage& other) {
  if (this == &other) return *this;
  CGrowableArray<CAutomationEvent>::operator=(other);
  for (SlotSet set : {FullControl, FullRoute, SmallControl, SmallRoute}) {
    for (int k = 0; k < MixLayout::kSlotCount; ++k) {
      CRecordArray* mine = GetSlot(set, k);
      const CRecordArray* theirs = other.GetSlot(set, k);
      if (mine != nullptr && theirs != nullptr) *mine = *theirs;
    }
  }
  ControlParms = other.ControlParms;
  RouteParms = other.RouteParms;
  PathMapData = other.PathMapData;
  FirstAutoRte = other.FirstAutoRte;
  SnapshotVersion = other.SnapshotVersion;
  ConsoleType = other.ConsoleType;
  LinkMap = other.LinkMap;
  GangMap = other.GangMap;
  FrameRate = other.FrameRate;
  if (CControlModel::ForCurrentConsole().IsSmallConsole()) {
    CutAB = other.CutAB;
    AnalogueInfo = other.AnalogueInfo;
  }
  HostField = other.HostField;
  OldVersion = other.OldVersion;
  NotifyOnDestruction = other.NotifyOnDestruction;
  SnapshotAppendPending = 0;
  return *this;
}

void CAutomationPackage::Clear() {
  commonobjects::platform::CriticalSectionLock hold(*Lock);
  RemoveAll();
  for (SlotArray* set : {&ControlSlots, &RouteSlots, &SmallControlSlots, &SmallRouteSlots}) {
    for (auto& slot : *set) {
      if (slot) slot->RemoveAll();
    }
  }
  for (CGrowableArray<uint32_t>* a : std::initializer_list<CGrowableArray<uint32_t>*>{
           &LinkMap, &PathMapData, &FirstAutoRte, &SnapshotVersion, &AnalogueInfo, &FrameRate, &CutAB,
           &AutomationSize, &ConsoleType}) {
    a->RemoveAll();
  }
  GangMap.RemoveAll();
  ControlParms.RemoveAll();
  RouteParms.RemoveAll();
  HostPair[0] = HostPair[1] = -1;
  MixPassA = MixPassB = -1;
  HostField = -1;
}

const CAutomationPackage::SlotArray& CAutomationPackage::Slots(SlotSet set) const {
  switch (set) {
    case FullRoute: return RouteSlots;
    case SmallControl: return SmallControlSlots;
    case SmallRoute: return SmallRouteSlots;
    default: return ControlSlots;
  }
}

CRecordArray* CAutomationPackage::GetSlot(SlotSet set, int slot) const {
  if (set < FullControl || set > SmallRoute || slot < 0 || slot >= MixLayout::kSlotCount) return nullptr;
  return Slots(set)[static_cast<size_t>(slot)].get();
}

CPathMap CAutomationPackage::GetPathMap() const {
  CPathMap map;
  map.SetValues(std::vector<int32_t>(PathMapData.begin(), PathMapData.end()));
  return map;
}

void CAutomationPackage::SetMixPass(int32_t a, int32_t b) {
  MixPassA = a;
  MixPassB = b;
}

void CAutomationPackage::GetMixPass(int32_t& a, int32_t& b) const {
  a = MixPassA;
  b = MixPassB;
}

bool CAutomationPackage::IsIdle() const { return Idle != 0; }

int32_t CAutomationPackage::GetPathsMode() const { return PathsLayout ? PathsLayout->GetMaxPathsMode() : MaxPathsMode; }

void CAutomationPackage::StampModificationTime() { commonobjects::platform::GetSystemTimeAsFileTime(&ModificationTime); }

// The six fader counts in the fader layout's order, then zeros up to 25 words.
void CAutomationPackage::FillAnalogueInfo() {
  const CFaderLayout faders;
  AnalogueInfo.SetSize(kAnalogueInfoWords);
  for (int32_t i = 0; i < kAnalogueInfoWords; ++i) {
    AnalogueInfo[i] = i < CFaderLayout::kCount ? static_cast<uint32_t>(faders.GetAt(i)) : 0;
  }
}
