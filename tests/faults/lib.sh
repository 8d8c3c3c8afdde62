# Shared by the fault cases. Each case is run as `bash CASE.sh PATH-TO-quillstone-run`.
# It works in a scratch directory below /tmp that is always removed, mounts and all, and
# bounds every run of the runner in time. Checks count their failures and the case ends
# with "N passed, N failed"; exit 77 means the case could not run here (CTest: skipped).
set -euo pipefail

QS_RUNNER=$(readlink -f "${1:?usage: $0 PATH-TO-quillstone-run}")
QS_CASE=$(basename "$0" .sh)
QS_RUN_LIMIT=${QS_RUN_LIMIT:-120}  # seconds any one run may take before it counts as hung
QS_PASSED=0
QS_FAILED=0
QS_MOUNTS=()
QS_PIDS=()
QS_RC=0

WORK=$(mktemp -d "${TMPDIR:-/tmp}/qs-faults-$QS_CASE-XXXXXX")
chmod 755 "$WORK"  # a case may run the runner as another user

qs_cleanup() {
  local pid i
  set +e
  for pid in $(cat /proc/"$QS_WATCHDOG"/task/*/children 2>/dev/null) "$QS_WATCHDOG"; do
    kill "$pid" 2>/dev/null
  done
  for pid in "${QS_PIDS[@]}"; do kill -9 "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; done
  for ((i = ${#QS_MOUNTS[@]} - 1; i >= 0; i--)); do
    umount "${QS_MOUNTS[i]}" 2>/dev/null || umount -l "${QS_MOUNTS[i]}"
  done
  chmod -R u+rwX "$WORK" 2>/dev/null
  rm -rf "$WORK"
}
trap qs_cleanup EXIT
trap 'echo "$QS_CASE: interrupted"; exit 130' INT TERM

# The whole case is bounded too, well inside CTest's limit, so that a case stuck between runs
# still gets to clean up (CTest's own time-out would kill it without that chance).
QS_CASE_LIMIT=${QS_CASE_LIMIT:-400}
(
  sleep "$QS_CASE_LIMIT"
  echo "$QS_CASE: still running after $QS_CASE_LIMIT s, stopping"
  kill -TERM $$
) &
QS_WATCHDOG=$!

qs_skip() {
  echo "SKIPPED: $QS_CASE: $*"
  exit 77
}

qs_require_root() {
  [ "$(id -u)" -eq 0 ] || qs_skip "needs root ($*)"
}

qs_require_tool() {
  command -v "$1" >/dev/null || qs_skip "$1 is missing: bash cmake/install-deps.sh $2"
}

# qs_check WHAT COMMAND...: runs the command as one check.
qs_check() {
  local what=$1
  shift
  if "$@"; then
    echo "ok - $what"
    QS_PASSED=$((QS_PASSED + 1))
  else
    echo "FAILED - $what"
    QS_FAILED=$((QS_FAILED + 1))
  fi
}

qs_finish() {
  echo "$QS_CASE: $QS_PASSED passed, $QS_FAILED failed"
  [ "$QS_FAILED" -eq 0 ]
}

# qs_mount_tmpfs DIR OPTIONS: a tmpfs that cleanup unmounts whatever happens.
qs_mount_tmpfs() {
  mkdir -p "$1"
  mount -t tmpfs -o "$2" qs-faults "$1"
  QS_MOUNTS+=("$1")
}

# qs_run NAME [--as-nobody] ARGS...: runs the runner, bounded in time. The log goes to
# $WORK/NAME.out and standard error to $WORK/NAME.err; the exit status is left in QS_RC.
qs_run() {
  local name=$1
  shift
  local as=()
  if [ "${1:-}" = --as-nobody ]; then
    as=(setpriv --reuid=nobody --regid=nogroup --clear-groups --)
    shift
  fi
  set +e
  "${as[@]}" timeout -k 5 "$QS_RUN_LIMIT" "$QS_RUNNER" "$@" >"$WORK/$name.out" 2>"$WORK/$name.err"
  QS_RC=$?
  set -e
  qs_show "$name"
}

# qs_show NAME: the start and the end of a run's log, and its standard error.
qs_show() {
  local name=$1
  echo "--- $name: exit status $QS_RC; log (first 40 lines, cut at 300 bytes):"
  head -n 40 "$WORK/$name.out" | cut -b 1-300 | sed -e 's/^/    /'
  head -n 40 "$WORK/$name.err" | cut -b 1-300 | sed -e 's/^/    stderr: /'
  local lines
  lines=$(wc -l <"$WORK/$name.out")
  if [ "$lines" -gt 40 ]; then
    echo "    ... ($lines lines in all) ..."
    tail -n 3 "$WORK/$name.out" | cut -b 1-300 | sed -e 's/^/    /'
  fi
}

# Checks of the last runs.
qs_status_is() { [ "$QS_RC" -eq "$1" ]; }
qs_quiet() { [ ! -s "$WORK/$1.err" ]; }  # nothing on standard error: no sanitizer report either
qs_log_has() { grep -qF -- "$2" "$WORK/$1.out"; }
qs_log_lacks() { ! grep -qF -- "$2" "$WORK/$1.out"; }
qs_summary_is() { qs_log_has "$1" "] Time-based incremental backup completed: $2 time-versioned."; }

# File checks.
qs_same() { cmp -s -- "$1" "$2"; }
qs_mtime() { stat -c %.9Y -- "$1"; }
qs_same_mtime() { [ "$(qs_mtime "$1")" = "$(qs_mtime "$2")" ]; }
qs_no_temp_files() { [ -z "$(find "$1" -name '.qs-tmp-*' -print -quit)" ]; }
qs_count_files() { find "$1" -type f -printf x | wc -c; }  # names may hold line feeds
