// The shared default records of the package: the values old mixes are converted with.
//
// The hosts know them as process-wide records that every package construction rewrites with
// the same constants; here they are those constants, built at compile time, so concurrent
// construction (and any reader) sees them unchanged. Thread-safe.
#pragma once

#include <array>
#include <cstdint>

namespace PackageDefaults {

inline constexpr int32_t kControlWords = 36;  // words of a full control record
inline constexpr int32_t kRouteWords = 48;    // words of a full route record
inline constexpr uint32_t kDefaultWord = 65535;
inline constexpr uint32_t kModeWord = 87381;  // 0x15555

template <int32_t N>
constexpr std::array<uint32_t, N> Filled(uint32_t word) {
  std::array<uint32_t, N> record{};
  record.fill(word);
  return record;
}

inline constexpr auto kControlRecord = Filled<kControlWords>(kDefaultWord);
inline constexpr auto kModeControlRecord = Filled<kControlWords>(kModeWord);
inline constexpr auto kZeroControlRecord = Filled<kControlWords>(0);
inline constexpr auto kRouteRecord = Filled<kRouteWords>(kDefaultWord);
inline constexpr auto kModeRouteRecord = Filled<kRouteWords>(kModeWord);
inline constexpr auto kZeroRouteRecord = Filled<kRouteWords>(0);
inline constexpr std::array<uint32_t, 5> kScalars = {87360, 87380, 87120, kModeWord, kDefaultWord};

// The word that fills the fields an old control record lacks, by slot: "Mode" (3) takes the
// mode word of the second default record, "LinkControls" (7) the default word, every other
// slot 0.
constexpr uint32_t ConversionFillWord(int32_t slot) {
  if (slot == 3) return kModeControlRecord[0];
  if (slot == 7) return kControlRecord[0];
  return kZeroControlRecord[0];
}

}  // namespace PackageDefaults
