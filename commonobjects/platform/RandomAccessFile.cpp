#include "commonobjects/platform/RandomAccessFile.h"

#include <algorithm>
#include <cstring>

namespace commonobjects::platform {
namespace {

// A disk file through File: each call seeks, then reads or writes.
class DiskFile : public RandomAccessFile {
 public:
  explicit DiskFile(File file) : file_(std::move(file)) {}

  FileStatus ReadAt(uint64_t offset, void* buffer, size_t count, size_t* bytesRead) override {
    *bytesRead = 0;
    FileStatus status = file_.Seek(static_cast<int64_t>(offset), SeekOrigin::kBegin);
    return status.IsOk() ? file_.Read(buffer, count, bytesRead) : status;
  }
  FileStatus WriteAt(uint64_t offset, const void* data, size_t count) override {
    FileStatus status = file_.Seek(static_cast<int64_t>(offset), SeekOrigin::kBegin);
    return status.IsOk() ? file_.Write(data, count) : status;
  }
  FileStatus Size(uint64_t* size) override { return file_.Size(size); }
  FileStatus Sync() override { return file_.Sync(); }
  std::string Name() const override { return file_.Path(); }

 private:
  File file_;
};

}  // namespace

FileStatus OpenRandomAccessFile(const std::string& path, FileMode mode, FileShare share,
                                std::unique_ptr<RandomAccessFile>* out) {
  File file;
  FileStatus status = file.Open(path, mode, share);
  if (status.IsOk()) *out = std::make_unique<DiskFile>(std::move(file));
  return status;
}

MemoryFile::MemoryFile(std::shared_ptr<std::vector<uint8_t>> bytes, std::string name)
    : bytes_(bytes ? std::move(bytes) : std::make_shared<std::vector<uint8_t>>()), name_(std::move(name)) {}

FileStatus MemoryFile::ReadAt(uint64_t offset, void* buffer, size_t count, size_t* bytesRead) {
  *bytesRead = 0;
  if (offset >= bytes_->size()) return FileStatus::Ok();
  const size_t n = std::min<uint64_t>(count, bytes_->size() - offset);
  std::memcpy(buffer, bytes_->data() + offset, n);
  *bytesRead = n;
  return FileStatus::Ok();
}

FileStatus MemoryFile::WriteAt(uint64_t offset, const void* data, size_t count) {
  if (count == 0) return FileStatus::Ok();
  if (offset + count > bytes_->size()) bytes_->resize(offset + count);
  std::memcpy(bytes_->data() + offset, data, count);
  return FileStatus::Ok();
}

FileStatus MemoryFile::Size(uint64_t* size) {
  *size = bytes_->size();
  return FileStatus::Ok();
}

}  // namespace commonobjects::platform
