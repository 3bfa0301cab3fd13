#include "commonobjects/eventstore/Notifications.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "commonobjects/eventstore/AutomationEventArray.h"
#include "commonobjects/platform/WindowMessages.h"

namespace {

using commonobjects::platform::Endpoint;
using commonobjects::platform::PostedMessage;
using commonobjects::platform::RegisterMessage;
using Messages = std::vector<PostedMessage>;

uint32_t EventMessage() { return RegisterMessage("Automation Event Notication"); }
uint32_t NeedsStatusMessage() { return RegisterMessage("Automation Needs Status"); }

TEST(NotificationsTest, EventRoutePrefersTheStatusWindowThenNeedsStatusThenBroadcast) {
  Endpoint bystander("SomeOtherHostWindow");
  {
    Endpoint status("TavmirStatusWindow");
    Endpoint unique("TavmirUniqueClass");
    PostEventNotification(21, 50);
    EXPECT_EQ(status.Drain(), (Messages{{EventMessage(), 21, 50}}));
    EXPECT_TRUE(unique.Drain().empty());

    PostNeedsStatus(22, 7);  // the needs-status route goes to the main window directly
    EXPECT_TRUE(status.Drain().empty());
    EXPECT_EQ(unique.Drain(), (Messages{{NeedsStatusMessage(), 22, 7}}));
  }
  {
    Endpoint unique("TavmirUniqueClass");
    PostEventNotification(28, -4);
    EXPECT_EQ(unique.Drain(), (Messages{{NeedsStatusMessage(), 28, -4}}));
  }
  PostEventNotification(15, 3);  // nobody of either class: every endpoint hears it
  EXPECT_EQ(bystander.Drain(), (Messages{{NeedsStatusMessage(), 15, 3}}));
}

TEST(NotificationsTest, ProgressIsATruncatedPercentageEvenForHugeCounts) {
  Endpoint status("TavmirStatusWindow");
  struct Case { int32_t done, total, percent; };
  const Case cases[] = {{0, 1, 0},      {1, 3, 33},   {2, 3, 66},
                        {50, 50, 100},  {199, 200, 99},
                        {30000000, 40000000, 75}, {2000000000, 2000000000, 100}};
  for (const Case& c : cases) {
    PostProgress(27, c.done, c.total);
    EXPECT_EQ(status.Drain(), (Messages{{EventMessage(), 27, c.percent}}))
        << c.done << "/" << c.total;
  }
}

TEST(NotificationsTest, IsolateAndEraseProgressPostOnlyWhileTheArrayHasAStatusWindow) {
  Endpoint status("TavmirStatusWindow");
  CAutomationEventArray array;
  PostIsolateProgress(&array, 1, 2);
  PostEraseProgress(&array, 1, 2);
  EXPECT_TRUE(status.Drain().empty());

  array.SetStatusWnd(status.Handle());
  PostIsolateProgress(&array, 1, 4);
  PostEraseProgress(&array, 3, 4);
  EXPECT_EQ(status.Drain(), (Messages{{EventMessage(), 19, 25}, {EventMessage(), 20, 75}}));
}

}  // namespace
