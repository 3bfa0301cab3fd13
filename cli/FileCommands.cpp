// mixauto info, dump, check and save-demo: event-array files and mixes from the command line.
//
// A file is taken by its content, not its name (MixFile.h): a compressed mix ("AUTXFILE"), a
// structured mix (a compound file with mix streams) or an event-array file (a compound file
// with events only). Names may be Windows paths ("C:\Mixes\reel 1.mix") or native ones.
// Nothing here writes to a file it inspects.
#include "FileCommands.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "CompressedChunks.h"
#include "EventCsv.h"
#include "EventFileJob.h"
#include "MixCommands.h"
#include "MixFile.h"
#include "MixReport.h"
#include "Table.h"
#include "Text.h"
#include "commonobjects/presentation/TemplateSnapAutoEvent.h"
#include "commonobjects/platform/RegFileFormat.h"
#include "TimeArgument.h"
#include "commonobjects/eventstore/AutomationEventArray.h"
#include "commonobjects/files/CompressedAutoFile.h"
#include "commonobjects/files/internal/EventRecords.h"
#include "commonobjects/package/AutomationPackage.h"
#include "commonobjects/package/MixLayout.h"
#include "commonobjects/platform/CompoundFile.h"
#include "commonobjects/platform/File.h"
#include "commonobjects/platform/WindowsDrive.h"

