// StateTable: the current value of every channel of up to 2000 paths, as the state tracker
// and SetOldValues keep it.
//
// The table's contents are those of one 1,122,000-value table in three regions (the layout
// CopyTo writes and EqualsSaved reads):
//   low range   [2000 paths][36 Proc][9 Control]      large consoles
//   high range  [2000 paths][48 Proc - base][4 Control]
//   small       [2000 paths][5 Proc][9 Control]        consoles 1 and 6
// but a path's values are written into memory only when one of them first changes; until
// then the path reads as its defaults (its group's rows, or zeros). So building a table,
// comparing two untouched tables and reading an untouched path cost nothing per path.
// Values are stored as unsigned 16-bit patterns of the events' signed values.
// Owned by one tracker or one call; not thread-safe.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "commonobjects/console/ControlModel.h"
#include "commonobjects/console/DefaultConsoleState.h"

class CPathMap;

namespace commonobjects::editing {

class StateTable {
 public:
  static constexpr int32_t kPaths = 2000;
  static constexpr int32_t kLowPerPath = DefaultConsoleState::kLowValuesPerPath;
  static constexpr int32_t kHighPerPath = DefaultConsoleState::kHighValuesPerPath;
  static constexpr int32_t kSmallPerPath = DefaultConsoleState::kSmallValuesPerPath;
  static constexpr size_t kLowOffset = 0;
  static constexpr size_t kHighOffset = size_t{kPaths} * kLowPerPath;               // 648,000
  static constexpr size_t kSmallOffset = kHighOffset + size_t{kPaths} * kHighPerPath;  // 1,032,000
  static constexpr size_t kValues = kSmallOffset + size_t{kPaths} * kSmallPerPath;   // 1,122,000
  static constexpr size_t kBytes = kValues * sizeof(uint16_t);                      // 2,244,000

  // Group remap of SetOldValues: path-map group g takes the defaults of group kOldValueGroups[g].
  static const uint8_t kOldValueGroups[14];

  // All zeros (no defaults) for the given console model.
  explicit StateTable(CControlModel model);
  StateTable(const StateTable&) = delete;
  StateTable& operator=(const StateTable&) = delete;

  // Paths 0 to defaultPaths - 1 take the defaults of their group in map (remapped by
  // kOldValueGroups when remapGroups); the others are zeros. Forgets every stored value.
  void LoadDefaults(int32_t defaultPaths, const CPathMap* map, bool remapGroups);

  const CControlModel& Model() const { return model_; }

  // Region views of one path (0 <= path < kPaths): the stored values, or the path's defaults
  // while it has none. Valid until the next store into the path.
  const uint16_t* Low(int32_t path) const;
  const uint16_t* High(int32_t path) const;
  const uint16_t* Small(int32_t path) const;
  // Writable regions: the path's values in memory (copied from its defaults first).
  uint16_t* LowForWrite(int32_t path) { return Materialize(path) + kLowOffset + Row(path, kLowPerPath); }
  uint16_t* HighForWrite(int32_t path) { return Materialize(path) + kHighOffset + Row(path, kHighPerPath); }
  uint16_t* SmallForWrite(int32_t path) { return Materialize(path) + kSmallOffset + Row(path, kSmallPerPath); }

  // Whether path holds the same values in both tables (cheap when both still read defaults).
  bool PathEquals(int32_t path, const StateTable& other) const;
  bool Equals(const StateTable& other) const;
  // saved: kValues values in the layout above.
  bool EqualsSaved(const uint16_t* saved) const;
  void CopyTo(uint16_t* out) const;

  // A table kept compactly: the default group of every path and, of the paths written, the
  // values that differ from their defaults (positions in the layout above, ascending). Its
  // size follows the automation, not the console: an untouched path costs one byte.
  struct Compact {
    int32_t Variant = -1;
    uint8_t Groups[kPaths] = {};
    std::vector<uint32_t> Positions;
    std::vector<uint16_t> Values;
  };
  void SaveCompact(Compact& out) const;
  // This table (of the same console model) becomes the saved one.
  void LoadCompact(const Compact& saved);

 private:
  static constexpr uint8_t kZeroGroup = 0xFF;  // a path without defaults
  static size_t Row(int32_t path, int32_t perPath) { return size_t(path) * size_t(perPath); }
  // The defaults of path's group (low/high/small rows of the console model).
  const uint16_t* DefaultLow(int32_t path) const;
  const uint16_t* DefaultHigh(int32_t path) const;
  const uint16_t* DefaultSmall(int32_t path) const;
  uint16_t* Materialize(int32_t path) {
    if (!written_[path]) WriteDefaults(path);
    return values_.get();
  }
  void WriteDefaults(int32_t path);

  CControlModel model_;
  std::unique_ptr<uint16_t[]> values_;  // kValues, written per path on first change
  bool written_[kPaths] = {};
  uint8_t group_[kPaths];               // default group of each path, or kZeroGroup
  int32_t variant_;                     // default variant of the console, or -1
};

}  // namespace commonobjects::editing
