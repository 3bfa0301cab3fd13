#include "commonobjects/editing/ChannelSearch.h"

#include <gtest/gtest.h>

#include <vector>

#include "commonobjects/editing/AutomationChannel.h"
#include "commonobjects/platform/WindowMessages.h"
#include "support/Events.h"
#include "support/TestConsole.h"

namespace {

using testsupport::MakeEvent;

TEST(ChannelSearchTest, BisectionFindsPathsAndChannelsWithUnsignedProcAndControl) {
  testsupport::TestConsole console(3);
  CAutomationEventArray a;  // channel order; Proc 200 and Control 130 sort after small ones
  for (const CAutomationEvent& e :
       {MakeEvent(-1, 0, 0, 5, 0), MakeEvent(2, 14, 0, 100, 0), MakeEvent(2, 14, 0, 900, 0),
        MakeEvent(2, 14, 130, 50, 0), MakeEvent(2, 200, 1, 10, 0), MakeEvent(2, 200, 1, 500, 0),
        MakeEvent(7, 3, 3, 1, 0)}) {
    a.Add(e);
  }
  int32_t first = 0;
  int32_t latest = 0;
  EXPECT_EQ(FindPathEvents(a, 2, 0, 6, first, latest), 5);
  EXPECT_EQ(first, 1);
  EXPECT_EQ(latest, 900);  // not the time of the path's last index
  EXPECT_EQ(FindPathEvents(a, 2, 3, 4, first, latest), 4);
  EXPECT_EQ(first, 3);
  EXPECT_EQ(latest, 50);
  EXPECT_EQ(FindPathEvents(a, 5, 0, 6, first, latest), -1);
  const struct { int32_t path, proc, control, first, last, found; } cases[] = {
      {2, 14, 0, 0, 6, 2},   {2, 14, 130, 0, 6, 3}, {2, 200, 1, 0, 6, 5},  {2, 200, 1, 0, 4, 4},
      {-1, 0, 0, 0, 6, 0},   {7, 3, 3, 0, 6, 6},    {2, 14, 1, 0, 6, -1},  {2, 14, 0, 3, 6, -1},
      {2, 456, 1, 0, 6, -1}, {2, 14, 0, 4, 3, -1},  {7, 3, 3, 0, 99, 6}};
  for (const auto& c : cases) {
    EXPECT_EQ(FindChannelIndex(a, c.path, c.proc, c.control, c.first, c.last), c.found)
        << c.path << " " << c.proc << " " << c.control << " in " << c.first << ".." << c.last;
  }
  EXPECT_EQ(FindLastEventOfPath(a, 2, 0, 6), 5);
  EXPECT_EQ(FindLastEventOfPath(a, 2, 6, 6), -1);
  EXPECT_EQ(FindLastEventOfPath(a, 3, 0, 6), -1);
}

TEST(ChannelSearchTest, ChannelEventsAreCopiedWithProgressAtEvery500thIndex) {
  testsupport::TestConsole console(3);
  commonobjects::platform::Endpoint status("TavmirStatusWindow");
  CAutomationEventArray a;  // no status window: the progress is posted all the same
  for (int32_t i = 0; i < 10; ++i) a.Add(MakeEvent(1, 14, 0, i, 0));
  for (int32_t i = 0; i < 1200; ++i) a.Add(MakeEvent(1, 14, 2, i, i));
  a.Add(MakeEvent(2, 14, 2, 0, 0));
  CAutomationChannel channel;
  channel.Add(MakeEvent(9, 9, 9, 9, 9));
  int32_t first = -1;
  ASSERT_TRUE(FindChannelEvents(a, 0, a.GetSize() - 1, 1, 14, 2, channel, first));
  EXPECT_EQ(first, 10);
  ASSERT_EQ(channel.GetSize(), 1200);
  EXPECT_EQ(channel[1199], a[1209]);
  std::vector<int32_t> posted;
  for (const auto& m : status.Drain()) {
    if (m.code == 1) posted.push_back(m.param);
  }
  EXPECT_EQ(posted, (std::vector<int32_t>{500, 1000}));

  EXPECT_FALSE(FindChannelEvents(a, 0, 1209, 2, 14, 2, channel, first));  // outside the range
  EXPECT_EQ(first, -1);
  EXPECT_TRUE(channel.IsEmpty());
}

}  // namespace
