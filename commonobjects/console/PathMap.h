// CPathMap: the division of the console's paths into path groups, which select the default
// values of a path's channels.
//
// The map is a list of signed 32-bit integers read in pairs (first path, number of paths);
// pair k is path group k. A path belongs to the first group whose range [first,
// first + number) holds it (first inclusive, end exclusive); a path in no group is group 0.
// At most kMaxGroups pairs count: AddGroup refuses more, and in a list set whole (as loaded
// from a mix) pairs after the kMaxGroups-th and an unpaired last integer are never matched,
// so GetGroup always answers 0 to kMaxGroups - 1.
// The map owns its list; storing it is the package's business. Not thread-safe; a const
// map may be read from several threads.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

class CPathMap {
 public:
  // The default console state has this many groups.
  static constexpr int32_t kMaxGroups = 14;

  CPathMap() = default;  // no groups: every path is group 0

  // Appends the group [first, first + count) (an unpaired last integer of a list set whole
  // is dropped first). Returns 1, or 0 (map unchanged) when the map already has
  // kMaxGroups groups.
  int AddGroup(int32_t first, int32_t count);
  // The group of path: the first pair whose range holds it, else 0.
  int32_t GetGroup(int32_t path) const;
  // Number of complete pairs in the list (may exceed kMaxGroups for a list set whole).
  int32_t GetGroupCount() const { return static_cast<int32_t>(Values.size() / 2); }
  void Clear() { Values.clear(); }

  // The raw list, pairs one after the other, as the package stores it.
  const std::vector<int32_t>& GetValues() const { return Values; }
  void SetValues(std::vector<int32_t> values) { Values = std::move(values); }

  bool operator==(const CPathMap&) const = default;

 private:
  std::vector<int32_t> Values;
};
