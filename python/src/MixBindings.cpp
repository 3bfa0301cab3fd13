// Mix: a whole mix (the library's automation package) from Python. It is an EventArray with
// the records, maps and identity a mix file holds besides its events, loaded from and saved
// to either form (structured or compressed) as mixauto does it.
#include <pybind11/stl.h>

#include <string>
#include <utility>
#include <vector>

#include "MixFile.h"
#include "Support.h"

namespace pycommonobjects {

namespace {

std::unique_ptr<MixHandle> LoadMix(const py::handle& path, const py::object& progress) {
  const std::string name = PathText(path);
  return Released(progress, [&](HWND status) {
    const std::string native = NativePath(name);
    switch (mixauto::DetectFileKind(native)) {
      case mixauto::FileKind::kMissing: throw FileProblem(name, "no such file", true);
      case mixauto::FileKind::kOther:
        throw FileProblem(name, "not a mix (neither a structured mix, which is a compound file, nor a compressed mix)");
      case mixauto::FileKind::kEventArray:
        throw FileProblem(name, "an event-array file (events only), not a mix; EventArray.load reads it");
      default: break;
    }
    auto mix = std::make_unique<MixHandle>(mixauto::LoadMix(native, status));
    mix->Mix().SetStatusWnd(nullptr);
    mix->Loaded = true;
    const std::string problem = mixauto::EventsProblem(mix->Mix());
    if (!problem.empty()) throw FileProblem(name, problem);
    return mix;
  });
}

void SaveMix(MixHandle& self, const std::optional<py::object>& path, std::optional<bool> compressed) {
  CAutomationPackage& mix = self.Mix();
  const std::string name = path ? PathText(*path) : mix.GetFileName();
  if (name.empty()) throw py::value_error("the mix has no file yet: give save a path");
  if (self.Loaded) {
    const std::string problem = mixauto::SaveProblem(mix);
    if (!problem.empty()) throw FileProblem(mix.GetFileName(), "not saved, it would lose data: " + problem);
  }
  const bool form = compressed.value_or(self.IsCompressed());
  const std::string native = NativePath(name);
  const std::string problem = WithoutGil(self, false, [&] {
    const std::string before = mix.GetFileName();
    const std::string failure = mixauto::WriteMix(mix, native, form);
    mix.SetFileName(failure.empty() ? native : before);  // writing sets it to what it wrote
    return failure;
  });
  if (!problem.empty()) throw FileProblem(name, problem + "; the file is as it was");
  self.SavedCompressed = form;
}

py::dict LoadReportOf(const CAutomationPackage& mix) {
  const PackageLoadReportStructure& r = mix.GetLoadReport();
  py::dict report;
  report["opened"] = r.Opened;
  report["events_loaded"] = r.EventsLoaded;
  report["event_mode"] = r.EventMode;
  report["version"] = r.Version;
  report["controls_converted"] = r.ControlsConverted;
  report["mode_converted"] = r.ModeConverted;
  report["missing"] = r.Missing;
  report["unreadable"] = r.Unreadable;
  return report;
}

std::vector<std::pair<int32_t, int32_t>> PathGroupsOf(const CAutomationPackage& mix) {
  const CPathMap map = mix.GetPathMap();
  const std::vector<int32_t>& values = map.GetValues();
  std::vector<std::pair<int32_t, int32_t>> groups;
  for (size_t i = 0; i + 1 < values.size(); i += 2) groups.emplace_back(values[i], values[i + 1]);
  return groups;
}

uint32_t FirstOf(const CNamedArray<uint32_t>& values) { return values.GetSize() > 0 ? values[0] : 0; }

constexpr const char* kMixDoc = R"(A mix: its events (a Mix is an EventArray) and everything else its file holds.

Mix() is an empty mix of this console (its type and max paths mode come from the registry).
Mix.load reads a mix of either form; save writes it back whole, in one transaction.)";

}  // namespace

void BindMix(py::module_& m) {
  py::class_<MixHandle, ArrayHandle>(m, "Mix", kMixDoc)
      .def(py::init([] { return std::make_unique<MixHandle>(); }))
      .def_static("load", &LoadMix, py::arg("path"), py::kw_only(), py::arg("progress") = py::none(),
                  R"(The mix at `path`, a structured or a compressed mix (told by its content); an old
mix is converted to this console's max paths mode. The GIL is released while it loads.

Raises FileNotFoundError when there is no such file, FileError (naming the file and saying
what is wrong and what to do) when it is not a mix or its events cannot be read.
progress: callback(phase, percent) or None.)")
      .def("save", &SaveMix, py::arg("path") = py::none(), py::arg("compressed") = py::none(),
           R"(Writes the whole mix to `path` (default: the file it was loaded from or last saved to),
compressed or structured (default: `compressed`, the form of its file; a new mix: compressed). One
transaction: on failure FileError is raised and the file is as it was. A loaded mix whose
events or members could not be read is not saved (that would lose them).)")
      .def_property_readonly(
          "file_name",
          [](const MixHandle& self) -> std::optional<std::string> {
            const std::string& name = self.Mix().GetFileName();
            return name.empty() ? std::nullopt : std::optional<std::string>(name);
          },
          "The native path the mix was loaded from or last saved to; None for a new mix.")
      .def_property_readonly(
          "compressed", &MixHandle::IsCompressed,
          "Whether the mix's file is in the compressed form: as loaded, then as last saved (a new mix: True).")
      .def_property_readonly(
          "frame_rate", [](const MixHandle& self) { return FirstOf(self.Mix().FrameRate); },
          "The whole frames per second the mix records.")
      .def_property_readonly(
          "console_type", [](const MixHandle& self) { return FirstOf(self.Mix().ConsoleType); },
          "The console type the mix records (1 to 7).")
      .def_property_readonly(
          "paths_mode", [](const MixHandle& self) { return self.Mix().GetPathsMode(); },
          "The mix's max paths mode (0: 256 paths, 1: 500, 2: 2000).")
      .def_property_readonly(
          "path_groups", [](const MixHandle& self) { return PathGroupsOf(self.Mix()); },
          "The mix's path groups as (first path, number of paths) pairs, group 0 first.")
      .def_property_readonly(
          "load_report", [](const MixHandle& self) { return LoadReportOf(self.Mix()); },
          R"(What the last load found: opened, events_loaded, event_mode, version,
controls_converted, mode_converted, and the names of missing and unreadable members.)");
}

}  // namespace pycommonobjects
