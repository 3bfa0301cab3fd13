#include "commonobjects/package/internal/MixConversion.h"

#include <algorithm>
#include <cstdint>

#include "commonobjects/eventstore/Notifications.h"
#include "commonobjects/package/MixLayout.h"
#include "commonobjects/package/PackageDefaults.h"
#include "commonobjects/platform/ByteOrder.h"

namespace commonobjects::package {

namespace {

using platform::Load32;
using platform::Store32;

constexpr uint16_t kNoGang = 0xFFFF;
constexpr uint32_t kConversionCode = 26;

// Where the words of an old record go: old words [from, from + count) to new words [to, ...).
struct WordRun {
  int32_t from;
  int32_t to;
  int32_t count;
};
// New words taking the fill word: [first, first + count).
struct FillRun {
  int32_t first;
  int32_t count;
};

struct LayoutRules {
  int32_t oldWords;
  int32_t newWords;
  std::vector<WordRun> moves;
  std::vector<FillRun> fills;
};

LayoutRules RulesFor(ControlRecordLayout layout) {
  switch (layout) {
    case ControlRecordLayout::kOldest: return {20, 36, {{0, 0, 5}, {5, 9, 15}}, {{5, 4}, {24, 12}}};
    case ControlRecordLayout::kSecond: return {27, 36, {{0, 0, 5}, {5, 9, 22}}, {{5, 4}}};
    case ControlRecordLayout::kSmallOld: return {4, 5, {{0, 0, 4}}, {{4, 1}}};
    default: return {36, 36, {{0, 0, 36}}, {}};
  }
}

}  // namespace

ControlRecordLayout ControlLayoutForVersion(uint32_t version, bool smallConsole) {
  if (smallConsole) {
    return version < MixLayout::kFirstSmallCurrentVersion ? ControlRecordLayout::kSmallOld
                                                          : ControlRecordLayout::kCurrent;
  }
  if (version < MixLayout::kFirstSecondLayoutVersion) return ControlRecordLayout::kOldest;
  if (version < MixLayout::kFirstCurrentLayoutVersion) return ControlRecordLayout::kSecond;
  return ControlRecordLayout::kCurrent;
}

int32_t StoredControlRecordBytes(ControlRecordLayout layout, bool smallConsole) {
  if (layout == ControlRecordLayout::kCurrent) {
    return smallConsole ? MixLayout::kSmallControlRecordBytes : MixLayout::kFullControlRecordBytes;
  }
  return RulesFor(layout).oldWords * 4;
}

std::vector<uint8_t> ConvertControlRecords(const std::vector<uint8_t>& old, ControlRecordLayout layout,
                                           uint32_t fill) {
  const LayoutRules rules = RulesFor(layout);
  const size_t oldBytes = static_cast<size_t>(rules.oldWords) * 4;
  const size_t newBytes = static_cast<size_t>(rules.newWords) * 4;
  const size_t records = old.size() / oldBytes;
  std::vector<uint8_t> converted(records * newBytes);
  for (size_t r = 0; r < records; ++r) {
    const uint8_t* from = old.data() + r * oldBytes;
    uint8_t* to = converted.data() + r * newBytes;
    for (const WordRun& run : rules.moves) {
      for (int32_t w = 0; w < run.count; ++w) Store32(to + 4 * (run.to + w), Load32(from + 4 * (run.from + w)));
    }
    for (const FillRun& run : rules.fills) {
      for (int32_t w = 0; w < run.count; ++w) Store32(to + 4 * (run.first + w), fill);
    }
  }
  return converted;
}

void AssignControlRecords(std::vector<uint8_t> stored, ControlRecordLayout layout, int32_t slot,
                          CRecordArray& target) {
  if (layout != ControlRecordLayout::kCurrent) {
    PostEventNotification(kConversionCode, slot * 100 / MixLayout::kSlotCount);
    stored = ConvertControlRecords(stored, layout, PackageDefaults::ConversionFillWord(slot));
  }
  target.Assign(std::move(stored));
}

void ExtendRecords(CRecordArray& slot, int32_t records) {
  if (slot.GetSize() < records) slot.SetSize(records);
}

void ExtendLinkMap(CGrowableArray<uint32_t>& map, int32_t paths) {
  for (int32_t i = map.GetSize(); i < paths; ++i) map.Add(static_cast<uint32_t>(i));
}

void RelayGangMap(CGrowableArray<uint16_t>& map, int32_t oldPaths, int32_t newPaths) {
  if (newPaths <= oldPaths || map.GetSize() != oldPaths * oldPaths) return;
  CGrowableArray<uint16_t> relaid;
  relaid.SetSize(newPaths * newPaths);
  std::fill(relaid.begin(), relaid.end(), kNoGang);
  for (int32_t row = 0; row < oldPaths; ++row) {
    std::copy_n(map.GetData() + row * oldPaths, oldPaths, relaid.GetData() + row * newPaths);
  }
  map = std::move(relaid);
}

void RelayParameterBlock(CGrowableArray<uint16_t>& block, int32_t oldPaths, int32_t newPaths) {
  if (newPaths <= oldPaths || oldPaths <= 0 || block.IsEmpty() || block.GetSize() % oldPaths != 0) return;
  const int64_t words = static_cast<int64_t>(block.GetSize() / oldPaths) * newPaths;
  if (words <= INT32_MAX) block.SetSize(static_cast<int32_t>(words));
}

}  // namespace commonobjects::package
