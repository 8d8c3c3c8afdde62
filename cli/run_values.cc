// Kept apart from the option table so that the table's rows stay one line of intent each.
#include "cli/run_values.h"

#include "engine/version_retention.h"

namespace qs {

bool ParseMoment(const std::string& text, LocalTime* moment) {
  if (text.size() != 19 || text[4] != '-' || text[7] != '-' || text[10] != ' ' || text[13] != ':' ||
      text[16] != ':')
    return false;
  // The version folders' names already carry a checked calendar.
  const std::string stamp = "backup_" + text.substr(0, 4) + text.substr(5, 2) + text.substr(8, 2) +
                            "_" + text.substr(11, 2) + text.substr(14, 2) + text.substr(17, 2);
  VersionStamp s;
  if (!ParseVersionFolderName(stamp, &s)) return false;
  *moment = {s.year, s.month, s.day, s.hour, s.minute, s.second};
  return true;
}

bool ParseScheduleAction(const std::string& text, ScheduleAction* action) {
  if (text == "install") return *action = ScheduleAction::kInstall, true;
  if (text == "remove") return *action = ScheduleAction::kRemove, true;
  if (text == "show") return *action = ScheduleAction::kShow, true;
  return false;
}

}  // namespace qs
