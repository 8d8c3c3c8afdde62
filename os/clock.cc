// The real clock: steady_clock for scheduling, system_clock for the texts of the logs.
#include "os/clock.h"

#include <chrono>
#include <thread>

namespace qs {

namespace {

class RealClockImpl : public Clock {
 public:
  int64_t MonotonicNanos() override {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
  }

  void SleepMillis(int64_t millis) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(millis));
  }

  int64_t WallTicks() override {
    const auto since_epoch = std::chrono::system_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::nanoseconds>(since_epoch).count() / 100;
  }
};

}  // namespace

Clock& RealClock() {
  static RealClockImpl clock;
  return clock;
}

}  // namespace qs
