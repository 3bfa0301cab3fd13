#include "commonobjects/platform/WindowMessages.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <mutex>
#include <set>
#include <thread>

namespace commonobjects::platform {
namespace {

using std::chrono::milliseconds;

TEST(WindowMessagesTest, MessageNumbersAreStablePerNameIgnoringCase) {
  uint32_t status = RegisterMessage("Test Status Message");
  uint32_t other = RegisterMessage("Test Other Message");
  EXPECT_GE(status, 0xC000u);
  EXPECT_LE(status, 0xFFFFu);
  EXPECT_NE(status, other);
  EXPECT_EQ(RegisterMessage("TEST STATUS message"), status);
  EXPECT_EQ(RegisterMessage(""), 0u);
}

TEST(WindowMessagesTest, PostsReachTheFoundEndpointOrEveryLiveOneOnBroadcast) {
  EXPECT_EQ(FindEndpoint("TestHost"), nullptr);
  EXPECT_TRUE(PostToEndpoint(BroadcastHandle(), 0xC001, 1, 1));  // nobody listens: still true
  Endpoint older("TestHost");
  Endpoint other("TestOther");
  HWND gone = nullptr;
  {
    Endpoint newer("TestHost");
    gone = newer.Handle();
    EXPECT_EQ(FindEndpoint("testhost"), gone);
  }
  EXPECT_EQ(FindEndpoint("TestHost"), older.Handle());
  Endpoint later("TestLater");
  std::set<HWND> handles{older.Handle(), other.Handle(), gone, later.Handle(), BroadcastHandle()};
  EXPECT_EQ(handles.size(), 5u);  // never reused, never the broadcast value

  EXPECT_TRUE(PostToEndpoint(older.Handle(), 0xC001, 15, 50));
  EXPECT_TRUE(PostToEndpoint(BroadcastHandle(), 0xC002, 31, -1));
  EXPECT_FALSE(PostToEndpoint(gone, 0xC001, 99, 99));
  EXPECT_FALSE(PostToEndpoint(nullptr, 0xC001, 99, 99));
  EXPECT_EQ(older.Drain(), (std::vector<PostedMessage>{{0xC001, 15, 50}, {0xC002, 31, -1}}));
  EXPECT_EQ(other.Drain(), (std::vector<PostedMessage>{{0xC002, 31, -1}}));
  EXPECT_TRUE(older.Drain().empty());
}

TEST(WindowMessagesTest, FullQueueDropsItsOldestMessages) {
  Endpoint endpoint("TestFull");
  for (size_t i = 0; i < kEndpointQueueLimit + 5; ++i) {
    ASSERT_TRUE(PostToEndpoint(endpoint.Handle(), 0xC001, 2, static_cast<int32_t>(i)));
  }
  std::vector<PostedMessage> kept = endpoint.Drain();
  ASSERT_EQ(kept.size(), kEndpointQueueLimit);
  EXPECT_EQ(kept.front().param, 5);
  EXPECT_EQ(kept.back().param, static_cast<int32_t>(kEndpointQueueLimit + 4));
  EXPECT_EQ(endpoint.DroppedCount(), 5u);
}

TEST(WindowMessagesTest, WaitAndDrainWakesOnPost) {
  Endpoint endpoint("TestWaiter");
  std::thread poster([handle = endpoint.Handle()] {
    std::this_thread::sleep_for(milliseconds(30));
    PostToEndpoint(handle, 0xC001, 27, 100);
  });
  auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(endpoint.WaitAndDrain(milliseconds(20000)), (std::vector<PostedMessage>{{0xC001, 27, 100}}));
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));  // woken, not timed out
  poster.join();
}

TEST(WindowMessagesTest, ConcurrentPostsArriveOnceInPerThreadOrderAndDestructorFlushes) {
  constexpr int kThreads = 4;
  constexpr int kPerThread = 2000;
  std::mutex mutex;
  std::vector<PostedMessage> delivered;
  std::promise<void> posted;
  std::shared_future<void> allPosted = posted.get_future().share();
  {
    // The callback holds back until every post is in, so the destructor finds a full queue.
    Endpoint endpoint("TestConcurrent", [&](const PostedMessage& message) {
      allPosted.wait();
      std::lock_guard lock(mutex);
      delivered.push_back(message);
    });
    std::vector<std::thread> posters;
    for (int t = 0; t < kThreads; ++t) {
      posters.emplace_back([t, handle = endpoint.Handle()] {
        for (int i = 0; i < kPerThread; ++i) PostToEndpoint(handle, 0xC001, static_cast<uint32_t>(t), i);
      });
    }
    for (auto& poster : posters) poster.join();
    posted.set_value();
  }
  ASSERT_EQ(delivered.size(), static_cast<size_t>(kThreads * kPerThread));
  std::vector<int32_t> next(kThreads, 0);
  for (const PostedMessage& message : delivered) {
    ASSERT_EQ(message.param, next[message.code]++) << "thread " << message.code;
  }
}

TEST(WindowMessagesTest, CallbackMayPostToItsOwnEndpoint) {
  std::promise<void> echoed;
  Endpoint endpoint("TestEcho", [&](const PostedMessage& message) {
    if (message.code == 1) PostToEndpoint(FindEndpoint("TestEcho"), message.message, 2, message.param);
    if (message.code == 2) echoed.set_value();
  });
  ASSERT_TRUE(PostToEndpoint(endpoint.Handle(), 0xC001, 1, 7));
  EXPECT_EQ(echoed.get_future().wait_for(std::chrono::seconds(10)), std::future_status::ready);
  EXPECT_TRUE(endpoint.Drain().empty());  // a callback endpoint's messages are its callback's
}

TEST(WindowMessagesTest, EndpointsComeAndGoSafelyWhileOthersPost) {
  std::atomic<bool> done{false};
  std::thread poster([&] {
    while (!done) {
      PostToEndpoint(FindEndpoint("TestChurn"), 0xC001, 1, 1);
      PostToEndpoint(BroadcastHandle(), 0xC001, 2, 2);
    }
  });
  for (int i = 0; i < 200; ++i) {
    Endpoint queued("TestChurn");
    Endpoint called("TestChurn", [](const PostedMessage&) {});
  }
  done = true;
  poster.join();
  EXPECT_EQ(FindEndpoint("TestChurn"), nullptr);
}

}  // namespace
}  // namespace commonobjects::platform
