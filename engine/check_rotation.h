// Which copies a check reads: a rotation through every copy the record knows, in (folder,
// path) order, resumed where the last check stopped. Each check reads about its share of the
// bytes, and more when a copy would otherwise wait longer than a rotation may take: every
// copy is read at least once in any RotationLength(percent) checks in a row, also while runs
// add copies between them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/record_history.h"

namespace qs {

struct CheckPlan {
  std::vector<size_t> read;  ///< indices into the copies, in the order to read them
  CheckedCopy resumeAt;      ///< where the check after this one starts
  bool wrapped = false;      ///< this check finishes a rotation
  uint64_t cycle = 0;        ///< rotations finished before this check
  uint64_t bytesInAll = 0;   ///< the bytes of every copy
  uint64_t bytesToRead = 0;  ///< the bytes of the copies in `read`
};

/// How many checks with a budget of `percent` (1 to 100) read every copy: ceil(100/percent).
int RotationLength(int percent);

/// True when `a` comes before `b` in the rotation's order.
bool ComesBefore(const CheckedCopy& a, const CheckedCopy& b);

/// The copies the next check of `history` reads with a budget of `percent`. `copies` are
/// history.Copies(), in their order.
CheckPlan PlanCheck(const RecordHistory& history, const std::vector<RecordedCopy>& copies,
                    int percent);

/// The bytes of the copies before `resume_at`: what the rotation under way has read.
uint64_t BytesBefore(const std::vector<RecordedCopy>& copies, const CheckedCopy& resume_at);

}  // namespace qs
