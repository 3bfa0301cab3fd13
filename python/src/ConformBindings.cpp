// Edit lists, change lists and conform from Python. The lists are read as conform reads
// them; a conform or recut runs as mixauto conform and recut run it (the same job, report and
// messages) on a Mix, without writing the mix's file. The package's __init__.py turns the
// plain dicts given here into dataclasses.
#include <pybind11/stl.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string>
#include <system_error>
#include <vector>

#include "ConformCommand.h"
#include "ConformJob.h"
#include "EdlCommand.h"
#include "Support.h"
#include "TimeArgument.h"
#include "commonobjects/conform/ConformEngine.h"
#include "commonobjects/conform/CutListReader.h"
#include "commonobjects/conform/EDLReader.h"
#include "commonobjects/conform/VadicConform.h"
#include "commonobjects/timecode/TimecodeConverter.h"

namespace pycommonobjects {

namespace {

// ---- Edit lists ----

py::object TimecodeOrNone(const int32_t timecode[4]) {
  if (timecode[0] < 0) return py::none();
  char text[48];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d:%02d", timecode[0], timecode[1], timecode[2], timecode[3]);
  return py::str(text);
}

py::object UnitsOrNone(bool known, CTimecodeConverter& converter, int32_t frames) {
  return known ? py::object(py::int_(mixauto::UnitsOfFrames(converter, frames))) : py::object(py::none());
}

// One event line (or binary record) as the reader left it; times of a text line as its
// timecodes, of a record as the timecode of its units.
py::dict EventOf(const CEDLReader& reader, CTimecodeConverter& converter, const CEDLTimecodeBlock& tc,
                 const CSourceDestItem& source, const CSourceDestItem& dest, int32_t position) {
  const int32_t result = reader.GetEventResult();
  const bool edit = reader.EventYieldsEdit();
  py::dict row;
  row["result"] = CEDLReader::EventResultText(result);
  row["yields_edit"] = edit;
  const CEDLEditDetail detail = dest.Detail ? *dest.Detail : CEDLEditDetail();
  row["reel"] = TextOf(detail.ReelName);
  row["video"] = detail.Video != 0;
  py::list tracks;
  for (int bit = 0; bit < 32; ++bit) {
    if ((detail.TrackMask >> bit) & 1u) tracks.append(bit + 1);
  }
  row["tracks"] = py::tuple(tracks);
  row["transition"] = mixauto::TransitionText(detail.Transition);
  const auto timeText = [&](int32_t frames) { return mixauto::FormatTime(converter, mixauto::UnitsOfFrames(converter, frames)); };
  if (reader.IsBinary()) {
    row["number"] = position;
    row["source_in"] = timeText(source.Start);
    row["record_in"] = timeText(dest.Start);
    row["record_out"] = timeText(dest.Start + dest.Length);
  } else {
    const bool read = result != CEDLReader::kTooFewFields;
    row["number"] = read ? py::object(py::int_(source.Number)) : py::object(py::none());
    row["source_in"] = read ? TimecodeOrNone(tc.SourceIn) : py::none();
    row["record_in"] = read ? TimecodeOrNone(tc.RecordIn) : py::none();
    row["record_out"] = read ? TimecodeOrNone(tc.RecordOut) : py::none();
  }
  row["source_start"] = UnitsOrNone(edit, converter, source.Start);
  row["dest_start"] = UnitsOrNone(edit, converter, dest.Start);
  row["length"] = UnitsOrNone(edit, converter, dest.Length);
  return row;
}

std::string FormatNames() {
  std::string names;
  for (int32_t format = CEDLReader::kUnknown; format < CEDLReader::kFormatCount - 1; ++format) {
    names += std::string(names.empty() ? "" : ", ") + CEDLReader::FormatName(format);
  }
  return names;
}

py::list ReadEdl(const py::handle& path, const std::string& formatName) {
  int32_t format = CEDLReader::kQrx;
  if (!CEDLReader::FormatFromName(formatName, format)) {
    throw py::value_error("no edit list format is called \"" + formatName + "\"; give one of " + FormatNames());
  }
  const std::string name = PathText(path);
  CEDLReader reader(name, format);
  if (!reader.Open()) {
    const int error = reader.GetFileStatus().error;
    throw FileProblem(name, "cannot open it (" + std::system_category().message(error) + ")", error == ENOENT);
  }
  CTimecodeConverter converter;
  CTimecodeSettings settings = converter.GetSettings();
  CReelTable reels;
  if (reader.ReadHeader(settings, reels) == CEDLReader::kEndOfFile && reader.IsBinary()) {
    throw FileProblem(name, "the binary header or its reel table is cut short; the file holds no events");
  }
  py::list events;
  for (int32_t position = 1;; ++position) {
    CEDLTimecodeBlock tc;  // fresh each time: a line with too few fields leaves fields unread
    CSourceDestItem source, dest;
    if (reader.ReadEvent(tc, source, dest) == 0) break;
    events.append(EventOf(reader, converter, tc, source, dest, position));
  }
  return events;
}

// ---- Change lists ----

std::string StageText(const CCutListReader& reader) {
  switch (reader.GetFailureStage()) {
    case CCutListReader::kFailedOpening:
      return "cannot open it (" + std::system_category().message(reader.GetSystemError()) + ")";
    case CCutListReader::kFailedAfterOpening:
      return "no change could be read: it is neither a binary change list nor a text report whose header "
             "(Old Duration ... Clip Name) a change follows";
    default:
      return "failed while reading the changes: a malformed footage value (feet+frames) or wording, or a record "
             "cut short";
  }
}

py::list ReadCutList(const py::handle& path) {
  const std::string name = PathText(path);
  CCutListReader reader;
  if (!reader.Read(name)) {
    const bool missing = reader.GetFailureStage() == CCutListReader::kFailedOpening && reader.GetSystemError() == ENOENT;
    throw FileProblem(name, StageText(reader), missing);
  }
  CTimecodeConverter converter;
  py::list changes;
  int32_t number = 0;
  for (const auto& change : reader.GetChanges()) {
    py::dict row;
    row["number"] = ++number;
    row["kind"] = CCutListChange::KindName(change->Kind);
    row["position"] = change->Position;
    row["length"] = change->Length;
    converter.SetAddEquivalence(1);  // positions as conform places them, lengths without
    row["position_units"] = mixauto::UnitsOfFrames(converter, change->Position);
    converter.SetAddEquivalence(0);
    row["length_units"] = mixauto::UnitsOfFrames(converter, change->Length);
    row["source_change"] = change->SourceChange >= 0 ? py::object(py::int_(change->SourceChange)) : py::none();
    row["name"] = TextOf(change->Name);
    row["extra"] = change->Extra;
    changes.append(row);
  }
  return changes;
}

// ---- Conform ----

py::dict ReportOf(const mixauto::ConformReport& model, const std::string& text) {
  py::list stretches;
  for (const mixauto::ConformStretch& s : model.stretches) {
    py::dict stretch;
    stretch["kind"] = mixauto::StretchKindName(s.kind);
    stretch["old_start"] = s.oldStart < 0 ? py::object(py::none()) : py::object(py::int_(s.oldStart));
    stretch["new_start"] = s.newStart < 0 ? py::object(py::none()) : py::object(py::int_(s.newStart));
    stretch["length"] = s.length;
    stretch["reel"] = s.reel < 0 ? py::object(py::none()) : py::object(py::int_(s.reel));
    stretches.append(stretch);
  }
  py::list sources;
  for (const mixauto::SourceMix& source : model.sources) sources.append(py::dict(py::arg("name") = source.name, py::arg("own") = source.own));
  py::dict report;
  report["title"] = model.title;
  report["path_note"] = model.pathNote;
  report["status"] = model.status;
  report["events_before"] = model.eventsBefore;
  report["events_after"] = model.eventsAfter;
  report["stretches"] = stretches;
  report["sources"] = sources;
  report["text"] = text;
  return report;
}

// Runs the job on the mix without writing its file; the report as a dict, or, for a failed
// conform, ConformFailure (check) or {"status": ..., "failure": ...}.
py::dict RunJob(MixHandle& self, mixauto::ConformJob& job, bool check, const py::object& progress) {
  enConformStatus status = kConformDone;
  const auto conform = job.conform;
  job.conform = [&status, conform](CAutomationPackage& mix) { return status = conform(mix); };
  mixauto::ConformReport model;
  const mixauto::MixWorkResult result = WithProgress(self, true, progress, [&](HWND window) {
    CAutomationPackage& mix = self.Mix();
    mix.SetStatusWnd(window);  // conform reports its items only to a set status window
    mixauto::MixWorkResult r = mixauto::RunConformJob(mix, job, &model);
    mix.SetStatusWnd(nullptr);
    return r;
  });
  if (result.failure.empty()) return ReportOf(model, result.report);
  if (check) throw ConformFailure(status, result.failure);
  py::dict failed;
  failed["status"] = status;
  failed["failure"] = result.failure;
  return failed;
}

std::string MixName(const MixHandle& self) {
  const std::string& name = self.Mix().GetFileName();
  return name.empty() ? "the new mix" : name;
}

// "0-7,12" of ascending paths.
std::string PathListText(const std::vector<int32_t>& paths) {
  std::string text;
  for (size_t i = 0; i < paths.size();) {
    size_t j = i;
    while (j + 1 < paths.size() && paths[j + 1] == paths[j] + 1) ++j;
    text += (text.empty() ? "" : ",") + std::to_string(paths[i]) + (j > i ? "-" + std::to_string(paths[j]) : "");
    i = j + 1;
  }
  return text;
}

py::dict Conform(MixHandle& self, const py::handle& list, std::optional<std::vector<int32_t>> paths, bool check,
                 const py::object& progress) {
  std::vector<int32_t> selected = paths.value_or(std::vector<int32_t>{});
  if (paths && selected.empty()) throw py::value_error("paths: give at least one path, or None for every path");
  std::sort(selected.begin(), selected.end());
  selected.erase(std::unique(selected.begin(), selected.end()), selected.end());
  const int32_t maxPaths = self.Events().GetMaxPaths();
  if (!selected.empty() && (selected.front() < 0 || selected.back() >= maxPaths)) {
    throw py::value_error("paths: a path is outside 0 to " + std::to_string(maxPaths - 1));
  }
  mixauto::ConformJob job =
      mixauto::MakeConformJob(MixName(self), PathText(list), selected, PathListText(selected), false);
  return RunJob(self, job, check, progress);
}

enum class RecutKind { kCopy, kMove, kDelete };

std::string RecutTitle(RecutKind kind, const std::string& mix, int32_t from, int32_t to, int32_t at) {
  const CTimecodeConverter c;
  const std::string range = mixauto::FormatTime(c, from) + " to " + mixauto::FormatTime(c, to) + " (end excluded)";
  switch (kind) {
    case RecutKind::kCopy: return "Recut of " + mix + ": copy " + range + " over the stretch at " + mixauto::FormatTime(c, at);
    case RecutKind::kMove:
      return "Recut of " + mix + ": move " + range + " to " + mixauto::FormatTime(c, at <= from ? at : at + to);
    case RecutKind::kDelete: return "Recut of " + mix + ": delete " + range;
  }
  return mix;
}

py::dict Recut(RecutKind kind, MixHandle& self, const py::handle& start, const py::handle& end, const py::handle& at,
               bool check, const py::object& progress) {
  const int32_t from = UnitsOf(start, "start");
  const int32_t to = UnitsOf(end, "end");
  const int32_t dest = kind == RecutKind::kDelete ? 0 : UnitsOf(at, "at");
  if (to <= from || from < 0) {
    throw py::value_error("end must be later than start, and start not before time 0 (the stretch ends just before end)");
  }
  if (dest < 0 || static_cast<int64_t>(dest) + to > INT32_MAX) {
    throw py::value_error("at: the stretch would land before time 0 or past the last time an event can hold");
  }
  mixauto::ConformJob job;
  job.mixName = MixName(self);
  job.title = RecutTitle(kind, job.mixName, from, to, dest);
  job.pathNote = "Paths: every path (a recut conforms the whole mix)";
  job.conform = [kind, from, to, dest](CAutomationPackage& mix) {
    CSourceDestItem source, destination;
    source.Start = from;
    source.Length = to - from;
    destination.Start = dest;
    destination.Length = source.Length;
    switch (kind) {
      case RecutKind::kCopy: return CopyConformVadicStyle(&mix, source, destination);
      case RecutKind::kMove: return MoveConformVadicStyle(&mix, source, destination);
      case RecutKind::kDelete: break;
    }
    return DeleteConformVadicStyle(&mix, source);
  };
  job.list = [] { return TemporaryEDLPath(); };
  job.timesInUnits = true;
  job.advice = [](enConformStatus status) -> std::string {
    if (status == kConformListFileFailed) {
      return "the temporary edit list " + mixauto::TemporaryEdlFile() +
             " could not be written; is the Windows drive folder (COMMONOBJECTS_ROOT) writable?";
    }
    return "the mix could not be rebuilt from its own file";
  };
  return RunJob(self, job, check, progress);
}

}  // namespace

void BindConform(py::module_& m) {
  using namespace pybind11::literals;
  py::enum_<enConformStatus>(m, "ConformStatus", "The result of a conform or recut: DONE, or the stage that failed.")
      .value("DONE", kConformDone)
      .value("LIST_FILE_FAILED", kConformListFileFailed)
      .value("CHANGE_LIST_HEAD_FAILED", kConformChangeListHeadFailed)
      .value("CHANGE_LIST_CHANGES_FAILED", kConformChangeListChangesFailed)
      .value("EDL_OPEN_FAILED", kConformEdlOpenFailed)
      .value("SOURCES_FAILED", kConformSourcesFailed)
      .value("ASSEMBLY_FAILED", kConformAssemblyFailed)
      .def_property_readonly("text", [](enConformStatus status) { return ConformStatusText(status); },
                             "What the status means, for a person to read.");

  m.def("_read_edl", &ReadEdl, "path"_a, "format"_a = "QRX");
  m.def("_read_cutlist", &ReadCutList, "path"_a);
  m.def("_conform", &Conform, "mix"_a, "list_path"_a, "paths"_a, "check"_a, "progress"_a);
  m.def(
      "_recut_copy",
      [](MixHandle& mix, const py::handle& start, const py::handle& end, const py::handle& at, bool check,
         const py::object& progress) { return Recut(RecutKind::kCopy, mix, start, end, at, check, progress); },
      "mix"_a, "start"_a, "end"_a, "at"_a, "check"_a, "progress"_a);
  m.def(
      "_recut_move",
      [](MixHandle& mix, const py::handle& start, const py::handle& end, const py::handle& at, bool check,
         const py::object& progress) { return Recut(RecutKind::kMove, mix, start, end, at, check, progress); },
      "mix"_a, "start"_a, "end"_a, "at"_a, "check"_a, "progress"_a);
  m.def(
      "_recut_delete",
      [](MixHandle& mix, const py::handle& start, const py::handle& end, bool check, const py::object& progress) {
        return Recut(RecutKind::kDelete, mix, start, end, py::none(), check, progress);
      },
      "mix"_a, "start"_a, "end"_a, "check"_a, "progress"_a);
}

}  // namespace pycommonobjects
