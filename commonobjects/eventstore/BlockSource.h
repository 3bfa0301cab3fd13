// CBlockSource: what the host's automation engine reads events through, as fixed-size
// records packed into blocks.
#pragma once

#include <cstdint>

class CBlockSource {
 public:
  virtual ~CBlockSource() = default;

  // Writes the records of items [first, first + count) into dest, RecordSize bytes apart;
  // returns count. The caller guarantees the items exist and dest holds count * RecordSize
  // bytes. A count of 0 or less writes nothing.
  virtual int32_t GetRecords(int32_t count, int32_t first, void* dest) = 0;
  // How many blocks of blockSize bytes (whole records only) hold every record.
  virtual int32_t GetBlockCount(int32_t blockSize) = 0;

  int32_t RecordSize = 16;  // bytes per record
};
