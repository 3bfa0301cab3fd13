// CutListFiles: change list files for tests: the binary form built record by record (byte
// by byte here, independently of the reader).
#pragma once

#include <cstdint>
#include <string>

#include "support/TempFolder.h"  // WriteBytes

namespace testsupport {

struct BinaryCutList {
  BinaryCutList(int32_t oldFeet, int32_t oldFrames, int32_t count) { Put(oldFeet).Put(oldFrames).Put(count); }
  BinaryCutList& Record(int32_t kind, int32_t position, int32_t length, int32_t source = -1) {
    return Put(kind).Put(position).Put(length).Put(source);
  }
  BinaryCutList& Clip(int32_t position, int32_t length, int32_t extra, const std::string& name) {
    Record(10, position, length).Put(extra).Put(static_cast<int32_t>(name.size())).Bytes += name;
    return *this;
  }
  BinaryCutList& Put(int32_t value) {
    for (int shift = 0; shift < 32; shift += 8) Bytes.push_back(static_cast<char>((static_cast<uint32_t>(value) >> shift) & 0xFF));
    return *this;
  }
  std::string Bytes = "QRX_CUTLIST_FILE";
};

}  // namespace testsupport
