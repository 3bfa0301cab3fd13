// Structured storage: a Compound File (the Microsoft Compound File Binary format), so that
// files from the console's Windows machines open here and ours open there.
//
// A CompoundStorage is an open compound file (its root storage); streams are opened or
// created in it by name. Names are Windows-1252 strings; they are stored as UTF-16LE.
// Reading understands versions 3 (512-byte sectors) and 4 (4096); writing makes version 3.
//
// Sharing is exclusive, as STGM_SHARE_EXCLUSIVE on Windows: while one CompoundStorage holds
// a file, another opening of it, from this process or another, fails with kInUse.
//
// Nothing is lost: changes (created or rewritten streams) become durable as a whole when the
// storage commits, which Release (and the destructor) does. A commit writes new sectors into
// free space, syncs, and then switches to them by rewriting the header last, so a commit that
// is interrupted at any point leaves a file that opens with, for every stream, either its old
// or its new content. (A large stream written whole by WriteInPlace goes into free space at
// once; the header still reaches it only from the commit on.)
//
// Bad input gives a clean failure (kCorrupt / kNotCompoundFile) in bounded time and memory.
// Opening for writing is stricter than opening for reading: it refuses (kCorrupt) a file
// whose chains are longer than their sizes or that gives one sector to two owners, since
// replacing a stream there could destroy another.
//
// Ownership: the storage owns the file; streams and child storages share its state, may be
// destroyed in any order, and fail with kIoError once the root storage is released.
// Every function leaves *out untouched when it fails. The layout written is described in
// doc/formats/compound-file.md. One thread at a time per file (its storages and streams).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "commonobjects/platform/RandomAccessFile.h"

namespace commonobjects::platform {

// Opening modes, with Windows' STGM numbers. The system uses 0x1012 (create), 0x12 (open for
// writing) and 0x10 (open for reading).
constexpr uint32_t STGM_READ = 0x0;
constexpr uint32_t STGM_WRITE = 0x1;
constexpr uint32_t STGM_READWRITE = 0x2;
constexpr uint32_t STGM_SHARE_EXCLUSIVE = 0x10;
constexpr uint32_t STGM_CREATE = 0x1000;

struct StgStatus {
  enum Code {
    kOk,
    kFileNotFound,     // no such file
    kNotCompoundFile,  // the file exists but is not a compound file
    kInUse,            // another opener holds the file
    kAccessDenied,     // permissions, or writing through a read-only opening
    kCorrupt,          // the file is a compound file but its structures are damaged
    kNotFound,         // no stream or storage of that name
    kIoError,          // reading or writing the file failed
    kInvalidArgument,  // a bad name or mode
    kAlreadyExists,    // creating without STGM_CREATE where a file or stream of the name exists
  };
  Code code = kOk;
  std::string message;  // what failed, naming the file; empty when ok

  bool IsOk() const { return code == kOk; }
  static StgStatus Ok() { return {}; }
};

// kOk when the file is a compound file; kFileNotFound; kNotCompoundFile; or why it could not
// be read.
StgStatus StgIsStorageFile(const std::string& path);

class CompoundStream;

// Produces bytes [done, done + length) of a content being written: sets every byte of
// at[0, length).
using FillPiece = std::function<void(uint8_t* at, uint64_t done, size_t length)>;

// One entry of a storage, for tools.
struct StorageEntry {
  std::string name;  // Windows-1252
  bool isStorage = false;
  uint64_t size = 0;  // streams only
};

class CompoundStorage {
 public:
  // A new compound file (replacing any file of that name when mode has STGM_CREATE, else
  // failing with kAlreadyExists); mode normally 0x1012. The empty file is committed at once.
  // Files are always held share-exclusive, whatever the sharing bits of the mode.
  static StgStatus Create(const std::string& path, uint32_t mode, std::unique_ptr<CompoundStorage>* out);
  // An existing compound file; mode 0x12 for writing, 0x10 for reading. kFileNotFound,
  // kNotCompoundFile, kCorrupt, kInUse, kAccessDenied, kIoError.
  static StgStatus Open(const std::string& path, uint32_t mode, std::unique_ptr<CompoundStorage>* out);
  // The same over a file the caller opened (tests: memory and fault-injecting files).
  static StgStatus Create(std::unique_ptr<RandomAccessFile> file, std::unique_ptr<CompoundStorage>* out);
  static StgStatus Open(std::unique_ptr<RandomAccessFile> file, uint32_t mode,
                        std::unique_ptr<CompoundStorage>* out);

