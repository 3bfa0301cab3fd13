// CReelTable: the reels (source mixes) an edit list names, as the binary edit list stores
// them after its header.
//
// Invariants: names added with Add are unique and in ascending byte order; a table read
// from a file keeps the file's order. Each reel has a used name (the name conform loads,
// set equal to the name by whoever prepares the table) and carries integers, bytes and
// sub-records whose meaning the table does not know: they are read and written back
// unchanged, as are the table's own five settings. A plain value; not thread-safe.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct CReelSubRecord {
  uint8_t Bytes[3] = {0, 0, 0};
  int32_t Value = 0;
  bool operator==(const CReelSubRecord&) const = default;
};

struct CReel {
  std::string Name;
  std::string UsedName;
  int32_t Values[2] = {0, 0};
  uint8_t Flags[2] = {0, 0};
  std::vector<CReelSubRecord> SubRecords;
  bool operator==(const CReel&) const = default;
};

class CReelTable {
 public:
  static constexpr int32_t kSettingCount = 5;

  // Adds a reel of this name unless one is there; returns the reel's index either way.
  // The names stay in ascending order, so adding may move the reels after it.
  int32_t Add(const std::string& name);
  // The index of the reel of this name (exact bytes), or -1.
  int32_t Find(const std::string& name) const;
  int32_t GetSize() const { return static_cast<int32_t>(Reels.size()); }
  // Name and used name of reel i, 0 <= i < GetSize().
  const std::string& GetName(int32_t i) const { return Reels[static_cast<size_t>(i)].Name; }
  const std::string& GetUsedName(int32_t i) const { return Reels[static_cast<size_t>(i)].UsedName; }
  void SetUsedName(int32_t i, const std::string& name) { Reels[static_cast<size_t>(i)].UsedName = name; }
  // Every reel's used name becomes its name.
  void UseOwnNames();
  void RemoveAll() { Reels.clear(); }

  // The whole table, as read from a file or to be written to one.
  std::vector<CReel>& GetReels() { return Reels; }
  const std::vector<CReel>& GetReels() const { return Reels; }

  bool operator==(const CReelTable&) const = default;

  int32_t Settings[kSettingCount] = {0, 0, 1, 1, 1};

 private:
  std::vector<CReel> Reels;
};
