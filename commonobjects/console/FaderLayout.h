// CFaderLayout: the console's fader counts as the package records them, taken from the
// console configuration when the layout is built and fixed afterwards.
//
// Six values, in this order (GetAt index): 0 number of faders (NumberOfFaders plus
// SideCarSize when SideCarSize is 1 or more), 1 number of channel strips, 2 first group
// fader, 3 number of group faders, 4 first output fader, 5 number of output faders.
// A plain copyable value; not thread-safe.
#pragma once

#include <array>
#include <cstdint>

class CFaderLayout {
 public:
  enum Index : int32_t {
    Faders = 0,
    ChannelStrips = 1,
    GroupFadersStartAt = 2,
    NumGroupFaders = 3,
    OutputFadersStartAt = 4,
    NumOutputFaders = 5,
  };
  static constexpr int32_t kCount = 6;

  CFaderLayout();  // reads the console configuration (once per process)
  virtual ~CFaderLayout() = default;
  CFaderLayout(const CFaderLayout&) = default;
  CFaderLayout& operator=(const CFaderLayout&) = default;

  // The i-th value for i in [0, kCount); 0 for any other index.
  int32_t GetAt(int32_t i) const;

 private:
  std::array<int32_t, kCount> Values{};
};
