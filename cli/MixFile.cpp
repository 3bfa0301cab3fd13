#include "MixFile.h"

#include <algorithm>
#include <set>
#include <vector>

#include "CompressedChunks.h"
#include "Text.h"
#include "commonobjects/console/ConsoleLayout.h"
#include "commonobjects/files/CompressedAutoFile.h"
#include "commonobjects/package/MixLayout.h"
#include "commonobjects/platform/CompoundFile.h"
#include "commonobjects/platform/File.h"

namespace mixauto {

namespace platform = commonobjects::platform;

namespace {

bool HasMixStream(const std::string& native) {
  std::unique_ptr<platform::CompoundStorage> storage;
  if (!platform::CompoundStorage::Open(native, platform::STGM_SHARE_EXCLUSIVE | platform::STGM_READ, &storage).IsOk()) {
    return false;
  }
  for (const platform::StorageEntry& entry : storage->List()) {
    if (!entry.isStorage && MixLayout::IsMixStream(entry.name)) return true;
  }
  return false;
}


}  // namespace

std::string PathsOfMode(int32_t mode) { return std::to_string(CConsoleLayout::PathsForMode(mode)); }

FileKind DetectFileKind(const std::string& native) {
  if (!platform::FileExists(native)) return FileKind::kMissing;
  if (IsCompressedAutoFile(native)) return FileKind::kCompressedMix;
  if (!platform::StgIsStorageFile(native).IsOk()) return FileKind::kOther;
  return HasMixStream(native) ? FileKind::kStructuredMix : FileKind::kEventArray;
}

const char* PathsModeName(int32_t mode) {
  switch (mode) {
    case 0: return "256 paths, 8-bit path records";
    case 1: return "500 paths, 16-bit path records";
    case 2: return "2000 paths, 16-bit path records";
    default: return "not a max paths mode; read as 16-bit path records";
  }
}

const char* MixFormName(bool compressed) { return compressed ? "compressed mix" : "structured mix"; }

std::unique_ptr<CAutomationPackage> LoadMix(const std::string& native, HWND status) {
  auto mix = std::make_unique<CAutomationPackage>();
  mix->SetNotifyOnDestruction(false);
  mix->SetStatusWnd(status);
  mix->SetFileName(native);
  mix->Load();
  return mix;
}

std::string PathModeMismatch(int32_t fileMode, int32_t ownMode) {
  return "its events were written in max paths mode " + std::to_string(fileMode) + " (" + PathsOfMode(fileMode) +
         " paths) and this console is in mode " + std::to_string(ownMode) + " (" + PathsOfMode(ownMode) +
         " paths); set \"Max Paths Mode\" under HKLM\\Software\\QRX Tarn Tavmir\\Main to " +
         std::to_string(fileMode) + " (see mixauto registry set) to work on it";
}

std::string EventsProblem(const CAutomationPackage& mix) {
  const PackageLoadReportStructure& report = mix.GetLoadReport();
  if (!report.Opened) {
    return mix.IsCompressedFile() ? "it does not open as a compressed mix (its header is not valid)"
                                  : "it does not open as a structured mix (the compound file cannot be read)";
  }
  if (report.EventsLoaded) return "";
  const int32_t own = mix.GetMaxPathsMode();
  if (!mix.IsCompressedFile() && report.EventMode > 0 && report.EventMode != own &&
      !(own == 2 && report.EventMode == 1)) {
    return PathModeMismatch(report.EventMode, own);
  }
  return mix.IsCompressedFile()
             ? "its events could not be read: block 1 is missing or damaged (try mixauto check on it)"
             : "its events could not be read: the \"AutomationData\" stream is missing or damaged (try mixauto "
               "check on it)";
}

std::string SaveProblem(const CAutomationPackage& mix) {
  std::string problem = EventsProblem(mix);
  if (!problem.empty()) return problem;
  const std::vector<std::string>& unreadable = mix.GetLoadReport().Unreadable;
  return unreadable.empty() ? "" : "some of its members could not be read (" + JoinedWithCommas(unreadable) + ")";
}

std::string SaveMixInto(CAutomationPackage& mix, const std::string& out, bool compressed) {
  mix.SetFileName(out);
  if (mix.Save(compressed ? 1 : 0) != 0) return "";
  return compressed ? "could not write the compressed mix (is the folder there and writable, the disk full?)"
                    : "could not save the mix into it (is it in use, its folder read-only, the disk full?)";
}

std::string ReplaceFile(const std::string& out, const std::string& basis,
                        const std::function<bool(const std::string& temporary)>& save) {
  platform::RemoveAbandonedTemporaries(out);
  const std::string temporary = platform::TemporaryNameBeside(out);
  platform::FileStatus status = platform::FileStatus::Ok();
  if (!basis.empty()) {
    std::vector<uint8_t> bytes;
    status = platform::ReadWholeFile(basis, &bytes);
    platform::File copy;
    if (status.IsOk()) status = copy.Open(temporary, platform::FileMode::kCreateAlways, platform::FileShare::kExclusive);
    if (status.IsOk()) status = copy.Write(bytes.data(), bytes.size());
    if (status.IsOk()) status = copy.Sync();
    const platform::FileStatus closed = copy.Close();
    if (status.IsOk()) status = closed;
  }
  std::string problem = status.IsOk() ? "" : status.message;
  if (problem.empty() && save && !save(temporary)) problem = "could not save into " + temporary;
  if (problem.empty()) {
    status = platform::RenameFile(temporary, out);
    if (!status.IsOk()) problem = status.message;
  }
  if (problem.empty()) {
    platform::SyncDirectory(platform::FolderOf(out));
  } else {
    platform::DeleteFile(temporary);
  }
  return problem;
}

std::string WriteMix(CAutomationPackage& mix, const std::string& out, bool compressed) {
  if (compressed || DetectFileKind(out) == FileKind::kStructuredMix) return SaveMixInto(mix, out, compressed);
  return ReplaceFile(out, "", [&mix](const std::string& temporary) {
    return SaveMixInto(mix, temporary, false).empty();
  });
}

}  // namespace mixauto
