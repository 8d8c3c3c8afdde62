#include "app/folder_commands.h"

#include "app/app_state.h"
#include "engine/paths.h"

namespace qs {

namespace {

/// As a person would type it: some choosers end a folder with a separator. A root ("/",
/// "C:\\") keeps its own.
std::string AsTyped(const std::string& folder) {
  const bool root = folder.size() == 1 || (folder.size() >= 2 && folder[folder.size() - 2] == ':');
  return root ? folder : WithoutTrailingSeparator(folder);
}

void ChooseInto(AppContext& app, Control* field, const std::string& title) {
  if (app.window == nullptr || field == nullptr) return;
  const std::optional<std::string> chosen =
      app.window->ChooseFolder(title, field->GetText(kPathFieldMaxCount));
  if (chosen) field->SetText(AsTyped(*chosen));
}

}  // namespace

void OnChooseSourceFolder(AppContext& app) {
  ChooseInto(app, g_hSourceEdit, "Choose the Source Folder");
}

void OnChooseTargetFolder(AppContext& app) {
  ChooseInto(app, g_hTargetEdit, "Choose the Target Folder");
}

}  // namespace qs
