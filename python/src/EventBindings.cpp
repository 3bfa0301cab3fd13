// EventArray: the library's event array from Python. Events are 16-byte records in the
// library's own memory; `events` is a NumPy structured array over them (EVENT_DTYPE).
#include <pybind11/stl.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>

#include "EventFileJob.h"
#include "MixFile.h"
#include "Support.h"

namespace pycommonobjects {

const py::dtype* eventDtype = nullptr;

const py::dtype& EventDtype() { return *eventDtype; }

namespace {

static_assert(offsetof(CAutomationEvent, Proc) == 0 && offsetof(CAutomationEvent, Control) == 1 &&
                  offsetof(CAutomationEvent, Value) == 2 && offsetof(CAutomationEvent, Path) == 4 &&
                  offsetof(CAutomationEvent, Time) == 8 && offsetof(CAutomationEvent, Flags) == 12 &&
                  offsetof(CAutomationEvent, OldValue) == 14,
              "EVENT_DTYPE and the pyi stubs describe this layout (byte 13 is padding)");

int32_t InRange(const char* field, int64_t value, int64_t low, int64_t high) {
  if (value < low || value > high) {
    throw py::value_error(std::string(field) + " " + std::to_string(value) + " is outside " + std::to_string(low) +
                          " to " + std::to_string(high));
  }
  return static_cast<int32_t>(value);
}

CAutomationEvent MakeEvent(const py::handle& time, int64_t path, int64_t proc, int64_t control, int64_t value,
                           int64_t oldValue, int64_t flags) {
  CAutomationEvent e;
  e.Time = UnitsOf(time, "time");
  e.Path = InRange("path", path, 0, INT32_MAX);
  e.Proc = static_cast<uint8_t>(InRange("proc", proc, 0, 255));
  e.Control = static_cast<uint8_t>(InRange("control", control, 0, 255));
  e.Value = static_cast<int16_t>(InRange("value", value, INT16_MIN, INT16_MAX));
  e.OldValue = static_cast<int16_t>(InRange("old_value", oldValue, INT16_MIN, INT16_MAX));
  e.Flags = static_cast<uint8_t>(InRange("flags", flags, 0, 255));
  return e;
}

// Appends count events; the array keeps them as given (no time order is made).
void AppendEvents(CAutomationEventArray& events, const CAutomationEvent* added, int32_t count) {
  if (count == 0) return;
  if (static_cast<int64_t>(events.GetSize()) + count > INT32_MAX) {
    throw py::value_error("an event array holds at most 2147483647 events");
  }
  const int32_t first = events.GetSize();
  events.SetSize(first + count);
  std::memcpy(static_cast<void*>(events.GetData() + first), added, sizeof(CAutomationEvent) * static_cast<size_t>(count));
}

std::unique_ptr<ArrayHandle> LoadEventArray(const py::handle& path, const py::object& progress) {
  const std::string name = PathText(path);
  return Released(progress, [&](HWND status) {
    const std::string native = NativePath(name);
    if (mixauto::DetectFileKind(native) == mixauto::FileKind::kMissing) {
      throw FileProblem(name, "no such file", true);
    }
    std::string problem;
    std::unique_ptr<CAutomationEventArray> events = mixauto::LoadEventsToRead(native, status, problem);
    if (!events) throw FileProblem(name, problem);
    events->SetStatusWnd(nullptr);
    return std::make_unique<ArrayHandle>(std::move(events));
  });
}

void SaveEventArray(ArrayHandle& handle, const py::handle& path) {
  const std::string name = PathText(path);
  const int saved = WithoutGil(handle, false, [&] { return handle.Events().Save(NativePath(name)); });
  if (saved != 1) {
    throw FileProblem(name, "could not save the events into it (is it a compressed mix, or in use; is its folder "
                            "there and writable, the disk full?); the file is as it was");
  }
}

// The events with start <= Time < end of an array in time order.
py::array Between(const py::object& self, const py::handle& start, const py::handle& end) {
  const CAutomationEventArray& events = self.cast<ArrayHandle&>().Events();
  const int32_t from = UnitsOf(start, "start");
  const int32_t to = UnitsOf(end, "end");
  const auto byTime = [](const CAutomationEvent& e, int32_t time) { return e.Time < time; };
  const CAutomationEvent* first = std::lower_bound(events.begin(), events.end(), from, byTime);
  const CAutomationEvent* last = std::max(first, std::lower_bound(first, events.end(), to, byTime));
  return EventsView(self, static_cast<int32_t>(first - events.begin()), static_cast<int32_t>(last - first));
}

// Fields in the order people read an event (when, which channel, what); byte 13 is padding.
py::dtype MakeEventDtype() {
  py::dict fields;
  fields["names"] = py::make_tuple("time", "path", "proc", "control", "value", "old_value", "flags");
  fields["formats"] = py::make_tuple("<i4", "<i4", "u1", "u1", "<i2", "<i2", "u1");
  fields["offsets"] = py::make_tuple(offsetof(CAutomationEvent, Time), offsetof(CAutomationEvent, Path),
                                   offsetof(CAutomationEvent, Proc), offsetof(CAutomationEvent, Control),
                                   offsetof(CAutomationEvent, Value), offsetof(CAutomationEvent, OldValue),
                                   offsetof(CAutomationEvent, Flags));
  fields["itemsize"] = sizeof(CAutomationEvent);
  eventDtype = new py::dtype(py::module_::import("numpy").attr("dtype")(fields));  // lives as long as the process
  return *eventDtype;
}

constexpr const char* kEventArrayDoc = R"(The automation of a mix: events in ascending time.

Each event says that at `time` (automation units) the control (`proc`, `control`) of console
path `path` takes `value`. `events` shows them as a NumPy structured array of EVENT_DTYPE
that is the library's own memory: writing through it changes the array, and taking it
copies nothing. Events of equal time keep their order of arrival through add_at_time.

Work that may move the events' memory (append, extend, add_at_time, clear, edits, conform)
raises BufferError while a view from `events` or `between` is alive: delete the view, then
take `events` again. Sorting, translating and setting old values work in place and keep
views valid. One thread at a time per array.)";

constexpr const char* kEventsDoc = R"(The events as a writable NumPy view (EVENT_DTYPE), without copying.

The view keeps this array alive; while it lives, work that may move the events raises
BufferError. Element writes may break time order: call sort() after changing times.)";

}  // namespace

