// One file's outcome in a file pass, from the copy pipeline to the reporter.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "engine/copy_decision.h"
#include "engine/file_copy.h"
#include "engine/record_listing.h"

namespace qs {

struct FileOutcome {
  std::atomic<uint8_t> ready{0};
  CopyDecision decision = CopyDecision::kSkip;
  bool saveVersion = false;  ///< an old version was to be kept: `version` says how it went
  uint8_t pending = 0;       ///< copies counted as pending until the outcome is released
  PreparedCopy version;      ///< the old target copy, into the version folder
  PreparedCopy copy;
  /// The record's entry for a file skipped (null: not recorded), where the next file's search
  /// starts.
  const RecordedFile* recorded = nullptr;
};

/// What the copy pipeline hands its outcomes to.
class OutcomeSink {
 public:
  /// On the run's thread, in list order, once the file's batch is in place and the durability
  /// of its names is known.
  virtual void OnOutcome(size_t index, const FileOutcome& outcome) = 0;
  /// The files handled so far, whether handed on or not, while the run waits for the next one
  /// in order.
  virtual void OnHandled(size_t files, uint64_t bytes) = 0;

 protected:
  ~OutcomeSink() = default;
};

}  // namespace qs
