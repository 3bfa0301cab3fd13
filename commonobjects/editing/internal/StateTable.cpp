#include "commonobjects/editing/internal/StateTable.h"

#include <algorithm>
#include <cstring>

#include "commonobjects/console/PathMap.h"

namespace commonobjects::editing {

namespace {
const uint16_t* AsValues(const int16_t* table) { return reinterpret_cast<const uint16_t*>(table); }
}  // namespace

const uint8_t StateTable::kOldValueGroups[14] = {0, 7, 1, 2, 3, 8, 4, 5, 6, 9, 10, 11, 12, 13};

StateTable::StateTable(CControlModel model)
    // Not value-initialised: a path's memory is written when it first changes.
    : model_(model), values_(new uint16_t[kValues]), variant_(model.GetDefaultVariant()) {
  std::fill(std::begin(group_), std::end(group_), kZeroGroup);
}

void StateTable::LoadDefaults(int32_t defaultPaths, const CPathMap* map, bool remapGroups) {
  std::fill(std::begin(written_), std::end(written_), false);
  const bool hasDefaults = model_.HasChannels();
  for (int32_t path = 0; path < kPaths; ++path) {
    if (!hasDefaults || path >= defaultPaths) {
      group_[path] = kZeroGroup;
      continue;
    }
    const int32_t group = map != nullptr ? map->GetGroup(path) : 0;
    group_[path] = remapGroups ? kOldValueGroups[group] : static_cast<uint8_t>(group);
  }
}

const uint16_t* StateTable::DefaultLow(int32_t path) const {
  if (group_[path] == kZeroGroup || !model_.IsLargeConsole()) {
    return AsValues(DefaultConsoleState::ZeroTable());
  }
  return AsValues(DefaultConsoleState::LowTable(variant_, group_[path]));
}

const uint16_t* StateTable::DefaultHigh(int32_t path) const {
  if (group_[path] == kZeroGroup || !model_.IsLargeConsole()) {
    return AsValues(DefaultConsoleState::ZeroTable());
  }
  return AsValues(DefaultConsoleState::HighTable());
}

const uint16_t* StateTable::DefaultSmall(int32_t path) const {
  if (group_[path] == kZeroGroup || !model_.IsSmallConsole()) {
    return AsValues(DefaultConsoleState::ZeroTable());
  }
  return AsValues(DefaultConsoleState::SmallTable());
}

void StateTable::WriteDefaults(int32_t path) {
  uint16_t* values = values_.get();
  std::memcpy(values + kLowOffset + Row(path, kLowPerPath), DefaultLow(path),
              kLowPerPath * sizeof(uint16_t));
  std::memcpy(values + kHighOffset + Row(path, kHighPerPath), DefaultHigh(path),
              kHighPerPath * sizeof(uint16_t));
  std::memcpy(values + kSmallOffset + Row(path, kSmallPerPath), DefaultSmall(path),
              kSmallPerPath * sizeof(uint16_t));
  written_[path] = true;
}

const uint16_t* StateTable::Low(int32_t path) const {
  return written_[path] ? values_.get() + kLowOffset + Row(path, kLowPerPath) : DefaultLow(path);
}

const uint16_t* StateTable::High(int32_t path) const {
  return written_[path] ? values_.get() + kHighOffset + Row(path, kHighPerPath) : DefaultHigh(path);
}

const uint16_t* StateTable::Small(int32_t path) const {
  return written_[path] ? values_.get() + kSmallOffset + Row(path, kSmallPerPath)
                        : DefaultSmall(path);
}

namespace {
bool SameValues(const uint16_t* a, const uint16_t* b, int32_t count) {
  return a == b || std::memcmp(a, b, size_t(count) * sizeof(uint16_t)) == 0;
}
}  // namespace

bool StateTable::PathEquals(int32_t path, const StateTable& other) const {
  // Both untouched: equal when their defaults are (the same rows are the same pointers).
  return SameValues(Low(path), other.Low(path), kLowPerPath) &&
         SameValues(High(path), other.High(path), kHighPerPath) &&
         SameValues(Small(path), other.Small(path), kSmallPerPath);
}

bool StateTable::Equals(const StateTable& other) const {
  for (int32_t path = 0; path < kPaths; ++path) {
    if (!PathEquals(path, other)) return false;
  }
  return true;
}

bool StateTable::EqualsSaved(const uint16_t* saved) const {
  for (int32_t path = 0; path < kPaths; ++path) {
    if (!SameValues(Low(path), saved + kLowOffset + Row(path, kLowPerPath), kLowPerPath) ||
        !SameValues(High(path), saved + kHighOffset + Row(path, kHighPerPath), kHighPerPath) ||
        !SameValues(Small(path), saved + kSmallOffset + Row(path, kSmallPerPath), kSmallPerPath)) {
      return false;
    }
  }
  return true;
}

void StateTable::CopyTo(uint16_t* out) const {
  for (int32_t path = 0; path < kPaths; ++path) {
    std::memcpy(out + kLowOffset + Row(path, kLowPerPath), Low(path), kLowPerPath * sizeof(uint16_t));
    std::memcpy(out + kHighOffset + Row(path, kHighPerPath), High(path),
                kHighPerPath * sizeof(uint16_t));
    std::memcpy(out + kSmallOffset + Row(path, kSmallPerPath), Small(path),
                kSmallPerPath * sizeof(uint16_t));
  }
}

void StateTable::SaveCompact(Compact& out) const {
  out.Variant = variant_;
  std::memcpy(out.Groups, group_, sizeof(group_));
  out.Positions.clear();
  out.Values.clear();
  auto keep = [&](size_t base, const uint16_t* mine, const uint16_t* defaults, int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
      // Most of a path's values are its defaults: skip them eight at a time.
      if (i % 8 == 0 && i + 8 <= count && std::memcmp(mine + i, defaults + i, 8 * sizeof(uint16_t)) == 0) {
        i += 7;
        continue;
      }
      if (mine[i] == defaults[i]) continue;
      out.Positions.push_back(static_cast<uint32_t>(base + size_t(i)));
      out.Values.push_back(mine[i]);
    }
  };
  // Regions in layout order, so the positions come out ascending.
  for (int32_t path = 0; path < kPaths; ++path) {
    if (written_[path]) keep(kLowOffset + Row(path, kLowPerPath), Low(path), DefaultLow(path), kLowPerPath);
  }
  for (int32_t path = 0; path < kPaths; ++path) {
    if (written_[path]) keep(kHighOffset + Row(path, kHighPerPath), High(path), DefaultHigh(path), kHighPerPath);
  }
  for (int32_t path = 0; path < kPaths; ++path) {
    if (written_[path]) keep(kSmallOffset + Row(path, kSmallPerPath), Small(path), DefaultSmall(path), kSmallPerPath);
  }
}

void StateTable::LoadCompact(const Compact& saved) {
  variant_ = saved.Variant;
  std::memcpy(group_, saved.Groups, sizeof(group_));
  std::fill(std::begin(written_), std::end(written_), false);
  for (size_t i = 0; i < saved.Positions.size(); ++i) {
    const size_t position = saved.Positions[i];
    if (position >= kValues) continue;  // not a table position: nothing to restore
    int32_t path = 0;
    if (position < kHighOffset) {
      path = static_cast<int32_t>(position / kLowPerPath);
    } else if (position < kSmallOffset) {
      path = static_cast<int32_t>((position - kHighOffset) / kHighPerPath);
    } else {
      path = static_cast<int32_t>((position - kSmallOffset) / kSmallPerPath);
    }
    Materialize(path)[position] = saved.Values[i];
  }
}

}  // namespace commonobjects::editing
