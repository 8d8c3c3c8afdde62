// A count of the threads of one kind still running, so tests can wait for detached threads.
#pragma once

#include <condition_variable>
#include <mutex>

namespace qs {

class LiveThreads {
 public:
  void Started();
  /// The thread's last touch of shared state: it only returns afterwards.
  void Ended();
  /// Waits until every thread counted has ended.
  void WaitUntilNone();
  int Count();

 private:
  std::mutex mutex_;
  std::condition_variable none_left_;
  int count_ = 0;
};

}  // namespace qs
