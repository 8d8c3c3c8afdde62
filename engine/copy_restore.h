// One kept copy of a file restored on its own, into a folder the user chose: beside what is
// there, never over it.
#pragma once

#include <cstdint>
#include <string>

#include "log/run_events.h"
#include "os/clock.h"
#include "os/file_system.h"

namespace qs {

struct CopyRestoreRequest {
  std::string copy;      ///< the kept copy's file
  std::string folder;    ///< its version folder's name; "" for the current tree
  std::string relative;  ///< the file below the roots, as the lines name it
  std::string dest;      ///< the folder it goes into, under the file's own name
};

struct CopyRestoreResults {
  /// Refused: DEST is no folder, or already has a file of that name; nothing was written.
  bool refused = false;
  std::string why;
  bool restored = false;
  std::string restoredTo;  ///< the file written
};

/// Copies the one copy; the observer hears it restored, or not with the system's code.
CopyRestoreResults RestoreCopy(FileSystem& fs, Clock& clock, const CopyRestoreRequest& request,
                               RunObserver& observer);

}  // namespace qs
