// The lines of an operation the window starts: the runner's lines, except that none names a
// runner option, which the window does not have; those say it in the window's own words.
#pragma once

#include <string>

#include "log/operation_lines.h"
#include "log/run_events.h"

namespace qs {

/// Hands `sink` the lines of `event` as the window shows them.
void WindowOperationLinesOf(const RunEvent& event, const LineSink& sink);

/// A refusal of the runner's (which calls the folders it was given TARGET and DEST) as the
/// window says it, of its fields.
std::string InWindowWords(std::string refusal);

inline constexpr char kNoKeepRuleInWindow[] =
    "No keep rule given: choose what to keep; no version folder removed.";
inline constexpr char kOnlyVersionsHoldInWindow[] =
    "Left out, only version folders hold it (see Versions of a File\u2026): ";

}  // namespace qs
