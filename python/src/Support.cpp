#include "Support.h"

#include <algorithm>
#include <cerrno>
#include <optional>

#include "commonobjects/conform/ConformStatus.h"
#include "commonobjects/platform/RegFileFormat.h"
#include "commonobjects/platform/WindowsDrive.h"
#include "commonobjects/presentation/ValueTextNotSupported.h"
#include "commonobjects/settings/SharedNames.h"

namespace pycommonobjects {

namespace platform = commonobjects::platform;

// ---- Handles and views ----

ArrayHandle::ArrayHandle() : events_(std::make_unique<CAutomationEventArray>()) {}

ArrayHandle::ArrayHandle(std::unique_ptr<CAutomationEventArray> events) : events_(std::move(events)) {}

void ArrayHandle::CheckIdle() const {
  if (busy_) throw std::runtime_error("another thread is working on this event array; one thread at a time");
}

void ArrayHandle::CheckMayMove() const {
  CheckIdle();
  if (views_ > 0) {
    throw py::buffer_error(std::to_string(views_) +
                           " NumPy view(s) of the events are alive and this would move the events' memory; "
                           "delete them (del view) first, then take .events again");
  }
}

namespace {

std::unique_ptr<CAutomationPackage> NewPackage() {
  auto mix = std::make_unique<CAutomationPackage>();
  mix->SetNotifyOnDestruction(false);
  return mix;
}

}  // namespace

MixHandle::MixHandle() : ArrayHandle(NewPackage()) {}

MixHandle::MixHandle(std::unique_ptr<CAutomationPackage> mix) : ArrayHandle(std::move(mix)) {}

ViewKeeper::ViewKeeper(py::object owner, ArrayHandle& handle) : owner_(std::move(owner)), handle_(&handle) {
  ++handle_->views_;
}

ViewKeeper::~ViewKeeper() { --handle_->views_; }

py::array EventsView(const py::object& owner, int32_t first, int32_t count) {
  ArrayHandle& handle = owner.cast<ArrayHandle&>();
  handle.CheckIdle();
  // An empty array has no buffer; its view points at this (and holds none of it).
  alignas(CAutomationEvent) static CAutomationEvent noEvents[1];
  CAutomationEvent* data = handle.Events().GetData();
  data = data != nullptr ? data + first : noEvents;
  py::object keeper = py::cast(new ViewKeeper(owner, handle), py::return_value_policy::take_ownership);
  return py::array(EventDtype(), {static_cast<py::ssize_t>(count)},
                   {static_cast<py::ssize_t>(sizeof(CAutomationEvent))}, data, keeper);
}

std::pair<const CAutomationEvent*, int32_t> EventsOfArray(const py::array& events) {
  if (!events.dtype().equal(EventDtype())) {
    throw py::type_error("expected an array of commonobjects.EVENT_DTYPE, not of " +
                         std::string(py::str(events.dtype())) +
                         " (numpy.zeros(n, commonobjects.EVENT_DTYPE) makes one to fill)");
  }
  if (events.ndim() != 1) throw py::value_error("expected a one-dimensional array of events");
  if (events.size() > INT32_MAX) throw py::value_error("an event array holds at most 2147483647 events");
  if (!(events.flags() & py::array::c_style)) throw py::value_error("expected a contiguous array of events");
  return {static_cast<const CAutomationEvent*>(events.data()), static_cast<int32_t>(events.size())};
}

// ---- Progress ----

struct Progress::State {
  uint32_t message = 0;
  py::object callback;
  std::unique_ptr<py::error_already_set> error;

  struct Step {
    const char* phase;
    std::optional<int32_t> percent;
  };

  // The step a notification reports; nothing for the counts (thinning's events removed,
  // conform's item number) and for notifications of other work.
  static std::optional<Step> StepOf(const platform::PostedMessage& posted) {
    switch (posted.code) {
      case 0:
      case 15: return Step{"loading", posted.param};
      case 17: return Step{"loading", 100};
      case 26: return Step{"converting", posted.param};
      case 31: return Step{"sorting", std::nullopt};
      case 33: return Step{"thinning", posted.param};
      case 27: return Step{"conforming", std::clamp<int32_t>(posted.param, 0, 100)};
      default: return std::nullopt;
    }
  }