namespace mixauto {
namespace {

namespace files = commonobjects::files;
namespace platform = commonobjects::platform;
using platform::CompoundStorage;
using platform::CompoundStream;

// Why a file of `kind` cannot be read as an automation file, or "" when it can.
std::string FormProblem(FileKind kind) {
  switch (kind) {
    case FileKind::kMissing: return "no such file (check the name; Windows names live under the Windows drive folder)";
    case FileKind::kOther:
      return "neither an event-array file or structured mix (compound file) nor a compressed mix (AUTXFILE)";
    default: return "";
  }
}

std::string Count(uint64_t n) { return WithCommas(static_cast<int64_t>(n)); }

// The mix at the native path, with a progress line on a terminal while it loads.
std::unique_ptr<CAutomationPackage> LoadMixShowingProgress(const std::string& native) {
  ProgressLine progress(platform::IsTerminal(stderr));
  return LoadMix(native, progress.Handle());
}

// ---- Event-array file (compound) ----

std::unique_ptr<CompoundStorage> OpenStorage(const std::string& native, std::string* why) {
  std::unique_ptr<CompoundStorage> storage;
  const platform::StgStatus status = CompoundStorage::Open(native, files::kReadMode, &storage);
  if (!status.IsOk()) *why = status.message.empty() ? "cannot open the compound file" : status.message;
  return storage;
}

// The whole of a stream, or nothing when it is missing or unreadable.
std::optional<std::vector<uint8_t>> ReadStream(CompoundStorage& storage, const char* name) {
  std::unique_ptr<CompoundStream> stream;
  if (!storage.OpenStream(name, files::kReadMode, &stream).IsOk()) return std::nullopt;
  std::vector<uint8_t> bytes(stream->Length());
  uint32_t got = 0;
  if (!stream->Read(bytes.data(), static_cast<uint32_t>(bytes.size()), &got).IsOk() || got != bytes.size()) {
    return std::nullopt;
  }
  return bytes;
}

// The file's max paths mode as Load takes it: 0 when the file has no "Path Mode".
int32_t FilePathMode(CompoundStorage& storage, bool* present) {
  int32_t mode = 0;
  *present = files::ReadPathModeStream(storage, &mode);
  return *present ? mode : 0;
}

std::string FormatTm(const std::tm& t) {
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d (day of year %d, dst %d)", t.tm_year + 1900,
                t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec, t.tm_yday, t.tm_isdst);
  return text;
}

std::string FormatSystemTime(const SYSTEMTIME& t) {
  static const char* const kDays[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
  char text[64];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u.%03u (%s)", t.wYear, t.wMonth, t.wDay, t.wHour,
                t.wMinute, t.wSecond, t.wMilliseconds, t.wDayOfWeek < 7 ? kDays[t.wDayOfWeek] : "day ?");
  return text;
}

void PrintStreams(const CompoundStorage& storage) {
  Table table;
  table.AddColumn("stream", Table::Left);
  table.AddColumn("bytes");
  for (const platform::StorageEntry& entry : storage.List()) {
    table.AddRow({entry.name + (entry.isStorage ? "/" : ""), entry.isStorage ? "(storage)" : Count(entry.size)});
  }
  std::printf("Streams (%zu):\n", table.RowCount());
  table.Print();
}

void PrintVersionAndTime(CompoundStorage& storage) {
  const files::FileVersionStructure version = files::ReadFileVersion(storage);
  if (!version.Present) {
    std::printf("File version:  none (read as 1.0, events stored plain)\n");
  } else {
    std::printf("File version:  %u.%u%s\n", version.Major, version.Minor,
                version.IsCompressed() ? " (events zlib-compressed)" : "");
    if (version.HasTime) std::printf("  written:     %s\n", FormatTm(version.Written).c_str());
  }
  const auto timeAndDate = ReadStream(storage, files::kTimeAndDateStream);
  if (timeAndDate && timeAndDate->size() >= files::kTimeAndDateBytes) {
    std::printf("Time and date: %s\n", FormatSystemTime(files::DecodeTimeAndDate(timeAndDate->data())).c_str());
  } else {
    std::printf("Time and date: %s\n", timeAndDate ? "too short" : "none");
  }
}

void PrintEventData(CompoundStorage& storage) {
  std::unique_ptr<CompoundStream> stream;
  if (!storage.OpenStream(files::kAutomationDataStream, files::kReadMode, &stream).IsOk()) {
    std::printf("Events:        no \"AutomationData\" stream\n");
    return;
  }
  const uint64_t length = stream->Length();
  if (files::ReadFileVersion(storage).IsCompressed()) {
    uint8_t head[4] = {};
    uint32_t got = 0;
    stream->Read(head, sizeof head, &got);
    const uint32_t stated = head[0] | head[1] << 8 | head[2] << 16 | static_cast<uint32_t>(head[3]) << 24;
    std::printf("Events:        %s (%s bytes stated, %s stored)\n", Count(stated / 20).c_str(),
                Count(stated).c_str(), Count(length).c_str());
    return;
  }
  std::printf("Events:        %s (%s bytes of 20-byte records%s)\n", Count(length / 20).c_str(),
              Count(length).c_str(), length % 20 ? ", with a partial record at the end" : "");
}

int InfoCompound(const std::string& file, const std::string& native) {
  std::string why;
  std::unique_ptr<CompoundStorage> storage = OpenStorage(native, &why);
  if (!storage) return FailOn("info", file, why);
  std::printf("Form:          compound file (structured storage): event-array file\n");
  PrintStreams(*storage);
  PrintVersionAndTime(*storage);
  bool present = false;
  const int32_t mode = FilePathMode(*storage, &present);
  if (present) {
    std::printf("Path mode:     %d (%s)\n", mode, PathsModeName(mode));
  } else {
    std::printf("Path mode:     none (a file of mode 0: %s)\n", PathsModeName(0));
  }
  PrintEventData(*storage);
  return 0;
}

// ---- Compressed automation file ----

// A compressed file is always a mix: the header, then the loaded mix, then its blocks.
int InfoCompressed(const std::string& file, const std::string& native) {
  CCompressedAutoFile autoFile;
  std::string why;
  if (!OpenCompressed(native, autoFile, &why)) return FailOn("info", file, why);
  std::printf("Form:          compressed mix (AUTXFILE), header version %d\n", autoFile.HeaderVersion);
  std::printf("Header:        frame rate %d, cut A/B %d, mix passes %d and %d, %s events, paths mode %d (%s)\n",
              autoFile.FrameRate, autoFile.CutAB, autoFile.MixPassA, autoFile.MixPassB,
              Count(static_cast<uint32_t>(autoFile.EventCount)).c_str(), autoFile.PathsMode,
              PathsModeName(autoFile.PathsMode));
  PrintMixSummary(*LoadMixShowingProgress(native), autoFile.PathsMode);
  Table table;
  for (const char* h : {"slot", "block"}) table.AddColumn(h);
  table.AddColumn("name", Table::Left);
  for (const char* h : {"offset", "length", "chunks", "stored"}) table.AddColumn(h);
  for (int32_t i = 0; i < CCompressedAutoFile::kSlotCount; ++i) {
    const CompressedAutoSlotStructure& slot = autoFile.Slots[i];
    if (slot.BlockNumber < 0) continue;
    const uint64_t stored = slot.ChunkCount ? WalkChunks(*autoFile.FileHandle, slot, false).stored : slot.Length;
    table.AddRow({std::to_string(i), std::to_string(slot.BlockNumber), MixLayout::GetBlockName(slot.BlockNumber),
                  Count(slot.Offset), Count(slot.Length),
                  slot.ChunkCount ? std::to_string(slot.ChunkCount) : "raw", Count(stored)});
  }
  std::printf("Blocks (%zu; names as the hosts list them, lengths uncompressed, stored bytes with chunk headers):\n",
              table.RowCount());
  table.Print();
  return 0;
}

int InfoStructuredMix(const std::string& file, const std::string& native) {
  int32_t mode = 0;
  {
    std::string why;
    std::unique_ptr<CompoundStorage> storage = OpenStorage(native, &why);
    if (!storage) return FailOn("info", file, why);
    std::printf("Form:          structured mix (compound file)\n");
    PrintVersionAndTime(*storage);
    bool present = false;
    mode = FilePathMode(*storage, &present);
  }  // the storage is held exclusively: released before the mix is loaded
  PrintMixSummary(*LoadMixShowingProgress(native), mode);
  return 0;
}

int RunInfo(const std::string& file) {
  const std::string native = platform::MapWindowsPath(file);
  const FileKind kind = DetectFileKind(native);
  if (!FormProblem(kind).empty()) return FailOn("info", file, FormProblem(kind));
  uint64_t size = 0;
  platform::FileAttributes attributes;
  if (platform::GetFileAttributes(native, &attributes).IsOk()) size = attributes.size;
  std::printf("File:          %s (%s bytes)\n", native.c_str(), Count(size).c_str());
  switch (kind) {
    case FileKind::kCompressedMix: return InfoCompressed(file, native);
    case FileKind::kStructuredMix: return InfoStructuredMix(file, native);
    default: return InfoCompound(file, native);
  }
}

// ---- dump ----

// The events of a compressed mix, as the package reads them.
bool LoadCompressedEvents(const std::string& native, CAutomationEventArray& events, std::string* why) {
  const std::unique_ptr<CAutomationPackage> mix = LoadMixShowingProgress(native);
  *why = EventsProblem(*mix);
  if (!why->empty()) return false;
  static_cast<CGrowableArray<CAutomationEvent>&>(events) = std::move(*mix);
  return true;
}

// The events of a compound file (an event-array file or a structured mix) in the layout its
// own "Path Mode" names, whatever this machine's max paths mode is: dump only reads them.
bool LoadCompoundEvents(const std::string& native, CAutomationEventArray& events, std::string* why) {
  std::unique_ptr<CompoundStorage> storage = OpenStorage(native, why);
  if (!storage) return false;
  bool present = false;
  const int32_t mode = FilePathMode(*storage, &present);
  if (files::LoadEventStream(*storage, files::kAutomationDataStream, files::PathWidthForMode(mode), events)) {
    return true;
  }
  *why = "the \"AutomationData\" stream is missing, unreadable or its compressed data is damaged";
  return false;
}

struct DumpOptions {
  std::string file;
  bool csv = false;
  bool json = false;
  bool raw = false;
};

// One event for people: its time in the display form of the timecode settings, its path,
// the control's name and the value as the hosts show it. With raw, the numbers as stored.
std::vector<std::string> Cells(const CTimecodeConverter& converter, int32_t i, const CAutomationEvent& e, bool raw) {
  if (raw) {
    return {std::to_string(i),         FormatTime(converter, e.Time), std::to_string(e.Time),
            std::to_string(e.Path),    std::to_string(e.Proc),        std::to_string(e.Control),
            std::to_string(e.Value),   std::to_string(e.OldValue),    std::to_string(e.Flags)};
  }
  const CTemplateSnapAutoEvent view(e);
  std::string value, oldValue;
  view.GetText(value, 1, 0);
  CTemplateSnapAutoEvent(e.Proc, e.Control, e.OldValue).GetText(oldValue, 1, 0);
  return {std::to_string(i),
          FormatTime(converter, e.Time),
          std::to_string(e.Path),
          platform::Windows1252ToUtf8(view.GetEventName()) + " (" + std::to_string(e.Proc) + "/" +
              std::to_string(e.Control) + ")",
          platform::Windows1252ToUtf8(value),
          platform::Windows1252ToUtf8(oldValue)};
}

// Aligned columns without holding the text of every event: widths first, then the rows.
void DumpTable(const CAutomationEventArray& events, bool raw) {
  const CTimecodeConverter converter;
  static const std::vector<std::string> kRawHeaders = {"#",       "time",  "units",     "path", "proc",
                                                       "control", "value", "old value", "flags"};
  static const std::vector<std::string> kHeaders = {"#", "time", "path", "control", "value", "old value"};
  const std::vector<std::string>& headers = raw ? kRawHeaders : kHeaders;
  std::vector<size_t> width(headers.size());
  for (size_t c = 0; c < headers.size(); ++c) width[c] = headers[c].size();
  for (int32_t i = 0; i < events.GetSize(); ++i) {
    const std::vector<std::string> cells = Cells(converter, i, events[i], raw);
    for (size_t c = 0; c < headers.size(); ++c) width[c] = std::max(width[c], DisplayColumns(cells[c]));
  }
  auto row = [&](const std::vector<std::string>& cells) {
    std::string line;
    for (size_t c = 0; c < cells.size(); ++c) {
      const std::string pad(width[c] - DisplayColumns(cells[c]), ' ');
      const bool left = !raw && c == 3;  // names read best left-aligned
      line += (c ? "  " : "") + (left ? cells[c] + pad : pad + cells[c]);
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    std::printf("%s\n", line.c_str());
  };
  std::vector<std::string> rules;
  for (size_t c = 0; c < headers.size(); ++c) rules.emplace_back(width[c], '-');
  row(headers);
  row(rules);
  for (int32_t i = 0; i < events.GetSize(); ++i) row(Cells(converter, i, events[i], raw));
}

void DumpCsv(const CAutomationEventArray& events) {
  std::printf("index,time,path,proc,control,value,old_value,flags\n");
  for (int32_t i = 0; i < events.GetSize(); ++i) {
    const CAutomationEvent& e = events[i];
    std::printf("%d,%d,%d,%u,%u,%d,%d,%u\n", i, e.Time, e.Path, e.Proc, e.Control, e.Value, e.OldValue, e.Flags);
  }
}

void DumpJson(const std::string& file, const CAutomationEventArray& events) {
  std::printf("{\"file\": %s, \"count\": %d, \"events\": [", JsonString(file).c_str(), events.GetSize());
  for (int32_t i = 0; i < events.GetSize(); ++i) {
    const CAutomationEvent& e = events[i];
    std::printf("%s\n  {\"time\": %d, \"path\": %d, \"proc\": %u, \"control\": %u, \"value\": %d, \"oldValue\": %d, "
                "\"flags\": %u}",
                i ? "," : "", e.Time, e.Path, e.Proc, e.Control, e.Value, e.OldValue, e.Flags);
  }
  std::printf("\n]}\n");
}

int RunDump(const DumpOptions& options) {
  const std::string native = platform::MapWindowsPath(options.file);
  const FileKind kind = DetectFileKind(native);
  if (!FormProblem(kind).empty()) return FailOn("dump", options.file, FormProblem(kind));
  CAutomationEventArray events;
  std::string why;
  const bool loaded = kind == FileKind::kCompressedMix ? LoadCompressedEvents(native, events, &why)
                                                : LoadCompoundEvents(native, events, &why);
  if (!loaded) return FailOn("dump", options.file, why);
  if (options.json) {
    DumpJson(options.file, events);
  } else if (options.csv) {
    DumpCsv(events);
  } else {
    DumpTable(events, options.raw);
  }
  return 0;
}

// ---- check ----

struct Findings {
  std::vector<std::string> errors;
  std::vector<std::string> warnings;
};

// The event-array streams of a sound container: mode, version, sizes, the records themselves,
// and their time order unless the mix checks see to it (`mix`).
void CheckEventStreams(CompoundStorage& storage, bool mix, Findings* found) {
  bool present = false;
  const int32_t mode = FilePathMode(storage, &present);
  const auto pathMode = ReadStream(storage, files::kPathModeStream);
  if (present && (!pathMode || pathMode->size() != 4)) found->errors.push_back("\"Path Mode\" is not 4 bytes");
  if (present && (mode < 0 || mode > 2)) found->errors.push_back("\"Path Mode\" holds " + std::to_string(mode) + ", not 0, 1 or 2");
  const auto version = ReadStream(storage, files::kFileVersionStream);
  if (version && version->size() != files::kFileVersionBytes) found->warnings.push_back("\"File Version\" is not 40 bytes");
  const auto timeAndDate = ReadStream(storage, files::kTimeAndDateStream);
  if (timeAndDate && timeAndDate->size() != files::kTimeAndDateBytes) found->warnings.push_back("\"Time And Date\" is not 16 bytes");

  CAutomationEventArray events;
  std::unique_ptr<CompoundStream> data;
  if (!storage.OpenStream(files::kAutomationDataStream, files::kReadMode, &data).IsOk()) {
    found->errors.push_back("no \"AutomationData\" stream: no events to load");
    return;
  }
  const bool compressed = files::ReadFileVersion(storage).IsCompressed();
  if (!compressed && data->Length() % files::kEventRecordBytes) {
    found->warnings.push_back("\"AutomationData\" ends in a partial record (" + std::to_string(data->Length() % 20) + " bytes)");
  }
  data.reset();
  if (!files::LoadEventStream(storage, files::kAutomationDataStream, files::PathWidthForMode(mode), events)) {
    found->errors.push_back(compressed ? "\"AutomationData\" does not expand to the byte count it states"
                                       : "\"AutomationData\" cannot be read");
  }
  for (int32_t i = 1; !mix && i < events.GetSize(); ++i) {
    if (events[i].Time < events[i - 1].Time) {
      found->warnings.push_back("events are out of time order from index " + std::to_string(i));
      break;
    }
  }
}

void CheckCompound(const std::string& native, bool mix, Findings* found) {
  platform::CompoundFileReport report;
  platform::CheckCompoundFile(native, &report);
  for (std::string& line : report.errors) found->errors.push_back("container: " + line);
  for (std::string& line : report.warnings) found->warnings.push_back("container: " + line);
  if (!report.IsClean()) return;  // the streams of a broken container prove nothing
  std::string why;
  std::unique_ptr<CompoundStorage> storage = OpenStorage(native, &why);
  if (!storage) {
    found->errors.push_back(why);
    return;
  }
  CheckEventStreams(*storage, mix, found);
}

// A structured mix: its container and event streams as an event-array file's, then, when the
// container is sound, the mix loaded and checked.
void CheckStructuredMix(const std::string& native, Findings* found) {
  CheckCompound(native, true, found);
  if (!found->errors.empty()) return;
  std::vector<platform::StorageEntry> streams;
  int32_t mode = 0;
  {
    std::string why;
    std::unique_ptr<CompoundStorage> storage = OpenStorage(native, &why);
    if (!storage) return found->errors.push_back(why);
    streams = storage->List();
    bool present = false;
    mode = FilePathMode(*storage, &present);
  }  // the storage is held exclusively: released before the mix is loaded
  const std::unique_ptr<CAutomationPackage> mix = LoadMixShowingProgress(native);
  CheckMix(*mix, mode, StructuredSlots(*mix, streams), &found->errors, &found->warnings);
}

void CheckSlots(CCompressedAutoFile& file, uint64_t size, Findings* found) {
  for (int32_t i = 0; i < CCompressedAutoFile::kSlotCount; ++i) {
    const CompressedAutoSlotStructure& slot = file.Slots[i];
    if (slot.BlockNumber < 0) continue;
    const std::string name = "slot " + std::to_string(i) + " (block " + std::to_string(slot.BlockNumber) + ")";
    for (int32_t j = 0; j < i; ++j) {
      if (file.Slots[j].BlockNumber == slot.BlockNumber) found->errors.push_back(name + ": block listed twice");
    }
    if (slot.Offset < CCompressedAutoFile::kHeaderBytes) found->errors.push_back(name + ": data inside the header");
    if (slot.ChunkCount == 0) {
      if (static_cast<uint64_t>(slot.Offset) + slot.Length > size) found->errors.push_back(name + ": data passes the end of the file");
      continue;
    }
    const ChunkWalk walk = WalkChunks(*file.FileHandle, slot, true);
    if (!walk.problem.empty()) found->errors.push_back(name + ": " + walk.problem);
    else if (walk.expanded != slot.Length) found->errors.push_back(name + ": chunks hold " + std::to_string(walk.expanded) + " bytes, the slot states " + std::to_string(slot.Length));
  }
}

void CheckCompressed(const std::string& native, Findings* found) {
  CCompressedAutoFile file;
  std::string why;
  if (!OpenCompressed(native, file, &why)) {
    found->errors.push_back(why);
    return;
  }
  uint64_t size = 0;
  file.FileHandle->Size(&size);
  CheckSlots(file, size, found);
  const int32_t events = file.FindSlot(1);
  if (events < 0 || file.Slots[events].BlockNumber != 1) {
    found->warnings.push_back("no block 1 (events)");
  } else if (file.Slots[events].Length / 16 != static_cast<uint32_t>(file.EventCount)) {
    found->warnings.push_back("the header counts " + std::to_string(file.EventCount) + " events, block 1 holds " +
                              std::to_string(file.Slots[events].Length / 16));
  }
}

// A compressed mix: its header, blocks and chunks, then, when they are sound, the mix loaded
// and checked.
void CheckCompressedMix(const std::string& native, Findings* found) {
  CheckCompressed(native, found);
  if (!found->errors.empty()) return;
  CCompressedAutoFile file;
  std::string why;
  if (!OpenCompressed(native, file, &why)) return found->errors.push_back(why);
  const std::unique_ptr<CAutomationPackage> mix = LoadMixShowingProgress(native);
  CheckMix(*mix, file.PathsMode, CompressedSlots(*mix, file), &found->errors, &found->warnings);
}

int RunCheck(const std::string& file) {
  const std::string native = platform::MapWindowsPath(file);
  const FileKind kind = DetectFileKind(native);
  if (!FormProblem(kind).empty()) return FailOn("check", file, FormProblem(kind));
  Findings found;
  switch (kind) {
    case FileKind::kCompressedMix: CheckCompressedMix(native, &found); break;
    case FileKind::kStructuredMix: CheckStructuredMix(native, &found); break;
    default: CheckCompound(native, false, &found); break;
  }
  for (const std::string& line : found.errors) std::printf("error: %s\n", line.c_str());
  for (const std::string& line : found.warnings) std::printf("warning: %s\n", line.c_str());
  if (found.errors.empty()) {
    std::printf("%s: clean%s\n", file.c_str(), found.warnings.empty() ? "" : " (see the warnings)");
    return 0;
  }
  std::printf("%s: %zu error(s), %zu warning(s); do not rely on this file\n", file.c_str(), found.errors.size(),
              found.warnings.size());
  return 1;
}

// ---- save-demo ----

struct SaveDemoOptions {
  std::string file;
  std::string events = std::string(MIXAUTO_SOURCE_DIR) + "/testdata/demo/mix-events.csv";
  bool mix = false;
  bool compressed = false;
};

// Why Save refused the file, as far as the file shows it.
std::string SaveRefusal(const std::string& native) {
  if (IsCompressedAutoFile(native)) return "it is a compressed automation file; save to another name";
  const platform::StgStatus probe = platform::StgIsStorageFile(native);
  if (probe.code == platform::StgStatus::kNotCompoundFile) return "it exists and is not a compound file; save to another name";
  if (!probe.message.empty()) return probe.message;
  return "the file could not be created or opened (is its folder there, is it in use?)";
}

void PrintSavedFile(const std::string& native) {
  platform::FileAttributes attributes;
  platform::GetFileAttributes(native, &attributes);
  std::string why;
  std::unique_ptr<CompoundStorage> storage = OpenStorage(native, &why);
  std::string streams;
  for (const platform::StorageEntry& entry : storage ? storage->List() : std::vector<platform::StorageEntry>{}) {
    streams += (streams.empty() ? "" : ", ") + entry.name + " (" + Count(entry.size) + ")";
  }
  std::printf("Wrote %s: %s bytes; streams: %s\n", native.c_str(), Count(attributes.size).c_str(),
              streams.c_str());
}

int RunSaveDemo(const SaveDemoOptions& options) {
  if (options.mix) return SaveDemoMix(options.events, options.file, options.compressed);
  CAutomationEventArray events;
  std::string error;
  if (!LoadEventCsv(options.events, events, error)) return FailOn("save-demo", options.events, error);
  std::printf("Read %s events from %s\n", Count(static_cast<uint32_t>(events.GetSize())).c_str(),
              options.events.c_str());
  const std::string native = platform::MapWindowsPath(options.file);
  std::printf("Saving them with max paths mode %d (%s)\n", events.GetMaxPathsMode(), PathsModeName(events.GetMaxPathsMode()));
  if (events.Save(options.file) != 1) return FailOn("save-demo", options.file, "could not save: " + SaveRefusal(native));
  PrintSavedFile(native);

  CAutomationEventArray loaded;
  int32_t mode = 0;
  if (loaded.Load(options.file, mode) != 1) return FailOn("save-demo", options.file, "saved, but could not load it back");
  const bool equal = loaded.GetSize() == events.GetSize() && std::equal(events.begin(), events.end(), loaded.begin());
  std::printf("Loaded %s events back (file mode %d): %s\n", Count(static_cast<uint32_t>(loaded.GetSize())).c_str(),
              mode, equal ? "equal to the saved events" : "DIFFERENT from the saved events");
  return equal ? 0 : 1;
}

void ThrowOnFailure(int rc) {
  if (rc != 0) throw CLI::RuntimeError(rc);
}

}  // namespace

void AddInfoCommand(CLI::App& app) {
  auto file = std::make_shared<std::string>();
  CLI::App* info = app.add_subcommand(
      "info", "Show what a file holds: for an event-array file its streams, version, path mode and events; for a mix "
              "also its console, snapshot version, mix pass, slots, parameter blocks, maps and path groups (and a "
              "compressed mix's blocks)");
  info->add_option("FILE", *file, "Event-array file or mix (structured or compressed)")->required();
  info->callback([file] { ThrowOnFailure(RunInfo(*file)); });
}

void AddDumpCommand(CLI::App& app) {
  auto options = std::make_shared<DumpOptions>();
  CLI::App* dump = app.add_subcommand("dump", "Print the events of a file as a table, CSV or JSON");
  dump->add_option("FILE", options->file, "Event-array file or mix (structured or compressed)")->required();
  auto* csv = dump->add_flag("--csv", options->csv, "One comma-separated line per event");
  dump->add_flag("--json", options->json, "A JSON object with every event")->excludes(csv);
  dump->add_flag("--raw", options->raw, "Table of the stored numbers instead of names and value texts");
  dump->callback([options] { ThrowOnFailure(RunDump(*options)); });
}

void AddCheckCommand(CLI::App& app) {
  auto file = std::make_shared<std::string>();
  CLI::App* check = app.add_subcommand(
      "check", "Check a file's container (chains, tree order, sizes) and its events, and a mix's members (time "
               "order, whole records, maps and parameter blocks of its paths); exit status 0 only when clean");
  check->add_option("FILE", *file, "Event-array file or mix (structured or compressed)")->required();
  check->callback([file] { ThrowOnFailure(RunCheck(*file)); });
}

void AddSaveDemoCommand(CLI::App& app) {
  auto options = std::make_shared<SaveDemoOptions>();
  CLI::App* saveDemo = app.add_subcommand(
      "save-demo", "Save the demo mix's events to FILE (with --mix: as a whole mix), load them back and compare");
  saveDemo->add_option("FILE", options->file, "The file to write: an event-array file (created or updated), or with "
                                              "--mix a mix (created or replaced)")
      ->required();
  saveDemo->add_option("--events", options->events, "Events file: time,path,proc,control,value per line")
      ->capture_default_str();
  CLI::Option* mix = saveDemo->add_flag(
      "--mix", options->mix,
      "Write a whole mix: the events plus the members of a new mix on this console (current snapshot version, one "
      "link per path, no gangs, zero parameters); structured unless --compressed");
  saveDemo->add_flag("--compressed", options->compressed, "With --mix, write a compressed mix (AUTXFILE)")->needs(mix);
  saveDemo->callback([options] { ThrowOnFailure(RunSaveDemo(*options)); });
}

}  // namespace mixauto
