#include "support/FaultInjectingFile.h"

#include <algorithm>
#include <cerrno>

namespace testsupport {

using commonobjects::platform::FileStatus;

FaultInjectingFile::FaultInjectingFile(std::unique_ptr<commonobjects::platform::RandomAccessFile> inner,
                                       Mode mode, int k, size_t cutBytes)
    : inner_(std::move(inner)), mode_(mode), k_(k), cutBytes_(cutBytes) {}

FileStatus FaultInjectingFile::Dead() const { return FileStatus::FromError(EIO, "injected fault", Name()); }

FileStatus FaultInjectingFile::ReadAt(uint64_t offset, void* buffer, size_t count, size_t* bytesRead) {
  return inner_->ReadAt(offset, buffer, count, bytesRead);
}

FileStatus FaultInjectingFile::WriteAt(uint64_t offset, const void* data, size_t count) {
  if (dead_) return Dead();
  ++writes_;
  log_.emplace_back(offset, count);
  if (writes_ == k_ && mode_ == Mode::kFailWrite) {
    dead_ = true;
    return Dead();
  }
  if (writes_ == k_ && mode_ == Mode::kCutWrite) {
    dead_ = true;
    inner_->WriteAt(offset, data, std::min(count, cutBytes_));
    return Dead();
  }
  return inner_->WriteAt(offset, data, count);
}

FileStatus FaultInjectingFile::Size(uint64_t* size) { return inner_->Size(size); }

FileStatus FaultInjectingFile::Sync() {
  if (dead_) return Dead();
  ++syncs_;
  if (syncs_ == k_ && mode_ == Mode::kFailSync) {
    dead_ = true;
    return Dead();
  }
  return inner_->Sync();
}

}  // namespace testsupport
