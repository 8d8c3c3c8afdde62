// Background mode of a thread, read back the only way Windows tells it: leaving the mode
// works only for a thread that is in it.
#include <gtest/gtest.h>
#include <windows.h>

#include <thread>

#include "os/background_priority.h"

namespace qs {
namespace {

TEST(BackgroundPriorityTest, AThreadEntersBackgroundModeOnce) {
  bool entered = false, again = false, lowered = false;
  std::string why;
  std::thread([&] {
    entered = EnterBackgroundThread(&why);
    again = EnterBackgroundThread(&why);  // already there: not an error
    // Windows leaves background mode only for a thread in it; a system without that mode
    // (Wine) has lowered the thread's priority instead.
    lowered = SetThreadPriority(GetCurrentThread(), THREAD_MODE_BACKGROUND_END) != 0 ||
              GetThreadPriority(GetCurrentThread()) < THREAD_PRIORITY_NORMAL;
  }).join();
  EXPECT_TRUE(entered) << why;
  EXPECT_TRUE(again) << why;
  EXPECT_TRUE(lowered);
}

TEST(BackgroundPriorityTest, AThreadThatDidNotAskKeepsItsPriority) {
  bool left = true;
  int priority = 0;
  std::string why;
  std::thread([&] { EXPECT_TRUE(EnterBackgroundThread(&why)) << why; }).join();  // another thread
  std::thread([&] {
    left = SetThreadPriority(GetCurrentThread(), THREAD_MODE_BACKGROUND_END) != 0;
    priority = GetThreadPriority(GetCurrentThread());
  }).join();
  EXPECT_FALSE(left);
  EXPECT_EQ(THREAD_PRIORITY_NORMAL, priority);
}

}  // namespace
}  // namespace qs
