// Construction of a run's state, and the reports of its events.
#include "engine/backup_job.h"

#include "engine/backup_request.h"

namespace qs {

BackupJob::BackupJob(FileSystem& fs, Clock& clock, const BackupOptions& request,
                     RunObserver& observer)
    // Options built without BackupRequest get their roots' separators here all the same.
    : options(WithRootSeparators(request)), fs_(fs), clock_(clock), observer_(observer) {}

}  // namespace qs
