#!/usr/bin/env bash
# A file rewritten in place while it is copied (a live database, a VM image, a mailbox) is
# never backed up as a mix of two versions, and no such mix is ever kept as a version.
# 1. A background writer keeps rewriting a 200 MiB file through the whole run: every try finds
#    it changed, so the file fails with "Changed while it was copied: PATH" (exit status 1),
#    the old copy stays whole with its time, no version of it is saved, and the other files
#    are backed up as usual. Once the writer stops, a rerun updates it, and a restore as of a
#    moment after the failed run gives the first version exactly.
# 2. The runner is stopped (SIGSTOP) in the middle of the copy while the file is rewritten
#    whole, then continued: the copy under way is dropped and made again, so the target holds
#    the new version exactly.
source "$(dirname "$0")/lib.sh"
qs_require_image ext4
qs_require_tool strace strace
qs_require_tool python3 python3

MIB=200
SIZE=$((MIB * 1024 * 1024))
SRC=$WORK/src
mkdir -p "$SRC"
head -c "$SIZE" /dev/urandom >"$SRC/db.bin"
echo "steady, version 1" >"$SRC/steady.txt"
touch -d '2024-05-06 07:08:09.5' "$SRC/db.bin" "$SRC/steady.txt"
cp -p "$SRC/db.bin" "$WORK/db.v1"
qs_mount_image ext4 "$WORK/ext4" 1400

# Rewrites 64 KiB at a random place of the file, every 2 ms, until it is killed; returns once
# the first write is done.
WRITER_PID=
start_writer() {
  rm -f "$WORK/writer.started"
  python3 - "$1" "$WORK/writer.started" <<'EOF' &
import os, random, sys, time
fd = os.open(sys.argv[1], os.O_WRONLY)
size = os.fstat(fd).st_size
while True:
    os.pwrite(fd, os.urandom(65536), random.randrange(0, size - 65536))
    if not os.path.exists(sys.argv[2]):
        open(sys.argv[2], "w").close()
    time.sleep(0.002)
EOF
  WRITER_PID=$!
  QS_PIDS+=("$WRITER_PID")
  for _ in $(seq 1 600); do
    [ -e "$WORK/writer.started" ] && return 0
    sleep 0.05
  done
  echo "the writer did not start"
  return 1
}
stop_writer() {
  kill "$WRITER_PID"
  wait "$WRITER_PID" 2>/dev/null || true
}

# Each backup_* folder of DST that holds NAME.
versions_of() { find "$1" -mindepth 2 -maxdepth 2 -path "$1/backup_*/$2" -print; }

# 1. A writer busy through the whole run.
DST=$WORK/ext4/busy
qs_run busy-first "$SRC" "$DST"
qs_check "busy-first: both files copied" qs_summary_is busy-first "2 copied, 0 updated, 0 skipped, 0 failed, 0"
OLD_MTIME=$(qs_mtime "$DST/db.bin")
echo "steady, version 2" >"$SRC/steady.txt"
start_writer "$SRC/db.bin"
qs_run busy --time-versioning "$SRC" "$DST"
# A moment after the run, while the file is still being written: the backup then held the
# first version, and a restore as of it must give that, never a mix of versions.
sleep 1
AS_OF=$(date '+%Y-%m-%d %H:%M:%S')
sleep 1.1
stop_writer
qs_check "busy: exit status 1" qs_status_is 1
qs_check "busy: the file is reported as changed while it was copied" \
  qs_log_has busy "] Changed while it was copied: $SRC/db.bin"
qs_check "busy: and failed" qs_log_has busy "] [FAILED] $SRC/db.bin"
qs_check "busy: it is not logged as updated" qs_log_lacks busy "[UPDATED] db.bin"
qs_check "busy: the other file is updated and versioned, the busy one failed" \
  qs_summary_is busy "0 copied, 1 updated, 0 skipped, 1 failed, 1"
qs_check "busy: the old copy is still whole" qs_same "$DST/db.bin" "$WORK/db.v1"
qs_check "busy: with its old time" [ "$(qs_mtime "$DST/db.bin")" = "$OLD_MTIME" ]
qs_check "busy: no version of it was saved" [ -z "$(versions_of "$DST" db.bin)" ]
qs_check "busy: the other file's old copy was saved" [ -n "$(versions_of "$DST" steady.txt)" ]
qs_check "busy: no temporary file is left" qs_no_temp_files "$DST"
qs_check "busy: nothing on standard error" qs_quiet busy

