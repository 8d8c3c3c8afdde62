// The timer's calendar for every interval, checked by reading the expressions back the way
// systemd does for these forms, and the service's escaping.
#include "schedule/systemd_units.h"

#include <gtest/gtest.h>

#include <set>

namespace qs {
namespace {

/// The minutes of one day at which the expressions fire. Reads the three forms CalendarFor
/// writes: "*-*-* *:MM/S:00" (or "*:*:00"), and "*-*-* HH[/S]:MM[,MM...]:00".
std::set<int> FiringMinutes(const std::vector<std::string>& expressions) {
  std::set<int> minutes;
  for (const std::string& e : expressions) {
    EXPECT_EQ(0u, e.find("*-*-* ")) << e;
    const std::string time = e.substr(6, e.size() - 6 - 3);  // without ":00" seconds
    const size_t colon = time.find(':');
    const std::string hour = time.substr(0, colon), minute = time.substr(colon + 1);
    std::set<int> hours, mins;
    const auto repeat = [](const std::string& field, int range, std::set<int>* into) {
      if (field == "*") {
        for (int i = 0; i < range; ++i) into->insert(i);
      } else if (const size_t slash = field.find('/'); slash != std::string::npos) {
        for (int i = std::stoi(field.substr(0, slash)); i < range;
             i += std::stoi(field.substr(slash + 1)))
          into->insert(i);
      } else {
        for (size_t at = 0; at < field.size(); at += 3)
          into->insert(std::stoi(field.substr(at, 2)));
      }
    };
    repeat(hour, 24, &hours);
    repeat(minute, 60, &mins);
    for (int h : hours)
      for (int m : mins) minutes.insert(h * 60 + m);
  }
  return minutes;
}

TEST(SystemdUnitsTest, TheCalendarFiresEveryPeriodAndNeverLessOftenThanAsked) {
  for (int32_t interval = 1; interval < 1440; ++interval) {
    const CalendarPlan plan = CalendarFor(interval);
    ASSERT_LE(plan.periodMinutes, interval);
    ASSERT_EQ(0, 1440 % plan.periodMinutes) << interval;
    const std::set<int> minutes = FiringMinutes(plan.expressions);
    ASSERT_EQ(static_cast<size_t>(1440 / plan.periodMinutes), minutes.size()) << interval;
    int expected = 0;
    for (int minute : minutes) {
      ASSERT_EQ(expected, minute) << interval << " " << plan.expressions[0];
      expected += plan.periodMinutes;
    }
    ASSERT_LE(plan.expressions.size(), 24u) << interval;
  }
}

TEST(SystemdUnitsTest, TheCalendarsThatReadBest) {
  EXPECT_EQ((std::vector<std::string>{"*-*-* *:*:00"}), CalendarFor(1).expressions);
  EXPECT_EQ((std::vector<std::string>{"*-*-* *:00/15:00"}), CalendarFor(15).expressions);
  EXPECT_EQ((std::vector<std::string>{"*-*-* *:00:00"}), CalendarFor(60).expressions);
  EXPECT_EQ(
      (std::vector<std::string>{"*-*-* 00/3:00,45:00", "*-*-* 01/3:30:00", "*-*-* 02/3:15:00"}),
      CalendarFor(45).expressions);
  EXPECT_EQ((std::vector<std::string>{"*-*-* 00/2:00:00"}), CalendarFor(120).expressions);
  EXPECT_EQ(48, CalendarFor(50).periodMinutes);  // 50 does not divide a day
  EXPECT_EQ((std::vector<std::string>{"*-*-* 00:00:00"}), CalendarFor(1440).expressions);
  EXPECT_EQ(1440, CalendarFor(3 * 1440).periodMinutes);
  EXPECT_EQ((std::vector<std::string>{"Mon *-*-* 00:00:00"}), CalendarFor(35791394).expressions);
}

TEST(SystemdUnitsTest, TheTimerCatchesUpAndTheServiceRunsTheRunnerInTheFolder) {
  const std::string timer = TimerUnitText(CalendarFor(30));
  EXPECT_NE(std::string::npos,
            timer.find("\n[Timer]\nOnCalendar=*-*-* *:00/30:00\nPersistent=true\n"));
  EXPECT_NE(std::string::npos, timer.find("\n[Install]\nWantedBy=timers.target\n"));
  const std::string service = ServiceUnitText({"/opt/q s/quillstone-run", "/home/a/.config/q", 30});
  EXPECT_NE(std::string::npos, service.find("\n[Service]\nType=oneshot\n"));
  EXPECT_NE(std::string::npos, service.find("\nWorkingDirectory=/home/a/.config/q\n"));
  EXPECT_NE(std::string::npos,
            service.find("\nExecStart=\"/opt/q s/quillstone-run\" --background\n"));
}

TEST(SystemdUnitsTest, WhatSystemdWouldReadOtherwiseIsEscaped) {
  EXPECT_EQ("\"/a/100%% \\\\ \\\"x\\\" $$HOME\"", ExecStartWord("/a/100% \\ \"x\" $HOME"));
  const std::string service = ServiceUnitText({"/p", "/data/50%", 5});
  EXPECT_NE(std::string::npos, service.find("\nWorkingDirectory=/data/50%%\n"));
  EXPECT_NE(std::string::npos, service.find("settings in /data/50%%\n"));
}

TEST(SystemdUnitsTest, PathsAUnitCannotHoldAreRefusedWithASentence) {
  EXPECT_EQ("", UnitPathProblem({"/usr/bin/quillstone-run", "/home/a b/.config", 5}));
  EXPECT_NE("", UnitPathProblem({"quillstone-run", "/home/a", 5}));
  EXPECT_NE("", UnitPathProblem({"/p", "/home/a\nb", 5}));
  EXPECT_NE("", UnitPathProblem({"/p", "/home/\xff", 5}));
  EXPECT_NE("", UnitPathProblem({"/p", "/home/a ", 5}));
  EXPECT_NE("", UnitPathProblem({"/p", "/home/a\\", 5}));
}

}  // namespace
}  // namespace qs
