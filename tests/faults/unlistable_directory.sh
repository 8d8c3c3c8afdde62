#!/usr/bin/env bash
# Source subdirectories that the user running the backup cannot list: one it may not read,
# and one below a directory whose names it may read but not search (so it cannot even tell
# what the subdirectory is). Their files are not backed up, so the run must say so: a log
# line "Cannot list directory: DIR Error: 13 (Permission denied)" for each, and exit status 1. Everything else is
# still backed up.
source "$(dirname "$0")/lib.sh"
qs_require_root "runs the runner as nobody"
qs_require_tool setpriv util-linux

SRC=$WORK/src
DST=$WORK/dst
mkdir -p "$SRC/locked/deeper" "$SRC/names-only/sub" "$DST"
echo a >"$SRC/a.txt"
echo c >"$SRC/locked/c.txt"
echo d >"$SRC/locked/deeper/d.txt"
echo g >"$SRC/names-only/g.txt"
echo e >"$SRC/names-only/sub/e.txt"
chmod 700 "$SRC/locked"      # root's own: nobody may neither list nor enter it
chmod 744 "$SRC/names-only"  # nobody can list the names, but not look at what they are
chown nobody:nogroup "$DST"

qs_run unlistable --as-nobody "$SRC" "$DST"
qs_check "exit status 1" qs_status_is 1
qs_check "the directory that may not be read is named with EACCES" \
  qs_log_has unlistable "] Cannot list directory: $SRC/locked/ Error: 13 (Permission denied)"
qs_check "the directory below one that may not be searched is named with EACCES" \
  qs_log_has unlistable "] Cannot list directory: $SRC/names-only/sub/ Error: 13 (Permission denied)"
qs_check "nothing else is named" test "$(grep -c 'Cannot list directory' "$WORK/unlistable.out")" -eq 2
qs_check "the listable part is copied" qs_same "$DST/a.txt" "$SRC/a.txt"
qs_check "the file that can be named but not opened fails with EACCES" \
  qs_log_has unlistable "] CopyFile failed: $SRC/names-only/g.txt -> $DST/names-only/g.txt Error: 13 (Permission denied)"
qs_check "the summary counts what was listed" \
  qs_summary_is unlistable "1 copied, 0 updated, 0 skipped, 1 failed, 0"
qs_check "the run still ends with its summary" qs_log_has unlistable "] Backup operation completed."
qs_check "nothing on standard error" qs_quiet unlistable

qs_finish
