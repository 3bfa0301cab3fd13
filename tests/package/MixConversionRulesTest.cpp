// The conversions of old control record layouts, word by word.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "commonobjects/package/internal/MixConversion.h"
#include "commonobjects/platform/ByteOrder.h"

namespace {

using commonobjects::package::ControlRecordLayout;
using commonobjects::package::ConvertControlRecords;

constexpr uint32_t kFill = 0xABCD;

// Word w of old record r holds 1000 * r + w + 1, so every word is told from every other.
std::vector<uint8_t> OldRecords(int records, int words) {
  std::vector<uint8_t> bytes(static_cast<size_t>(records * words) * 4);
  for (int r = 0; r < records; ++r) {
    for (int w = 0; w < words; ++w) {
      commonobjects::platform::Store32(bytes.data() + 4 * (r * words + w), static_cast<uint32_t>(1000 * r + w + 1));
    }
  }
  return bytes;
}

TEST(MixConversionRulesTest, OldControlRecordsMoveEveryWordToItsNewPlaceAndFillTheRest) {
  struct Case {
    ControlRecordLayout layout;
    int oldWords;
    int newWords;
    // For each new word: the old word it takes, -1 for the fill word, -2 for zero.
    std::vector<int> from;
  };
  auto run = [](int first, int last) {
    std::vector<int> words;
    for (int w = first; w <= last; ++w) words.push_back(w);
    return words;
  };
  auto join = [](std::initializer_list<std::vector<int>> parts) {
    std::vector<int> all;
    for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
  };
  const std::vector<int> fill4(4, -1);
  const std::vector<Case> cases = {
      {ControlRecordLayout::kOldest, 20, 36, join({run(0, 4), fill4, run(5, 19), std::vector<int>(12, -1)})},
      {ControlRecordLayout::kSecond, 27, 36, join({run(0, 4), fill4, run(5, 26), std::vector<int>(5, -2)})},
      {ControlRecordLayout::kSmallOld, 4, 5, join({run(0, 3), {-1}})},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(c.from.size(), static_cast<size_t>(c.newWords));
    // Two whole records and a partial one, which is dropped.
    std::vector<uint8_t> old = OldRecords(2, c.oldWords);
    old.resize(old.size() + 4, 0x77);
    const std::vector<uint8_t> converted = ConvertControlRecords(old, c.layout, kFill);
    ASSERT_EQ(converted.size(), static_cast<size_t>(2 * c.newWords * 4));
    for (int r = 0; r < 2; ++r) {
      for (int w = 0; w < c.newWords; ++w) {
        const int from = c.from[static_cast<size_t>(w)];
        const uint32_t expected = from >= 0 ? static_cast<uint32_t>(1000 * r + from + 1) : from == -1 ? kFill : 0;
        EXPECT_EQ(commonobjects::platform::Load32(converted.data() + 4 * (r * c.newWords + w)), expected)
            << "layout " << static_cast<int>(c.layout) << " record " << r << " word " << w;
      }
    }
  }
}

}  // namespace
