// The event-array file: CAutomationEventArray's Save, Load and their helpers.
//
// A compound file with the streams "Path Mode" (the writer's max paths mode), "AutomationData"
// (20 bytes per event), "File Version" (1.4 and the local time) and "Time And Date"; any other
// stream in the file belongs to another writer and is kept. Byte layout:
// doc/formats/event-array-file.md.
//
// A save is one storage session: the streams it writes become durable together when the
// storage commits, so a save that is interrupted, or whose events cannot be written, leaves
// the file as it was before. Names are Windows paths as the hosts give them ("C:\Mixes\a.mix")
// or native paths.
#include <memory>
#include <string>

#include "commonobjects/eventstore/AutomationEventArray.h"
#include "commonobjects/files/CompressedAutoFile.h"
#include "commonobjects/files/internal/EventRecords.h"
#include "commonobjects/files/internal/StreamIo.h"
#include "commonobjects/platform/CompoundFile.h"
#include "commonobjects/platform/WindowsDrive.h"

namespace {

using commonobjects::files::kAutomationDataStream;
using commonobjects::files::kCreateMode;
using commonobjects::files::kReadMode;
using commonobjects::files::kWriteMode;
using commonobjects::files::PathWidth;
using commonobjects::platform::CompoundStorage;
using commonobjects::platform::StgStatus;

using commonobjects::files::OpenStorageForReading;
using commonobjects::files::OpenStorageForWriting;

// Commits what the session wrote and closes the file: the session's result, or 0 when the
// commit failed (the file then holds what it held before the session).
int Finish(std::unique_ptr<CompoundStorage> storage, int result) {
  return storage->Release().IsOk() ? result : 0;
}

// The events in one session: "Path Mode" first when a mode is given (its outcome does not
// count), then the event stream, then the version streams.
int WriteEventFile(const std::string& name, const int32_t* pathMode, const std::string& streamName,
                   PathWidth width, const CAutomationEventArray& array) {
  std::unique_ptr<CompoundStorage> storage = OpenStorageForWriting(name);
  if (!storage) return 0;
  const int result = pathMode != nullptr
                         ? commonobjects::files::WriteEventFileStreams(*storage, array, *pathMode)
                         : commonobjects::files::SaveEventStream(*storage, streamName, width, array);
  commonobjects::files::WriteVersionStreams(*storage);
  return Finish(std::move(storage), result);
}

int ReadEventFile(const std::string& name, const std::string& streamName, PathWidth width,
                  CAutomationEventArray& array) {
  std::unique_ptr<CompoundStorage> storage = OpenStorageForReading(name);
  if (!storage) return 0;
  const int result = commonobjects::files::LoadEventStream(*storage, streamName, width, array);
  storage->Release();  // nothing to commit after reading
  return result;
}

// Whether an array of max paths mode `arrayMode` can take a file's records: the same mode,
// or the 500 paths of mode 1 inside the 2000 of mode 2.
bool AcceptsFileMode(int32_t arrayMode, int32_t fileMode) {
  return fileMode == arrayMode || (arrayMode == 2 && fileMode == 1);
}

}  // namespace

namespace commonobjects::files {

int WriteEventFileStreams(CompoundStorage& storage, const CAutomationEventArray& array, int32_t mode) {
  WritePathModeStream(storage, mode);
  return SaveEventStream(storage, kAutomationDataStream, PathWidthForMode(mode), array);
}

int ReadEventFileStreams(CompoundStorage& storage, CAutomationEventArray& array, int32_t arrayMode, int32_t* mode) {
  int32_t fileMode = -1;
  if (!ReadPathModeStream(storage, &fileMode)) {
    *mode = 0;  // a file from before path modes: 256 paths
    return LoadEventStream(storage, kAutomationDataStream, PathWidth::kNarrow, array);
  }
  *mode = fileMode;
  if (fileMode == 0) return LoadEventStream(storage, kAutomationDataStream, PathWidth::kNarrow, array);
  if (!AcceptsFileMode(arrayMode, fileMode)) return 0;
  return LoadEventStream(storage, kAutomationDataStream, PathWidth::kWide, array);
}

}  // namespace commonobjects::files

int CAutomationEventArray::Save(const std::string& name) const {
  const int32_t mode = CConsoleLayout().GetMaxPathsMode();
  return WriteEventFile(name, &mode, kAutomationDataStream, commonobjects::files::PathWidthForMode(mode), *this);
}

int CAutomationEventArray::SaveNarrowPathData(const std::string& name, const std::string& streamName,
                                              const CAutomationEventArray& array) {
  return WriteEventFile(name, nullptr, streamName, PathWidth::kNarrow, array);
}

int CAutomationEventArray::WritePathMode(const std::string& name, int32_t mode) const {
  if (IsCompressedAutoFile(name)) return 0;  // the compressed form keeps its mode in its header
  std::unique_ptr<CompoundStorage> storage = OpenStorageForWriting(name);
  if (!storage) return 0;
  const int result = commonobjects::files::WritePathModeStream(*storage, mode) ? 1 : 0;
  commonobjects::files::WriteVersionStreams(*storage);
  return Finish(std::move(storage), result);
}

int CAutomationEventArray::ReadPathMode(const std::string& name, int32_t& mode) const {
  mode = -1;
  if (IsCompressedAutoFile(name)) {
    CCompressedAutoFile file;
    if (!file.OpenFile(name)) return 0;
    mode = file.PathsMode;
    file.CloseFile();
    return 1;
  }
  std::unique_ptr<CompoundStorage> storage = OpenStorageForReading(name);
  if (!storage) return 0;
  const bool found = commonobjects::files::ReadPathModeStream(*storage, &mode);
  storage->Release();
  return found ? 1 : 0;
}

int CAutomationEventArray::LoadNarrowPathData(const std::string& name, const std::string& streamName,
                                              CAutomationEventArray& array) {
  return ReadEventFile(name, streamName, PathWidth::kNarrow, array);
}

int CAutomationEventArray::Load(const std::string& name, int32_t& mode) {
  if (IsCompressedAutoFile(name)) {
    // Its mode is in its header, but its events are the mix's business: no compound file.
    int32_t fileMode = -1;
    mode = ReadPathMode(name, fileMode) != 0 ? fileMode : 0;
    return 0;
  }
  std::unique_ptr<CompoundStorage> storage = OpenStorageForReading(name);
  if (!storage) {
    mode = 0;
    return 0;
  }
  const int result = commonobjects::files::ReadEventFileStreams(*storage, *this, CConsoleLayout().GetMaxPathsMode(), &mode);
  storage->Release();
  return result;
}

int CAutomationEventArray::Load(const std::string& name) {
  int32_t mode = 0;
  return Load(name, mode);
}
