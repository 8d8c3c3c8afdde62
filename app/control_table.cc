// One table gives every control its class, text, style, place and command: no layout code,
// so the controls stay where they are when the window is resized.
#include "app/control_table.h"

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
    {{kStatic, "Current Time:", kStyleNone, 420, 10, 80, 20, 0}, KeptAs::kNotKept},
    {{kStatic, "", kStyleCenter, 420, 30, 180, 20, 0}, KeptAs::kClockLabel},
    {{kStatic, "Backup Status:", kStyleNone, 420, 55, 80, 20, 0}, KeptAs::kNotKept},
    {{kStatic, "", kStyleCenter, 420, 75, 180, 20, 0}, KeptAs::kStatusLabel},
    {{kStatic, "", kStyleCenter, 420, 100, 180, 20, 0}, KeptAs::kCountdownLabel},
    {{kStatic, "Source Directory:", kStyleNone, 10, 10, 120, 20, 0}, KeptAs::kNotKept},
    {{kEdit, "", kFieldStyle, 10, 35, 400, 25, 0}, KeptAs::kSourceEdit},
    {{kStatic, "Target Directory:", kStyleNone, 10, 70, 120, 20, 0}, KeptAs::kNotKept},
    {{kEdit, "", kFieldStyle, 10, 95, 400, 25, 0}, KeptAs::kTargetEdit},
    {{kStatic, "Backup Interval (minutes):", kStyleNone, 10, 130, 150, 20, 0}, KeptAs::kNotKept},
    {{kEdit, "", kFieldStyle | kStyleNumber, 10, 155, 100, 25, 0}, KeptAs::kIntervalEdit},
    {{kButton, "Enable Auto Backup", kStyleAutoCheckBox, 120, 155, 150, 25,
      Id(ControlId::kAutoBackup)},
     KeptAs::kAutoBackupCheck},
    {{kButton, "Enable Time Versioning", kStyleAutoCheckBox, 280, 155, 180, 25,
      Id(ControlId::kTimeVersioning)},
     KeptAs::kTimeVersioningCheck},
    {{kButton, "Start Backup Now", kStyleNone, 10, 190, 120, 30, Id(ControlId::kStartBackup)},
     KeptAs::kStartButton},
    {{kButton, "Clear Log", kStyleNone, 140, 190, 80, 30, Id(ControlId::kClearLog)},
     KeptAs::kNotKept},
    {{kButton, "Clear File Log", kStyleNone, 230, 190, 100, 30, Id(ControlId::kClearFileLog)},
     KeptAs::kNotKept},
    {{kStatic, "Backup Log:", kStyleNone, 10, 230, 100, 20, 0}, KeptAs::kNotKept},
    {{kEdit, "", kPaneStyle, 10, 250, 580, 120, 0}, KeptAs::kBackupLog},
    {{kStatic, "File Operations Log:", kStyleNone, 10, 380, 280, 20, 0}, KeptAs::kNotKept},
    {{kEdit, "", kPaneStyle, 10, 400, 580, 150, 0}, KeptAs::kFileLog},
}};

const std::array<ControlRow, kAddedControlCount> kAddedControls = {{
    {{kButton, "Also back up when this window is closed", kStyleAutoCheckBox, 10, 560, 280, 25,
      Id(ControlId::kBackupWhenClosed)},
     KeptAs::kBackupWhenClosedCheck},
    {{kButton, "Notify when a backup succeeds", kStyleAutoCheckBox, 300, 560, 220, 25,
      Id(ControlId::kNotifyOnSuccess)},
     KeptAs::kNotifyOnSuccessCheck},
    {{kStatic, "", kStyleAlert, 180, 125, 420, 20, 0}, KeptAs::kOverdueLabel},
}};

}  // namespace qs