  // Commits (when writable) and closes the file, releasing its lock; for a child storage it
  // only lets go of the child. A second Release returns ok. The destructor calls it and
  // ignores the result.
  virtual ~CompoundStorage() = default;
  virtual StgStatus Release() = 0;
  // Closes the file without committing, releasing its lock: every change since the last
  // commit is dropped and the file keeps its last committed state (a save that failed halfway
  // leaves no stream of itself; large streams written in place may leave unreachable sectors
  // at the end of the file, as a crash in a commit does, which the next save reuses). For a child storage it only lets go of the child. Later
  // Release and Abandon calls do nothing.
  virtual void Abandon() = 0;
  // Makes every change so far durable (see the header comment); nothing is written when
  // nothing changed. After a failed commit every operation but Release fails, and the file
  // keeps its last committed state.
  virtual StgStatus Commit() = 0;

  // A new, empty stream, replacing a stream of the same name (names compare without regard
  // to case); mode normally 0x1012 and must allow writing. kInvalidArgument for a bad name
  // (empty, over 31 characters, or holding '/', '\\', ':' or '!'); kAccessDenied on a
  // read-only storage or where a storage has the name; kInUse while that stream is open.
  virtual StgStatus CreateStream(std::string_view name, uint32_t mode, std::unique_ptr<CompoundStream>* out) = 0;
  // An existing stream; mode normally 0x10. A mode allowing writing needs a writable
  // storage. kNotFound when no stream has the name; kInUse while the stream is open.
  virtual StgStatus OpenStream(std::string_view name, uint32_t mode, std::unique_ptr<CompoundStream>* out) = 0;
  // A child storage (read only here; the system itself writes root streams only).
  virtual StgStatus OpenStorage(std::string_view name, uint32_t mode, std::unique_ptr<CompoundStorage>* out) = 0;
  // The children of this storage, in the order of the directory tree (name order).
  virtual std::vector<StorageEntry> List() const = 0;
};

class CompoundStream {
 public:
  virtual ~CompoundStream() = default;
  // Reads up to count bytes at the stream position and advances it; *bytesRead is below
  // count only at the end.
  virtual StgStatus Read(void* buffer, uint32_t count, uint32_t* bytesRead) = 0;
  // Writes count bytes at the position and advances it, growing the stream (a gap left by
  // a seek past the end reads as zeros); kAccessDenied on a stream opened for reading.
  virtual StgStatus Write(const void* data, uint32_t count, uint32_t* bytesWritten) = 0;
  // Writes count bytes at the position as Write does, but has fill store them straight into
  // memory of the stream, a piece at a time, in order: the pieces cover [0, count) once. fill
  // must not call this stream or its storage, and must not throw. Saves the copy of a large
  // content built only to be written; and a stream that holds nothing yet (as after
  // CreateStream) and takes at least 4096 bytes at position 0 sends each piece on to free
  // sectors of the file, so that the content is never held whole in memory.
  // fill is not called when the write is refused (kAccessDenied, kIoError as for Write). When
  // the file cannot be written (kIoError), the storage fails everything but Release from then
  // on, as after a failed commit, and the file keeps its last committed state.
  virtual StgStatus WriteInPlace(uint64_t count, const FillPiece& fill) = 0;
  // Moves the position from the start; it may pass the end.
  virtual StgStatus Seek(uint64_t position) = 0;
  virtual uint64_t Length() const = 0;
  // Hands the stream's content to its storage (the destructor does the same).
  virtual StgStatus Close() = 0;
};

// What CheckCompoundFile found: errors make the file unsafe to rely on (broken, looping or
// shared chains, sizes that do not match chains, a tree out of name order, a bad name);
// warnings name what readers survive: colour rules of a tree broken (files written by Word
// break them), sectors marked used that nothing reaches, entries allocated outside any tree.
// Each line names the structure and the sector or entry.
struct CompoundFileReport {
  std::vector<std::string> errors;
  std::vector<std::string> warnings;
  bool IsClean() const { return errors.empty(); }
};

// Walks the header, DIFAT, FAT, mini FAT, directory and every storage's tree and reports
// every problem found, in bounded time and memory. Returns report->IsClean().
bool CheckCompoundFile(RandomAccessFile& file, CompoundFileReport* report);
// The same for the file at `path`, opened for reading without a lock.
bool CheckCompoundFile(const std::string& path, CompoundFileReport* report);

}  // namespace commonobjects::platform
