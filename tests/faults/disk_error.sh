#!/usr/bin/env bash
# A disk that fails in the middle of a versioned run. An ext4 image mounted errors=remount-ro
# is given an error (its trigger_fs_error) while the runner is held by strace at one of several
# points: after the Nth link that puts a copy in place, a replace, the flush of a batch's data
# or of its names, the flush of the version folder. From then on the volume refuses every
# write, and what was not committed before is gone after a remount. The run must end with
# status 1, with every file it could not make durable failed by name; after the image is
# mounted again, every file it reported copied or updated is there with the source's bytes and
# time, every old version it reported saved is in its version folder, and every old copy is
# still in the target or in a version folder. A rerun on the healthy volume completes.
source "$(dirname "$0")/lib.sh"
qs_require_image ext4
qs_require_tool strace strace
qs_require_tool python3 python3

SRC=$WORK/src
OLD=$WORK/old  # the target's copies from an earlier backup, each older than its source
mkdir -p "$SRC" "$OLD"
for d in $(seq -w 1 12); do
  mkdir -p "$SRC/dir$d" "$OLD/dir$d"
  for f in $(seq -w 1 20); do
    rel="dir$d/file$f.txt"
    { echo "new $rel"; head -c $((RANDOM % 9000)) /dev/urandom; } >"$SRC/$rel"
    if [ $((10#$f % 3)) -ne 0 ]; then
      { echo "old $rel"; head -c $((RANDOM % 9000)) /dev/urandom; } >"$OLD/$rel"
      touch -d '2021-03-04 05:06:07.123456789' "$OLD/$rel"
    fi
  done
done
FILES=$(qs_count_files "$SRC")

# check.py LOG SRC OLD DST: what the log says against what the target holds after the remount.
cat >"$WORK/check.py" <<'PY'
import os, re, sys

log, src, old, dst = sys.argv[1:5]
entry = re.compile(r"^\[[0-9-]+ [0-9:.]+\] (.*)$")
copied, versions, failed, folder, problems = [], [], set(), None, []
with open(log, encoding="utf-8", errors="surrogateescape") as f:
    for line in f:
        m = entry.match(line.rstrip("\n"))
        if not m:
            continue
        text = m.group(1)
        if text.startswith("[COPIED] ") or text.startswith("[UPDATED] "):
            copied.append(text.split("] ", 1)[1])
        elif text.startswith("Time version created: "):
            versions.append(text[len("Time version created: "):])
        elif text.startswith("[FAILED] "):
            failed.add(os.path.relpath(text[len("[FAILED] "):], src))
        elif text.startswith("Time version directory created: "):
            folder = text[len("Time version directory created: "):]

def same(a, b, times=True):
    with open(a, "rb") as x, open(b, "rb") as y:
        if x.read() != y.read():
            return False
    return not times or os.stat(a).st_mtime_ns == os.stat(b).st_mtime_ns

for rel in copied:
    if rel in failed:
        problems.append("reported copied and failed: " + rel)
    target = os.path.join(dst, rel)
    if not os.path.exists(target) or not same(target, os.path.join(src, rel)):
        problems.append("reported copied, not in the target after the remount: " + rel)
for rel in versions:
    kept = os.path.join(folder or "", rel)
    if not os.path.exists(kept) or not same(kept, os.path.join(old, rel)):
        problems.append("reported saved, not in the version folder: " + rel)
folders = [os.path.join(dst, d) for d in os.listdir(dst) if d.startswith("backup_")]
for d, _, names in os.walk(old):
    for name in names:
        rel = os.path.relpath(os.path.join(d, name), old)
        target = os.path.join(dst, rel)
        if os.path.exists(target) and same(target, os.path.join(old, rel)):
            continue
        if not any(os.path.exists(os.path.join(v, rel)) and same(os.path.join(v, rel),
                   os.path.join(old, rel)) for v in folders):
            problems.append("old copy kept nowhere: " + rel)
count = sum(len(n) for _, _, n in os.walk(src))
if len(copied) + len(failed) != count:
    problems.append("%d reported copied and %d failed of %d files" % (len(copied), len(failed), count))
for p in problems[:20]:
    print("    " + p)
print("    %d copied or updated, %d versions, %d failed" % (len(copied), len(versions), len(failed)))
sys.exit(1 if problems else 0)
PY

# fail_at NAME SYSCALL N: a versioned run held at its Nth SYSCALL, the volume failed there.
fail_at() {
  local name=$1 syscall=$2 when=$3 dst=$WORK/$1 loop pid runner state held
  qs_mount_image ext4 "$dst" 64 errors=remount-ro
  cp -a "$OLD/." "$dst/"
  sync -f "$dst"
  loop=$(basename "$(findmnt -n -o SOURCE --target "$dst")")
  # One file thread: strace counts each thread's calls on their own. LeakSanitizer cannot
  # work under ptrace.
  env QS_FILE_THREADS=1 QS_FLUSH_BATCH=16 \
    "ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" \
    timeout -k 5 "$QS_RUN_LIMIT" strace -f -qq -o /dev/null -e trace="$syscall" \
    -e inject="$syscall":signal=SIGSTOP:when="$when" -- \
    "$QS_RUNNER" --time-versioning "$SRC" "$dst" >"$WORK/$name.out" 2>"$WORK/$name.err" &
  pid=$!
  QS_PIDS+=("$pid")
  # Held: stopped for a while. Each traced call stops it too, but only for a moment.
  held=0
  if runner=$(qs_find_runner "$pid"); then
    local stopped=0
    for _ in $(seq 1 3000); do
      state=$(awk '{print $3}' "/proc/$runner/stat" 2>/dev/null) || break
      if [ "$state" = t ] || [ "$state" = T ]; then stopped=$((stopped + 1)); else stopped=0; fi
      if [ "$stopped" -ge 10 ]; then held=1; break; fi
      sleep 0.02
    done
  fi
  if [ "$held" -eq 1 ]; then
    echo 1 >"/sys/fs/ext4/$loop/trigger_fs_error"
    kill -CONT "$runner"
  fi
  set +e
  wait "$pid"
  QS_RC=$?
  set -e
  qs_show "$name"
  qs_check "$name: the run was held at $syscall number $when" test "$held" -eq 1
  qs_check "$name: exit status 1" qs_status_is 1
  qs_check "$name: the failures carry EROFS" qs_log_has "$name" " Error: 30"
  qs_check "$name: the run still closes its log" qs_log_has "$name" "] Backup operation completed."
  qs_check "$name: nothing on standard error" qs_quiet "$name"
  qs_remount "$dst"
  qs_check "$name: after a remount, the log's word holds for every file" \
    python3 "$WORK/check.py" "$WORK/$name.out" "$SRC" "$OLD" "$dst"
  qs_check "$name: no temporary file is left" qs_no_temp_files "$dst"
  qs_run "$name-rerun" --time-versioning "$SRC" "$dst"
  qs_check "$name-rerun: exit status 0 on the healthy volume" qs_status_is 0
  qs_check "$name-rerun: the target matches the source" diff -r -x .quillstone -x 'backup_*' -x lost+found "$SRC" "$dst"
}

echo "--- $FILES files, $(qs_count_files "$OLD") of them with an older copy in the target"
# strace stops the runner right after the call named; the error comes before the next one.
fail_at readme linkat 1         # the version folder and its README are made, not flushed
fail_at folder fsync 1          # the version folder is flushed, not yet its name in the target
fail_at first-batch linkat 12   # the first batch is partly in place
fail_at replace renameat2 9     # an update has just replaced its old copy
fail_at data syncfs 5           # the third batch's data is flushed, nothing of it in place
fail_at names syncfs 6          # the third batch's names are durable, the fourth is under way
fail_at late linkat 300         # a batch late in the run is partly in place

qs_finish
