// The session-bus notifier without a bus to reach: it says so at once, in the system's words.
// (With a real bus and server: tests/faults/notifications.sh.)
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>

#include "os/notifier.h"

namespace qs {
namespace {

/// Sets an environment variable for the test's span, and puts it back after.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value != nullptr)
      setenv(name, value, 1);
    else
      unsetenv(name);
  }
  ~ScopedEnvironment() {
    if (old_)
      setenv(name_, old_->c_str(), 1);
    else
      unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(NotifierTest, WithoutASessionBusThereIsNoServiceAndNoWait) {
  const ScopedEnvironment bus("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/qs-bus");
  const auto start = std::chrono::steady_clock::now();
  std::string why;
  EXPECT_EQ(NotifyResult::kNoService,
            MakeDesktopNotifier()->Notify({"s", "b", Notification::Urgency::kCritical}, &why));
  EXPECT_EQ("no session bus (Error: 2 (No such file or directory))", why);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST(NotifierTest, WithNoBusNamedAndNoRuntimeFolderThereIsNoService) {
  const ScopedEnvironment bus("DBUS_SESSION_BUS_ADDRESS", nullptr);
  const ScopedEnvironment runtime("XDG_RUNTIME_DIR", nullptr);
  std::string why;
  EXPECT_EQ(NotifyResult::kNoService, MakeDesktopNotifier()->Notify({"s", "b"}, &why));
  EXPECT_EQ(0u, why.find("no session bus (Error: ")) << why;
}

}  // namespace
}  // namespace qs
