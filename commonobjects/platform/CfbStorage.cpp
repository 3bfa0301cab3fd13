// CompoundStorage and CompoundStream over a CfbContainer, and the functions that open files.
#include <cstdint>
#include <cstring>
#include <functional>

#include "commonobjects/platform/CompoundFile.h"
#include "commonobjects/platform/internal/CfbContainer.h"
#include "commonobjects/platform/internal/CfbNames.h"

namespace commonobjects::platform {
namespace {

using cfb::CfbContainer;

StgStatus Refuse(StgStatus::Code code, std::string message) { return {code, std::move(message)}; }

bool AllowsWriting(uint32_t mode) { return (mode & 3) == STGM_WRITE || (mode & 3) == STGM_READWRITE; }
bool ValidAccess(uint32_t mode) { return (mode & 3) != 3; }

StgStatus FromFileStatus(const FileStatus& status) {
  switch (status.code) {
    case FileStatus::kOk: return StgStatus::Ok();
    case FileStatus::kNotFound: return Refuse(StgStatus::kFileNotFound, status.message);
    case FileStatus::kAccessDenied: return Refuse(StgStatus::kAccessDenied, status.message);
    case FileStatus::kInUse: return Refuse(StgStatus::kInUse, status.message);
    case FileStatus::kOther: break;
  }
  return Refuse(StgStatus::kIoError, status.message);
}

class CfbStream final : public CompoundStream {
 public:
  CfbStream(std::shared_ptr<CfbContainer> container, uint32_t node, bool writable)
      : container_(std::move(container)), node_(node), writable_(writable) {
    ++container_->Node(node_).openCount;
  }
  ~CfbStream() override { Close(); }

  StgStatus Read(void* buffer, uint32_t count, uint32_t* bytesRead) override {
    *bytesRead = 0;
    if (closed_) return Closed();
    size_t got = 0;
    StgStatus status = container_->ReadStream(node_, position_, buffer, count, &got);
    position_ += got;
    *bytesRead = static_cast<uint32_t>(got);
    return status;
  }
  StgStatus Write(const void* data, uint32_t count, uint32_t* bytesWritten) override {
    *bytesWritten = 0;
    if (closed_) return Closed();
    if (!writable_) return Refuse(StgStatus::kAccessDenied, "the stream was opened for reading");
    StgStatus status = container_->MakePending(node_);
    if (status.IsOk()) status = container_->WriteStream(node_, position_, data, count);
    if (!status.IsOk()) return status;
    position_ += count;
    *bytesWritten = count;
    return status;
  }
  StgStatus WriteInPlace(uint64_t count, const FillPiece& fill) override {
    if (closed_) return Closed();
    if (!writable_) return Refuse(StgStatus::kAccessDenied, "the stream was opened for reading");
    if (count > SIZE_MAX) return Refuse(StgStatus::kIoError, "the content does not fit in memory");
    StgStatus status = container_->MakePending(node_);
    if (status.IsOk()) status = container_->FillStream(node_, position_, count, fill);
    if (status.IsOk()) position_ += count;
    return status;
  }
  StgStatus Seek(uint64_t position) override {
    if (closed_) return Closed();
    position_ = position;
    return StgStatus::Ok();
  }
  uint64_t Length() const override { return container_->StreamSize(node_); }
  StgStatus Close() override {
    if (!closed_) --container_->Node(node_).openCount;
    closed_ = true;
    return StgStatus::Ok();
  }

 private:
  static StgStatus Closed() { return Refuse(StgStatus::kInvalidArgument, "the stream is closed"); }

  std::shared_ptr<CfbContainer> container_;
  uint32_t node_;
  bool writable_;
  bool closed_ = false;
  uint64_t position_ = 0;
};

class CfbStorage final : public CompoundStorage {
 public:
  CfbStorage(std::shared_ptr<CfbContainer> container, uint32_t node)
      : container_(std::move(container)), node_(node) {}
  ~CfbStorage() override { Release(); }

  StgStatus Release() override {
    if (released_) return StgStatus::Ok();
    released_ = true;
    return node_ == 0 ? container_->Close() : StgStatus::Ok();
  }
  void Abandon() override {
    if (released_) return;
    released_ = true;
    if (node_ == 0) container_->Abandon();
  }
  StgStatus Commit() override { return node_ == 0 ? container_->Commit() : StgStatus::Ok(); }

