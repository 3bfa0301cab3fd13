// The two notification routes, over the process's endpoint hub.
#include "commonobjects/eventstore/Notifications.h"

#include "commonobjects/eventstore/AutomationEventArray.h"
#include "commonobjects/platform/WindowMessages.h"
#include "commonobjects/settings/SharedNames.h"

namespace platform = commonobjects::platform;

namespace {

constexpr uint32_t kConformItemCode = 28;      // param: the item number (1-based)
constexpr uint32_t kConformProgressCode = 27;  // param: percentage of the items
constexpr uint32_t kIsolateCode = 19;
constexpr uint32_t kEraseCode = 20;

// done * 100 / total, truncating toward zero. The product is taken in 64 bits so that
// counts above 21 million events do not wrap; a total below 1 counts as 1.
int32_t Percent(int32_t done, int32_t total) {
  const int64_t divisor = total < 1 ? 1 : total;
  return static_cast<int32_t>(static_cast<int64_t>(done) * 100 / divisor);
}

}  // namespace

void PostEventNotification(uint32_t code, int32_t param) {
  // Registered at every post: the hub hands back the same number each time.
  const uint32_t message =
      platform::RegisterMessage(SharedNames::kAutomationEventNotificationMessage);
  const HWND status = platform::FindEndpoint(SharedNames::kStatusWindowClass);
  // A status window that closes between finding and posting counts as absent.
  if (status != nullptr && platform::PostToEndpoint(status, message, code, param)) return;
  PostNeedsStatus(code, param);
}

void PostNeedsStatus(uint32_t code, int32_t param) {
  const uint32_t message = platform::RegisterMessage(SharedNames::kAutomationNeedsStatusMessage);
  const HWND main = platform::FindEndpoint(SharedNames::kUniqueWindowClass);
  platform::PostToEndpoint(main != nullptr ? main : platform::BroadcastHandle(), message, code,
                           param);
}

void PostProgress(uint32_t code, int32_t done, int32_t total) {
  PostEventNotification(code, Percent(done, total));
}

void PostIsolateProgress(const CAutomationEventArray* array, int32_t done, int32_t total) {
  if (array != nullptr && array->GetStatusWnd() != nullptr) PostProgress(kIsolateCode, done, total);
}

void PostEraseProgress(const CAutomationEventArray* array, int32_t done, int32_t total) {
  if (array != nullptr && array->GetStatusWnd() != nullptr) PostProgress(kEraseCode, done, total);
}

void PostConformItem(const CAutomationEventArray* array, int32_t index, int32_t count) {
  if (array == nullptr || array->GetStatusWnd() == nullptr) return;
  PostEventNotification(kConformItemCode, index + 1);
  PostProgress(kConformProgressCode, index, count);
}
