#!/usr/bin/env bash
# Runs fault cases against the Windows runner under Wine: each case drives quillstone-run.exe
# through a wrapper that hands it the case's paths as Windows paths (Z: is the Unix root).
# Usage: bash tests/faults/under_wine.sh BUILD-DIR CASE[:VOLUME,...]...
#   e.g. build/windows restore_each_run rotting_copies:ext4 (the kinds of volume a case tries)
# A case that cannot run here (exit 77) is reported as skipped; any other failure fails this.
set -euo pipefail
cd "$(dirname "$0")/../.."

# One display for every run: Wine's programs need one, and a display made and ended around
# each run would leave its complaints in the runs' standard error.
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run --auto-servernum --server-args="-screen 0 1024x768x24" bash "$0" "$@"
fi

build=$(readlink -f "${1:?usage: $0 BUILD-DIR CASE...}")
shift
exe="$build/quillstone-run.exe"
[ -f "$exe" ] || { echo "no $exe: build the windows preset first"; exit 1; }

# The cases and Wine agree on the zone, so that "--as-of" moments mean the same to both.
export TZ=UTC
export QS_WINE_EXE="$exe"
# Windows keeps times in steps of 100 ns: the cases compare times at that step.
export QS_TIME_STEP_NS=100
runner="$PWD/tests/faults/wine_runner.sh"

# The prefix is made once, before any case times a run.
"$runner" --help >/dev/null 2>&1 || true

failed=()
for arg in "$@"; do
  case=${arg%%:*}
  volumes=""
  [[ $arg == *:* ]] && volumes=${arg#*:}
  echo "=== $case, with the Windows runner under Wine ==="
  rc=0
  QS_VOLUMES=${volumes//,/ } bash "tests/faults/$case.sh" "$runner" || rc=$?
  if [ "$rc" -eq 77 ]; then
    echo "$case: skipped under Wine"
  elif [ "$rc" -ne 0 ]; then
    failed+=("$case")
  fi
done
[ ${#failed[@]} -eq 0 ] || { echo "failed under Wine: ${failed[*]}"; exit 1; }
echo "under Wine: every case passed"
