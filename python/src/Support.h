// What the bindings of the Python module share: the object a Python EventArray or Mix holds,
// NumPy views of its events, running library work without the GIL, progress callbacks, file
// names, text and the module's exceptions.
//
// Views: a NumPy array from `events` or `between` points into the library's buffer. The view
// keeps its EventArray alive (its base is a keeper object that holds it), and the EventArray
// counts the views alive. Work that may move or free the buffer (appending, loading, edits,
// conform) refuses to run while any view is alive, with BufferError, as a bytearray refuses
// to resize while exported; work that rewrites events in place (sort, translate, old values)
// runs and the views see its result. A view never dangles.
//
// Threads: the library allows one thread per array. Work that releases the GIL marks its
// array busy; any other call on that array meanwhile fails with RuntimeError instead of
// racing. Every count and flag here is read and written with the GIL held.
#pragma once

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

#include "commonobjects/eventstore/AutomationEventArray.h"
#include "commonobjects/package/AutomationPackage.h"
#include "commonobjects/platform/WindowMessages.h"

namespace pycommonobjects {

namespace py = pybind11;

// ---- The objects behind EventArray and Mix ----

class ArrayHandle {
 public:
  ArrayHandle();
  explicit ArrayHandle(std::unique_ptr<CAutomationEventArray> events);
  virtual ~ArrayHandle() = default;
  ArrayHandle(const ArrayHandle&) = delete;
  ArrayHandle& operator=(const ArrayHandle&) = delete;

  CAutomationEventArray& Events() { return *events_; }
  const CAutomationEventArray& Events() const { return *events_; }

  // RuntimeError while another thread's work runs on the array.
  void CheckIdle() const;
  // CheckIdle, then BufferError while NumPy views of the buffer are alive.
  void CheckMayMove() const;

  int32_t Views() const { return views_; }

 private:
  friend class ViewKeeper;
  friend class BusyScope;
  std::unique_ptr<CAutomationEventArray> events_;
  int32_t views_ = 0;
  bool busy_ = false;
};

// A Mix: the package is the event array, with everything else a mix holds.
class MixHandle : public ArrayHandle {
 public:
  MixHandle();
  explicit MixHandle(std::unique_ptr<CAutomationPackage> mix);
  CAutomationPackage& Mix() { return static_cast<CAutomationPackage&>(Events()); }
  const CAutomationPackage& Mix() const { return static_cast<const CAutomationPackage&>(Events()); }

  // The mix came from a file: its load report tells whether saving would lose data.
  bool Loaded = false;
  // The form of its file: as loaded, then as last saved (the package keeps the loaded one).
  bool IsCompressed() const { return SavedCompressed.value_or(Mix().IsCompressedFile()); }
  std::optional<bool> SavedCompressed;
};

// The base object of a view: holds the owning Python object and counts itself as a view.
class ViewKeeper {
 public:
  ViewKeeper(py::object owner, ArrayHandle& handle);
  ~ViewKeeper();
  ViewKeeper(const ViewKeeper&) = delete;
  ViewKeeper& operator=(const ViewKeeper&) = delete;

 private:
  py::object owner_;
  ArrayHandle* handle_;
};

// EVENT_DTYPE: the NumPy dtype of CAutomationEvent (made when the module loads).
const py::dtype& EventDtype();
// A writable NumPy view of events [first, first + count) of the array that `owner` (a Python
// EventArray or Mix) holds.
py::array EventsView(const py::object& owner, int32_t first, int32_t count);
// The events of a NumPy array of the event dtype, copied; TypeError for another dtype.
std::pair<const CAutomationEvent*, int32_t> EventsOfArray(const py::array& events);

// ---- Work without the GIL ----

// Marks an array busy for the life of the scope.
class BusyScope {
 public:
  explicit BusyScope(ArrayHandle& handle) : handle_(handle) { handle_.busy_ = true; }
  ~BusyScope() { handle_.busy_ = false; }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  ArrayHandle& handle_;
};

// Runs work() on the handle's array with the GIL released. mayMove: the work may move the
// buffer (refused while views are alive).
template <typename Work>
auto WithoutGil(ArrayHandle& handle, bool mayMove, Work&& work) {
  mayMove ? handle.CheckMayMove() : handle.CheckIdle();
  BusyScope busy(handle);
  py::gil_scoped_release release;
  return work();
}

// The library's status notifications, given to a Python callable as callback(phase, percent)
// while the object lives: phase "loading", "converting", "sorting", "thinning" or
// "conforming"; percent 0 to 100, or None where the library gives none (sorting). The
// callback runs on a thread of the notification hub, with the GIL; it cannot stop the work.
// The first exception it raises is kept, later notifications are dropped, and Rethrow raises
// it once the work is done. The hub gives notifications to the status window registered last
// in the process: two progress callbacks at once, on two threads, do not each see their own.
class Progress {
 public:
  explicit Progress(const py::object& callback);  // None: no endpoint, nothing reported
  ~Progress();
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;

