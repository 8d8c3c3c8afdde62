// Counting under one mutex; the waiter wakes only after the ending thread let go of it.
#include "schedule/live_threads.h"

namespace qs {

void LiveThreads::Started() {
  std::lock_guard<std::mutex> lock(mutex_);
  ++count_;
}

void LiveThreads::Ended() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (--count_ == 0) none_left_.notify_all();
}

void LiveThreads::WaitUntilNone() {
  std::unique_lock<std::mutex> lock(mutex_);
  none_left_.wait(lock, [this] { return count_ == 0; });
}

int LiveThreads::Count() {
  std::lock_guard<std::mutex> lock(mutex_);
  return count_;
}

}  // namespace qs
