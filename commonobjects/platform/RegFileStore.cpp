#include "commonobjects/platform/RegFileStore.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <mutex>
#include <system_error>
#include <utility>
#include <vector>

namespace commonobjects::platform {
namespace {

// Owns one file descriptor.
class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
      Reset();
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd() { Reset(); }

  int Get() const { return fd_; }
  bool Valid() const { return fd_ >= 0; }
  void Reset() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_ = -1;
};

// Removes a temporary file when a write fails before the file is renamed into place.
class TemporaryFileGuard {
 public:
  explicit TemporaryFileGuard(std::string path) : path_(std::move(path)) {}
  TemporaryFileGuard(const TemporaryFileGuard&) = delete;
  TemporaryFileGuard& operator=(const TemporaryFileGuard&) = delete;
  ~TemporaryFileGuard() {
    if (!path_.empty()) ::unlink(path_.c_str());
  }
  void Release() { path_.clear(); }

 private:
  std::string path_;
};

std::string SystemMessage(int error) { return std::system_category().message(error); }

// Identity of a file's content. Writers replace the file and never change it in place, and
// the store holds the file it read open, so no later file can reuse its inode number:
// an equal identity means the content it read is still the file's content.
struct FileIdentity {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = -1;
  std::int64_t modifiedSeconds = 0;
  long modifiedNanoseconds = 0;

  static FileIdentity Of(const struct stat& st) {
    return {st.st_dev, st.st_ino, st.st_size, st.st_mtim.tv_sec, st.st_mtim.tv_nsec};
  }
  bool operator==(const FileIdentity&) const = default;
};

enum class ReadOutcome { kRead, kMissing, kFailed };

// Opens and reads the whole file, keeping it open in `fd`; errno says why on kFailed.
ReadOutcome ReadWholeFile(const std::string& path, UniqueFd& fd, FileIdentity& identity, std::string& bytes) {
  fd = UniqueFd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.Valid()) return (errno == ENOENT || errno == ENOTDIR) ? ReadOutcome::kMissing : ReadOutcome::kFailed;
  struct stat st {};
  if (::fstat(fd.Get(), &st) != 0) return ReadOutcome::kFailed;
  if (S_ISDIR(st.st_mode)) {
    errno = EISDIR;
    return ReadOutcome::kFailed;
  }
  identity = FileIdentity::Of(st);
  bytes.clear();
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd.Get(), buffer, sizeof buffer);
    if (n == 0) return ReadOutcome::kRead;
    if (n < 0 && errno != EINTR) return ReadOutcome::kFailed;
    if (n > 0) bytes.append(buffer, static_cast<std::size_t>(n));
  }
}

// Writes all bytes; `failHalfway` stops after half of them as a failing disk would.
bool WriteAll(int fd, std::string_view bytes, bool failHalfway) {
  if (failHalfway) bytes = bytes.substr(0, bytes.size() / 2);
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  if (failHalfway) errno = EIO;
  return !failHalfway;
}

std::string FolderOf(const std::string& path) {
  const std::string folder = std::filesystem::path(path).parent_path().string();
  return folder.empty() ? "." : folder;
}

// The rename is durable once the folder's entry is on disk. Some file systems cannot sync
// a folder; the file is in place all the same, so that is not a failure.
void SyncFolder(const std::string& path) {
  UniqueFd folder(::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.Valid()) ::fsync(folder.Get());
}

std::atomic<unsigned> g_temporaryCounter{0};

bool Failed(std::string& error, const std::string& what, int errorNumber) {
  error = what + ": " + SystemMessage(errorNumber);
  return false;
}

