#include "commonobjects/platform/File.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <memory>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

namespace commonobjects::platform {

namespace {

FileStatus::Code CodeOf(int error) {
  switch (error) {
    case 0: return FileStatus::kOk;
    case ENOENT:
    case ENOTDIR: return FileStatus::kNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: return FileStatus::kAccessDenied;
    case EWOULDBLOCK: return FileStatus::kInUse;
    default: return FileStatus::kOther;
  }
}

FileStatus Failure(FileStatus::Code code, int error, std::string_view operation, std::string_view path,
                   std::string_view text) {
  std::string message;
  message.append(operation).append(" '").append(path).append("': ").append(text);
  return FileStatus{code, error, std::move(message)};
}

int OpenFlags(FileMode mode) {
  switch (mode) {
    case FileMode::kRead: return O_RDONLY;
    case FileMode::kReadWrite: return O_RDWR;
    case FileMode::kCreateAlways:
    case FileMode::kOpenAlways: return O_RDWR | O_CREAT;
  }
  return O_RDONLY;
}

// Closes a descriptor unless it is released to its next owner.
class Descriptor {
 public:
  explicit Descriptor(int descriptor) : descriptor_(descriptor) {}
  ~Descriptor() {
    if (descriptor_ >= 0) ::close(descriptor_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int Get() const { return descriptor_; }
  int Release() { return std::exchange(descriptor_, -1); }

 private:
  int descriptor_;
};

int OpenRetrying(const std::string& path, int flags) {
  int descriptor;
  do {
    descriptor = ::open(path.c_str(), flags | O_CLOEXEC, 0666);
  } while (descriptor < 0 && errno == EINTR);
  return descriptor;
}

FileStatus WriteAll(int descriptor, const void* data, size_t count, const std::string& path) {
  const char* bytes = static_cast<const char*>(data);
  while (count > 0) {
    ssize_t written = ::write(descriptor, bytes, count);
    if (written < 0) {
      if (errno == EINTR) continue;
      return FileStatus::FromError(errno, "write", path);
    }
    bytes += written;
    count -= static_cast<size_t>(written);
  }
  return FileStatus::Ok();
}

}  // namespace

FileStatus FileStatus::FromError(int error, std::string_view operation, std::string_view path) {
  Code code = CodeOf(error);
  if (code == kInUse) return Failure(code, error, operation, path, "in use by another handle");
  return Failure(code, error, operation, path, SystemErrorText(error));
}

std::string SystemErrorText(int error) { return std::system_category().message(error); }

File::~File() { Close(); }

File::File(File&& other) noexcept
    : descriptor_(std::exchange(other.descriptor_, -1)), mode_(other.mode_), path_(std::move(other.path_)) {}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    Close();
    descriptor_ = std::exchange(other.descriptor_, -1);
    mode_ = other.mode_;
    path_ = std::move(other.path_);
  }
  return *this;
}

FileStatus File::Open(const std::string& path, FileMode mode, FileShare share) {
  Close();
  Descriptor opened(OpenRetrying(path, OpenFlags(mode)));
  if (opened.Get() < 0) return FileStatus::FromError(errno, "open", path);
  struct stat info {};
  if (::fstat(opened.Get(), &info) != 0) return FileStatus::FromError(errno, "open", path);
  if (S_ISDIR(info.st_mode)) return FileStatus::FromError(EISDIR, "open", path);
  if (share == FileShare::kExclusive && ::flock(opened.Get(), LOCK_EX | LOCK_NB) != 0) {
    return FileStatus::FromError(errno, "open", path);
  }
  // Emptied only now, so that a file another handle holds is never cut.
  if (mode == FileMode::kCreateAlways && ::ftruncate(opened.Get(), 0) != 0) {
    return FileStatus::FromError(errno, "empty", path);
  }
  descriptor_ = opened.Release();
  mode_ = mode;
  path_ = path;
  return FileStatus::Ok();
}

FileStatus File::Read(void* buffer, size_t count, size_t* bytesRead) {
  *bytesRead = 0;
  if (!IsOpen()) return NotOpen("read");
  char* bytes = static_cast<char*>(buffer);
  while (*bytesRead < count) {
    ssize_t got = ::read(descriptor_, bytes + *bytesRead, count - *bytesRead);
    if (got < 0) {
      if (errno == EINTR) continue;
      return FileStatus::FromError(errno, "read", path_);
    }
    if (got == 0) break;
    *bytesRead += static_cast<size_t>(got);
  }
  return FileStatus::Ok();
}

FileStatus File::Write(const void* data, size_t count) {
  if (!IsOpen()) return NotOpen("write");
  if (mode_ == FileMode::kRead) {
    return Failure(FileStatus::kAccessDenied, EBADF, "write", path_, "opened for reading only");
  }
  return WriteAll(descriptor_, data, count, path_);
}

FileStatus File::Seek(int64_t offset, SeekOrigin origin, uint64_t* position) {
  if (!IsOpen()) return NotOpen("seek");
  int whence = origin == SeekOrigin::kBegin ? SEEK_SET : origin == SeekOrigin::kCurrent ? SEEK_CUR : SEEK_END;
  off_t reached = ::lseek(descriptor_, static_cast<off_t>(offset), whence);
  if (reached < 0) return FileStatus::FromError(errno, "seek", path_);
  if (position != nullptr) *position = static_cast<uint64_t>(reached);
  return FileStatus::Ok();
}

FileStatus File::Size(uint64_t* size) const {
  if (!IsOpen()) return NotOpen("size");
  struct stat info {};
  if (::fstat(descriptor_, &info) != 0) return FileStatus::FromError(errno, "size", path_);
  *size = static_cast<uint64_t>(info.st_size);
  return FileStatus::Ok();
}

FileStatus File::Sync() {
  if (!IsOpen()) return NotOpen("sync");
  if (::fsync(descriptor_) != 0) return FileStatus::FromError(errno, "sync", path_);
  return FileStatus::Ok();
}

FileStatus File::Close() {
  if (!IsOpen()) return FileStatus::Ok();
  // The descriptor is gone even when close reports an error; it must not be closed twice.
  if (::close(std::exchange(descriptor_, -1)) != 0 && errno != EINTR) {
    return FileStatus::FromError(errno, "close", path_);
  }
  return FileStatus::Ok();
}

FileStatus File::NotOpen(std::string_view operation) const {
  return Failure(FileStatus::kOther, EBADF, operation, path_, "no file is open");
}

FileStatus GetFileAttributes(const std::string& path, FileAttributes* attributes) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return FileStatus::FromError(errno, "examine", path);
  attributes->isDirectory = S_ISDIR(info.st_mode);
  attributes->readOnly = (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
  attributes->size = S_ISREG(info.st_mode) ? static_cast<uint64_t>(info.st_size) : 0;
  return FileStatus::Ok();
}

bool FileExists(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

FileStatus DeleteFile(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
    return FileStatus::FromError(EISDIR, "delete", path);
  }
  if (::unlink(path.c_str()) != 0) return FileStatus::FromError(errno, "delete", path);
  return FileStatus::Ok();
}

FileStatus CreateDirectory(const std::string& path) {
  if (::mkdir(path.c_str(), 0777) == 0) return FileStatus::Ok();
  int error = errno;
  struct stat info {};
  if (error == EEXIST && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
    return FileStatus::Ok();
  }
  return FileStatus::FromError(error, "create folder", path);
}

FileStatus CreateDirectories(const std::string& path) {
  for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
    if (path[slash - 1] == '/') continue;
    FileStatus status = CreateDirectory(path.substr(0, slash));
    if (!status.IsOk()) return status;
  }
  return CreateDirectory(path);
}

