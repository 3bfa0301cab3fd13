// The key input delay: a raw value counts samples in steps of 64; it is shown in
// microseconds at the system's sample rate.
#include <cstdint>

#include "commonobjects/presentation/internal/ValueFormatters.h"
#include "commonobjects/settings/RegistryAccess.h"

namespace commonobjects::presentation {
namespace {

// HKEY_CURRENT_USER; the number of samples per second the system runs at.
constexpr char kPreferenceKey[] = "Software\\QRXSettings\\QENSERVER\\PrefereceArea\\";
constexpr char kSampleRateValue[] = "SampleRatePref";
constexpr int32_t kDefaultSampleRate = 48000;

int32_t ReadSampleRate() {
  CRegistryAccess registry;
  registry.SetRoot(HKEY_CURRENT_USER);
  int32_t rate = kDefaultSampleRate;
  registry.ReadNumber(kPreferenceKey, kSampleRateValue, rate, kDefaultSampleRate);
  return rate;
}

}  // namespace

std::optional<int32_t> KeyInputDelayMicroseconds(int32_t value, int32_t sampleRate) {
  const int32_t steps = value / 64;
  if (steps == 0) return 0;
  if (sampleRate <= 0) return std::nullopt;
  int64_t k = 0;
  if (sampleRate == 47952) {
    k = 208;
  } else if (sampleRate == 44056) {
    k = 226;
  } else {
    k = (sampleRate % 48000 == 0 ? 9984000 : 9966600) / sampleRate;
  }
  // |k| <= 9984000 and |steps| <= 512, so the product needs 64 bits but the result fits.
  return static_cast<int32_t>(k * steps / 10);
}

std::string KeyInputDelayText(const ValueTextInput& in) {
  const std::optional<int32_t> micros = KeyInputDelayMicroseconds(in.value, ReadSampleRate());
  if (!micros) return "????";
  if (*micros == 0) return "OFF";
  return Printf("%d%s", *micros, in.Unit("u"));
}

}  // namespace commonobjects::presentation
