#include "app/field_drop.h"

#include "app/app_state.h"

namespace qs {

namespace {

/// Why `paths` cannot fill a folder field, or "" when they can.
std::string Refusal(FileSystem& fs, const std::vector<std::string>& paths) {
  if (paths.empty()) return "Nothing was dropped onto the field; it is left as it was.";
  if (paths.size() > 1)
    return std::to_string(paths.size()) +
           " items were dropped onto the field, which takes one folder; it is left as it was.";
  switch (fs.Probe(paths.front())) {
    case PathKind::Directory:
      return "";
    case PathKind::File:
      return "The dropped item is a file, not a folder: " + paths.front() +
             "; the field is left as it was.";
    default:
      return "The dropped item is no folder that can be read: " + paths.front() +
             "; the field is left as it was.";
  }
}

}  // namespace

void OnFieldDrop(AppContext& app, Control& control, const std::vector<std::string>& paths) {
  if (&control != g_hSourceEdit && &control != g_hTargetEdit) return;
  const std::string why = Refusal(app.fs, paths);
  if (!why.empty()) return LogEntry(app.Seams(), why);
  control.SetText(paths.front());
}

}  // namespace qs
