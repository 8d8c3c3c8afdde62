// The background modes lower the I/O and memory priority as well as the processor's. The
// thread mode is refused for another thread, so each file thread sets its own. Where the
// system has no background mode, a priority below normal is what is left.
#include "os/background_priority.h"

#include <windows.h>

#include "os/error_text.h"

namespace qs {

namespace {

// From winerror.h; MinGW's lacks them.
constexpr DWORD kThreadModeAlreadyBackground = 400;
constexpr DWORD kProcessModeAlreadyBackground = 402;

bool Failed(const char* call, std::string* why) {
  *why = std::string(call) + " failed: " + ErrorCodeText(GetLastError());
  return false;
}

}  // namespace

bool EnterBackgroundThread(std::string* why) {
  if (SetThreadPriority(GetCurrentThread(), THREAD_MODE_BACKGROUND_BEGIN)) return true;
  // Already in background mode: nothing to do.
  if (GetLastError() == kThreadModeAlreadyBackground) return true;
  // A system without background mode (Wine) still lowers the processor's priority.
  if (GetLastError() == ERROR_INVALID_PARAMETER &&
      SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL))
    return true;
  return Failed("SetThreadPriority", why);
}

bool EnterBackgroundProcess(std::string* why) {
  if (SetPriorityClass(GetCurrentProcess(), PROCESS_MODE_BACKGROUND_BEGIN)) return true;
  if (GetLastError() == kProcessModeAlreadyBackground) return true;
  if (GetLastError() == ERROR_INVALID_PARAMETER &&
      SetPriorityClass(GetCurrentProcess(), BELOW_NORMAL_PRIORITY_CLASS))
    return true;
  return Failed("SetPriorityClass", why);
}

}  // namespace qs
