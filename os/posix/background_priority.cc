// ioprio_set has no wrapper in the C library: it is called through syscall. Both it and
// setpriority act on the calling thread alone (who = 0), as Linux keeps them per thread.
#include "os/background_priority.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>

#include "os/error_text.h"

namespace qs {

namespace {

// From <linux/ioprio.h>, which not every set of kernel headers has.
constexpr int kIoprioWhoProcess = 1;
constexpr int kIoprioClassIdle = 3;
constexpr int kIoprioClassShift = 13;
// Lower than a desktop's programs, yet not the lowest: a background run still ends.
constexpr int kBackgroundNice = 10;

bool Failed(const char* call, std::string* why) {
  const int code = errno;
  *why = std::string(call) + " failed: " + ErrorCodeText(static_cast<uint32_t>(code));
  return false;
}

}  // namespace

bool EnterBackgroundThread(std::string* why) {
  if (syscall(SYS_ioprio_set, kIoprioWhoProcess, 0, kIoprioClassIdle << kIoprioClassShift) != 0)
    return Failed("ioprio_set", why);
  errno = 0;
  const int nice = getpriority(PRIO_PROCESS, 0);
  if (nice == -1 && errno != 0) return Failed("getpriority", why);
  // Never raised: a thread already below the background level stays there.
  if (nice < kBackgroundNice && setpriority(PRIO_PROCESS, 0, kBackgroundNice) != 0)
    return Failed("setpriority", why);
  return true;
}

bool EnterBackgroundProcess(std::string* why) { return EnterBackgroundThread(why); }

}  // namespace qs
