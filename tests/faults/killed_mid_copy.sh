#!/usr/bin/env bash
# SIGKILL while a 512 MiB file is being copied over an older copy. The kill is sent only once
# the copy's temporary file is seen holding data that is not in place yet, so it lands between
# the start of the copy and its publication. The old copy must survive whole, and a rerun
# completes. Done twice: with the unnamed temporary file, and with the named one that file
# systems without O_TMPFILE get (an exFAT image through FUSE, which has none).
source "$(dirname "$0")/lib.sh"
qs_require_image exfat
qs_require_tool strace strace

# The flush before the copy is put in place is held back for two seconds, so that the kill
# lands in time even on a busy machine. LeakSanitizer cannot work under ptrace.
SLOW_FLUSH=(env "ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
  strace -f -qq -o /dev/null -e trace=syncfs,fdatasync
  -e inject=syncfs:delay_enter=2000000 -e inject=fdatasync:delay_enter=2000000 --)

SIZE=$((512 * 1024 * 1024))
SRC=$WORK/src
mkdir -p "$SRC"
head -c "$SIZE" /dev/urandom >"$SRC/big.bin"
head -c $((4 * 1024 * 1024)) /dev/urandom >"$WORK/old.ref"
touch -d '2021-03-04 05:06:07.123456789' "$WORK/old.ref"


# Size of the file PID is copying into in DIR, once data is in it but it is not in place yet:
# the unnamed or the hidden temporary file (written, or written and being flushed), or the
# target itself, partly written, should the copy ever write there directly.
wait_for_partial_copy() {
  local pid=$1 dir=$2 fd target size
  for _ in $(seq 1 20000); do
    kill -0 "$pid" 2>/dev/null || return 1
    for fd in /proc/"$pid"/fd/*; do
      target=$(readlink "$fd" 2>/dev/null) || continue
      size=$(stat -L -c %s "$fd" 2>/dev/null) || continue
      case "$target" in
        "$dir/#"*" (deleted)" | "$dir/.qs-tmp-"*)
          [ "$size" -gt 0 ] || continue ;;
        "$dir/big.bin")
          [ "$size" -gt 0 ] && [ "$size" -lt "$SIZE" ] || continue ;;
        *) continue ;;
      esac
      echo "$size"
      return 0
    done
  done
  return 1
}

# kill_mid_copy NAME DST: starts a backup and kills it mid-copy.
# Sets KILLED_AT (bytes in the temporary file when killed) and KILL_RC.
kill_mid_copy() {
  local name=$1 dst=$2
  local attempt pid runner
  KILLED_AT=""
  for attempt in 1 2 3; do
    mkdir -p "$dst"
    find "$dst" -mindepth 1 -delete
    cp -p "$WORK/old.ref" "$dst/big.bin"
    OLD_MTIME=$(qs_mtime "$dst/big.bin")  # as the target's file system keeps it
    "${SLOW_FLUSH[@]}" timeout -k 5 "$QS_RUN_LIMIT" "$QS_RUNNER" "$SRC" "$dst" \
      >"$WORK/$name.out" 2>&1 &
    pid=$!
    QS_PIDS+=("$pid")
    if runner=$(qs_find_runner "$pid") && KILLED_AT=$(wait_for_partial_copy "$runner" "$dst"); then
      kill -9 "$runner"
      set +e
      { wait "$pid"; } 2>/dev/null  # no job report: the kill is the point
      KILL_RC=$?
      set -e
      echo "--- $name: killed with $KILLED_AT of $SIZE bytes copied (attempt $attempt)"
      return 0
    fi
    wait "$pid" || true
    echo "--- $name: attempt $attempt did not catch the copy under way"
  done
  return 1
}

check_after_kill() {
  local name=$1 dst=$2
  qs_check "$name: the kill landed while the copy was under way" [ -n "$KILLED_AT" ]
  qs_check "$name: the runner died of the kill (137)" [ "$KILL_RC" -eq 137 ]
  qs_check "$name: the target still holds the whole old copy" qs_same "$dst/big.bin" "$WORK/old.ref"
  qs_check "$name: the old copy keeps its last-write time" [ "$(qs_mtime "$dst/big.bin")" = "$OLD_MTIME" ]
  qs_check "$name: no log line claims the file was updated" qs_log_lacks "$name" "[UPDATED]"
}

check_rerun_completes() {
  local name=$1 dst=$2
  qs_run "$name" "$SRC" "$dst"
  qs_check "$name: the rerun succeeds" qs_status_is 0
  qs_check "$name: the rerun updates the file" qs_summary_is "$name" "0 copied, 1 updated, 0 skipped, 0 failed, 0"
  qs_check "$name: the target now holds the new data" qs_same "$dst/big.bin" "$SRC/big.bin"
  qs_check "$name: with the source's last-write time" qs_same_mtime "$dst/big.bin" "$SRC/big.bin"
  qs_check "$name: the rerun wrote nothing to standard error" qs_quiet "$name"
}

# 1. The unnamed temporary file.
DST=$WORK/dst-unnamed
if kill_mid_copy unnamed "$DST"; then
  check_after_kill unnamed "$DST"
  qs_check "unnamed: nothing but the old copy is left in the target" \
    [ "$(ls -A "$DST")" = big.bin ]
  check_rerun_completes unnamed-rerun "$DST"
else
  qs_check "unnamed: the copy could be caught under way" false
fi

# 2. The named temporary file, on a file system without O_TMPFILE: the kill leaves the hidden
# ".qs-tmp-" file behind, beside the intact old copy.
qs_mount_image exfat "$WORK/exfat" 1400
DST=$WORK/exfat/dst-named
if kill_mid_copy named "$DST"; then
  check_after_kill named "$DST"
  qs_check "named: the killed copy left its hidden temporary file" \
    [ -n "$(find "$DST" -name '.qs-tmp-*' -print -quit)" ]
  # exFAT keeps whole seconds here: the old copy's time is the reference's, cut down.
  qs_run named-rerun "$SRC" "$DST"
  qs_check "named: the rerun through a named temporary file succeeds" qs_status_is 0
  qs_check "named: the target now holds the new data" qs_same "$DST/big.bin" "$SRC/big.bin"
  qs_check "named: the rerun left no temporary file of its own" \
    [ "$(find "$DST" -name '.qs-tmp-*' | wc -l)" -eq 1 ]
else
  qs_check "named: the copy could be caught under way" false
fi

qs_finish
