// Ages are shown in the largest unit that still reads exactly enough: minutes up to two
// hours, hours up to two days, then days.
#include "schedule/overdue.h"

#include "schedule/auto_backup.h"

namespace qs {

namespace {

constexpr int64_t kTicksPerMinute = int64_t{60} * 10000000;
constexpr int64_t kMinutesPerDay = 24 * 60;

std::string Plural(int64_t count, const char* unit) {
  return std::to_string(count) + " " + unit + (count == 1 ? "" : "s");
}

std::string AgeText(int64_t minutes) {
  if (minutes < 120) return Plural(minutes, "minute");
  if (minutes < 2 * kMinutesPerDay) return Plural(minutes / 60, "hour");
  return Plural(minutes / kMinutesPerDay, "day");
}

}  // namespace

OverdueVerdict CheckOverdue(const OverdueInputs& inputs) {
  OverdueVerdict verdict;
  // No record yet: nothing to measure from. (A clock that went back gives a negative age.)
  if (inputs.lastSuccessTicks <= 0) return verdict;
  int64_t limit_minutes = 0;
  if (inputs.autoBackupOn) {
    const int32_t interval = UsableInterval(inputs.intervalMinutes);
    limit_minutes = 3 * int64_t{interval};
    verdict.expected = "every " + Plural(interval, "minute");
  } else if (inputs.backgroundScheduleOn) {
    limit_minutes = kMinutesPerDay;
    verdict.expected = "at least once a day";
  } else {
    return verdict;
  }
  const int64_t age_ticks = inputs.nowTicks - inputs.lastSuccessTicks;
  verdict.ageMinutes = age_ticks / kTicksPerMinute;
  verdict.overdue = age_ticks > limit_minutes * kTicksPerMinute;
  if (verdict.overdue)
    verdict.line = "Backup overdue: last successful backup " + AgeText(verdict.ageMinutes) + " ago";
  return verdict;
}

OverdueVerdict CheckOverdue(Clock& clock, OverdueInputs inputs) {
  inputs.nowTicks = clock.WallTicks();
  return CheckOverdue(inputs);
}

Notification OverdueNotification(const OverdueVerdict& verdict, const std::string& target) {
  return {"Backup overdue",
          "The last successful backup of " + target + " was " + AgeText(verdict.ageMinutes) +
              " ago; one was due " + verdict.expected + ".",
          Notification::Urgency::kWarning};
}

bool OverdueAlarm::ShouldNotify(const OverdueVerdict& verdict) {
  if (!verdict.overdue) return raised_ = false;
  if (raised_) return false;
  return raised_ = true;
}

}  // namespace qs
