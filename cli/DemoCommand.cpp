// mixauto demo: the main job on the bundled sample mix. Loads the events into an event
// array, counts them per path and control with filtered queries, and pages through one
// selection the way a host's event list view does.
#include <cstdio>
#include <map>
#include <set>
#include <string>

#include "Commands.h"
#include "EventCsv.h"
#include "Table.h"
#include "commonobjects/commonobjects.h"

namespace mixauto {
namespace {

struct DemoOptions {
  std::string events = std::string(MIXAUTO_SOURCE_DIR) + "/testdata/demo/mix-events.csv";
  int pageSize = 12;
};

std::string ControlLabel(int proc, int control) {
  // The few controls the sample mix moves; the control catalogue names the rest.
  static const std::map<std::pair<int, int>, std::string> kNames = {
      {{14, 0}, "fader"}, {{14, 2}, "mute"}, {{1, 1}, "eq1 gain"}, {{21, 0}, "pan"}};
  auto it = kNames.find({proc, control});
  const std::string numbers = std::to_string(proc) + "/" + std::to_string(control);
  return it == kNames.end() ? numbers : it->second + " " + numbers;
}

void PrintCounts(const CAutomationEventArray& events) {
  std::set<int32_t> paths;
  std::set<std::pair<int, int>> controls;
  for (const CAutomationEvent& e : events) {
    paths.insert(e.Path);
    controls.insert({e.Proc, e.Control});
  }
  Table table;
  table.AddColumn("path");
  for (const auto& [proc, control] : controls) table.AddColumn(ControlLabel(proc, control));
  table.AddColumn("all");
  for (int32_t path : paths) {
    CEventFilter filter;
    filter.Paths.Add(path);
    std::vector<std::string> row{std::to_string(path)};
    for (const auto& [proc, control] : controls) {
      filter.ProcControls.RemoveAll();
      filter.ProcControls.Add(static_cast<uint16_t>(proc | (control << 8)));
      row.push_back(std::to_string(events.GetFilteredTotal(filter, nullptr)));
    }
    filter.ProcControls.RemoveAll();
    row.push_back(std::to_string(events.GetFilteredTotal(filter, nullptr)));
    table.AddRow(std::move(row));
  }
  std::printf("Events per path and control (Proc/Control):\n");
  table.Print();
}

void PrintPage(const CAutomationEventArray& page, int32_t firstIndex) {
  Table table;
  for (const char* h : {"#", "time", "path", "proc", "control", "value"}) table.AddColumn(h);
  for (int32_t i = 0; i < page.GetSize(); ++i) {
    const CAutomationEvent& e = page[i];
    table.AddRow({i == 0 && firstIndex >= 0 ? std::to_string(firstIndex) : "", std::to_string(e.Time), std::to_string(e.Path),
                  std::to_string(e.Proc), std::to_string(e.Control), std::to_string(e.Value)});
  }
  table.Print();
}

void PageThroughFaders(const CAutomationEventArray& events, int pageSize) {
  CEventFilter filter;
  filter.StartTime = 3000;
  filter.EndTime = 6000;
  for (int32_t path = 0; path < 8; ++path) filter.Paths.Add(path);
  filter.TranslateFilter(AutomationEventFilterStructure{0x0002});  // the fader group
  CIntArray indices;
  const uint32_t total = events.GetFilteredTotal(filter, &indices);
  std::printf("\nFader moves of paths 0-7 from time 3000 to 6000: %u events (indices %d to %d)\n", total,
              total ? indices[0] : -1, total ? indices[indices.GetSize() - 1] : -1);

  CAutomationEventArray page;
  int32_t first = -1, resume = 0;
  int32_t count = events.GetFilteredEvents(filter, pageSize, first, resume, page, 1);
  std::printf("First page (%d events; the event list resumes at index %d):\n", count, resume);
  PrintPage(page, first);

  int32_t pages = 1, seen = count;
  while (count > 0 && resume < events.GetSize() && seen < static_cast<int32_t>(total)) {
    count = events.GetFilteredEvents(filter, pageSize, first, resume, page, 1);
    seen += count;
    ++pages;
  }
  std::printf("Paging forward by %d took %d pages and met %d events.\n", pageSize, pages, seen);

  int32_t low = -1, high = indices.GetSize() ? indices[indices.GetSize() - 1] : 0;
  count = events.GetFilteredEvents(filter, pageSize, low, high, page, 0);
  std::printf("Last page, paged backward from index %d (%d events, ascending):\n",
              indices.GetSize() ? indices[indices.GetSize() - 1] : 0, count);
  PrintPage(page, -1);
}

int RunDemo(const DemoOptions& options) {
  CAutomationEventArray events;
  std::string error;
  if (!LoadEventCsv(options.events, events, error)) {
    std::fprintf(stderr, "mixauto demo: %s\n", error.c_str());
    return 1;
  }
  std::printf("Loaded %d events from %s\n", events.GetSize(), options.events.c_str());
  std::printf("Console type %d, max paths mode %d (%d paths), %d-byte engine records, %d blocks of 4096 bytes\n\n",
              CConsoleConfiguration::GetConsoleType(), events.GetMaxPathsMode(), events.GetMaxPaths(),
              events.RecordSize, events.GetBlockCount(4096));
  PrintCounts(events);
  PageThroughFaders(events, options.pageSize);
  return 0;
}

}  // namespace

void AddDemoCommand(CLI::App& app) {
  auto options = std::make_shared<DemoOptions>();
  CLI::App* demo = app.add_subcommand("demo", "Load the bundled sample mix and run filtered queries over it");
  demo->add_option("--events", options->events, "Events file: time,path,proc,control,value per line")
      ->capture_default_str();
  demo->add_option("--page", options->pageSize, "Events per page of the paged query")
      ->check(CLI::Range(1, 1000))
      ->capture_default_str();
  demo->callback([options] {
    if (const int rc = RunDemo(*options)) throw CLI::RuntimeError(rc);
  });
}

}  // namespace mixauto
