#!/usr/bin/env bash
# A file whose target path holds something other than a file: a directory, a FIFO, a link to
# a directory. Whatever the times, older or newer than the source, the copy fails with the
# system's code ("is a directory" 21, "exists" 17), is logged and counted as failed, the run
# exits 1, and the item stays as it was: nothing is written into it, nothing replaces it, no
# run waits on the FIFO. With time versioning nothing is versioned either.
QS_RUN_LIMIT=60  # a run that opens the FIFO would hang: fail it soon
source "$(dirname "$0")/lib.sh"

SRC=$WORK/src
DST=$WORK/dst
OLD_TIME='2001-02-03 04:05:06.123456789'
ITEMS=()  # "GROUP/NAME CODE": the items in the target and the code their copies fail with
mkdir -p "$SRC/newer" "$SRC/older" "$DST/elsewhere" "$WORK/before"
echo ok >"$SRC/ok.txt"
for group in newer older; do
  for name in dir fifo link; do echo "$group $name" >"$SRC/$group/$name.txt"; done
  mkdir -p "$DST/$group/dir.txt"
  echo inner >"$DST/$group/dir.txt/inner.txt"
  mkfifo "$DST/$group/fifo.txt"
  ln -s ../elsewhere "$DST/$group/link.txt"
  ITEMS+=("$group/dir.txt 21" "$group/fifo.txt 17" "$group/link.txt 21")
done
# The sources of "newer" are later than the items in the target; those of "older" earlier.
touch -h -d "$OLD_TIME" "$DST"/newer/* "$DST/newer/dir.txt/inner.txt"
touch -d "$OLD_TIME" "$SRC"/older/*

# What an item is: its type and time, and what it holds or points to.
state() {
  stat -c '%F %.9Y' "$1"
  if [ -L "$1" ]; then readlink "$1"; elif [ -d "$1" ]; then ls -A "$1" && cat "$1"/*; fi
}
for entry in "${ITEMS[@]}"; do
  rel=${entry% *}
  state "$DST/$rel" >"$WORK/before/${rel/\//-}"
done

# The system's words for the codes the copies fail with.
words() {
  case $1 in
    17) echo "File exists)" ;;
    21) echo "Is a directory)" ;;
  esac
}

check_run() {
  local name=$1 entry rel code missing=0 changed=0
  qs_check "$name: exit status 1" qs_status_is 1
  qs_check "$name: the file beside them is copied, the six fail" \
    qs_summary_is "$name" "$2 copied, 0 updated, $3 skipped, 6 failed, 0"
  for entry in "${ITEMS[@]}"; do
    rel=${entry% *}
    code=${entry#* }
    if ! qs_log_has "$name" "] CopyFile failed: $SRC/$rel -> $DST/$rel Error: $code ($(words "$code")" ||
      ! qs_log_has "$name" "] [COPY ERROR] $SRC/$rel" || ! qs_log_has "$name" "] [FAILED] $SRC/$rel"; then
      echo "    not reported as failing with $code: $rel"
      missing=$((missing + 1))
    fi
    if ! cmp -s <(state "$DST/$rel" 2>&1) "$WORK/before/${rel/\//-}"; then
      echo "    changed: $rel"
      changed=$((changed + 1))
    fi
  done
  qs_check "$name: each is reported with the system's code, COPY ERROR and FAILED" test "$missing" -eq 0
  qs_check "$name: every item is left as it was" test "$changed" -eq 0
  qs_check "$name: no temporary file is left" qs_no_temp_files "$DST"
  qs_check "$name: nothing on standard error" qs_quiet "$name"
}

qs_run plain "$SRC" "$DST"
check_run plain 1 0
qs_check "plain: the file beside them arrives" qs_same "$SRC/ok.txt" "$DST/ok.txt"

qs_run versioning --time-versioning "$SRC" "$DST"
check_run versioning 0 1
qs_check "versioning: nothing is versioned" test -z "$(find "$DST" -maxdepth 1 -name 'backup_*')"

qs_finish
