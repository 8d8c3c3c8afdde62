// The values the runner's options take, each read whole or refused.
#pragma once

#include <string>

#include "engine/typed_numbers.h"
#include "os/clock.h"
#include "schedule/background_schedule.h"

namespace qs {

/// "YYYY-MM-DD HH:MM:SS" with a date that exists.
bool ParseMoment(const std::string& text, LocalTime* moment);

/// install, remove or show.
bool ParseScheduleAction(const std::string& text, ScheduleAction* action);

}  // namespace qs
