#!/usr/bin/env bash
# A source subdirectory that the user running the backup cannot list. Its files are not
# backed up, so the run must say so: a log line naming the directory with the system's
# code, and an exit status that is not 0. Today the scan passes over it in silence and the
# run reports success; this case fails until the scan reports what it could not list.
source "$(dirname "$0")/lib.sh"
qs_require_root "runs the runner as nobody"
qs_require_tool setpriv util-linux

SRC=$WORK/src
DST=$WORK/dst
mkdir -p "$SRC/locked/deeper" "$DST"
echo a >"$SRC/a.txt"
echo c >"$SRC/locked/c.txt"
echo d >"$SRC/locked/deeper/d.txt"
chmod 700 "$SRC/locked"
chown nobody:nogroup "$DST"

qs_run unlistable --as-nobody "$SRC" "$DST"
qs_check "the listable part is copied" qs_same "$DST/a.txt" "$SRC/a.txt"
qs_check "the directory that could not be listed is named with EACCES" \
  bash -c 'grep -F -- "$1" "$2" | grep -q "Error: 13"' _ "$SRC/locked" "$WORK/unlistable.out"
qs_check "the run does not report success" test "$QS_RC" -ne 0

qs_finish
