// The main window's twenty controls, in creation order, the controls added after them, and
// the command ids.
#pragma once

#include <array>
#include <cstddef>
#include <span>

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
  // The menu bar's commands.
  kChooseSourceFolder = 101,
  kChooseTargetFolder = 102,
  kOpenTargetFolder = 103,
  kExit = 104,
  kMenuStartBackup = 111,
  kDryRun = 112,
  kExclusions = 113,
  kCheckCopies = 114,
  kPruneVersions = 115,
  kRestoreFiles = 121,
  kVersionsOfAFile = 122,
  kAbout = 131,
};

struct AppContext;
/// What a click on a control does. Window thread only.
using CommandHandler = void (*)(AppContext&);

/// The handles of the controls made after the twenty, owned by the program's context.
struct AddedControls {
  Control* backupWhenClosedCheck = nullptr;
  Control* notifyOnSuccessCheck = nullptr;
  Control* overdueLabel = nullptr;
  Control* lastBackupLabel = nullptr;
};

/// One control: its layout, where its handle is kept (null: nowhere) and its command's
/// handler (null for controls that send none).
struct ControlRow {
  ControlLayout layout;
  Control** keptIn;
  CommandHandler onCommand;
};
struct AddedControlRow {
  ControlLayout layout;
  Control* AddedControls::*keptIn;
  CommandHandler onCommand;
};

constexpr size_t kControlCount = 20;
/// The check boxes are ticked from the settings once this many controls exist.
constexpr size_t kControlsBeforeTicks = 13;
extern const std::array<ControlRow, kControlCount> kControls;
/// Made after the twenty, where they move none of them: the two check boxes of the
/// preferences in a row below the file log, the overdue line below the status area, and the
/// line of the last backup between the buttons and the backup log.
extern const std::span<const AddedControlRow> kAddedControls;

extern const char kWindowCaption[];
constexpr int kWindowWidth = 620;
/// 40 more than the twenty need: the row of the added check boxes.
constexpr int kWindowHeight = 640;

/// Reads of the fields take at most this many characters, less one (GetWindowTextA's count).
constexpr int kPathFieldMaxCount = 512;
constexpr int kIntervalFieldMaxCount = 10;

}  // namespace qs
