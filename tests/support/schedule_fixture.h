// The fixture of the background schedule's tests: a request over a temporary folder, and a
// program runner that records its commands instead of running them.
#pragma once

#include <gtest/gtest.h>

#include <sstream>

#include "schedule/background_schedule.h"
#include "tests/support/recording_program_runner.h"
#include "tests/support/test_support.h"

namespace qs::test {

class BackgroundScheduleTest : public ::testing::Test {
 protected:
  BackgroundScheduleTest() {
    request_.program = dir_ / "bin/quillstone-run";
    request_.settingsFolder = dir_ / "settings";
    request_.intervalMinutes = 30;
    request_.unitFolder = dir_ / "config/systemd/user";
    request_.tempFolder = dir_.path();
    request_.now = {2026, 12, 9, 10, 0, 0};
  }

  int Act(SystemScheduler scheduler, ScheduleAction action) {
    out_.str("");
    runner_.calls.clear();
    return RunScheduleAction(scheduler, action, request_, {RealFs(), runner_}, out_);
  }
  int Systemd(ScheduleAction action) { return Act(SystemScheduler::kSystemdUser, action); }
  int Task(ScheduleAction action) { return Act(SystemScheduler::kTaskScheduler, action); }
  std::string Unit(const std::string& name) { return Native(request_.unitFolder + "/" + name); }
  bool Said(const std::string& text) { return out_.str().find(text) != std::string::npos; }

  ScopedTempDir dir_;
  ScheduleRequest request_;
  RecordingProgramRunner runner_;
  std::ostringstream out_;
};

}  // namespace qs::test
