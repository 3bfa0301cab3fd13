#include "commonobjects/package/RecordArray.h"

#include <cstddef>
#include <utility>

CRecordArray::CRecordArray(std::string name, int32_t recordSize) : Name(std::move(name)), RecordSize(recordSize) {}

CRecordArray& CRecordArray::operator=(const CRecordArray& other) {
  if (this == &other) return *this;
  std::vector<uint8_t> copy(other.Bytes);
  Assign(std::move(copy));
  return *this;
}

void CRecordArray::SetSize(int32_t n) {
  if (n <= 0) {
    RemoveAll();
    return;
  }
  Bytes.resize(static_cast<size_t>(n) * static_cast<size_t>(RecordSize));
}

void CRecordArray::Assign(std::vector<uint8_t> bytes) {
  const size_t partial = bytes.size() % static_cast<size_t>(RecordSize);
  bytes.erase(bytes.end() - static_cast<std::ptrdiff_t>(partial), bytes.end());
  Bytes = std::move(bytes);
}