// Creates "<path>.tmp.<pid>.<n>" for writing; a leftover of a crashed process that had
// the same process id is removed first.
UniqueFd CreateTemporary(const std::string& temporary) {
  UniqueFd fd(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
  if (!fd.Valid() && errno == EEXIST && ::unlink(temporary.c_str()) == 0) {
    fd = UniqueFd(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
  }
  return fd;
}

// Replaces path with bytes; on success `written` holds the new file open.
bool ReplaceFile(const std::string& path, std::string_view bytes, std::optional<RegFileWriteStep> fault,
                 UniqueFd& written, std::string& error) {
  const std::string temporary =
      path + ".tmp." + std::to_string(::getpid()) + "." + std::to_string(g_temporaryCounter++);
  UniqueFd fd = CreateTemporary(temporary);
  if (!fd.Valid()) return Failed(error, "cannot create " + temporary, errno);
  TemporaryFileGuard guard(temporary);
  struct stat existing {};
  if (::stat(path.c_str(), &existing) == 0) ::fchmod(fd.Get(), existing.st_mode & 07777);
  if (!WriteAll(fd.Get(), bytes, fault == RegFileWriteStep::kWriteTemporary)) {
    return Failed(error, "cannot write " + temporary, errno);
  }
  if (fault == RegFileWriteStep::kSyncTemporary) errno = EIO;
  if (fault == RegFileWriteStep::kSyncTemporary || ::fsync(fd.Get()) != 0) {
    return Failed(error, "cannot sync " + temporary, errno);
  }
  if (fault == RegFileWriteStep::kRename) errno = EIO;
  if (fault == RegFileWriteStep::kRename || ::rename(temporary.c_str(), path.c_str()) != 0) {
    return Failed(error, "cannot rename " + temporary + " to " + path, errno);
  }
  guard.Release();
  SyncFolder(path);
  written = std::move(fd);
  return true;
}

bool LockExclusively(int fd) {
  while (::flock(fd, LOCK_EX) != 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') return home;
  std::vector<char> buffer(16384);
  struct passwd entry {};
  struct passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr) {
    return found->pw_dir;
  }
  return ".";
}

}  // namespace

struct RegFileStore::Impl {
  explicit Impl(std::string p) : path(std::move(p)), lockPath(path + ".lock") {}

  void UnlockedRefresh();
  void UnlockedReload();
  void UnlockedSetMissing();
  void UnlockedSetUnreadable(int errorNumber);
  // Runs change on a copy of the file's registry under the file lock and writes the result
  // when it differs. False (file untouched) when the file is malformed or cannot be written.
  bool UnlockedWrite(const std::function<void(RegistryTree&)>& change);
  bool UnlockedFailWrite(std::string message) {
    lastWriteError = std::move(message);
    return false;
  }

  const std::string path;
  const std::string lockPath;
  std::mutex mutex;
  // Guarded by mutex. While heldFile is open, tree, style and error describe its content.
  UniqueFd heldFile;
  FileIdentity identity;  // of heldFile
  bool missing = false;   // the file did not exist when last looked at
  RegistryTree tree;
  RegFileStyle style = kRegeditStyle;
  std::optional<RegFileError> error;
  std::string lastWriteError;
  std::uint64_t parses = 0;
  std::optional<RegFileWriteStep> fault;
};

void RegFileStore::Impl::UnlockedRefresh() {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) {
      UnlockedSetMissing();
    } else {
      UnlockedSetUnreadable(errno);
    }
    return;
  }
  if (heldFile.Valid() && FileIdentity::Of(st) == identity) return;
  UnlockedReload();
}

void RegFileStore::Impl::UnlockedReload() {
  UniqueFd fd;
  FileIdentity readIdentity;
  std::string bytes;
  switch (ReadWholeFile(path, fd, readIdentity, bytes)) {
    case ReadOutcome::kMissing: UnlockedSetMissing(); return;
    case ReadOutcome::kFailed: UnlockedSetUnreadable(errno); return;
    case ReadOutcome::kRead: break;
  }
  RegFileContents contents;
  ++parses;
  error = ParseRegFile(bytes, contents);
  tree = contents.Tree();
  style = error ? kRegeditStyle : contents.style;
  identity = readIdentity;
  heldFile = std::move(fd);
  missing = false;
}

void RegFileStore::Impl::UnlockedSetMissing() {
  if (missing) return;
  heldFile.Reset();
  tree = RegistryTree();
  style = kRegeditStyle;
  error.reset();
  missing = true;
}

void RegFileStore::Impl::UnlockedSetUnreadable(int errorNumber) {
  heldFile.Reset();
  tree = RegistryTree();
  style = kRegeditStyle;
  error = RegFileError{0, "cannot read the file: " + SystemMessage(errorNumber)};
  missing = false;
}

bool RegFileStore::Impl::UnlockedWrite(const std::function<void(RegistryTree&)>& change) {
  lastWriteError.clear();
  std::error_code folderError;
  std::filesystem::create_directories(FolderOf(path), folderError);
  if (folderError) return UnlockedFailWrite("cannot create the folder of " + path + ": " + folderError.message());
  UniqueFd lock(::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666));
  if (!lock.Valid() || !LockExclusively(lock.Get())) {
    return UnlockedFailWrite("cannot lock " + lockPath + ": " + SystemMessage(errno));
  }
  UnlockedRefresh();
  if (error) return UnlockedFailWrite(DescribeRegFileError(path, *error) + " (the file was not changed)");
  RegistryTree next = tree;
  change(next);
  if (next == tree) return true;
  UniqueFd written;
  std::string failure;
  if (!ReplaceFile(path, FormatRegFile(next, style), fault, written, failure)) return UnlockedFailWrite(failure);
  struct stat st {};
  if (::fstat(written.Get(), &st) != 0) {
    heldFile.Reset();  // read the file afresh next time
    return true;
  }
  identity = FileIdentity::Of(st);
  heldFile = std::move(written);
  tree = std::move(next);
  missing = false;
  return true;
}

