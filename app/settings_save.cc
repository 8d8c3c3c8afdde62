// The window has no dialog for a failed save: the log is where the person looks.
#include "app/settings_save.h"

#include "app/app_state.h"
#include "settings/file_replace.h"

namespace qs {

void SaveStoredSettings(AppContext& app) {
  std::string why;
  if (!SaveSettings(g_settings.Snapshot(), app.settingsPath, &why))
    LogEntry(app.Seams(), NotSavedText(app.settingsPath, why));
}

}  // namespace qs
