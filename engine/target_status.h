// What the record says of a target, in lines for a person: the last run and the last good
// one, what failed, the record's size, and how far the checks of the copies have come.
#pragma once

#include <string>
#include <vector>

#include "engine/record_store.h"

namespace qs {

struct TargetStatus {
  std::vector<std::string> lines;
  /// The last run failed, or the last check found a damaged copy.
  bool troubled = false;
};

/// The status of the target whose record `store` read (whole, or up to a damaged end).
TargetStatus DescribeTarget(const RecordStore& store);

/// The sentence for a target without a record.
inline constexpr char kNoStatusNotice[] =
    "No record of the runs is kept in this target, so nothing can be told of its backups: the "
    "next backup into it starts one.";

}  // namespace qs