RegFileStore::RegFileStore(std::string path) : impl_(std::make_unique<Impl>(std::move(path))) {}

RegFileStore::~RegFileStore() = default;

bool RegFileStore::KeyExists(HKEY root, std::string_view key) {
  std::lock_guard lock(impl_->mutex);
  impl_->UnlockedRefresh();
  return impl_->tree.KeyExists(root, key);
}

std::optional<RegistryValue> RegFileStore::QueryValue(HKEY root, std::string_view key, std::string_view name) {
  std::lock_guard lock(impl_->mutex);
  impl_->UnlockedRefresh();
  const RegistryValue* value = impl_->tree.FindValue(root, key, name);
  if (value == nullptr) return std::nullopt;
  return *value;
}

bool RegFileStore::CreateKey(HKEY root, std::string_view key) {
  if (RootName(root).empty()) return false;
  std::lock_guard lock(impl_->mutex);
  return impl_->UnlockedWrite([&](RegistryTree& tree) {
    if (!tree.KeyExists(root, key)) tree.CreateKey(root, key);
  });
}

bool RegFileStore::SetValue(HKEY root, std::string_view key, std::string_view name, const RegistryValue& value) {
  if (RootName(root).empty()) return false;
  std::lock_guard lock(impl_->mutex);
  return impl_->UnlockedWrite([&](RegistryTree& tree) { tree.SetValue(root, key, name, value); });
}

const std::string& RegFileStore::Path() const { return impl_->path; }

std::optional<RegFileError> RegFileStore::ParseError() {
  std::lock_guard lock(impl_->mutex);
  impl_->UnlockedRefresh();
  return impl_->error;
}

RegistryTree RegFileStore::Snapshot() {
  std::lock_guard lock(impl_->mutex);
  impl_->UnlockedRefresh();
  return impl_->tree;
}

bool RegFileStore::Merge(const RegistryTree& tree) {
  std::lock_guard lock(impl_->mutex);
  return impl_->UnlockedWrite([&](RegistryTree& target) {
    for (const RegistryTree::Key* key : tree.Keys()) {
      RegistryTree::Key* created = target.CreateKeyByPath(key->path);
      if (created == nullptr) continue;
      for (const auto& [name, value] : key->values) created->values.insert_or_assign(name, value);
    }
  });
}

bool RegFileStore::Import(const RegFileContents& contents) {
  std::lock_guard lock(impl_->mutex);
  return impl_->UnlockedWrite([&](RegistryTree& target) { ApplyRegFileEdits(contents.edits, target); });
}

std::string RegFileStore::LastWriteError() {
  std::lock_guard lock(impl_->mutex);
  return impl_->lastWriteError;
}

std::uint64_t RegFileStore::ParseCountForTesting() {
  std::lock_guard lock(impl_->mutex);
  return impl_->parses;
}

void RegFileStore::SetWriteFaultForTesting(std::optional<RegFileWriteStep> step) {
  std::lock_guard lock(impl_->mutex);
  impl_->fault = step;
}

std::optional<RegFileError> LoadRegFile(const std::string& path, RegFileContents& out, bool missingIsEmpty) {
  out = RegFileContents{};
  UniqueFd fd;
  FileIdentity identity;
  std::string bytes;
  switch (ReadWholeFile(path, fd, identity, bytes)) {
    case ReadOutcome::kMissing:
      if (missingIsEmpty) return std::nullopt;
      return RegFileError{0, "cannot open the file: " + SystemMessage(ENOENT)};
    case ReadOutcome::kFailed: return RegFileError{0, "cannot read the file: " + SystemMessage(errno)};
    case ReadOutcome::kRead: break;
  }
  return ParseRegFile(bytes, out);
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string& error) {
  UniqueFd written;
  return ReplaceFile(path, bytes, std::nullopt, written, error);
}

std::string DescribeRegFileError(const std::string& path, const RegFileError& error) {
  if (error.line <= 0) return path + ": " + error.message;
  return path + ":" + std::to_string(error.line) + ": " + error.message;
}

std::string DefaultRegistryFilePath() {
  if (const char* named = std::getenv("COMMONOBJECTS_REGISTRY"); named != nullptr && *named != '\0') return named;
  std::string folder;
  // A relative XDG_CONFIG_HOME is invalid and ignored, as the XDG rules say.
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && config[0] == '/') {
    folder = config;
  } else {
    folder = HomeFolder() + "/.config";
  }
  return folder + "/commonobjects/registry.reg";
}

std::shared_ptr<RegistryStore> OpenDefaultRegistryFileStore() {
  return std::make_shared<RegFileStore>(DefaultRegistryFilePath());
}

}  // namespace commonobjects::platform
