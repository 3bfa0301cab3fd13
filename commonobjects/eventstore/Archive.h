// CArchive: a byte stream over a caller's buffer, in one direction (store or load).
//
// Storing appends to the buffer; loading reads from the front of the buffer onward.
// Numbers are little-endian. Reading past the end of the buffer throws CArchiveException
// (the archive's position is then unchanged); callers that promise a result code catch it.
// Writing to a loading archive, or reading from a storing one, also throws CArchiveException.
// The archive borrows the buffer, which must outlive it. Not thread-safe.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <vector>

class CArchiveException : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class CArchive {
 public:
  enum Mode { store = 0, load = 1 };

  CArchive(std::vector<uint8_t>& buffer, Mode mode);

  bool IsStoring() const { return mode_ == store; }
  bool IsLoading() const { return mode_ == load; }

  void Write(const void* data, size_t count);
  // Reads exactly count bytes or throws CArchiveException.
  void Read(void* data, size_t count);
  // Bytes not yet read (loading).
  size_t Remaining() const { return buffer_.size() - position_; }

  void WriteUInt16(uint16_t v);
  void WriteUInt32(uint32_t v);
  uint16_t ReadUInt16();
  uint32_t ReadUInt32();

 private:
  std::vector<uint8_t>& buffer_;
  Mode mode_;
  size_t position_ = 0;
};
