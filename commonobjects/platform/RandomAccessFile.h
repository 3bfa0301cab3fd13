// RandomAccessFile: the small file interface that the container formats (the compound file
// and the compressed automation file) read and write through.
//
// Reads and writes name their offset; there is no shared position. Implementations:
// a disk file (OpenRandomAccessFile), a file in memory (MemoryFile, for tests and tools),
// and, in the tests, a fault-injecting wrapper that fails or cuts the k-th write.
// Every operation returns a FileStatus and never throws. One thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "commonobjects/platform/File.h"

namespace commonobjects::platform {

class RandomAccessFile {
 public:
  virtual ~RandomAccessFile() = default;

  // Reads up to count bytes at offset; *bytesRead is below count only at the end of the file.
  virtual FileStatus ReadAt(uint64_t offset, void* buffer, size_t count, size_t* bytesRead) = 0;
  // Writes all count bytes at offset, growing the file as needed (a gap reads as zeros).
  virtual FileStatus WriteAt(uint64_t offset, const void* data, size_t count) = 0;
  virtual FileStatus Size(uint64_t* size) = 0;
  // Forces what was written to stable storage.
  virtual FileStatus Sync() = 0;
  // The path or a name for messages.
  virtual std::string Name() const = 0;
};

// Opens a disk file (see File::Open for the modes and sharing).
FileStatus OpenRandomAccessFile(const std::string& path, FileMode mode, FileShare share,
                                std::unique_ptr<RandomAccessFile>* out);

// A file held in memory. Its bytes are shared: a copy of Bytes() taken after a simulated
// crash shows exactly what had been written.
class MemoryFile : public RandomAccessFile {
 public:
  explicit MemoryFile(std::shared_ptr<std::vector<uint8_t>> bytes = nullptr, std::string name = "memory");

  FileStatus ReadAt(uint64_t offset, void* buffer, size_t count, size_t* bytesRead) override;
  FileStatus WriteAt(uint64_t offset, const void* data, size_t count) override;
  FileStatus Size(uint64_t* size) override;
  FileStatus Sync() override { return FileStatus::Ok(); }
  std::string Name() const override { return name_; }

  const std::shared_ptr<std::vector<uint8_t>>& Bytes() const { return bytes_; }

 private:
  std::shared_ptr<std::vector<uint8_t>> bytes_;
  std::string name_;
};

}  // namespace commonobjects::platform
