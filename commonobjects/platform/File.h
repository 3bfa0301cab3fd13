// Disk files as CreateFileA, ReadFile, WriteFile, SetFilePointer, GetFileSize and CloseHandle
// give them, and the file-system calls around them.
//
// File owns one open file and closes it on destruction. Every operation returns a
// FileStatus (never throws): ok, not found, access denied, in use, or other, with the
// system's error number and a message naming the operation and the path. Paths are native
// paths: callers map a Windows path with MapWindowsPath (WindowsDrive.h) first.
//
// Sharing: a handle opened with FileShare::kExclusive holds a lock on the file for its
// lifetime, and another kExclusive opening, by this process or any other, fails with kInUse
// meanwhile. kShared openings take no lock and are never refused by one, so readers may read
// a file that a writer holds exclusively. A File is used by one thread at a time; the free
// functions are thread-safe.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace commonobjects::platform {

struct FileStatus {
  enum Code {
    kOk,
    kNotFound,      // the file, or a folder on its path, does not exist
    kAccessDenied,  // permissions, a read-only file system, a folder where a file is wanted,
                    // or writing through a handle opened for reading
    kInUse,         // another handle holds the file exclusively
    kOther,
  };
  Code code = kOk;
  int error = 0;        // the system's error number; 0 when ok
  std::string message;  // "<operation> '<path>': <error text>"; empty when ok

  bool IsOk() const { return code == kOk; }
  static FileStatus Ok() { return {}; }
  // The status of a failed call: the code that `error` falls under, and its message.
  static FileStatus FromError(int error, std::string_view operation, std::string_view path);
};

enum class FileMode {
  kRead,          // an existing file, for reading (OPEN_EXISTING)
  kReadWrite,     // an existing file, for reading and writing (OPEN_EXISTING)
  kCreateAlways,  // created, or emptied when it exists; reading and writing (CREATE_ALWAYS)
  kOpenAlways,    // opened, or created when missing; contents kept; reading and writing (OPEN_ALWAYS)
};

enum class FileShare {
  kShared,     // no lock
  kExclusive,  // fails with kInUse while another kExclusive handle holds the file
};

enum class SeekOrigin { kBegin, kCurrent, kEnd };

class File {
 public:
  File() = default;
  ~File();
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  // Closes any file this object holds, then opens `path`. On failure the object is closed.
  // kCreateAlways empties an existing file only once its lock (if any) is held, so a refused
  // opening leaves the file as it was. New files get the permissions 0666 less the umask.
  FileStatus Open(const std::string& path, FileMode mode, FileShare share = FileShare::kShared);
  bool IsOpen() const { return descriptor_ >= 0; }
  const std::string& Path() const { return path_; }

  // Reads up to `count` bytes at the position; *bytesRead is below `count` only at the end
  // of the file (or on failure, counting what was read before it).
  FileStatus Read(void* buffer, size_t count, size_t* bytesRead);
  // Writes all `count` bytes at the position.
  FileStatus Write(const void* data, size_t count);
  // Moves the position (it may pass the end; a negative result fails and moves nothing);
  // the new position goes to *position when given.
  FileStatus Seek(int64_t offset, SeekOrigin origin, uint64_t* position = nullptr);
  FileStatus Size(uint64_t* size) const;
  // Forces the file's data to disk (fsync).
  FileStatus Sync();
  // Closes now and reports a failure the destructor would ignore. Closing a closed file is ok.
  FileStatus Close();

 private:
  FileStatus NotOpen(std::string_view operation) const;

  int descriptor_ = -1;
  FileMode mode_ = FileMode::kRead;
  std::string path_;
};

struct FileAttributes {
  bool isDirectory = false;
  bool readOnly = false;  // nobody may write it
  uint64_t size = 0;      // of a file; 0 for a folder
};

// The attributes of a file or folder; kNotFound when there is none.
FileStatus GetFileAttributes(const std::string& path, FileAttributes* attributes);
// Whether a file (not a folder) is at `path`.
bool FileExists(const std::string& path);
// Deletes a file; a folder is refused with kAccessDenied.
FileStatus DeleteFile(const std::string& path);
// Creates one folder; its parent must exist. Ok when the folder exists already.
FileStatus CreateDirectory(const std::string& path);
// Creates a folder and every missing folder above it.
FileStatus CreateDirectories(const std::string& path);
// Renames `from` to `to`, replacing `to` in one step: a reader sees the old or the new file,
// never neither. Both must be on one file system.
FileStatus RenameFile(const std::string& from, const std::string& to);
// Forces a folder's entries (creations, renames, deletions) to disk.
FileStatus SyncDirectory(const std::string& path);

// The folder of a native path ("." for a bare name).
std::string FolderOf(const std::string& path);
// A name for a temporary file beside `path`, unique in this process and among processes.
std::string TemporaryNameBeside(const std::string& path);

// Removes the temporary files beside `path` (named as TemporaryNameBeside names them) that a
// process which has died left behind, say when it was killed in the middle of a save. A file
// of a live process, or one that some process still holds exclusively, stays. Returns how many
// were removed; failures to remove one are ignored (the next save tries again).
int RemoveAbandonedTemporaries(const std::string& path);
// Reads the whole file into *bytes (replacing what it held; on failure its contents are
// unspecified).
FileStatus ReadWholeFile(const std::string& path, std::vector<uint8_t>* bytes);
FileStatus ReadWholeFile(const std::string& path, std::string* text);
// Replaces the file with `bytes` so that a crash at any moment leaves either the old file or
// the new one: writes a temporary file beside it, syncs it, renames it over the file, then
// syncs the folder. An existing file's permissions carry over. A failure before the rename
// leaves the old file untouched and removes the temporary file; a failure to sync the folder
// afterwards is reported with the new file in place.
FileStatus WriteFileAtomically(const std::string& path, std::string_view bytes);
FileStatus WriteFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes);

// The system's text for an error number, as FileStatus messages give it.
std::string SystemErrorText(int error);

// Whether the stream is connected to a terminal (where a progress line may redraw itself).
bool IsTerminal(std::FILE* stream);

}  // namespace commonobjects::platform
