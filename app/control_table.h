// The main window's twenty controls, in creation order, and the five command ids.
#pragma once

#include <array>
#include <cstddef>

#include "platform/window_controls.h"

namespace qs {

/// The command a control sends; kNone for controls that send none.
enum class ControlId : int {
  kNone = 0,
  kStartBackup = 1,
  kAutoBackup = 2,
  kClearLog = 3,
  kClearFileLog = 4,
  kTimeVersioning = 5,
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
};

struct ControlRow {
  ControlLayout layout;
  KeptAs keptAs;
};

constexpr size_t kControlCount = 20;
/// The check boxes are ticked from the settings once this many controls exist.
constexpr size_t kControlsBeforeTicks = 13;
extern const std::array<ControlRow, kControlCount> kControls;

extern const char kWindowCaption[];
constexpr int kWindowWidth = 620;
constexpr int kWindowHeight = 600;

/// Reads of the fields take at most this many characters, less one (GetWindowTextA's count).
constexpr int kPathFieldMaxCount = 512;
constexpr int kIntervalFieldMaxCount = 10;

}  // namespace qs