py::class_<ArrayHandle> BindEvents(py::module_& m) {
  m.attr("EVENT_DTYPE") = MakeEventDtype();

  py::class_<ViewKeeper>(m, "_EventView", "Keeps an EventArray alive for a NumPy view of its events.");

  py::enum_<CAutomationEventArray::SortMode>(m, "SortMode", "The key orders of EventArray.sort.")
      .value("TIME", CAutomationEventArray::SortByTime, "time, then path, proc, control")
      .value("PATH_CONTROL", CAutomationEventArray::SortByPathControl, "path, proc, control, then time")
      .value("PATH_TIME", CAutomationEventArray::SortByPathTime, "path, time, then proc, control");

  py::class_<ArrayHandle> events(m, "EventArray", kEventArrayDoc);
  events
      .def(py::init([](const std::optional<py::array>& events) {
             auto handle = std::make_unique<ArrayHandle>();
             if (events) {
               const auto [data, count] = EventsOfArray(*events);
               AppendEvents(handle->Events(), data, count);
             }
             return handle;
           }),
           py::arg("events") = py::none(),
           "An array of these events (copied, in the order given), or an empty one.")
      .def_static("load", &LoadEventArray, py::arg("path"), py::kw_only(), py::arg("progress") = py::none(),
                  R"(The events of an event-array file, or of a mix of either form.

Raises FileNotFoundError when there is no such file, FileError (naming the file and the
problem) when its events cannot be read. progress: callback(phase, percent) or None.)")
      .def("save", &SaveEventArray, py::arg("path"),
           R"(Writes the events into the compound file `path` (created when missing; its other
streams kept), all at once: on failure FileError is raised and the file is as it was.)")
      .def_property_readonly(
          "events", [](const py::object& self) {
            const ArrayHandle& handle = self.cast<ArrayHandle&>();
            return EventsView(self, 0, handle.Events().GetSize());
          },
          kEventsDoc)
      .def("between", &Between, py::arg("start"), py::arg("end"),
           R"(A view (as `events`) of the events with start <= time < end, found by binary search:
the array must be in time order. Times are units (int) or text such as "01:00:10:00".)")
      .def("__len__", [](const ArrayHandle& self) { return self.Events().GetSize(); })
      .def(
          "append",
          [](ArrayHandle& self, const py::handle& time, int64_t path, int64_t proc, int64_t control, int64_t value,
             int64_t oldValue, int64_t flags) {
            const CAutomationEvent e = MakeEvent(time, path, proc, control, value, oldValue, flags);
            self.CheckMayMove();
            return self.Events().Add(e);
          },
          py::arg("time"), py::arg("path"), py::arg("proc"), py::arg("control"), py::arg("value"), py::kw_only(),
          py::arg("old_value") = 0, py::arg("flags") = 0,
          "Appends one event at the end, whatever its time; returns its index.")
      .def(
          "extend",
          [](ArrayHandle& self, const py::array& events) {
            const auto [data, count] = EventsOfArray(events);
            self.CheckMayMove();
            AppendEvents(self.Events(), data, count);
          },
          py::arg("events"), "Appends an array of EVENT_DTYPE at the end, as given (no time order is made).")
      .def(
          "add_at_time",
          [](ArrayHandle& self, const py::handle& time, int64_t path, int64_t proc, int64_t control, int64_t value,
             int64_t oldValue, int64_t flags) {
            const CAutomationEvent e = MakeEvent(time, path, proc, control, value, oldValue, flags);
            self.CheckMayMove();
            return self.Events().AddAtTime(e);
          },
          py::arg("time"), py::arg("path"), py::arg("proc"), py::arg("control"), py::arg("value"), py::kw_only(),
          py::arg("old_value") = 0, py::arg("flags") = 0,
          R"(Inserts one event after every event at or before its time; returns its index. A
time-0 event replaces the time-0 event of its channel while a later event exists.)")
      .def(
          "sort",
          [](ArrayHandle& self, CAutomationEventArray::SortMode mode, const py::object& progress) {
            WithProgress(self, false, progress, [&](HWND status) {
              CAutomationEventArray& events = self.Events();
              events.SetStatusWnd(status);
              events.Sort(mode);
              events.SetStatusWnd(nullptr);
              return 0;
            });
          },
          py::arg("mode") = CAutomationEventArray::SortByTime, py::kw_only(), py::arg("progress") = py::none(),
          R"(Sorts the events in place by the mode's keys (views stay valid and see the new order).
Events equal in every key may end in any order. The GIL is released meanwhile.)")
      .def(
          "clear",
          [](ArrayHandle& self) {
            self.CheckMayMove();
            self.Events().RemoveAll();
          },
          "Removes every event.")
      .def_property_readonly(
          "max_paths", [](const ArrayHandle& self) { return self.Events().GetMaxPaths(); },
          "The paths of the array's max paths mode (256, 500 or 2000): paths run from 0 to max_paths - 1.")
      .def("__repr__", [](const py::object& self) {
        const int32_t n = self.cast<ArrayHandle&>().Events().GetSize();
        return "<commonobjects." + std::string(py::str(self.get_type().attr("__name__"))) + " of " +
               mixauto::WithCommas(n) + " event" + (n == 1 ? "" : "s") + ">";
      });
  return events;
}

}  // namespace pycommonobjects
