// Save and Load by file name: the lock and the idle flag, the choice of form, and the one
// transaction of a save.
//
//   structured:  open (or create) the compound file -> write every stream -> commit once;
//                any failure abandons the session, so the file keeps its last committed mix
//   compressed:  write a new file beside the mix -> sync -> rename it over the mix; any
//                failure removes the new file, so the old mix stays
#include <memory>
#include <string>

#include "commonobjects/files/CompressedAutoFile.h"
#include "commonobjects/files/internal/StreamIo.h"
#include "commonobjects/package/AutomationPackage.h"
#include "commonobjects/package/internal/BusyScope.h"
#include "commonobjects/platform/CompoundFile.h"
#include "commonobjects/platform/FileReplacement.h"
#include "commonobjects/platform/WindowsDrive.h"

namespace {

constexpr int32_t kSaveFailed = 5;

using commonobjects::platform::CompoundStorage;
using commonobjects::platform::RandomAccessFile;

}  // namespace

int CAutomationPackage::Save(int compressed) {
  BusyScope busy(*this);
  const int result = compressed != 0 ? SaveCompressedFile() : SaveStructuredFile();
  ErrorState = result != 0 ? 0 : kSaveFailed;
  return result;
}

int CAutomationPackage::SaveStructuredFile() {
  std::unique_ptr<CompoundStorage> storage = commonobjects::files::OpenStorageForWriting(FileName);
  return storage ? CommitStructured(*storage) : 0;
}

int CAutomationPackage::CommitStructured(CompoundStorage& storage) {
  if (WriteStructured(storage) == 0) {
    storage.Abandon();
    return 0;
  }
  return storage.Release().IsOk() ? 1 : 0;
}

int CAutomationPackage::SaveCompressedFile() {
  const std::string native = commonobjects::platform::MapWindowsPath(FileName);
  std::unique_ptr<commonobjects::platform::FileReplacement> replacement;
  std::unique_ptr<RandomAccessFile> written;
  if (!commonobjects::platform::FileReplacement::Begin(native, &replacement, &written).IsOk()) return 0;
  CCompressedAutoFile file;
  if (!file.OpenFile(std::move(written))) return 0;
  const int result = WriteCompressed(file);
  file.CloseFile();
  if (result == 0 || file.WriteFailed()) return 0;
  return replacement->Commit().IsOk() ? 1 : 0;
}

void CAutomationPackage::Load() {
  BusyScope busy(*this);
  SnapshotAppendPending = 0;
  const std::string native = commonobjects::platform::MapWindowsPath(FileName);
  LoadReport = {};
  if (IsCompressedAutoFile(native)) {
    CompressedFile = 1;
    std::unique_ptr<RandomAccessFile> opened;
    CCompressedAutoFile file;
    if (commonobjects::platform::OpenRandomAccessFile(native, commonobjects::platform::FileMode::kRead,
                                                      commonobjects::platform::FileShare::kShared, &opened)
            .IsOk() &&
        file.OpenFile(std::move(opened))) {
      ReadCompressed(file);
    }
  } else {
    CompressedFile = 0;
    if (std::unique_ptr<CompoundStorage> storage = commonobjects::files::OpenStorageForReading(FileName)) {
      ReadStructured(*storage);
      storage->Release();
    }
  }
  if (LoadReport.Opened) StampModificationTime();
}

int CAutomationPackage::SaveTo(CompoundStorage& storage) {
  BusyScope busy(*this);
  return CommitStructured(storage);
}

int CAutomationPackage::SaveTo(CCompressedAutoFile& file) {
  BusyScope busy(*this);
  return WriteCompressed(file);
}

void CAutomationPackage::LoadFrom(CompoundStorage& storage) {
  BusyScope busy(*this);
  SnapshotAppendPending = 0;
  CompressedFile = 0;
  ReadStructured(storage);
  StampModificationTime();
}

void CAutomationPackage::LoadFrom(CCompressedAutoFile& file) {
  BusyScope busy(*this);
  SnapshotAppendPending = 0;
  CompressedFile = 1;
  ReadCompressed(file);
  if (LoadReport.Opened) StampModificationTime();
}