  // The status window to give an array whose work reports only to a set window (sort).
  HWND Handle() const { return endpoint_ ? endpoint_->Handle() : nullptr; }
  // Delivers what is queued and ends delivery. Call it without the GIL (the callback needs it).
  void Stop();
  // Raises what the callback raised, if anything. With the GIL.
  void Rethrow();

  struct State;

 private:
  std::shared_ptr<State> state_;
  std::unique_ptr<commonobjects::platform::Endpoint> endpoint_;
};

// Runs work(statusWindow) with the GIL released and a Progress for the callback; delivery
// ends before the GIL is taken back, and an exception of the callback is raised after the
// work. For work on no array (loading a new one, reading a list).
template <typename Work>
auto Released(const py::object& callback, Work&& work) {
  Progress progress(callback);
  auto result = [&] {
    py::gil_scoped_release release;
    struct StopAtExit {  // destroyed before the GIL is taken back
      Progress& progress;
      ~StopAtExit() { progress.Stop(); }
    } stop{progress};
    return work(progress.Handle());
  }();
  progress.Rethrow();
  return result;
}

// Released, on the handle's array (see WithoutGil).
template <typename Work>
auto WithProgress(ArrayHandle& handle, bool mayMove, const py::object& callback, Work&& work) {
  mayMove ? handle.CheckMayMove() : handle.CheckIdle();
  BusyScope busy(handle);
  return Released(callback, std::forward<Work>(work));
}

// ---- Files, text, errors ----

// A file name from Python (str, bytes or os.PathLike) as given, in UTF-8.
std::string PathText(const py::handle& path);
// The native path of a name: Windows names ("C:\Mixes\a.mix") live under the Windows drive.
std::string NativePath(const std::string& name);
// The library's Windows-1252 text as a Python str.
py::str TextOf(const std::string& windows1252);
// A time from Python: automation units (int), or text ("01:00:10:00", "120+08", "#4000") read
// under the registry's timecode settings. ValueError for text that is no time; `what` names
// the argument in the message.
int32_t UnitsOf(const py::handle& time, const char* what);

// A file that could not be read or written: raised as FileNotFoundError when `missing`,
// else as commonobjects.FileError; both carry `filename`. The message is the problem only.
class FileProblem : public std::runtime_error {
 public:
  FileProblem(std::string file, const std::string& problem, bool missing = false)
      : std::runtime_error(problem), File(std::move(file)), Missing(missing) {}
  std::string File;
  bool Missing;
};

// A conform or recut that ended in a status other than done: commonobjects.ConformError,
// carrying `status`.
class ConformFailure : public std::runtime_error {
 public:
  ConformFailure(int32_t status, const std::string& message) : std::runtime_error(message), Status(status) {}
  int32_t Status;
};

// ---- The parts of the module ----

void BindErrors(py::module_& m);
py::class_<ArrayHandle> BindEvents(py::module_& m);
void BindMix(py::module_& m);
// Filter and RampDirection, and the queries and edits of EventArray.
void BindEdits(py::module_& m, py::class_<ArrayHandle>& events);
void BindConform(py::module_& m);
void BindText(py::module_& m);

}  // namespace pycommonobjects
