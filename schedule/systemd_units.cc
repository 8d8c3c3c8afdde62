// An OnCalendar timer (not OnUnitActiveSec): with Persistent=true, systemd keeps the time of
// the last run on the disk and, after the machine was off or asleep when a run was due, runs
// the missed one as soon as the timer is back. Monotonic timers count no time while the
// machine sleeps and forget it across a shutdown, so a laptop would fall behind for good.
#include "schedule/systemd_units.h"

#include <map>
#include <numeric>

#include "settings/utf8_text.h"

namespace qs {

const char kServiceUnitName[] = "quillstone-backup.service";
const char kTimerUnitName[] = "quillstone-backup.timer";

namespace {

constexpr int32_t kMinutesPerDay = 24 * 60;
constexpr int32_t kMinutesPerWeek = 7 * kMinutesPerDay;
constexpr char kWrittenBy[] =
    "# Written by quillstone-run --schedule install; removed by quillstone-run --schedule "
    "remove.\n";

std::string TwoDigits(int32_t value) {
  return std::string(1, static_cast<char>('0' + value / 10)) + static_cast<char>('0' + value % 10);
}

/// The longest period that divides a day and is not longer than `minutes` (at least one).
int32_t DayDivisorAtMost(int32_t minutes) {
  for (int32_t period = minutes; period > 1; --period)
    if (kMinutesPerDay % period == 0) return period;
  return 1;
}

/// Times of day every `period` minutes from midnight, as one expression per hour of the
/// pattern's cycle: the cycle of hours repeats every lcm(period, 60) minutes.
std::vector<std::string> WithinDay(int32_t period) {
  if (period == 1) return {"*-*-* *:*:00"};
  if (period == 60) return {"*-*-* *:00:00"};
  if (60 % period == 0) return {"*-*-* *:00/" + TwoDigits(period) + ":00"};
  const int32_t cycle_hours = std::lcm(period, 60) / 60;
  std::map<int32_t, std::string> minutes_by_hour;
  for (int32_t at = 0; at < cycle_hours * 60; at += period) {
    std::string& minutes = minutes_by_hour[at / 60];
    minutes += (minutes.empty() ? "" : ",") + TwoDigits(at % 60);
  }
  std::vector<std::string> expressions;
  for (const auto& [hour, minutes] : minutes_by_hour) {
    const std::string hours = cycle_hours == 24 ? TwoDigits(hour)
                              : cycle_hours == 1
                                  ? "*"
                                  : TwoDigits(hour) + "/" + std::to_string(cycle_hours);
    expressions.push_back("*-*-* " + hours + ":" + minutes + ":00");
  }
  return expressions;
}

/// '%' starts a specifier in every value of a unit.
std::string SpecifiersEscaped(const std::string& text) {
  std::string escaped;
  for (char c : text) escaped += c == '%' ? std::string("%%") : std::string(1, c);
  return escaped;
}

}  // namespace

CalendarPlan CalendarFor(int32_t interval_minutes) {
  if (interval_minutes >= kMinutesPerWeek) return {{"Mon *-*-* 00:00:00"}, kMinutesPerWeek};
  if (interval_minutes >= kMinutesPerDay) return {{"*-*-* 00:00:00"}, kMinutesPerDay};
  const int32_t period = DayDivisorAtMost(std::max(interval_minutes, 1));
  return {WithinDay(period), period};
}

std::string UnitPathProblem(const UnitRequest& request) {
  for (const std::string* path : {&request.program, &request.settingsFolder}) {
    if (path->empty() || path->front() != '/') return "The path " + *path + " is not absolute.";
    if (!IsValidUtf8(*path)) return "A systemd unit cannot name a path that is not UTF-8.";
    for (char c : *path)
      if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
        return "A systemd unit cannot name a path with a control character in it.";
    // A blank at the end is cut off, a backslash there joins the next line.
    if (path->back() == ' ' || path->back() == '\\')
      return "A systemd unit cannot name a path that ends with a blank or a backslash: " + *path;
  }
  return "";
}

std::string ExecStartWord(const std::string& path) {
  std::string word = "\"";
  for (char c : path) {
    if (c == '\\' || c == '"') word += '\\';
    if (c == '%' || c == '$') word += c;  // "%%" and "$$" read back as one
    word += c;
  }
  return word + "\"";
}

std::string ServiceUnitText(const UnitRequest& request) {
  const std::string folder = SpecifiersEscaped(request.settingsFolder);
  return std::string(kWrittenBy) + "[Unit]\nDescription=Quillstone backup with the settings in " +
         folder + "\n\n[Service]\nType=oneshot\nWorkingDirectory=" + folder +
         "\nExecStart=" + ExecStartWord(request.program) + " --background\n";
}

std::string TimerUnitText(const CalendarPlan& plan) {
  std::string text = std::string(kWrittenBy) + "[Unit]\nDescription=Quillstone backup every " +
                     std::to_string(plan.periodMinutes) + " minutes\n\n[Timer]\n";
  for (const std::string& expression : plan.expressions) text += "OnCalendar=" + expression + "\n";
  return text + "Persistent=true\n\n[Install]\nWantedBy=timers.target\n";
}

}  // namespace qs
