// The main window's twenty controls, in creation order, the three added after them, and the
// seven command ids.
#pragma once

#include <array>
#include <cstddef>

#include "app/window_controls.h"

namespace qs {

/// The command a control sends; kNone for controls that send none.
enum class ControlId : int {
  kNone = 0,
  kStartBackup = 1,
  kAutoBackup = 2,
  kClearLog = 3,
  kClearFileLog = 4,
  kTimeVersioning = 5,
  kBackupWhenClosed = 6,
  kNotifyOnSuccess = 7,
};

/// Which application-state handle a created control is kept in.
enum class KeptAs {
  kNotKept,
  kClockLabel,
  kStatusLabel,
  kCountdownLabel,
  kSourceEdit,
  kTargetEdit,
  kIntervalEdit,
  kAutoBackupCheck,
  kTimeVersioningCheck,
  kStartButton,
  kBackupLog,
  kFileLog,
  kBackupWhenClosedCheck,
  kNotifyOnSuccessCheck,
  kOverdueLabel,
};

struct ControlRow {
  ControlLayout layout;
  KeptAs keptAs;
};

constexpr size_t kControlCount = 20;
/// The check boxes are ticked from the settings once this many controls exist.
constexpr size_t kControlsBeforeTicks = 13;
extern const std::array<ControlRow, kControlCount> kControls;
/// Made after the twenty, where they move none of them: the two check boxes of the
/// preferences in a row below the file log, the overdue line below the status area.
constexpr size_t kAddedControlCount = 3;
extern const std::array<ControlRow, kAddedControlCount> kAddedControls;

extern const char kWindowCaption[];
constexpr int kWindowWidth = 620;
/// 40 more than the twenty need: the row of the added check boxes.
constexpr int kWindowHeight = 640;

/// Reads of the fields take at most this many characters, less one (GetWindowTextA's count).
constexpr int kPathFieldMaxCount = 512;
constexpr int kIntervalFieldMaxCount = 10;

}  // namespace qs
