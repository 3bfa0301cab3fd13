// A mix as a structured-storage (compound) file: the event-array file's streams ("Path Mode",
// "AutomationData", "File Version", "Time And Date") plus one stream per member, holding the
// member's elements back to back, little-endian, with no header. Stream names and order:
// doc/formats/mix-file.md.
//
// Every stream is written in one storage session, and the caller commits them together.
// Reading takes each stream in the order the hosts read them; a stream that is missing or
// unreadable leaves its member as it was.
#include <string>
#include <vector>

#include "commonobjects/console/ConsoleLayout.h"
#include "commonobjects/eventstore/Notifications.h"
#include "commonobjects/files/internal/EventRecords.h"
#include "commonobjects/files/internal/StreamIo.h"
#include "commonobjects/package/AutomationPackage.h"
#include "commonobjects/package/internal/MixArrays.h"
#include "commonobjects/package/internal/MixConversion.h"
#include "commonobjects/platform/CompoundFile.h"

namespace {

using commonobjects::files::FileVersionStructure;
using commonobjects::files::StreamRead;
using commonobjects::platform::CompoundStorage;
using commonobjects::package::AssignElements;

constexpr uint32_t kLoadCode = 15;

template <typename T>
bool WriteMember(CompoundStorage& storage, const std::string& name, const CGrowableArray<T>& array) {
  return commonobjects::files::WriteWholeStream(storage, name, array.GetData(),
                                                static_cast<uint64_t>(array.GetSize()) * sizeof(T));
}

bool WriteSlot(CompoundStorage& storage, const CRecordArray* slot, const char* suffix) {
  return slot == nullptr || commonobjects::files::WriteWholeStream(storage, slot->GetName() + suffix,
                                                                   slot->GetData(), slot->GetByteCount());
}

// One stream of a mix being read: its bytes in the encoding "File Version" names, each read
// announced by notification 15 with 0. Missing and unreadable streams go into the report.
class MixStreamReader {
 public:
  MixStreamReader(CompoundStorage& storage, PackageLoadReportStructure& report)
      : storage_(storage), report_(report), version_(commonobjects::files::ReadFileVersion(storage)) {}

  // The stream's bytes, posting the progress of copying its elements of elementSize bytes.
  bool Read(const std::string& name, size_t elementSize, std::vector<uint8_t>* bytes) {
    PostEventNotification(kLoadCode, 0);
    std::vector<uint8_t> stored;
    const StreamRead read = commonobjects::files::ReadWholeStream(storage_, name, &stored);
    if (read == StreamRead::kMissing) {
      report_.Missing.push_back(name);
      return false;
    }
    const bool ok = read == StreamRead::kOk &&
                    (version_.IsCompressed() ? commonobjects::files::ExpandStoredStream(stored, bytes)
                                             : (*bytes = std::move(stored), true));
    if (!ok) {
      report_.Unreadable.push_back(name);
      return false;
    }
    commonobjects::package::PostCopyProgress(bytes->size() / elementSize);
    return true;
  }

  template <typename T>
  void ReadMember(const std::string& name, CGrowableArray<T>& array) {
    std::vector<uint8_t> bytes;
    if (!Read(name, sizeof(T), &bytes)) return;
    if (bytes.size() / sizeof(T) > static_cast<size_t>(INT32_MAX)) {
      report_.Unreadable.push_back(name);
      return;
    }
    AssignElements(bytes, array);
  }

 private:
  CompoundStorage& storage_;
  PackageLoadReportStructure& report_;
  FileVersionStructure version_;
};

}  // namespace

