#include "commonobjects/package/internal/MixArrays.h"

#include "commonobjects/eventstore/Notifications.h"

namespace commonobjects::package {

namespace {
constexpr uint32_t kLoadCode = 15;
constexpr size_t kSteps = 30;
}  // namespace

void PostCopyProgress(size_t count) {
  const size_t step = count / kSteps;
  if (step < 1) return;
  for (size_t i = 0; i < count; i += step) {
    PostEventNotification(kLoadCode, static_cast<int32_t>(i * 100 / count));
  }
}

}  // namespace commonobjects::package
