#!/usr/bin/env bash
# The headless runner carries no code of the window: no function defined in the window's
# libraries (its logic in app/, its realisations in ui/) is defined in quillstone-run.
# Usage: runner_has_no_ui_test.sh RUNNER LIBRARY...
set -euo pipefail
runner=$1
shift
window_functions=$(mktemp)
runner_functions=$(mktemp)
trap 'rm -f "$window_functions" "$runner_functions"' EXIT
nm --defined-only "$@" 2>/dev/null | awk '$2 == "T" { print $3 }' | sort -u >"$window_functions"
nm --defined-only "$runner" | awk '$2 == "T" { print $3 }' | sort -u >"$runner_functions"
if [ ! -s "$window_functions" ]; then
  echo "no functions found in $*" >&2
  exit 1
fi
shared=$(comm -12 "$window_functions" "$runner_functions")
if [ -n "$shared" ]; then
  echo "quillstone-run carries code of the window:" >&2
  c++filt <<<"$shared" >&2
  exit 1
fi
echo "quillstone-run carries none of the $(wc -l <"$window_functions") functions of the window"
