// A notifier that keeps what it was asked to show and answers as the test tells it.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "os/notifier.h"

namespace qs::test {

class RecordingNotifier : public Notifier {
 public:
  NotifyResult Notify(const Notification& notification, std::string* why) override {
    std::lock_guard<std::mutex> lock(mutex_);
    shown_.push_back(notification);
    *why = why_;
    return result_;
  }

  /// Every later call answers `result`, with `why` as its reason.
  void Answer(NotifyResult result, std::string why) {
    std::lock_guard<std::mutex> lock(mutex_);
    result_ = result;
    why_ = std::move(why);
  }

  std::vector<Notification> Shown() {
    std::lock_guard<std::mutex> lock(mutex_);
    return shown_;
  }

 private:
  std::mutex mutex_;
  std::vector<Notification> shown_;
  NotifyResult result_ = NotifyResult::kShown;
  std::string why_;
};

}  // namespace qs::test
