// CRecordArray: one data-kind slot of a mix ("Ends", "Virgins", ... "LinkRoutes"): an array
// of fixed-size records of the console engine (144-byte control and 192-byte route records
// on large consoles, 20 and 4 bytes on small ones), held back to back as their bytes.
//
// The library moves and converts records whole and never looks inside one. The name and the
// record size are fixed at construction; assignment copies the records' bytes only (the package
// assigns slots of one size; bytes of another size are cut to whole records). New records are zero. An allocation failure throws std::bad_alloc and leaves the
// array as it was. Not thread-safe.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class CRecordArray {
 public:
  CRecordArray(std::string name, int32_t recordSize);
  CRecordArray(const CRecordArray&) = default;
  CRecordArray& operator=(const CRecordArray& other);

  const std::string& GetName() const { return Name; }
  int32_t GetRecordSize() const { return RecordSize; }
  // Number of records.
  int32_t GetSize() const { return static_cast<int32_t>(Bytes.size() / static_cast<size_t>(RecordSize)); }
  bool IsEmpty() const { return Bytes.empty(); }
  // Sets the number of records (new ones zero); n <= 0 empties the array.
  void SetSize(int32_t n);
  void RemoveAll() { Bytes = {}; }
  // The records back to back: GetSize() * GetRecordSize() bytes (null when empty).
  uint8_t* GetData() { return Bytes.empty() ? nullptr : Bytes.data(); }
  const uint8_t* GetData() const { return Bytes.empty() ? nullptr : Bytes.data(); }
  size_t GetByteCount() const { return Bytes.size(); }
  // Takes `bytes` as the records; a partial record at the end is dropped.
  void Assign(std::vector<uint8_t> bytes);

 private:
  std::string Name;
  int32_t RecordSize;
  std::vector<uint8_t> Bytes;  // always a whole number of records
};
