#include "commonobjects/package/MixLayout.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "commonobjects/package/internal/MixConversion.h"

namespace MixLayout {

const char* GetBlockName(int32_t number) {
  switch (number) {
    case 2: case 3: return "Ends";
    case 4: case 5: return "Virgins";
    case 6: case 7: return "Armed";
    case 9: case 10: return "Mode";
    case 11: case 12: return "TouchNotMode";
    case 13: case 14: return "Meta";
    case 15: case 16: return "Touch";
    case 17: case 18: return "ISS";
    case 21: return "LinkControls";
    case 22: return "LinkRoutes";
    case 0: case 1: case 8: case 19: case 20: case 23: case 24: case 25: case 26: case 27:
    case 100: case 101: case 102: return "ERROR";
    default: return "UNKNOWN";
  }
}

std::vector<std::string_view> MixStreamNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> all = {"AutomationSize"};
    for (const char* slot : kControlSlotNames) all.push_back(std::string(slot) + kControlSlotSuffix);
    for (const char* slot : kRouteSlotNames) all.push_back(std::string(slot) + kRouteSlotSuffix);
    for (const char* fixed : {"ISSCCtrlParms", "ISSCRteParms", "PathMapPathMap", "SnapshotVersionVectorData",
                              "FirstAutoRteVectorData", "LinkMapLinkMap", "GangMapGangMap", "CutAB", "FrameRate",
                              "AnalogueInfoVectorData", "ConsoleType", kMixPassStream}) {
      all.emplace_back(fixed);
    }
    return all;
  }();
  return {names.begin(), names.end()};
}

bool IsMixStream(std::string_view name) {
  const auto sameIgnoringCase = [name](std::string_view candidate) {
    return candidate.size() == name.size() &&
           std::equal(name.begin(), name.end(), candidate.begin(), [](char a, char b) {
             return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
           });
  };
  const std::vector<std::string_view> names = MixStreamNames();
  return std::any_of(names.begin(), names.end(), sameIgnoringCase);
}

int32_t StoredControlRecordBytes(uint32_t version, bool smallConsole) {
  using namespace commonobjects::package;
  return commonobjects::package::StoredControlRecordBytes(ControlLayoutForVersion(version, smallConsole), smallConsole);
}

int32_t CurrentSnapshotVersion(int32_t pathsMode, bool smallConsole) {
  int32_t version = 18;
  if (pathsMode == 1) version = 28;
  if (pathsMode == 2) version = 35;
  // A small console of mode 0 stamped 18 would have its records read as the 4-word layout
  // at the next load, and converted again.
  return smallConsole ? std::max(version, static_cast<int32_t>(kFirstSmallCurrentVersion)) : version;
}

}  // namespace MixLayout
