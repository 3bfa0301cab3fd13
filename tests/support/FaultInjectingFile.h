// A RandomAccessFile that fails on purpose: the k-th WriteAt (counting from 1) or Sync
// fails, or the k-th write is cut short to a prefix, as a crash or a torn sector leaves it.
// After the fault the file is "dead": every later write and sync fails, as after a crash
// or a lost disk. Counting a whole save's writes first (Mode::kCount) gives the k to try.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "commonobjects/platform/RandomAccessFile.h"

namespace testsupport {

class FaultInjectingFile : public commonobjects::platform::RandomAccessFile {
 public:
  enum class Mode {
    kCount,       // no fault; only count the writes and syncs
    kFailWrite,   // write k fails, writing nothing
    kCutWrite,    // write k writes only its first cutBytes bytes, then fails
    kFailSync,    // sync k fails
  };

  FaultInjectingFile(std::unique_ptr<commonobjects::platform::RandomAccessFile> inner, Mode mode, int k,
                     size_t cutBytes = 0);

  using FileStatus = commonobjects::platform::FileStatus;
  FileStatus ReadAt(uint64_t offset, void* buffer, size_t count, size_t* bytesRead) override;
  FileStatus WriteAt(uint64_t offset, const void* data, size_t count) override;
  FileStatus Size(uint64_t* size) override;
  FileStatus Sync() override;
  std::string Name() const override { return inner_->Name(); }

  // Offset and length of every write attempted, in order (write k is WriteLog()[k - 1]).
  const std::vector<std::pair<uint64_t, size_t>>& WriteLog() const { return log_; }
  int Writes() const { return writes_; }
  int Syncs() const { return syncs_; }
  bool Faulted() const { return dead_; }

 private:
  FileStatus Dead() const;

  std::unique_ptr<commonobjects::platform::RandomAccessFile> inner_;
  Mode mode_;
  int k_;
  size_t cutBytes_;
  int writes_ = 0;
  int syncs_ = 0;
  bool dead_ = false;
  std::vector<std::pair<uint64_t, size_t>> log_;
};

// Lends a file that the test keeps (to count its writes afterwards) to a storage or a
// compressed file that wants to own one.
class BorrowedFile : public commonobjects::platform::RandomAccessFile {
 public:
  explicit BorrowedFile(commonobjects::platform::RandomAccessFile& file) : file_(file) {}
  using FileStatus = commonobjects::platform::FileStatus;
  FileStatus ReadAt(uint64_t offset, void* buffer, size_t count, size_t* bytesRead) override {
    return file_.ReadAt(offset, buffer, count, bytesRead);
  }
  FileStatus WriteAt(uint64_t offset, const void* data, size_t count) override { return file_.WriteAt(offset, data, count); }
  FileStatus Size(uint64_t* size) override { return file_.Size(size); }
  FileStatus Sync() override { return file_.Sync(); }
  std::string Name() const override { return file_.Name(); }

 private:
  commonobjects::platform::RandomAccessFile& file_;
};

}  // namespace testsupport
