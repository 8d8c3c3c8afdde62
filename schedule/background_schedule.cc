// The choice of scheduler is the system's; the rest is the same code on every system.
#include "schedule/background_schedule.h"

namespace qs {

int RunScheduleAction(SystemScheduler scheduler, ScheduleAction action,
                      const ScheduleRequest& request, const ScheduleSeams& seams,
                      std::ostream& out) {
  switch (scheduler) {
    case SystemScheduler::kSystemdUser:
      return RunSystemdScheduleAction(action, request, seams, out);
    case SystemScheduler::kTaskScheduler:
      return RunTaskScheduleAction(action, request, seams, out);
  }
  return 1;
}

std::string FirstLineOf(const std::string& output) {
  const size_t start = output.find_first_not_of(" \t\r\n");
  if (start == std::string::npos) return "(nothing)";
  const size_t end = output.find_first_of("\r\n", start);
  return output.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

}  // namespace qs
