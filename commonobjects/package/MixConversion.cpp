// Which conversions an old mix gets, shared by both file forms. The conversions themselves
// are in internal/MixConversionRules.cpp.
//
// Before: a mix of snapshot 17 (max paths mode 0, 256 paths) on a console of mode 2:
//   control slots 256 records of 27 words   link map 256   gang map 256 x 256   parms 256 x 45
// After loading:
//   control slots 2000 records of 36 words  link map 2000 (entry i = i from 256 on)
//   gang map 2000 x 2000 (rows and columns kept, the rest 0xFFFF)   parms 2000 x 45 (new paths 0)
// and the next save writes snapshot 35, so the converted records are never converted again.
#include <algorithm>
#include <cstdint>

#include "commonobjects/eventstore/Notifications.h"
#include "commonobjects/package/AutomationPackage.h"
#include "commonobjects/package/internal/MixConversion.h"

namespace {

constexpr uint32_t kConversionCode = 26;
constexpr uint32_t kFirstMode1Version = 19;

}  // namespace

uint32_t CAutomationPackage::TakeSnapshotVersion() {
  const auto current = static_cast<uint32_t>(MixLayout::CurrentSnapshotVersion(GetPathsMode(), HasSmallSlots()));
  const uint32_t version = SnapshotVersion.IsEmpty() ? current : SnapshotVersion[0];
  OldVersion = version < current;
  // Records converted on loading are saved under the version that describes them.
  SnapshotAppendPending = OldVersion ? 1 : 0;
  LoadReport.Version = version;
  return version;
}

void CAutomationPackage::ApplySnapshotUpgrade() {
  const auto current = static_cast<uint32_t>(MixLayout::CurrentSnapshotVersion(GetPathsMode(), HasSmallSlots()));
  if (SnapshotAppendPending == 0 || SnapshotVersion.IsEmpty() || SnapshotVersion[0] >= current) return;
  SnapshotVersion.SetSize(1);
  SnapshotVersion[0] = current;
}

void CAutomationPackage::ConvertToPackageMode(uint32_t version) {
  using commonobjects::package::ExtendRecords;
  const int32_t fromMode = PathsLayout->GetPathsModeForVersion(static_cast<int32_t>(std::min<uint32_t>(version, INT32_MAX)));
  const int32_t oldPaths = CConsoleLayout::PathsForMode(fromMode);
  const int32_t newPaths = PathsLayout->GetMaxPaths();
  // A mix of more paths than the console keeps them all: nothing is cut.
  if (fromMode == GetPathsMode() || newPaths <= oldPaths) return;
  LoadReport.ModeConverted = true;
  if (version < kFirstMode1Version) {
    for (const SlotArray* set : {&ControlSlots, &RouteSlots}) {
      for (int32_t k = 0; k < MixLayout::kSlotCount; ++k) {
        if (!(*set)[k]) continue;
        PostEventNotification(kConversionCode, k * 100 / MixLayout::kSlotCount);
        ExtendRecords(*(*set)[k], newPaths);
      }
    }
  }
  commonobjects::package::RelayParameterBlock(ControlParms, oldPaths, newPaths);
  commonobjects::package::RelayParameterBlock(RouteParms, oldPaths, newPaths);
  commonobjects::package::ExtendLinkMap(LinkMap, newPaths);
  commonobjects::package::RelayGangMap(GangMap, oldPaths, newPaths);
}
