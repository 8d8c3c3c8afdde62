// The check of a target's copies against the record: the copies a rotation owes a read are
// read and compared with their recorded hashes, damaged ones are repaired on request, and the
// check's fact is appended to the record at the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/check_events.h"
#include "os/clock.h"
#include "os/file_system.h"

namespace qs {

struct CheckRequest {
  std::string targetRoot;  ///< ends with a separator
  int percent = 100;       ///< the share of the bytes to read, 1 to 100
  bool repair = false;
};

struct CheckResults {
  enum class Outcome : uint8_t {
    kChecked,
    kNoRecord,        ///< the target keeps no record: nothing could be checked
    kRecordUnusable,  ///< the record could not be read, or is not ours
  };
  Outcome outcome = Outcome::kChecked;
  size_t copies = 0;  ///< every copy the record knows
  size_t read = 0;
  size_t damaged = 0;  ///< found damaged, repaired ones included
  size_t repaired = 0;
  size_t changed = 0;
  size_t unreadable = 0;
  size_t learned = 0;
  uint64_t bytesRead = 0;
  uint64_t bytesInAll = 0;
  bool wrapped = false;   ///< this check finished a rotation
  bool recorded = false;  ///< its fact is in the record

  /// 0 when every copy read was whole (or repaired) and the fact is kept, else 1.
  int ExitStatus() const;
};

CheckResults CheckCopies(FileSystem& fs, Clock& clock, const CheckRequest& request,
                         CheckObserver& observer);

}  // namespace qs
