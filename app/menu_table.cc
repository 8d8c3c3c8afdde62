// The ids sit in their own range of ControlId, so a menu command never reaches a control's
// handler.
#include "app/menu_table.h"

#include "app/about_dialog.h"
#include "app/commands.h"
#include "app/exclusions_dialog.h"
#include "app/folder_commands.h"
#include "app/operation_dialogs.h"
#include "app/restore_dialogs.h"

namespace qs {

namespace {

constexpr int Id(ControlId id) { return static_cast<int>(id); }

const MenuRow kRows[] = {
    {{"&File", "Choose &Source Folder\u2026", Id(ControlId::kChooseSourceFolder), 0},
     OnChooseSourceFolder},
    {{"&File", "Choose &Target Folder\u2026", Id(ControlId::kChooseTargetFolder), 0},
     OnChooseTargetFolder},
    {{"&File", "&Open Target Folder", Id(ControlId::kOpenTargetFolder), 0}, OpenTargetFolder},
    {{"&File", nullptr, 0, 0}, nullptr},
    {{"&File", "E&xit", Id(ControlId::kExit), 0}, OnExit},
    {{"&Backup", "&Start Backup Now", Id(ControlId::kMenuStartBackup), 'B'}, OnMenuStartBackup},
    {{"&Backup", "&Dry Run", Id(ControlId::kDryRun), 0}, OnDryRun},
    {{"&Backup", "&Exclusions\u2026", Id(ControlId::kExclusions), 0}, OnExclusions},
    {{"&Backup", "&Check Copies\u2026", Id(ControlId::kCheckCopies), 0}, OpenCheckDialog},
    {{"&Backup", "&Prune Versions\u2026", Id(ControlId::kPruneVersions), 0}, OpenPruneDialog},
    {{"&Restore", "&Restore Files\u2026", Id(ControlId::kRestoreFiles), 0}, OpenRestoreDialog},
    {{"&Restore", "&Versions of a File\u2026", Id(ControlId::kVersionsOfAFile), 0},
     OpenVersionsDialog},
    {{"&Help", "&About Quillstone", Id(ControlId::kAbout), 0}, OnAbout},
};

}  // namespace

const std::span<const MenuRow> kMenuRows(kRows);

std::vector<MenuItem> MenuItems() {
  std::vector<MenuItem> items;
  for (const MenuRow& row : kMenuRows) items.push_back(row.item);
  return items;
}

}  // namespace qs
