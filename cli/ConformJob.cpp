#include "ConformJob.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <system_error>
#include <vector>

#include "commonobjects/conform/ConformEngine.h"
#include "commonobjects/conform/EDLReader.h"
#include "commonobjects/package/AutomationPackage.h"
#include "commonobjects/platform/File.h"
#include "commonobjects/platform/WindowsDrive.h"
#include "commonobjects/timecode/TimecodeConverter.h"

namespace mixauto {

namespace {

namespace fs = std::filesystem;
namespace platform = commonobjects::platform;

bool EndsInAut(const std::string& name) { return name.size() > 4 && name.compare(name.size() - 4, 4, ".aut") == 0; }

// The file the conform reads the mix from: the mix's own file when its name ends ".aut",
// else a copy "<stem>.aut" in a fresh folder under the temporary folder, removed with it.
class ConformSource {
 public:
  explicit ConformSource(const std::string& native) : name_(native) {
    if (EndsInAut(native)) return;
    static std::atomic<int> serial{0};
    std::error_code error;
    folder_ = fs::temp_directory_path(error) /
              ("mixauto-conform-" + std::to_string(::getpid()) + "-" + std::to_string(serial++));
    fs::create_directories(folder_, error);
    const fs::path copy = folder_ / (fs::path(native).stem().string() + ".aut");
    if (!error) fs::copy_file(native, copy, fs::copy_options::overwrite_existing, error);
    problem_ = error ? "could not copy the mix to " + copy.string() + " to conform from (" + error.message() + ")" : "";
    name_ = copy.string();
  }
  ~ConformSource() {
    std::error_code ignored;
    if (!folder_.empty()) fs::remove_all(folder_, ignored);
  }
  ConformSource(const ConformSource&) = delete;
  ConformSource& operator=(const ConformSource&) = delete;

  const std::string& Name() const { return name_; }
  const std::string& Problem() const { return problem_; }

 private:
  fs::path folder_;
  std::string name_;
  std::string problem_;
};

// The source mixes of the list: "<reel>.aut" per named reel, or the mix's own file.
std::vector<SourceMix> SourcesOf(const std::string& list, const std::string& working, const std::string& shown) {
  CEDLReader reader(list, CEDLReader::kQrx);
  CTimecodeSettings settings;
  CReelTable reels;
  if (reader.Open()) reader.ReadHeader(settings, reels);
  std::vector<SourceMix> sources;
  for (int32_t i = 0; i < reels.GetSize(); ++i) {
    if (reels.GetName(i).empty()) continue;
    const std::string file = reels.GetName(i) + ".aut";
    const bool own = platform::MapWindowsPath(file) == working;
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
  const ConformSource source(native);
  if (!source.Problem().empty()) return {"", source.Problem()};
  mix.SetFileName(source.Name());
  report.status = job.conform(mix);
  mix.SetFileName(native);
  if (report.status != kConformDone) {
    return {"", "conform status " + std::to_string(report.status) + ": " + ConformStatusText(report.status) + "; " +
                    job.advice(report.status)};
  }
  report.eventsAfter = mix.GetSize();
  const std::string list = job.list();
  CGrowableArray<CSourceDestItem> items;
  GetSourceDestItems(list, items, job.timesInUnits);
  report.stretches = StretchesOfPairs(PairsOfItems(items), mixEnd);
  report.sources = SourcesOf(list, platform::MapWindowsPath(source.Name()), job.mixName);
  if (model) *model = report;
  const CTimecodeConverter converter;
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

std::string TemporaryEdlFile() { return platform::MapWindowsPath(TemporaryEDLPath()); }

}  // namespace mixauto