  // On the hub's dispatch thread.
  void Take(const platform::PostedMessage& posted) noexcept {
    if (posted.message != message) return;
    const std::optional<Step> step = StepOf(posted);
    if (!step) return;
    py::gil_scoped_acquire gil;
    if (error) return;
    try {
      callback(step->phase, step->percent ? py::object(py::int_(*step->percent)) : py::object(py::none()));
    } catch (py::error_already_set& e) {
      error = std::make_unique<py::error_already_set>(std::move(e));
    } catch (...) {
      // nothing else can come out of a call into Python
    }
  }
};

Progress::Progress(const py::object& callback) {
  if (callback.is_none()) return;
  if (!PyCallable_Check(callback.ptr())) throw py::type_error("progress must be a callable or None");
  state_ = std::make_shared<State>();
  state_->message = platform::RegisterMessage(SharedNames::kAutomationEventNotificationMessage);
  state_->callback = callback;
  std::shared_ptr<State> state = state_;
  endpoint_ = std::make_unique<platform::Endpoint>(
      SharedNames::kStatusWindowClass, [state](const platform::PostedMessage& posted) { state->Take(posted); });
}

Progress::~Progress() {
  if (endpoint_) {
    py::gil_scoped_release release;  // the dispatch thread may be waiting for the GIL
    endpoint_.reset();
  }
}

void Progress::Stop() { endpoint_.reset(); }

void Progress::Rethrow() {
  if (!state_ || !state_->error) return;
  py::error_already_set error = std::move(*state_->error);
  state_->error.reset();
  throw error;
}

// ---- Files and text ----

std::string PathText(const py::handle& path) {
  return py::module_::import("os").attr("fsdecode")(path).cast<std::string>();
}

std::string NativePath(const std::string& name) { return platform::MapWindowsPath(name); }

py::str TextOf(const std::string& windows1252) { return py::str(platform::Windows1252ToUtf8(windows1252)); }

// ---- Errors ----

namespace {

// The module's exception types, alive for the life of the process (the module holds them too).
PyObject* errorType = nullptr;
PyObject* fileErrorType = nullptr;
PyObject* conformErrorType = nullptr;
PyObject* valueTextErrorType = nullptr;

PyObject* NewErrorType(py::module_& m, const char* name, const char* doc, PyObject* bases) {
  const std::string qualified = std::string("commonobjects.") + name;
  PyObject* type = PyErr_NewExceptionWithDoc(qualified.c_str(), doc, bases, nullptr);
  if (type == nullptr) throw py::error_already_set();
  m.attr(name) = py::reinterpret_borrow<py::object>(type);
  return type;
}

void Raise(PyObject* type, py::object error) { PyErr_SetObject(type, error.ptr()); }

void Translate(std::exception_ptr thrown) {
  try {
    if (thrown) std::rethrow_exception(thrown);
  } catch (const FileProblem& e) {
    if (e.Missing) {
      Raise(PyExc_FileNotFoundError,
            py::reinterpret_borrow<py::object>(PyExc_FileNotFoundError)(ENOENT, e.what(), e.File));
      return;
    }
    py::object error = py::reinterpret_borrow<py::object>(fileErrorType)(e.File + ": " + e.what());
    error.attr("filename") = e.File;
    Raise(fileErrorType, error);
  } catch (const ConformFailure& e) {
    py::object error = py::reinterpret_borrow<py::object>(conformErrorType)(e.what());
    error.attr("status") = py::cast(static_cast<enConformStatus>(e.Status));
    Raise(conformErrorType, error);
  } catch (const CValueTextNotSupported& e) {
    py::object error = py::reinterpret_borrow<py::object>(valueTextErrorType)(e.what());
    error.attr("proc") = e.Proc;
    error.attr("control") = e.Control;
    Raise(valueTextErrorType, error);
  }
}

}  // namespace

void BindErrors(py::module_& m) {
  errorType = NewErrorType(m, "Error", "Base of the errors the library reports.", PyExc_Exception);
  fileErrorType = NewErrorType(m, "FileError",
                               "A mix, event file or list that could not be read or written; `filename` names it.",
                               errorType);
  conformErrorType = NewErrorType(m, "ConformError",
                                  "A conform or recut that failed; `status` is its ConformStatus.", errorType);
  const py::tuple valueBases = py::make_tuple(py::handle(errorType), py::handle(PyExc_ValueError));
  valueTextErrorType = NewErrorType(
      m, "ValueTextNotSupported",
      "The control's value cannot be read from text; `proc` and `control` name it.", valueBases.ptr());
  py::register_exception_translator(Translate);
}

}  // namespace pycommonobjects
