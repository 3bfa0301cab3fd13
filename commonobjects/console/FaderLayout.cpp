#include "commonobjects/console/FaderLayout.h"

#include "commonobjects/console/ConsoleConfiguration.h"

CFaderLayout::CFaderLayout() {
  using Config = CConsoleConfiguration;
  const int32_t sideCar = Config::GetSideCarSize();
  const int32_t faders = Config::GetNumberOfFaders();
  // A side-car adds its faders; a zero or negative size adds nothing. The sum wraps as
  // 32-bit arithmetic does rather than overflowing.
  const uint32_t withSideCar = static_cast<uint32_t>(faders) + static_cast<uint32_t>(sideCar);
  Values[Faders] = sideCar >= 1 ? static_cast<int32_t>(withSideCar) : faders;
  Values[ChannelStrips] = Config::GetNumberOfChannelStrips();
  Values[GroupFadersStartAt] = Config::GetGroupFadersStartAt();
  Values[NumGroupFaders] = Config::GetNumGroupFaders();
  Values[OutputFadersStartAt] = Config::GetOutputFadersStartAt();
  Values[NumOutputFaders] = Config::GetNumOutputFaders();
}

int32_t CFaderLayout::GetAt(int32_t i) const {
  if (i < 0 || i >= kCount) return 0;
  return Values[static_cast<size_t>(i)];
}
