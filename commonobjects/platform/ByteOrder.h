// Little-endian loads and stores of 16, 32 and 64-bit values at any byte address: every file
// format of the system (compound files, event records, engine records, the compressed
// automation file, mixes) is little-endian. Each is one unaligned load or store on a
// little-endian machine and byte by byte elsewhere. Pure functions; thread-safe.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

namespace commonobjects::platform {

namespace byteorder_detail {
template <typename T>
inline T Load(const uint8_t* p) {
  T v;
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(&v, p, sizeof v);
  } else {
    v = 0;
    for (size_t i = sizeof v; i-- > 0;) v = static_cast<T>((v << 8) | p[i]);
  }
  return v;
}
template <typename T>
inline void Store(uint8_t* p, T v) {
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(p, &v, sizeof v);
  } else {
    for (size_t i = 0; i < sizeof v; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
  }
}
}  // namespace byteorder_detail

inline uint16_t Load16(const uint8_t* p) { return byteorder_detail::Load<uint16_t>(p); }
inline uint32_t Load32(const uint8_t* p) { return byteorder_detail::Load<uint32_t>(p); }
inline uint64_t Load64(const uint8_t* p) { return byteorder_detail::Load<uint64_t>(p); }
inline void Store16(uint8_t* p, uint16_t v) { byteorder_detail::Store(p, v); }
inline void Store32(uint8_t* p, uint32_t v) { byteorder_detail::Store(p, v); }
inline void Store64(uint8_t* p, uint64_t v) { byteorder_detail::Store(p, v); }

}  // namespace commonobjects::platform
