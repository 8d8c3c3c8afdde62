// The values the runner's options take, each read whole or refused.
#pragma once

#include <string>

#include "os/clock.h"
#include "schedule/background_schedule.h"

namespace qs {

/// A count of up to seven digits.
bool ParseCount(const std::string& text, int* value);

/// A whole percentage from 1 to 100.
bool ParsePercent(const std::string& text, int* percent);

/// "YYYY-MM-DD HH:MM:SS" with a date that exists.
bool ParseMoment(const std::string& text, LocalTime* moment);

/// install, remove or show.
bool ParseScheduleAction(const std::string& text, ScheduleAction* action);

}  // namespace qs