  StgStatus CreateStream(std::string_view name, uint32_t mode, std::unique_ptr<CompoundStream>* out) override;
  StgStatus OpenStream(std::string_view name, uint32_t mode, std::unique_ptr<CompoundStream>* out) override;
  StgStatus OpenStorage(std::string_view name, uint32_t mode, std::unique_ptr<CompoundStorage>* out) override;
  std::vector<StorageEntry> List() const override;

 private:
  // Ok with the child's node when `name` is a valid name of an existing child.
  StgStatus Find(std::string_view name, uint32_t* child) const;

  std::shared_ptr<CfbContainer> container_;
  uint32_t node_;
  bool released_ = false;
};

StgStatus CfbStorage::Find(std::string_view name, uint32_t* child) const {
  const std::u16string wide = cfb::NameFromAnsi(name);
  if (!cfb::IsValidName(wide)) return Refuse(StgStatus::kInvalidArgument, "bad name \"" + std::string(name) + "\"");
  StgStatus status = container_->Usable();
  if (!status.IsOk()) return status;
  *child = cfb::FindChild(container_->Nodes(), node_, wide);
  if (*child == cfb::kNoEntry) return Refuse(StgStatus::kNotFound, "no entry \"" + std::string(name) + "\"");
  return StgStatus::Ok();
}

StgStatus CfbStorage::CreateStream(std::string_view name, uint32_t mode, std::unique_ptr<CompoundStream>* out) {
  const std::u16string wide = cfb::NameFromAnsi(name);
  if (!cfb::IsValidName(wide)) return Refuse(StgStatus::kInvalidArgument, "bad stream name \"" + std::string(name) + "\"");
  if (!AllowsWriting(mode)) return Refuse(StgStatus::kInvalidArgument, "a stream is created for writing");
  if (released_) return Refuse(StgStatus::kIoError, "the storage has been released");
  if (node_ != 0 || !container_->Writable()) return Refuse(StgStatus::kAccessDenied, "the storage is read-only");
  if (!(mode & STGM_CREATE) && cfb::FindChild(container_->Nodes(), node_, wide) != cfb::kNoEntry) {
    return Refuse(StgStatus::kAlreadyExists, "\"" + std::string(name) + "\" exists");
  }
  uint32_t node = 0;
  StgStatus status = container_->CreateStream(node_, wide, &node);
  if (status.IsOk()) *out = std::make_unique<CfbStream>(container_, node, true);
  return status;
}

StgStatus CfbStorage::OpenStream(std::string_view name, uint32_t mode, std::unique_ptr<CompoundStream>* out) {
  if (!ValidAccess(mode)) return Refuse(StgStatus::kInvalidArgument, "bad access mode");
  if (released_) return Refuse(StgStatus::kIoError, "the storage has been released");
  uint32_t child = 0;
  StgStatus status = Find(name, &child);
  if (!status.IsOk()) return status;
  const cfb::CfbNode& node = container_->Nodes()[child];
  if (node.IsStorage()) return Refuse(StgStatus::kNotFound, "\"" + std::string(name) + "\" is a storage");
  if (node.openCount > 0) return Refuse(StgStatus::kInUse, "stream \"" + std::string(name) + "\" is open");
  const bool writing = AllowsWriting(mode);
  if (writing && (node_ != 0 || !container_->Writable())) {
    return Refuse(StgStatus::kAccessDenied, "the storage is read-only");
  }
  if (writing) status = container_->MakePending(child);
  if (status.IsOk()) *out = std::make_unique<CfbStream>(container_, child, writing);
  return status;
}

StgStatus CfbStorage::OpenStorage(std::string_view name, uint32_t mode, std::unique_ptr<CompoundStorage>* out) {
  if (!ValidAccess(mode)) return Refuse(StgStatus::kInvalidArgument, "bad access mode");
  if (AllowsWriting(mode)) return Refuse(StgStatus::kAccessDenied, "child storages open for reading only");
  if (released_) return Refuse(StgStatus::kIoError, "the storage has been released");
  uint32_t child = 0;
  StgStatus status = Find(name, &child);
  if (!status.IsOk()) return status;
  if (!container_->Nodes()[child].IsStorage()) {
    return Refuse(StgStatus::kNotFound, "\"" + std::string(name) + "\" is a stream");
  }
  *out = std::make_unique<CfbStorage>(container_, child);
  return StgStatus::Ok();
}

std::vector<StorageEntry> CfbStorage::List() const {
  std::vector<StorageEntry> entries;
  if (released_) return entries;
  for (uint32_t child : container_->Nodes()[node_].children) {
    const cfb::CfbNode& node = container_->Nodes()[child];
    StorageEntry entry;
    entry.name = cfb::NameToAnsi(node.entry.name);
    entry.isStorage = node.IsStorage();
    entry.size = entry.isStorage ? 0 : container_->StreamSize(child);
    entries.push_back(std::move(entry));
  }
  return entries;
}

StgStatus Wrap(StgStatus status, std::unique_ptr<CfbContainer> container, std::unique_ptr<CompoundStorage>* out) {
  if (status.IsOk()) *out = std::make_unique<CfbStorage>(std::shared_ptr<CfbContainer>(std::move(container)), 0);
  return status;
}

}  // namespace

StgStatus StgIsStorageFile(const std::string& path) {
  std::unique_ptr<RandomAccessFile> file;
  StgStatus status = FromFileStatus(OpenRandomAccessFile(path, FileMode::kRead, FileShare::kShared, &file));
  if (!status.IsOk()) return status;
  uint8_t bytes[cfb::kHeaderSize];
  size_t got = 0;
  status = FromFileStatus(file->ReadAt(0, bytes, sizeof bytes, &got));
  if (!status.IsOk()) return status;
  if (got < sizeof bytes || std::memcmp(bytes, cfb::kSignature, sizeof cfb::kSignature) != 0) {
    return Refuse(StgStatus::kNotCompoundFile, "'" + path + "' is not a compound file");
  }
  return StgStatus::Ok();
}

StgStatus CompoundStorage::Create(const std::string& path, uint32_t mode, std::unique_ptr<CompoundStorage>* out) {
  if (!ValidAccess(mode) || !AllowsWriting(mode)) {
    return Refuse(StgStatus::kInvalidArgument, "a compound file is created for writing");
  }
  if (!(mode & STGM_CREATE) && FileExists(path)) {
    return Refuse(StgStatus::kAlreadyExists, "'" + path + "' exists");
  }
  std::unique_ptr<RandomAccessFile> file;
  StgStatus status = FromFileStatus(OpenRandomAccessFile(path, FileMode::kCreateAlways, FileShare::kExclusive, &file));
  if (!status.IsOk()) return status;
  return Create(std::move(file), out);
}

StgStatus CompoundStorage::Open(const std::string& path, uint32_t mode, std::unique_ptr<CompoundStorage>* out) {
  if (!ValidAccess(mode)) return Refuse(StgStatus::kInvalidArgument, "bad access mode");
  std::unique_ptr<RandomAccessFile> file;
  const FileMode fileMode = AllowsWriting(mode) ? FileMode::kReadWrite : FileMode::kRead;
  StgStatus status = FromFileStatus(OpenRandomAccessFile(path, fileMode, FileShare::kExclusive, &file));
  if (!status.IsOk()) return status;
  return Open(std::move(file), mode, out);
}

StgStatus CompoundStorage::Create(std::unique_ptr<RandomAccessFile> file, std::unique_ptr<CompoundStorage>* out) {
  std::unique_ptr<CfbContainer> container;
  StgStatus status = CfbContainer::Initialize(std::move(file), &container);
  return Wrap(std::move(status), std::move(container), out);
}

StgStatus CompoundStorage::Open(std::unique_ptr<RandomAccessFile> file, uint32_t mode,
                                std::unique_ptr<CompoundStorage>* out) {
  if (!ValidAccess(mode)) return Refuse(StgStatus::kInvalidArgument, "bad access mode");
  std::unique_ptr<CfbContainer> container;
  StgStatus status = CfbContainer::Load(std::move(file), AllowsWriting(mode), &container);
  return Wrap(std::move(status), std::move(container), out);
}

}  // namespace commonobjects::platform
