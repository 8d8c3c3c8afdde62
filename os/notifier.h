// Desktop notifications: one message to the person at the desk, handed to the system's
// notification service and never waited for.
#pragma once

#include <memory>
#include <string>

namespace qs {

struct Notification {
  /// kWarning is normal urgency on the bus, the warning icon in a balloon.
  enum class Urgency { kNormal, kWarning, kCritical };
  std::string summary;  ///< one line: what happened
  std::string body;     ///< plain text, lines separated by "\n"
  Urgency urgency = Urgency::kNormal;
};

enum class NotifyResult {
  kShown,      ///< the service took it
  kNoService,  ///< nothing shows notifications here (no session bus, no server, no taskbar)
  kFailed,     ///< the service was there and refused it, or did not answer in time
};

class Notifier {
 public:
  virtual ~Notifier() = default;
  /// Returns within about two seconds whatever the service does; `why` says what went wrong
  /// when the result is not kShown, with the system's error code and its words.
  virtual NotifyResult Notify(const Notification& notification, std::string* why) = 0;
};

/// The system's notifier: org.freedesktop.Notifications on the session bus (POSIX), a
/// notification-area icon with a balloon (Windows; the icon goes once the balloon has shown,
/// and destroying the notifier waits for that, at most about ten seconds).
std::unique_ptr<Notifier> MakeDesktopNotifier();

}  // namespace qs
