#!/usr/bin/env bash
# The tests a run left out, and why, in the tests' own words: each prints why it skips
# ("SKIPPED: CASE: why" from the fault cases, "Skipped" and the reason from GoogleTest).
#
#   tests/skipped_tests.sh BUILD_DIR [NAME-PATTERN]
#
# Reads BUILD_DIR/Testing/Temporary/LastTest.log, the full output of CTest's last run, and
# prints "  TEST: why" for each test it skipped (only those whose name matches the extended
# regular expression NAME-PATTERN, when given). Prints nothing when none was skipped.
set -euo pipefail

log="${1:?usage: $0 BUILD_DIR [NAME-PATTERN]}/Testing/Temporary/LastTest.log"
pattern="${2:-}"
[ -f "$log" ] || exit 0
awk -v pattern="$pattern" '
  /^[0-9]+\/[0-9]+ Test: / { name = $0; sub(/^[0-9]+\/[0-9]+ Test: /, "", name); why = ""; next }
  /^SKIPPED: [^:]+: / { why = $0; sub(/^SKIPPED: [^:]+: /, "", why); next }
  /: Skipped$/ { reason_next = 1; next }
  reason_next && NF && !/^\[  SKIPPED \] / { why = $0; reason_next = 0; next }
  /^\[  SKIPPED \] / && why == "" { why = "skipped" }
  /^<end of output>$/ {
    if (why != "" && (pattern == "" || name ~ pattern)) printf "  %s: %s\n", name, why
    why = ""; reason_next = 0
  }
' "$log"
