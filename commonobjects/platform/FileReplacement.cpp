#include "commonobjects/platform/FileReplacement.h"

#include <sys/stat.h>

#include <utility>

namespace commonobjects::platform {

FileReplacement::FileReplacement(std::string path, std::string temporary)
    : path_(std::move(path)), temporary_(std::move(temporary)) {}

FileStatus FileReplacement::Begin(const std::string& path, std::unique_ptr<FileReplacement>* out,
                                  std::unique_ptr<RandomAccessFile>* file) {
  RemoveAbandonedTemporaries(path);
  std::string temporary = TemporaryNameBeside(path);
  std::unique_ptr<RandomAccessFile> opened;
  FileStatus status = OpenRandomAccessFile(temporary, FileMode::kCreateAlways, FileShare::kExclusive, &opened);
  if (!status.IsOk()) return status;
  struct stat existing {};
  if (::stat(path.c_str(), &existing) == 0) ::chmod(temporary.c_str(), existing.st_mode & 07777);
  out->reset(new FileReplacement(path, std::move(temporary)));
  *file = std::move(opened);
  return FileStatus::Ok();
}

FileReplacement::~FileReplacement() {
  if (pending_) static_cast<void>(DeleteFile(temporary_));
}

FileStatus FileReplacement::Commit() {
  File written;
  FileStatus status = written.Open(temporary_, FileMode::kReadWrite);
  if (status.IsOk()) status = written.Sync();
  if (status.IsOk()) status = written.Close();
  if (status.IsOk()) status = RenameFile(temporary_, path_);
  if (!status.IsOk()) return status;
  pending_ = false;
  return SyncDirectory(FolderOf(path_));
}

}  // namespace commonobjects::platform
