#include "MixReport.h"

#include <algorithm>
#include <cstdio>

#include "EventFileJob.h"
#include "ListArguments.h"
#include "MixFile.h"
#include "Table.h"
#include "Text.h"
#include "commonobjects/console/ConsoleConfiguration.h"
#include "commonobjects/console/ConsoleLayout.h"
#include "commonobjects/files/CompressedAutoFile.h"
#include "commonobjects/package/MixLayout.h"

namespace mixauto {

namespace {

using SlotSet = CAutomationPackage::SlotSet;

// The control and route sets of the mix's console: the full ones or the small ones.
SlotSet ControlSet(const CAutomationPackage& mix) {
  return mix.HasSmallSlots() ? CAutomationPackage::SmallControl : CAutomationPackage::FullControl;
}
SlotSet RouteSet(const CAutomationPackage& mix) {
  return mix.HasSmallSlots() ? CAutomationPackage::SmallRoute : CAutomationPackage::FullRoute;
}

std::string Number(int64_t n) { return WithCommas(n); }

// "90,000 words (45 per path)", or the remainder when the block is not whole per path.
std::string WordsPerPath(int32_t words, int32_t paths) {
  if (words == 0) return "none";
  std::string text = Number(words) + " words";
  if (words % paths == 0) return text + " (" + std::to_string(words / paths) + " per path)";
  return text + " (not a whole number per path: " + std::to_string(words / paths) + " per path and " +
         std::to_string(words % paths) + " over)";
}

void PrintIdentity(const CAutomationPackage& mix, int32_t fileMode) {
  const int32_t thisType = CConsoleConfiguration::GetConsoleType();
  if (mix.IsCompressedFile()) {
    std::printf("Console type:  %d (a compressed mix does not store it: this console's)\n", thisType);
  } else if (mix.ConsoleType.IsEmpty()) {
    std::printf("Console type:  not stored (this console: %d)\n", thisType);
  } else {
    std::printf("Console type:  %u (this console: %d)\n", mix.ConsoleType[0], thisType);
  }
  const int32_t own = mix.GetMaxPathsMode();
  std::printf("Max paths:     events in mode %d (%s); this console in mode %d (%d paths)\n", fileMode,
              PathsModeName(fileMode), own, mix.GetMaxPaths());
  const PackageLoadReportStructure& report = mix.GetLoadReport();
  const int32_t current = MixLayout::CurrentSnapshotVersion(mix.GetPathsMode(), mix.HasSmallSlots());
  if (mix.IsOldVersion()) {
    std::printf("Snapshot:      version %u: old, converted on load (current for mode %d: %d)\n", report.Version,
                mix.GetPathsMode(), current);
  } else {
    std::printf("Snapshot:      version %u (current for mode %d: %d)\n", report.Version, mix.GetPathsMode(), current);
  }
  if (report.ControlsConverted || report.ModeConverted) {
    std::printf("Converted:     %s%s%s\n", report.ControlsConverted ? "control records to the current layout" : "",
                report.ControlsConverted && report.ModeConverted ? "; " : "",
                report.ModeConverted ? ("members extended to " + std::to_string(mix.GetMaxPaths()) + " paths").c_str()
                                     : "");
  }
  int32_t passA = -1, passB = -1;
  mix.GetMixPass(passA, passB);
  if (passA == -1 && passB == -1) {
    std::printf("Mix pass:      none\n");
  } else {
    std::printf("Mix pass:      %d, %d\n", passA, passB);
  }
  if (mix.FrameRate.IsEmpty()) {
    std::printf("Frame rate:    not stored\n");
  } else {
    std::printf("Frame rate:    %u fps\n", mix.FrameRate[0]);
  }
}

void PrintSlots(const CAutomationPackage& mix) {
  Table table;
  table.AddColumn("slot");
  table.AddColumn("control", Table::Left);
  table.AddColumn("records");
  table.AddColumn("route", Table::Left);
  table.AddColumn("records");
  for (int k = 0; k < MixLayout::kSlotCount; ++k) {
    const CRecordArray* control = mix.GetSlot(ControlSet(mix), k);
    const CRecordArray* route = mix.GetSlot(RouteSet(mix), k);
    table.AddRow({std::to_string(k), MixLayout::kControlSlotNames[k], control ? Number(control->GetSize()) : "-",
                  MixLayout::kRouteSlotNames[k], route ? Number(route->GetSize()) : "-"});
  }
  const CRecordArray* control = mix.GetSlot(ControlSet(mix), 0);
  const CRecordArray* route = mix.GetSlot(RouteSet(mix), 0);
  std::printf("Records per slot (%d-byte control, %d-byte route records):\n", control ? control->GetRecordSize() : 0,
              route ? route->GetRecordSize() : 0);
  table.Print();
}

void PrintMembers(const CAutomationPackage& mix, int32_t paths) {
  std::printf("Parameters:    control %s; route %s\n", WordsPerPath(mix.ControlParms.GetSize(), paths).c_str(),
              WordsPerPath(mix.RouteParms.GetSize(), paths).c_str());
  const bool linksWhole = mix.LinkMap.GetSize() == paths;
  std::printf("Link map:      %s entries (%s %d paths)\n", Number(mix.LinkMap.GetSize()).c_str(),
              linksWhole ? "one for each of" : "not one for each of", paths);
  const bool gangsWhole = mix.GangMap.GetSize() == int64_t{paths} * paths;
  std::printf("Gang map:      %s entries (%s%d x %d paths)\n", Number(mix.GangMap.GetSize()).c_str(),
              gangsWhole ? "" : "not ", paths, paths);
  const std::string groups = FormatPathGroups(mix.GetPathMap());
  std::printf("Path groups:   %s\n", groups.empty() ? "none (every path in group 0)" : groups.c_str());
}

void PrintLoadFindings(const CAutomationPackage& mix) {
  const PackageLoadReportStructure& report = mix.GetLoadReport();
  if (report.Missing.empty() && report.Unreadable.empty()) {
    std::printf("Load:          every member read\n");
    return;
  }
  if (!report.Missing.empty()) std::printf("Missing:       %s\n", JoinedWithCommas(report.Missing).c_str());
  if (!report.Unreadable.empty()) std::printf("Unreadable:    %s\n", JoinedWithCommas(report.Unreadable).c_str());
}

}  // namespace

int32_t MixPaths(const CAutomationPackage& mix, int32_t fileMode) {
  return std::max(mix.GetMaxPaths(), CConsoleLayout::PathsForMode(fileMode));
}

void PrintMixSummary(const CAutomationPackage& mix, int32_t fileMode) {
  PrintIdentity(mix, fileMode);
  const std::string problem = EventsProblem(mix);
  if (problem.empty()) {
    std::printf("Events:        %s\n", Number(mix.GetSize()).c_str());
  } else {
    std::printf("Events:        not read: %s\n", problem.c_str());
  }
  PrintSlots(mix);
  PrintMembers(mix, MixPaths(mix, fileMode));
  PrintLoadFindings(mix);
}

std::vector<StoredSlot> StructuredSlots(const CAutomationPackage& mix,
                                        const std::vector<commonobjects::platform::StorageEntry>& streams) {
  auto lengthOf = [&streams](const std::string& name) {
    const auto found = std::find_if(streams.begin(), streams.end(), [&](const auto& e) { return e.name == name; });
    return found == streams.end() || found->isStorage ? int64_t{-1} : static_cast<int64_t>(found->size);
  };
  const int32_t controlBytes = MixLayout::StoredControlRecordBytes(mix.GetLoadReport().Version, mix.HasSmallSlots());
  std::vector<StoredSlot> slots;
  for (int k = 0; k < MixLayout::kSlotCount; ++k) {
    const std::string control = mix.GetSlot(ControlSet(mix), k)->GetName() + MixLayout::kControlSlotSuffix;
    const CRecordArray* route = mix.GetSlot(RouteSet(mix), k);
    const std::string routeName = route->GetName() + MixLayout::kRouteSlotSuffix;
    slots.push_back({"\"" + control + "\"", lengthOf(control), controlBytes});
    slots.push_back({"\"" + routeName + "\"", lengthOf(routeName), route->GetRecordSize()});
  }
  return slots;
}

std::vector<StoredSlot> CompressedSlots(const CAutomationPackage& mix, CCompressedAutoFile& file) {
  const int32_t controlBytes = MixLayout::StoredControlRecordBytes(mix.GetLoadReport().Version, mix.HasSmallSlots());
  std::vector<StoredSlot> slots;
  for (int k = 0; k < MixLayout::kSlotCount; ++k) {
    const int32_t control = MixLayout::kControlSlotBlocks[k], route = MixLayout::kRouteSlotBlocks[k];
    slots.push_back({"block " + std::to_string(control) + " (" + MixLayout::kControlSlotNames[k] + " control records)",
                     file.BlockLength(control), controlBytes});
    slots.push_back({"block " + std::to_string(route) + " (" + MixLayout::kRouteSlotNames[k] + " route records)",
                     file.BlockLength(route), mix.GetSlot(RouteSet(mix), k)->GetRecordSize()});
  }
  return slots;
}

void CheckMix(const CAutomationPackage& mix, int32_t fileMode, const std::vector<StoredSlot>& slots,
              std::vector<std::string>* errors, std::vector<std::string>* warnings) {
  const PackageLoadReportStructure& report = mix.GetLoadReport();
  if (const std::string problem = EventsProblem(mix); !problem.empty()) errors->push_back("mix: " + problem);
  for (const std::string& name : report.Unreadable) errors->push_back("mix: " + name + " cannot be read");
  for (const std::string& name : report.Missing) warnings->push_back("mix: no " + name);
  for (int32_t i = 1; i < mix.GetSize(); ++i) {
    if (mix[i].Time < mix[i - 1].Time) {
      errors->push_back("mix: events are out of time order from index " + std::to_string(i) +
                        " (mixauto repair puts them in order)");
      break;
    }
  }
  for (const StoredSlot& slot : slots) {
    if (slot.bytes > 0 && slot.bytes % slot.recordBytes != 0) {
      errors->push_back("mix: " + slot.label + " holds " + Number(slot.bytes) + " bytes, not a whole number of " +
                        std::to_string(slot.recordBytes) + "-byte records");
    }
  }
  const int32_t paths = MixPaths(mix, fileMode);
  if (mix.GangMap.GetSize() != int64_t{paths} * paths) {
    errors->push_back("mix: the gang map has " + Number(mix.GangMap.GetSize()) + " entries, not " +
                      std::to_string(paths) + " x " + std::to_string(paths));
  }
  if (mix.LinkMap.GetSize() != paths) {
    errors->push_back("mix: the link map has " + Number(mix.LinkMap.GetSize()) + " entries, not one per path (" +
                      std::to_string(paths) + ")");
  }
  const struct {
    const char* name;
    int32_t words;
  } kBlocks[] = {{"control", mix.ControlParms.GetSize()}, {"route", mix.RouteParms.GetSize()}};
  for (const auto& block : kBlocks) {
    if (block.words % paths != 0) {
      errors->push_back(std::string("mix: the ") + block.name + " parameter block holds " +
                        WordsPerPath(block.words, paths));
    }
  }
}

}  // namespace mixauto
