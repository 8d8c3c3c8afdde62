// The lines of prune, restore and the word a list of a file's versions says about the record:
// each event of those operations as the runner's log has always read it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "log/run_events.h"

namespace qs {

using LineSink = std::function<void(const std::string& line)>;

/// Hands `sink` the lines of `event` (none for an event that is not an operation's; more than
/// one for a prune's end).
void OperationLinesOf(const RunEvent& event, const LineSink& sink);

/// The line for a record whose run could not be appended to `journal_path` (the copies are good
/// regardless).
std::string RecordNotKeptText(const std::string& journal_path, uint32_t code);

/// The observer of an operation that writes its lines to a sink, one at a time as they come.
class OperationLines : public RunObserver {
 public:
  explicit OperationLines(LineSink sink) : sink_(std::move(sink)) {}
  void OnRunEvent(const RunEvent& event) override { OperationLinesOf(event, sink_); }

 private:
  LineSink sink_;
};

/// For a restore or a list of versions in a target that has no record at all.
inline constexpr char kNoRecordNotice[] =
    "No record of the runs is kept in this target: restores as of a moment go by the dates of "
    "the version folders.";

}  // namespace qs
