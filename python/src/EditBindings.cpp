// Filters, queries and the channel edits from Python. Each edit sets the array's edit range
// (the library's filter: times, source and destination paths, controls) from its keyword
// arguments, as mixauto edit does from its options, and runs one library operation with the
// GIL released. Ranges follow the library: copy, merge and the ramped erase take
// [start, end), isolate and the restoring erase [start, end].
#include <pybind11/stl.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ControlGroups.h"
#include "Support.h"
#include "commonobjects/console/ConsoleConfiguration.h"
#include "commonobjects/console/ControlModel.h"
#include "commonobjects/editing/SlotOffset.h"
#include "commonobjects/editing/Thinning.h"
#include "commonobjects/eventstore/TranslationPairArray.h"

namespace pycommonobjects {

namespace {

using Direction = CAutomationEventArray::TimeDirection;
using Pairs = std::vector<std::pair<int32_t, int32_t>>;

// ---- Filters ----

void SetPaths(CIntArray& list, const std::vector<int32_t>& paths, int32_t maxPaths, const char* what) {
  list.RemoveAll();
  for (const int32_t path : paths) {
    if (path < 0 || path >= maxPaths) {
      throw py::value_error(std::string(what) + ": path " + std::to_string(path) + " is outside 0 to " +
                            std::to_string(maxPaths - 1));
    }
    list.Add(path);
  }
}

void SetControls(CEventFilter& filter, const Pairs& controls) {
  filter.ProcControls.RemoveAll();
  for (const auto& [proc, control] : controls) {
    if (proc < 0 || proc > 255 || control < 0 || control > 255) {
      throw py::value_error("controls: (" + std::to_string(proc) + ", " + std::to_string(control) +
                            ") is not a (proc, control) pair of 0 to 255");
    }
    filter.ProcControls.Add(static_cast<uint16_t>(proc | control << 8));
  }
}

Pairs ControlsOf(const CEventFilter& filter) {
  Pairs controls;
  for (const uint16_t pair : filter.ProcControls) controls.emplace_back(pair & 0xFF, pair >> 8);
  return controls;
}

std::vector<int32_t> PathsOf(const CIntArray& list) { return {list.begin(), list.end()}; }

int32_t TimeOrAll(const py::handle& time, const char* what) { return time.is_none() ? -1 : UnitsOf(time, what); }

py::object TimeOrNone(int32_t time) { return time == -1 ? py::object(py::none()) : py::object(py::int_(time)); }

CEventFilter MakeFilter(const std::optional<std::vector<int32_t>>& paths, const std::optional<Pairs>& controls,
                        const py::handle& start, const py::handle& end) {
  CEventFilter filter;
  if (paths) SetPaths(filter.Paths, *paths, INT32_MAX, "paths");
  if (controls) SetControls(filter, *controls);
  filter.StartTime = TimeOrAll(start, "start");
  filter.EndTime = TimeOrAll(end, "end");
  return filter;
}

// ---- The edit range ----

// What every edit takes besides its own arguments.
struct EditScope {
  std::optional<Pairs> controls;
  std::optional<std::string> groups;
  int32_t highBase = CControlModel::kFirstHighProc;
  std::optional<Pairs> pathGroups;
};

void CheckHighBase(int32_t highBase) {
  if (highBase < CControlModel::kFirstHighProc || highBase > 255) {
    throw py::value_error("high_base " + std::to_string(highBase) + ": the high-range base is 36 to 255");
  }
}

// The path groups an edit uses: the given ones, else a mix's own, else none.
CPathMap PathMapFor(const CAutomationEventArray& events, const std::optional<Pairs>& pathGroups) {
  if (!pathGroups) {
    const auto* mix = dynamic_cast<const CAutomationPackage*>(&events);
    return mix ? mix->GetPathMap() : CPathMap();
  }
  CPathMap map;
  for (const auto& [first, count] : *pathGroups) {
    if (first < 0 || count < 0) throw py::value_error("path_groups: (first, count) pairs of paths, not negative");
    if (map.AddGroup(first, count) == 0) {
      throw py::value_error("path_groups: at most " + std::to_string(CPathMap::kMaxGroups) + " groups");
    }
  }
  return map;
}

// The controls of the scope into the filter, as mixauto edit sets them: pairs as given, or
// the hosts' groups ("fader,mute") with the group faders in the high range from highBase.
void SetScopeControls(CEventFilter& filter, const EditScope& scope) {
  if (scope.controls && scope.groups) throw py::value_error("give controls or groups, not both");
  if (scope.controls) SetControls(filter, *scope.controls);
  if (!scope.groups) return;
  std::optional<uint32_t> flags;
  std::string error;
  if (!mixauto::ParseGroups(*scope.groups, CConsoleConfiguration::GetConsoleType(), flags, error)) {
    throw py::value_error("groups: " + error);
  }
  if (!flags) return;  // "all": every control
  filter.FirstGroupProc = scope.highBase;
  filter.EndGroupProc = scope.highBase + CControlModel::kHighProcCount;
  filter.TranslateFilter(AutomationEventFilterStructure{*flags});
}

struct Range {
  int32_t start = 0, end = 0, at = 0;
};

// end excluded: the range must hold at least one unit.
Range RangeOf(const py::handle& start, const py::handle& end, const py::handle& at, bool endExcluded) {
  Range r;
  r.start = UnitsOf(start, "start");
  r.end = UnitsOf(end, "end");
  r.at = at.is_none() ? r.start : UnitsOf(at, "at");
  if (r.end < r.start || (r.end == r.start && endExcluded)) {
    throw py::value_error(std::string("end must be later than start") +
                          (endExcluded ? " (the range ends just before end)" : ""));
  }
  if (static_cast<int64_t>(r.at) + r.end - r.start > INT32_MAX) {
    throw py::value_error("at: the range would end past the last time an event can hold");
  }
  return r;
}

void SetEditRange(CAutomationEventArray& events, const Range& r, const std::vector<int32_t>& paths,
                  const std::vector<int32_t>& destinations, const EditScope& scope) {
  CEventFilter filter;
  filter.StartTime = r.start;
  filter.EndTime = r.end;
  filter.ExtraValue = r.at;
  SetPaths(filter.Paths, paths, events.GetMaxPaths(), "paths");
  SetPaths(filter.ExtraList, destinations, events.GetMaxPaths(), "to_paths");
  SetScopeControls(filter, scope);
  events.Filter = filter;
}

struct Ramp {
  int16_t length = 0, step = 1;
};

Ramp RampOf(int32_t length, int32_t step) {
  if (length < 0 || length > 32767) throw py::value_error("ramp_length is 0 to 32767 units");
  if (step < 1 || step > 32767) throw py::value_error("ramp_step is 1 to 32767 frames");
  return {static_cast<int16_t>(length), static_cast<int16_t>(step)};
}

// ---- The edits ----

struct PasteArgs {
  int32_t sourcePath;
  std::vector<int32_t> toPaths;
  Range range;
  Ramp ramp;
  Direction startDirection, endDirection;
  EditScope scope;
};

void Copy(ArrayHandle& self, const PasteArgs& a) {
  self.CheckMayMove();  // before the edit range changes
  CAutomationEventArray& events = self.Events();
  SetEditRange(events, a.range, {a.sourcePath}, a.toPaths, a.scope);
  const CPathMap map = PathMapFor(events, a.scope.pathGroups);
  WithoutGil(self, true, [&] {
    events.CopyChannelData(a.ramp.step, a.ramp.length, a.startDirection, a.endDirection, a.scope.highBase, map);
    return 0;
  });
}

void Merge(ArrayHandle& self, ArrayHandle& source, const PasteArgs& a, bool sameSource) {
  if (&self == &source) throw py::value_error("merge takes another array's events; copy works within one");
  self.CheckMayMove();
  source.CheckIdle();
  CAutomationEventArray& events = self.Events();
  SetEditRange(events, a.range, {a.sourcePath}, a.toPaths, a.scope);
  SetEditRange(source.Events(), a.range, {a.sourcePath}, a.toPaths, a.scope);  // the source's range and path
  const CPathMap map = PathMapFor(events, a.scope.pathGroups);
  BusyScope sourceBusy(source);
  WithoutGil(self, true, [&] {
    CAutomationEventArray& from = source.Events();
    events.MergeChannelData(from, a.ramp.step, a.ramp.length, a.startDirection, a.endDirection, a.scope.highBase,
                            map, SlotOffset(from), 1, 1, sameSource ? 1 : 0);
    return 0;
  });
}

void Isolate(ArrayHandle& self, const std::vector<int32_t>& paths, const Range& range, const EditScope& scope) {
  self.CheckMayMove();
  CAutomationEventArray& events = self.Events();
  SetEditRange(events, range, paths, {}, scope);
  const CPathMap map = PathMapFor(events, scope.pathGroups);
  WithoutGil(self, true, [&] {
    events.IsolateChannelData(scope.highBase, map);
    return 0;
  });
}

void Erase(ArrayHandle& self, const std::vector<int32_t>& paths, const py::handle& start, const py::handle& end,
           std::optional<int32_t> rampLength, int32_t rampStep, Direction direction, const EditScope& scope) {
  self.CheckMayMove();
  CAutomationEventArray& events = self.Events();
  const Range range = RangeOf(start, end, py::none(), rampLength.has_value());
  SetEditRange(events, range, paths, {}, scope);
  const CPathMap map = PathMapFor(events, scope.pathGroups);
  const Ramp ramp = RampOf(rampLength.value_or(0), rampStep);
  WithoutGil(self, true, [&] {
    if (rampLength) {
      events.EraseChannelData(ramp.step, ramp.length, direction, scope.highBase, map);
    } else {
      events.EraseChannelData(scope.highBase, map);
    }
    return 0;
  });
}

// A thinning level by its number or its name (ignoring case).
int32_t LevelOf(const py::handle& level, int32_t count, const char* (*nameOf)(int32_t), const char* what) {
  if (py::isinstance<py::str>(level)) {
    const std::string name = py::str(level).attr("casefold")().cast<std::string>();
    for (int32_t i = 0; i < count; ++i) {
      if (py::str(nameOf(i)).attr("casefold")().cast<std::string>() == name) return i;
    }
    throw py::value_error(std::string(what) + " \"" + level.cast<std::string>() + "\" is not a level name");
  }
  const auto number = level.cast<int64_t>();
  if (number < 0 || number >= count) {
    throw py::value_error(std::string(what) + " is 0 to " + std::to_string(count - 1) + " or a level name");
  }
  return static_cast<int32_t>(number);
}

int32_t Thin(ArrayHandle& self, const py::handle& window, const py::handle& threshold, const py::handle& start,
             const py::handle& end, const std::optional<std::vector<int32_t>>& paths, int32_t highBase,
             const std::optional<Pairs>& pathGroups, const py::object& progress) {
  CheckHighBase(highBase);
  self.CheckMayMove();
  CAutomationEventArray& events = self.Events();
  const int32_t windowLevel = LevelOf(window, Thinning::kWindowLevels, Thinning::WindowLevelName, "window");
  const int32_t thresholdLevel = LevelOf(threshold, Thinning::kThresholdLevels, Thinning::ThresholdName, "threshold");
  CEventFilter filter;
  filter.StartTime = TimeOrAll(start, "start");                    // -1: from the first event
  filter.EndTime = end.is_none() ? INT32_MAX : UnitsOf(end, "end");  // past every event: to the last
  std::vector<int32_t> selected = paths.value_or(std::vector<int32_t>{});
  if (!paths) {
    for (int32_t path = 0; path < events.GetMaxPaths(); ++path) selected.push_back(path);
  }
  SetPaths(filter.Paths, selected, events.GetMaxPaths(), "paths");
  const CPathMap map = PathMapFor(events, pathGroups);
  events.Filter = filter;
  return WithProgress(self, true, progress, [&](HWND) {
    return events.ThinAutoData(highBase, map, windowLevel, thresholdLevel);
  });
}

void Translate(ArrayHandle& self, const Pairs& pairs) {
  CTranslationPairArray translation;
  for (const auto& [from, to] : pairs) translation.AddPair(from, to);
  WithoutGil(self, false, [&] {
    self.Events().DoTranslatePaths(translation);
    return 0;
  });
}

// (from, to) pairs of a mapping or of an iterable of pairs, in order.
Pairs PairsOf(const py::object& pairs) {
  const py::list items(py::isinstance<py::dict>(pairs) ? pairs.attr("items")() : pairs);
  return items.cast<Pairs>();
}

// ---- Arguments ----

EditScope ScopeOf(std::optional<Pairs> controls, std::optional<std::string> groups, int32_t highBase,
                  std::optional<Pairs> pathGroups) {
  CheckHighBase(highBase);
  return {std::move(controls), std::move(groups), highBase, std::move(pathGroups)};
}

// The arguments every edit shares, after its own.
#define EDIT_SCOPE_ARGS                                                                        \
  py::arg("controls") = py::none(), py::arg("groups") = py::none(),                            \
      py::arg("high_base") = CControlModel::kFirstHighProc, py::arg("path_groups") = py::none()

constexpr const char* kScopeDoc = R"(
controls: (proc, control) pairs to edit, or groups: the hosts' control groups by name
("fader,mute"); neither: every control. high_base: the first Proc of the high-range
controls. path_groups: (first path, count) pairs choosing each path's default values;
None: a mix's own, or every path in group 0. Times are units (int) or text
("01:00:10:00"). The GIL is released while the edit runs.)";

std::string Doc(const char* what) { return std::string(what) + "\n" + kScopeDoc; }

void BindQueries(py::class_<ArrayHandle>& events) {
  events
      .def(
          "count",
          [](const ArrayHandle& self, const std::optional<CEventFilter>& filter) {
            self.CheckIdle();
            CEventFilter f = filter.value_or(CEventFilter());
            return self.Events().GetFilteredTotal(f, nullptr);
          },
          py::arg("filter") = py::none(), "The number of events the filter selects (all of them without one).")
      .def(
          "indices",
          [](const ArrayHandle& self, const std::optional<CEventFilter>& filter) {
            self.CheckIdle();
            CEventFilter f = filter.value_or(CEventFilter());
            CIntArray indices;
            self.Events().GetFilteredTotal(f, &indices);
            py::array_t<int32_t> out(indices.GetSize());
            std::copy(indices.begin(), indices.end(), out.mutable_data());
            return out;
          },
          py::arg("filter") = py::none(),
          "The indices of the events the filter selects, ascending, as a NumPy int32 array (events[indices]).")
      .def(
          "select",
          [](const ArrayHandle& self, const std::optional<CEventFilter>& filter) {
            self.CheckIdle();
            CEventFilter f = filter.value_or(CEventFilter());
            auto out = std::make_unique<ArrayHandle>();
            self.Events().GetAllFilteredEvents(f, out->Events());
            return out;
          },
          py::arg("filter") = py::none(), "A new EventArray of the events the filter selects, in order.");
}

void BindEditMethods(py::class_<ArrayHandle>& events) {
  using namespace pybind11::literals;
  events
      .def(
          "copy",
          [](ArrayHandle& self, int32_t sourcePath, std::vector<int32_t> toPaths, const py::handle& start,
             const py::handle& end, const py::handle& at, int32_t rampLength, int32_t rampStep, Direction startDirection,
             Direction endDirection, std::optional<Pairs> controls, std::optional<std::string> groups,
             int32_t highBase, std::optional<Pairs> pathGroups) {
            Copy(self, {sourcePath, std::move(toPaths), RangeOf(start, end, at, true), RampOf(rampLength, rampStep),
                        startDirection, endDirection, ScopeOf(controls, groups, highBase, pathGroups)});
          },
          py::kw_only(), "source_path"_a, "to_paths"_a, "start"_a, "end"_a, "at"_a = py::none(), "ramp_length"_a = 0,
          "ramp_step"_a = 1, "start_direction"_a = CAutomationEventArray::RampToPoint,
          "end_direction"_a = CAutomationEventArray::RampFromPoint, EDIT_SCOPE_ARGS,
          Doc(R"(Copies path source_path's automation over [start, end) onto every path of to_paths
at `at` (default: start). Each destination's automation over the pasted length is replaced;
both edges are joined by a step or, with ramp_length > 0, on slot-aligned controls (fader,
pan) by a ramp of ramp_length units in steps of ramp_step frames, on the side each edge's
direction gives. The events end in time order.)").c_str())
      .def(
          "merge",
          [](ArrayHandle& self, ArrayHandle& source, int32_t sourcePath, std::vector<int32_t> toPaths,
             const py::handle& start, const py::handle& end, const py::handle& at, bool sameSource, int32_t rampLength,
             int32_t rampStep, Direction startDirection, Direction endDirection, std::optional<Pairs> controls,
             std::optional<std::string> groups, int32_t highBase, std::optional<Pairs> pathGroups) {
            Merge(self, source,
                  {sourcePath, std::move(toPaths), RangeOf(start, end, at, true), RampOf(rampLength, rampStep),
                   startDirection, endDirection, ScopeOf(controls, groups, highBase, pathGroups)},
                  sameSource);
          },
          "source"_a, py::kw_only(), "source_path"_a, "to_paths"_a, "start"_a, "end"_a, "at"_a = py::none(),
          "same_source"_a = false, "ramp_length"_a = 0, "ramp_step"_a = 1,
          "start_direction"_a = CAutomationEventArray::RampToPoint,
          "end_direction"_a = CAutomationEventArray::RampFromPoint, EDIT_SCOPE_ARGS,
          Doc(R"(As copy, from path source_path of another array (`source`) over its [start, end).
same_source=True pastes without joining the edges; a destination's own events stay beside
the pasted ones.)").c_str())
      .def(
          "isolate",
          [](ArrayHandle& self, std::vector<int32_t> paths, const py::handle& start, const py::handle& end,
             const py::handle& at, std::optional<Pairs> controls, std::optional<std::string> groups, int32_t highBase,
             std::optional<Pairs> pathGroups) {
            Isolate(self, paths, RangeOf(start, end, at, false), ScopeOf(controls, groups, highBase, pathGroups));
          },
          py::kw_only(), "paths"_a, "start"_a, "end"_a, "at"_a = py::none(), EDIT_SCOPE_ARGS,
          Doc(R"(Keeps only the chosen paths and controls over [start, end] (both included), moved to
`at` (default: start): their state at start where it differs from the defaults, then their
events after start up to end. Everything else goes.)").c_str())
      .def(
          "erase",
          [](ArrayHandle& self, std::vector<int32_t> paths, const py::handle& start, const py::handle& end,
             std::optional<int32_t> rampLength, int32_t rampStep, Direction direction, std::optional<Pairs> controls,
             std::optional<std::string> groups, int32_t highBase, std::optional<Pairs> pathGroups) {
            Erase(self, paths, start, end, rampLength, rampStep, direction,
                  ScopeOf(controls, groups, highBase, pathGroups));
          },
          py::kw_only(), "paths"_a, "start"_a, "end"_a, "ramp_length"_a = py::none(), "ramp_step"_a = 1,
          "direction"_a = CAutomationEventArray::RampToPoint, EDIT_SCOPE_ARGS,
          Doc(R"(Erases the chosen paths' controls over [start, end] (both included) and restores at
end + 1 every value they had there. With ramp_length (0 for a step): erases [start, end)
instead, never time 0, and joins the values either side at end by a ramp on the side
`direction` gives.)").c_str())
      .def("thin", &Thin, py::kw_only(), "window"_a, "threshold"_a, "start"_a = py::none(), "end"_a = py::none(),
           "paths"_a = py::none(), "high_base"_a = CControlModel::kFirstHighProc, "path_groups"_a = py::none(),
           "progress"_a = py::none(),
           R"(Thins dense automation of the chosen paths (default: all) between the event at start
and the first event at or after end (default: first to last event), keeping its shape:
window 0 (none) to 6 or its name drops one event of each dense window, threshold 0 to 16
or its name drops fader level and trim events within it of the last kept one. Same-time
duplicates are merged first, everywhere. Returns the events removed.)")
      .def(
          "repair",
          [](ArrayHandle& self) { return WithoutGil(self, true, [&] { return self.Events().MakeTimeStampsContinuous(0); }); },
          R"(Where some event's time is below an earlier one's, merges same-time duplicates and
sorts by time (the places are reported in C:\Tavmir\tcerr.txt on the Windows drive).
Returns whether it found any; an array in order is left as it is.)")
      .def(
          "translate", [](ArrayHandle& self, const py::object& pairs) { Translate(self, PairsOf(pairs)); }, "pairs"_a,
          R"(Moves the events of paths to other paths: pairs is {from: to, ...} or [(from, to), ...];
the first pair naming a path applies, pairs do not chain. Times and order stay (in place).)")
      .def(
          "set_old_values",
          [](ArrayHandle& self, int32_t highBase, std::optional<Pairs> pathGroups) {
            CheckHighBase(highBase);
            const CPathMap map = PathMapFor(self.Events(), pathGroups);
            WithoutGil(self, false, [&] {
              self.Events().SetOldValues(highBase, map);
              return 0;
            });
          },
          py::kw_only(), "high_base"_a = CControlModel::kFirstHighProc, "path_groups"_a = py::none(),
          R"(Gives every event the value its channel had just before it (old_value), in array
order, starting from the console's default state (in place).)");
}

}  // namespace

void BindEdits(py::module_& m, py::class_<ArrayHandle>& events) {
  using namespace pybind11::literals;
  py::enum_<Direction>(m, "RampDirection", "The side of an edit's edge on which its joining ramp lies.")
      .value("BEFORE", CAutomationEventArray::RampToPoint, "the ramp ends at the edge")
      .value("AFTER", CAutomationEventArray::RampFromPoint, "the ramp starts at the edge and runs forward");

  py::class_<CEventFilter>(m, "Filter", R"(A selection of events: paths, (proc, control) pairs and a time range.

None (or an empty list) selects every path or control; start and end are included, None
meaning from the first or to the last event. Times are units (int) or text.)")
      .def(py::init(&MakeFilter), py::kw_only(), "paths"_a = py::none(), "controls"_a = py::none(),
           "start"_a = py::none(), "end"_a = py::none())
      .def_property(
          "paths", [](const CEventFilter& f) { return PathsOf(f.Paths); },
          [](CEventFilter& f, const std::vector<int32_t>& paths) { SetPaths(f.Paths, paths, INT32_MAX, "paths"); })
      .def_property("controls", &ControlsOf, &SetControls)
      .def_property(
          "start", [](const CEventFilter& f) { return TimeOrNone(f.StartTime); },
          [](CEventFilter& f, const py::handle& t) { f.StartTime = TimeOrAll(t, "start"); })
      .def_property(
          "end", [](const CEventFilter& f) { return TimeOrNone(f.EndTime); },
          [](CEventFilter& f, const py::handle& t) { f.EndTime = TimeOrAll(t, "end"); })
      .def("__repr__", [](const CEventFilter& f) {
        return "Filter(paths=" + std::string(py::repr(py::cast(PathsOf(f.Paths)))) +
               ", controls=" + std::string(py::repr(py::cast(ControlsOf(f)))) +
               ", start=" + std::string(py::repr(TimeOrNone(f.StartTime))) +
               ", end=" + std::string(py::repr(TimeOrNone(f.EndTime))) + ")";
      });

  BindQueries(events);
  BindEditMethods(events);
}

}  // namespace pycommonobjects
