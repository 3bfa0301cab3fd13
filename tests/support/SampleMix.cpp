#include "support/SampleMix.h"

#include <cstring>

#include "commonobjects/eventstore/ArchiveRecords.h"
#include "support/Events.h"

namespace testsupport {

namespace {

template <typename T>
std::vector<uint8_t> BytesOf(const CGrowableArray<T>& a) {
  std::vector<uint8_t> bytes(static_cast<size_t>(a.GetSize()) * sizeof(T));
  if (!bytes.empty()) std::memcpy(bytes.data(), a.GetData(), bytes.size());
  return bytes;
}

}  // namespace

void FillSampleMix(CAutomationPackage& mix, int32_t events, int32_t records) {
  const int32_t paths = mix.GetMaxPaths();
  for (int32_t i = 0; i < events; ++i) {
    CAutomationEvent e = MakeEvent((i * 37) % paths, i % 5, i % 9, i * 3, (i * 101) % 4000 - 2000);
    e.OldValue = static_cast<int16_t>(-i);
    e.Flags = static_cast<uint8_t>(i % 2);
    mix.Add(e);
  }
  for (auto set : {CAutomationPackage::FullControl, CAutomationPackage::FullRoute, CAutomationPackage::SmallControl,
                   CAutomationPackage::SmallRoute}) {
    for (int k = 0; k < MixLayout::kSlotCount; ++k) {
      CRecordArray* slot = mix.GetSlot(set, k);
      if (slot == nullptr) continue;
      slot->SetSize(records);
      for (size_t b = 0; b < slot->GetByteCount(); ++b) slot->GetData()[b] = static_cast<uint8_t>(b * 7 + k * 31 + set);
    }
  }
  mix.ControlParms.SetSize(paths * MixLayout::kControlParmWordsPerPath);
  for (int32_t i = 0; i < mix.ControlParms.GetSize(); ++i) mix.ControlParms[i] = static_cast<uint16_t>(i * 13);
  mix.RouteParms.SetSize(paths * 3);
  for (int32_t i = 0; i < mix.RouteParms.GetSize(); ++i) mix.RouteParms[i] = static_cast<uint16_t>(i ^ 0x5A5A);
  for (uint32_t v : {0u, 16u, 16u, 8u}) mix.PathMapData.Add(v);
  mix.LinkMap.SetSize(paths);
  for (int32_t p = 0; p < paths; ++p) mix.LinkMap[p] = static_cast<uint32_t>(p / 4);
  for (int32_t p = 0; p + 1 < paths; p += 50) mix.GangMap[p * paths + p + 1] = static_cast<uint16_t>(p % 7);
  mix.FirstAutoRte.Add(77);
  mix.SnapshotVersion.RemoveAll();
  mix.SnapshotVersion.Add(static_cast<uint32_t>(MixLayout::CurrentSnapshotVersion(mix.GetPathsMode(), mix.HasSmallSlots())));
  mix.SetMixPass(12, 34);
}

std::map<std::string, size_t> SampleMixStreamLengths(int32_t paths, int32_t events, int32_t records) {
  const auto n = static_cast<size_t>(paths);
  std::map<std::string, size_t> lengths = {
      {"Path Mode", 4}, {"AutomationData", static_cast<size_t>(events) * 20}, {"File Version", 40},
      {"Time And Date", 16}, {"AutomationSize", 4}, {"ISSCCtrlParms", n * 45 * 2}, {"ISSCRteParms", n * 3 * 2},
      {"PathMapPathMap", 16}, {"SnapshotVersionVectorData", 4}, {"FirstAutoRteVectorData", 4},
      {"LinkMapLinkMap", n * 4}, {"GangMapGangMap", n * n * 2}, {"CutAB", 4}, {"FrameRate", 4},
      {"AnalogueInfoVectorData", 25 * 4}, {"ConsoleType", 4}, {"Mix Pass", 8}};
  for (int k = 0; k < MixLayout::kSlotCount; ++k) {
    lengths[std::string(MixLayout::kControlSlotNames[k]) + "CtlData"] = static_cast<size_t>(records) * 144;
    lengths[std::string(MixLayout::kRouteSlotNames[k]) + "RteData"] = static_cast<size_t>(records) * 192;
  }
  return lengths;
}

std::vector<std::pair<std::string, std::vector<uint8_t>>> MixMembers(const CAutomationPackage& mix) {
  std::vector<std::pair<std::string, std::vector<uint8_t>>> members;
  std::vector<uint8_t> events(static_cast<size_t>(mix.GetSize()) * kArchiveRecordBytes);
  EncodeArchiveRecords(mix.GetData(), static_cast<size_t>(mix.GetSize()), events.data());
  members.emplace_back("events", std::move(events));
  const char* setNames[] = {"FullControl", "FullRoute", "SmallControl", "SmallRoute"};
  for (int set = 0; set < 4; ++set) {
    for (int k = 0; k < MixLayout::kSlotCount; ++k) {
      const CRecordArray* slot = mix.GetSlot(static_cast<CAutomationPackage::SlotSet>(set), k);
      if (slot == nullptr) continue;
      members.emplace_back(std::string("slot ") + setNames[set] + " " + std::to_string(k),
                           std::vector<uint8_t>(slot->GetData(), slot->GetData() + slot->GetByteCount()));
    }
  }
  members.emplace_back("ControlParms", BytesOf(mix.ControlParms));
  members.emplace_back("RouteParms", BytesOf(mix.RouteParms));
  members.emplace_back("PathMap", BytesOf(mix.PathMapData));
  members.emplace_back("LinkMap", BytesOf(mix.LinkMap));
  members.emplace_back("GangMap", BytesOf(mix.GangMap));
  members.emplace_back("FirstAutoRte", BytesOf(mix.FirstAutoRte));
  members.emplace_back("SnapshotVersion", BytesOf(mix.SnapshotVersion));
  members.emplace_back("AnalogueInfo", BytesOf(mix.AnalogueInfo));
  members.emplace_back("FrameRate", BytesOf(mix.FrameRate));
  members.emplace_back("CutAB", BytesOf(mix.CutAB));
  members.emplace_back("ConsoleType", BytesOf(mix.ConsoleType));
  int32_t a = 0, b = 0;
  mix.GetMixPass(a, b);
  members.emplace_back("MixPass", std::vector<uint8_t>{uint8_t(a), uint8_t(a >> 8), uint8_t(b), uint8_t(b >> 8)});
  return members;
}

}  // namespace testsupport