int CAutomationPackage::WriteStructured(CompoundStorage& storage) {
  namespace ml = MixLayout;
  const int32_t eventMode = CConsoleLayout().GetMaxPathsMode();
  bool ok = commonobjects::files::WriteEventFileStreams(storage, *this, eventMode) != 0;
  AutomationSize.SetSize(1);
  AutomationSize[0] = static_cast<uint32_t>(GetSize());
  ok = ok && WriteMember(storage, AutomationSize.GetName(), AutomationSize);
  for (int k = 0; ok && k < ml::kSlotCount; ++k) {
    ok = WriteSlot(storage, GetSlot(FullControl, k), ml::kControlSlotSuffix) &&
         WriteSlot(storage, GetSlot(SmallControl, k), ml::kControlSlotSuffix);
  }
  for (int k = 0; ok && k < ml::kSlotCount; ++k) {
    ok = WriteSlot(storage, GetSlot(FullRoute, k), ml::kRouteSlotSuffix) &&
         WriteSlot(storage, GetSlot(SmallRoute, k), ml::kRouteSlotSuffix);
  }
  ok = ok && WriteMember(storage, ControlParms.GetName() + ml::kControlParmsSuffix, ControlParms) &&
       WriteMember(storage, RouteParms.GetName() + ml::kRouteParmsSuffix, RouteParms) &&
       WriteMember(storage, PathMapData.GetName() + ml::kMapSuffixPathMap, PathMapData);
  if (!ok) return 0;
  ApplySnapshotUpgrade();
  const int32_t mixPass[2] = {MixPassA, MixPassB};
  ok = WriteMember(storage, SnapshotVersion.GetName() + ml::kVectorSuffix, SnapshotVersion) &&
       WriteMember(storage, FirstAutoRte.GetName() + ml::kVectorSuffix, FirstAutoRte) &&
       WriteMember(storage, LinkMap.GetName() + ml::kMapSuffixLinkMap, LinkMap) &&
       WriteMember(storage, GangMap.GetName() + ml::kMapSuffixGangMap, GangMap) &&
       WriteMember(storage, CutAB.GetName(), CutAB) && WriteMember(storage, FrameRate.GetName(), FrameRate) &&
       WriteMember(storage, AnalogueInfo.GetName() + ml::kVectorSuffix, AnalogueInfo) &&
       WriteMember(storage, ConsoleType.GetName(), ConsoleType) &&
       commonobjects::files::WriteWholeStream(storage, ml::kMixPassStream, mixPass, sizeof mixPass);
  commonobjects::files::WriteVersionStreams(storage);
  return ok ? 1 : 0;
}

void CAutomationPackage::ReadStructured(CompoundStorage& storage) {
  namespace ml = MixLayout;
  LoadReport = {};
  LoadReport.Opened = true;
  MixStreamReader reader(storage, LoadReport);
  reader.ReadMember(SnapshotVersion.GetName() + ml::kVectorSuffix, SnapshotVersion);
  const uint32_t version = TakeSnapshotVersion();
  const bool small = HasSmallSlots();
  const auto layout = commonobjects::package::ControlLayoutForVersion(version, small);
  LoadReport.ControlsConverted = layout != commonobjects::package::ControlRecordLayout::kCurrent;
  const auto storedBytes = static_cast<size_t>(commonobjects::package::StoredControlRecordBytes(layout, small));
  for (int k = 0; k < ml::kSlotCount; ++k) {
    for (SlotSet set : {FullControl, SmallControl}) {
      CRecordArray* slot = GetSlot(set, k);
      std::vector<uint8_t> bytes;
      if (slot == nullptr || !reader.Read(slot->GetName() + ml::kControlSlotSuffix, storedBytes, &bytes)) continue;
      commonobjects::package::AssignControlRecords(std::move(bytes), layout, k, *slot);
    }
  }
  reader.ReadMember(ControlParms.GetName() + ml::kControlParmsSuffix, ControlParms);
  for (int k = 0; k < ml::kSlotCount; ++k) {
    for (SlotSet set : {FullRoute, SmallRoute}) {
      CRecordArray* slot = GetSlot(set, k);
      std::vector<uint8_t> bytes;
      if (slot != nullptr && reader.Read(slot->GetName() + ml::kRouteSlotSuffix, slot->GetRecordSize(), &bytes)) {
        slot->Assign(std::move(bytes));
      }
    }
  }
  reader.ReadMember(RouteParms.GetName() + ml::kRouteParmsSuffix, RouteParms);
  LoadReport.EventsLoaded = commonobjects::files::ReadEventFileStreams(storage, *this, CConsoleLayout().GetMaxPathsMode(),
                                                                       &LoadReport.EventMode) != 0;
  reader.ReadMember(PathMapData.GetName() + ml::kMapSuffixPathMap, PathMapData);
  reader.ReadMember(LinkMap.GetName() + ml::kMapSuffixLinkMap, LinkMap);
  reader.ReadMember(GangMap.GetName() + ml::kMapSuffixGangMap, GangMap);
  reader.ReadMember(ConsoleType.GetName(), ConsoleType);
  if (small) {
    reader.ReadMember(CutAB.GetName(), CutAB);
    reader.ReadMember(AnalogueInfo.GetName() + ml::kVectorSuffix, AnalogueInfo);
  }
  reader.ReadMember(FrameRate.GetName(), FrameRate);
  reader.ReadMember(FirstAutoRte.GetName() + ml::kVectorSuffix, FirstAutoRte);
  CGrowableArray<int32_t> mixPass;
  reader.ReadMember(ml::kMixPassStream, mixPass);
  if (mixPass.GetSize() == 2) SetMixPass(mixPass[0], mixPass[1]);
  ConvertToPackageMode(version);
}
