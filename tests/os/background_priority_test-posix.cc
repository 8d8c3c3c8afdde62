// Background priority, read back from the kernel: the I/O class through ioprio_get, the nice
// value from /proc/self/task/TID/stat; for the calling thread and the threads it starts.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <thread>

#include "os/background_priority.h"

namespace qs {
namespace {

constexpr int kIoprioWhoProcess = 1;
constexpr int kIoprioClassIdle = 3;

int IoClassOfThisThread() {
  const long value = syscall(SYS_ioprio_get, kIoprioWhoProcess, 0);
  return value < 0 ? -1 : static_cast<int>(value >> 13);
}

/// Field 19 of /proc/self/task/TID/stat: the thread's nice value.
int NiceOfThisThread() {
  std::ifstream stat("/proc/self/task/" + std::to_string(gettid()) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  std::istringstream fields(text.substr(text.rfind(')') + 2));  // after "pid (comm) "
  std::string field;
  for (int i = 3; i <= 19; ++i) fields >> field;
  return std::stoi(field);
}

struct Priority {
  int io_class = -1;
  int nice = 0;
};

Priority OfThisThread() { return {IoClassOfThisThread(), NiceOfThisThread()}; }

TEST(BackgroundPriorityTest, AThreadAndTheThreadsItStartsAfterwardsGiveWay) {
  const Priority main_before = OfThisThread();
  Priority lowered, started_after;
  bool entered = false;
  std::string why;
  std::thread([&] {
    entered = EnterBackgroundThread(&why);
    lowered = OfThisThread();
    std::thread([&] { started_after = OfThisThread(); }).join();
  }).join();
  ASSERT_TRUE(entered) << why;
  EXPECT_EQ(kIoprioClassIdle, lowered.io_class);
  EXPECT_EQ(10, lowered.nice);
  EXPECT_EQ(kIoprioClassIdle, started_after.io_class);
  EXPECT_EQ(10, started_after.nice);
  // The thread that did not ask keeps its priority.
  EXPECT_EQ(main_before.io_class, OfThisThread().io_class);
  EXPECT_EQ(main_before.nice, OfThisThread().nice);
  EXPECT_NE(kIoprioClassIdle, OfThisThread().io_class);
}

TEST(BackgroundPriorityTest, AThreadAlreadyLowerIsNotRaised) {
  Priority after;
  bool entered = false;
  std::string why;
  std::thread([&] {
    ASSERT_EQ(0, setpriority(PRIO_PROCESS, 0, 15));
    entered = EnterBackgroundThread(&why);
    after = OfThisThread();
  }).join();
  ASSERT_TRUE(entered) << why;
  EXPECT_EQ(15, after.nice);
  EXPECT_EQ(kIoprioClassIdle, after.io_class);
}

}  // namespace
}  // namespace qs
