#include "ConformJob.h"

#include <algorithm>
#include <fstream>
#include <memory>
#include <vector>

#include "commonobjects/conform/ConformEngine.h"
#include "commonobjects/conform/EDLReader.h"
#include "commonobjects/package/AutomationPackage.h"
#include "commonobjects/platform/File.h"
#include "commonobjects/platform/WindowsDrive.h"
#include "commonobjects/timecode/TimecodeConverter.h"
#include "pictures/ConformPage.h"

namespace mixauto {

namespace {

namespace platform = commonobjects::platform;

// The source mixes of the list: "<reel>.aut" per named reel, the mix's own file for the reel
// of its own name (its file name without the extension) or when no reel is named.
std::vector<SourceMix> SourcesOf(const std::string& list, const std::string& mixFile, const std::string& shown) {
  CEDLReader reader(list, CEDLReader::kQrx);
  CTimecodeSettings settings;
  CReelTable reels;
  if (reader.Open()) reader.ReadHeader(settings, reels);
  std::vector<SourceMix> sources;
  for (int32_t i = 0; i < reels.GetSize(); ++i) {
    if (reels.GetName(i).empty()) continue;
    const std::string file = reels.GetName(i) + ".aut";
    const bool own = mixFile.size() >= 4 && reels.GetName(i) == mixFile.substr(0, mixFile.size() - 4);
    sources.push_back({own ? shown : file, own});
  }
  if (sources.empty()) sources.push_back({shown, true});
  return sources;
}

int32_t MixEnd(const CAutomationPackage& mix) {
  int32_t end = 0;
  for (const CAutomationEvent& e : mix) end = std::max(end, e.Time == INT32_MAX ? e.Time : e.Time + 1);
  return end;
}

}  // namespace

MixWorkResult RunConformJob(CAutomationPackage& mix, const ConformJob& job, ConformReport* model) {
  const std::string native = mix.GetFileName();
  ConformReport report;
  report.title = job.title;
  report.pathNote = job.pathNote;
  report.eventsBefore = mix.GetSize();
  const int32_t mixEnd = MixEnd(mix);
  std::unique_ptr<CAutomationEventArray> before;
  if (!job.page.empty()) before = std::make_unique<CAutomationEventArray>(static_cast<const CAutomationEventArray&>(mix));
  report.status = job.conform(mix);
  if (report.status != kConformDone) {
    return {"", "conform status " + std::to_string(report.status) + ": " + ConformStatusText(report.status) + "; " +
                    job.advice(report.status)};
  }
  report.eventsAfter = mix.GetSize();
  const std::string list = job.list();
  CGrowableArray<CSourceDestItem> items;
  GetSourceDestItems(list, items, job.timesInUnits);
  report.stretches = StretchesOfPairs(PairsOfItems(items), mixEnd);
  report.sources = SourcesOf(list, native, job.mixName);
  if (model) *model = report;
  const CTimecodeConverter converter;
  if (before) {
    std::ofstream out(job.page, std::ios::binary | std::ios::trunc);
    out << ConformPageHtml(report, *before, mix, converter);
    out.close();
    if (!out) return {"", "cannot write the report page " + job.page + " (check the folder and its permissions)"};
  }
  return {job.json ? ConformReportJson(report, converter) : ConformReportText(report, converter), ""};
}

void AddMixFileOptions(CLI::App& command, EventFileOptions& options) {
  command.add_option("MIX", options.file, "The mix: a structured or a compressed mix")->type_name("MIX")->required();
  command
      .add_option("-o,--output", options.output,
                  "Write the conformed mix to OUT instead of back into MIX (in "
                  "MIX's form)")
      ->type_name("OUT");
  command.add_flag("--dry-run", options.dryRun, "Conform and report, write no mix");
  command.add_flag("--progress", options.progress, "Show a progress line on stderr while loading and conforming");
}

void AddReportPageOption(CLI::App& command, std::string& page) {
  command
      .add_option("--report", page,
                  "Also write the report as one self-contained HTML page: the stretch table, the old and new "
                  "picture, and before/after curves of the channels that changed most")
      ->type_name("OUT.html");
}

std::string TemporaryEdlFile() { return platform::MapWindowsPath(TemporaryEDLPath()); }

}  // namespace mixauto