FileStatus RenameFile(const std::string& from, const std::string& to) {
  if (::rename(from.c_str(), to.c_str()) != 0) return FileStatus::FromError(errno, "rename '" + from + "' to", to);
  return FileStatus::Ok();
}

FileStatus SyncDirectory(const std::string& path) {
  Descriptor folder(OpenRetrying(path, O_RDONLY | O_DIRECTORY));
  if (folder.Get() < 0) return FileStatus::FromError(errno, "open folder", path);
  if (::fsync(folder.Get()) != 0) return FileStatus::FromError(errno, "sync folder", path);
  return FileStatus::Ok();
}

namespace {

template <typename Bytes>
FileStatus ReadAll(const std::string& path, Bytes* bytes) {
  File file;
  FileStatus status = file.Open(path, FileMode::kRead);
  uint64_t expected = 0;
  if (status.IsOk()) status = file.Size(&expected);
  if (!status.IsOk()) return status;
  // One byte more than the size asks, so that a file that grew meanwhile is read on.
  bytes->resize(static_cast<size_t>(expected) + 1);
  size_t total = 0;
  for (;;) {
    size_t got = 0;
    status = file.Read(bytes->data() + total, bytes->size() - total, &got);
    total += got;
    if (!status.IsOk() || total < bytes->size()) break;
    bytes->resize(bytes->size() * 2);
  }
  bytes->resize(total);
  return status;
}

// Writes the temporary file completely and durably; the caller renames it into place.
// *created tells whether there is a temporary file to remove.
FileStatus WriteTemporary(const std::string& temporary, const std::string& path, const void* data,
                          size_t size, bool* created) {
  Descriptor file(OpenRetrying(temporary, O_WRONLY | O_CREAT | O_EXCL));
  if (file.Get() < 0) return FileStatus::FromError(errno, "create", temporary);
  *created = true;
  struct stat existing {};
  if (::stat(path.c_str(), &existing) == 0) ::fchmod(file.Get(), existing.st_mode & 07777);
  FileStatus status = WriteAll(file.Get(), data, size, temporary);
  if (!status.IsOk()) return status;
  if (::fsync(file.Get()) != 0) return FileStatus::FromError(errno, "sync", temporary);
  if (::close(file.Release()) != 0) return FileStatus::FromError(errno, "close", temporary);
  return FileStatus::Ok();
}

FileStatus WriteAtomically(const std::string& path, const void* data, size_t size) {
  RemoveAbandonedTemporaries(path);
  std::string temporary = TemporaryNameBeside(path);
  bool created = false;
  FileStatus status = WriteTemporary(temporary, path, data, size, &created);
  if (status.IsOk()) status = RenameFile(temporary, path);
  if (!status.IsOk()) {
    if (created) ::unlink(temporary.c_str());
    return status;
  }
  return SyncDirectory(FolderOf(path));
}

}  // namespace

