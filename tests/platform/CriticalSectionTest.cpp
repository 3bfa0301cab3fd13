#include "commonobjects/platform/CriticalSection.h"

#include <gtest/gtest.h>

#include <future>

namespace commonobjects::platform {
namespace {

bool TryFromOtherThread(CriticalSection& section) {
  return std::async(std::launch::async, [&section] {
           bool entered = section.TryEnter();
           if (entered) section.Leave();
           return entered;
         }).get();
}

TEST(CriticalSectionTest, HolderMayReenterAndOthersWaitUntilTheLastLeave) {
  CriticalSection section;
  section.Enter();
  EXPECT_TRUE(section.TryEnter());
  {
    CriticalSectionLock again(section);
    EXPECT_FALSE(TryFromOtherThread(section));
  }
  section.Leave();
  EXPECT_FALSE(TryFromOtherThread(section));  // one Enter still held
  section.Leave();
  EXPECT_TRUE(TryFromOtherThread(section));
}

}  // namespace
}  // namespace commonobjects::platform