sleep 1.1  # a version folder of its own
qs_run busy-rerun --time-versioning "$SRC" "$DST"
qs_check "busy-rerun: at rest, the file is updated" qs_status_is 0
qs_check "busy-rerun: one update, one version" qs_summary_is busy-rerun "0 copied, 1 updated, 1 skipped, 0 failed, 1"
qs_check "busy-rerun: the target holds the file as it is now" qs_same "$DST/db.bin" "$SRC/db.bin"
SAVED=$(versions_of "$DST" db.bin)
qs_check "busy-rerun: the version saved is the old copy, whole" qs_same "$SAVED" "$WORK/db.v1"
qs_run busy-restore --restore --as-of "$AS_OF" "$DST" "$WORK/restored" db.bin
qs_check "busy-restore: as of the failed run, the restore gives the first version exactly" \
  qs_same "$WORK/restored/db.bin" "$WORK/db.v1"

# 2. The runner stopped in the middle of the copy while the file is rewritten whole. Each write
# of the copy is held back 1 ms, so that the copy is seen under way.
SLOW_COPY=(env "ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
  strace -f -qq -o /dev/null -e trace=pwrite64,copy_file_range
  -e inject=pwrite64:delay_enter=1000 -e inject=copy_file_range:delay_enter=1000 --)

# Bytes in the temporary file that PID copies into in DIR, once it holds some but not all.
wait_for_partial_copy() {
  local pid=$1 dir=$2 fd target size
  for _ in $(seq 1 20000); do
    kill -0 "$pid" 2>/dev/null || return 1
    for fd in /proc/"$pid"/fd/*; do
      target=$(readlink "$fd" 2>/dev/null) || continue
      case "$target" in "$dir/#"*" (deleted)" | "$dir/.qs-tmp-"*) ;; *) continue ;; esac
      size=$(stat -L -c %s "$fd" 2>/dev/null) || continue
      if [ "$size" -gt 0 ] && [ "$size" -lt "$SIZE" ]; then
        echo "$size"
        return 0
      fi
    done
  done
  return 1
}

DST=$WORK/ext4/stopped
mkdir -p "$DST"
cp -p "$WORK/db.v1" "$DST/db.bin"
head -c "$SIZE" /dev/urandom >"$SRC/db.bin"  # version 2, what the run starts to copy
head -c "$SIZE" /dev/urandom >"$WORK/db.v3"  # version 3, written while the runner is stopped
"${SLOW_COPY[@]}" timeout -k 5 "$QS_RUN_LIMIT" "$QS_RUNNER" "$SRC" "$DST" \
  >"$WORK/stopped.out" 2>"$WORK/stopped.err" &
RUN_PID=$!
QS_PIDS+=("$RUN_PID")
STOPPED_AT=
if RUNNER=$(qs_find_runner "$RUN_PID") && STOPPED_AT=$(wait_for_partial_copy "$RUNNER" "$DST"); then
  kill -STOP "$RUNNER"
  echo "--- stopped: the runner stopped with $STOPPED_AT of $SIZE bytes copied"
  dd if="$WORK/db.v3" of="$SRC/db.bin" bs=1M conv=notrunc status=none
  kill -CONT "$RUNNER"
fi
set +e
wait "$RUN_PID"
QS_RC=$?
set -e
qs_show stopped
qs_check "stopped: the stop landed while the copy was under way" [ -n "$STOPPED_AT" ]
qs_check "stopped: exit status 0" qs_status_is 0
qs_check "stopped: the file is updated, the other one copied" qs_summary_is stopped "1 copied, 1 updated, 0 skipped, 0 failed, 0"
qs_check "stopped: the target holds the version written while it was stopped, exactly" \
  qs_same "$DST/db.bin" "$WORK/db.v3"
qs_check "stopped: with the source's time" qs_same_mtime "$DST/db.bin" "$SRC/db.bin"
qs_check "stopped: no temporary file is left" qs_no_temp_files "$DST"

qs_finish
