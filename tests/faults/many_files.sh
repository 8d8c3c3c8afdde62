#!/usr/bin/env bash
# 100,000 empty files in one directory: all are listed, copied empty, and found up to date
# by the next run.
source "$(dirname "$0")/lib.sh"

COUNT=100000
SRC=$WORK/src
DST=$WORK/dst
mkdir -p "$SRC"
(cd "$SRC" && seq -f 'empty-%06g' 1 "$COUNT" | xargs touch)

qs_run many "$SRC" "$DST"
qs_check "exit status 0" qs_status_is 0
qs_check "every file is listed" qs_log_has many "] Found $COUNT files."
qs_check "every file is copied" qs_summary_is many "$COUNT copied, 0 updated, 0 skipped, 0 failed, 0"
qs_check "the target holds them all" test "$(qs_count_files "$DST")" -eq "$COUNT"
qs_check "all empty" test -z "$(find "$DST" -path "$DST/.quillstone" -prune -o -type f -size +0 -print -quit)"
qs_check "under the same names" \
  cmp -s <(cd "$SRC" && find . -type f | sort) <(cd "$DST" && find . -path ./.quillstone -prune -o -type f -print | sort)
qs_check "nothing on standard error" qs_quiet many

qs_run again "$SRC" "$DST"
qs_check "a second run finds them all up to date" \
  qs_summary_is again "0 copied, 0 updated, $COUNT skipped, 0 failed, 0"

qs_finish