std::string FolderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string TemporaryNameBeside(const std::string& path) {
  static std::atomic<uint64_t> counter{0};
  return path + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
}

namespace {

// The process number in a temporary name "<name>.tmp-<pid>-<n>" after its prefix, or 0.
pid_t WriterOfTemporary(const std::string& rest) {
  const size_t dash = rest.find('-');
  if (dash == 0 || dash == std::string::npos || dash + 1 == rest.size() || dash > 9) return 0;
  for (size_t i = 0; i < rest.size(); ++i) {
    if (i != dash && (rest[i] < '0' || rest[i] > '9')) return 0;
  }
  return static_cast<pid_t>(std::stol(rest.substr(0, dash)));
}

bool ProcessIsAlive(pid_t pid) { return ::kill(pid, 0) == 0 || errno == EPERM; }

bool HeldBySomeone(const std::string& path) {
  Descriptor file(OpenRetrying(path, O_RDONLY));
  return file.Get() < 0 || ::flock(file.Get(), LOCK_EX | LOCK_NB) != 0;
}

}  // namespace

int RemoveAbandonedTemporaries(const std::string& path) {
  const std::string folder = FolderOf(path);
  const size_t slash = path.rfind('/');
  const std::string prefix = (slash == std::string::npos ? path : path.substr(slash + 1)) + ".tmp-";
  std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
  if (!dir) return 0;
  std::vector<std::string> abandoned;
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::string name = entry->d_name;
    if (name.compare(0, prefix.size(), prefix) != 0) continue;
    const pid_t writer = WriterOfTemporary(name.substr(prefix.size()));
    if (writer <= 0 || writer == ::getpid() || ProcessIsAlive(writer)) continue;
    abandoned.push_back(folder + "/" + name);
  }
  int removed = 0;
  for (const std::string& file : abandoned) {
    if (!HeldBySomeone(file) && ::unlink(file.c_str()) == 0) ++removed;
  }
  return removed;
}

FileStatus ReadWholeFile(const std::string& path, std::vector<uint8_t>* bytes) {
  return ReadAll(path, bytes);
}

FileStatus ReadWholeFile(const std::string& path, std::string* text) { return ReadAll(path, text); }

FileStatus WriteFileAtomically(const std::string& path, std::string_view bytes) {
  return WriteAtomically(path, bytes.data(), bytes.size());
}

FileStatus WriteFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes) {
  return WriteAtomically(path, bytes.data(), bytes.size());
}

bool IsTerminal(std::FILE* stream) { return stream != nullptr && isatty(fileno(stream)) == 1; }

}  // namespace commonobjects::platform
