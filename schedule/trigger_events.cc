// The backup log's observer keeps no state between these events, so one made for each event
// writes what the run's own would.
#include "schedule/trigger_events.h"

#include "log/backup_log.h"

namespace qs {

void ReportTriggerEvent(const RunSeams& seams, const RunEvent& event) {
  for (RunObserver* observer : seams.services.observers) observer->OnRunEvent(event);
  BackupLogObserver(seams.backupLog, seams.services.log).OnRunEvent(event);
}

}  // namespace qs
