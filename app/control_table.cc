// One table gives every control its class, text, style, place and command: no layout code,
// so the controls stay where they are when the window is resized.
#include "app/control_table.h"

#include "app/app_state.h"
#include "app/commands.h"
#include "app/window_preferences.h"

namespace qs {

namespace {

constexpr uint32_t kFieldStyle = kStyleBorder | kStyleAutoHScroll;
constexpr uint32_t kPaneStyle =
    kStyleBorder | kStyleVScroll | kStyleMultiline | kStyleAutoVScroll | kStyleReadOnly;
constexpr ControlClass kStatic = ControlClass::kStatic;
constexpr ControlClass kEdit = ControlClass::kEdit;
constexpr ControlClass kButton = ControlClass::kButton;

constexpr int Id(ControlId id) { return static_cast<int>(id); }

}  // namespace

const char kWindowCaption[] = "Quillstone";

// Edit fields get their text from the settings at creation; "" here.
const std::array<ControlRow, kControlCount> kControls = {{
    {{kStatic, "Current Time:", kStyleNone, 420, 10, 80, 20, 0}, nullptr, nullptr},
    {{kStatic, "", kStyleCenter, 420, 30, 180, 20, 0}, &g_hClockLabel, nullptr},
    {{kStatic, "Backup Status:", kStyleNone, 420, 55, 80, 20, 0}, nullptr, nullptr},
    {{kStatic, "", kStyleCenter, 420, 75, 180, 20, 0}, &g_hStatusLabel, nullptr},
    {{kStatic, "", kStyleCenter, 420, 100, 180, 20, 0}, &g_hCountdownLabel, nullptr},
    {{kStatic, "Source Directory:", kStyleNone, 10, 10, 120, 20, 0}, nullptr, nullptr},
    {{kEdit, "", kFieldStyle, 10, 35, 400, 25, 0}, &g_hSourceEdit, nullptr},
    {{kStatic, "Target Directory:", kStyleNone, 10, 70, 120, 20, 0}, nullptr, nullptr},
    {{kEdit, "", kFieldStyle, 10, 95, 400, 25, 0}, &g_hTargetEdit, nullptr},
    {{kStatic, "Backup Interval (minutes):", kStyleNone, 10, 130, 150, 20, 0}, nullptr, nullptr},
    {{kEdit, "", kFieldStyle | kStyleNumber, 10, 155, 100, 25, 0}, &g_hIntervalEdit, nullptr},
    {{kButton, "Enable Auto Backup", kStyleAutoCheckBox, 120, 155, 150, 25,
      Id(ControlId::kAutoBackup)},
     &g_hAutoBackupCheck,
     OnAutoBackupClicked},
    {{kButton, "Enable Time Versioning", kStyleAutoCheckBox, 280, 155, 180, 25,
      Id(ControlId::kTimeVersioning)},
     &g_hTimeVersioningCheck,
     OnTimeVersioningClicked},
    {{kButton, "Start Backup Now", kStyleNone, 10, 190, 120, 30, Id(ControlId::kStartBackup)},
     &g_hStartButton,
     OnStartBackupNow},
    {{kButton, "Clear Log", kStyleNone, 140, 190, 80, 30, Id(ControlId::kClearLog)},
     nullptr,
     OnClearLog},
    {{kButton, "Clear File Log", kStyleNone, 230, 190, 100, 30, Id(ControlId::kClearFileLog)},
     nullptr,
     OnClearFileLog},
    {{kStatic, "Backup Log:", kStyleNone, 10, 230, 100, 20, 0}, nullptr, nullptr},
    {{kEdit, "", kPaneStyle, 10, 250, 580, 120, 0}, &g_hBackupLog, nullptr},
    {{kStatic, "File Operations Log:", kStyleNone, 10, 380, 280, 20, 0}, nullptr, nullptr},
    {{kEdit, "", kPaneStyle, 10, 400, 580, 150, 0}, &g_hFileLog, nullptr},
}};

const AddedControlRow kAddedRows[] = {
    {{kButton, "Also back up when this window is closed", kStyleAutoCheckBox, 10, 560, 280, 25,
      Id(ControlId::kBackupWhenClosed)},
     &AddedControls::backupWhenClosedCheck,
     OnBackupWhenClosedClicked},
    {{kButton, "Notify when a backup succeeds", kStyleAutoCheckBox, 300, 560, 220, 25,
      Id(ControlId::kNotifyOnSuccess)},
     &AddedControls::notifyOnSuccessCheck,
     OnNotifyOnSuccessClicked},
    {{kStatic, "", kStyleAlert, 180, 125, 420, 20, 0}, &AddedControls::overdueLabel, nullptr},
    {{kStatic, "", kStyleNone, 120, 228, 480, 20, 0}, &AddedControls::lastBackupLabel, nullptr},
};
const std::span<const AddedControlRow> kAddedControls(kAddedRows);

}  // namespace qs
