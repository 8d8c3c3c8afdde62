#!/usr/bin/env bash
# A target that does not keep the last-write times set on copies (some WebDAV servers behind
# rclone, some network shares) dates every copy itself: at the upload, or at some fixed date.
# Change detection cannot work there: a run copies and versions unchanged files again, or
# misses a change dated before the upload. Each run that meets such a target says once "The
# target does not keep last-write times: every run copies every file again" and fails (exit
# status 1) unless --accept-unkept-times is given; the copies are still made, whole. Tried over
# a FUSE double that drops every time set (bench/slowfs -o drop_times) and over an rclone mount
# of `rclone serve webdav` on loopback (vendor "other"). The same double keeping times says
# nothing, and its unchanged rerun writes nothing.
source "$(dirname "$0")/lib.sh"
qs_require_root "FUSE mounts"
[ -e /dev/fuse ] || qs_skip "no /dev/fuse"
qs_require_tool cc gcc
qs_require_tool pkg-config pkg-config
pkg-config --exists fuse3 || qs_skip "libfuse3-dev is missing: bash cmake/install-deps.sh libfuse3-dev"

LINE="The target does not keep last-write times: every run copies every file again"
SLOWFS=$WORK/slowfs
# shellcheck disable=SC2046 # pkg-config prints several words
cc -O2 -o "$SLOWFS" "$(dirname "$0")"/../../bench/slowfs/*.c $(pkg-config --cflags --libs fuse3)

SRC=$WORK/src
mkdir -p "$SRC/sub"
for name in a.txt b.txt sub/c.txt; do echo "this is $name" >"$SRC/$name"; done
touch -d '2020-01-02 03:04:05.5' "$SRC/a.txt" "$SRC/b.txt" "$SRC/sub/c.txt"

is_mounted() { awk -v m="$1" '$5 == m { found = 1 } END { exit !found }' /proc/self/mountinfo; }

# wait_for_mount DIR PID: true once DIR is a mount point, false when PID ends first.
wait_for_mount() {
  for _ in $(seq 1 1000); do
    is_mounted "$1" && return 0
    kill -0 "$2" 2>/dev/null || return 1
    sleep 0.02
  done
  return 1
}

# mount_double DIR [drop_times]: the double over a fresh backing directory at DIR.
mount_double() {
  local dir=$1 backing=$1-backing
  mkdir -p "$dir" "$backing"
  "$SLOWFS" -f -o "default_permissions,fsname=qs-double${2:+,$2}" "$backing" "$dir" \
    2>"$WORK/slowfs-$(basename "$dir").log" &
  QS_PIDS+=("$!")
  QS_MOUNTS+=("$dir")
  wait_for_mount "$dir" "$!" || { cat "$WORK/slowfs-$(basename "$dir").log"; return 1; }
}

check_reported() {
  local name=$1 status=$2
  qs_check "$name: exit status $status" qs_status_is "$status"
  qs_check "$name: the target is said to drop times, once" \
    [ "$(grep -cF -- "] $LINE" "$WORK/$name.out")" -eq 1 ]
}

check_copies() {
  local name=$1 dst=$2
  qs_check "$name: every copy is whole" \
    bash -c 'for f in a.txt b.txt sub/c.txt; do cmp -s "$1/$f" "$2/$f" || exit 1; done' _ "$SRC" "$dst"
  qs_check "$name: no temporary or probe file is left" qs_no_temp_files "$dst"
}

# 1. The double that drops times. Copies are dated at their writing, after their sources.
mount_double "$WORK/dropping" drop_times
DST=$WORK/dropping/dst
qs_run dropping "$SRC" "$DST"
check_reported dropping 1
qs_check "dropping: the files are copied all the same" qs_summary_is dropping "3 copied, 0 updated, 0 skipped, 0 failed, 0"
qs_check "dropping: the line comes after the files, before the summary" \
  bash -c 'grep -n -F -e "$2" -e "] Time-based" -e "[COPIED] sub/c.txt" "$1" | cut -d: -f1 | sort -c -n' \
  _ "$WORK/dropping.out" "$LINE"
check_copies dropping "$DST"
qs_run dropping-rerun "$SRC" "$DST"
check_reported dropping-rerun 1
qs_check "dropping-rerun: the copies dated later are skipped" qs_summary_is dropping-rerun "0 copied, 0 updated, 3 skipped, 0 failed, 0"
qs_run dropping-accepted --accept-unkept-times "$SRC" "$DST"
check_reported dropping-accepted 0

# Sources dated after the copies' writing: every run copies and versions every file again.
FUTURE=$WORK/future
cp -a "$SRC" "$FUTURE"
find "$FUTURE" -type f -exec touch -d '2035-06-07 08:09:10' {} +
qs_run future --time-versioning "$FUTURE" "$WORK/dropping/future"
check_reported future 1
qs_run future-rerun --time-versioning "$FUTURE" "$WORK/dropping/future"
check_reported future-rerun 1
qs_check "future-rerun: the unchanged files are updated and versioned again" \
  qs_summary_is future-rerun "0 copied, 3 updated, 0 skipped, 0 failed, 3"

# 2. The same double keeping times: not a word, and the rerun writes nothing (not even a probe).
mount_double "$WORK/keeping"
DST=$WORK/keeping/dst
qs_run keeping "$SRC" "$DST"
qs_check "keeping: exit status 0" qs_status_is 0
qs_check "keeping: nothing is said of times" qs_log_lacks keeping "$LINE"
check_copies keeping "$DST"
BEFORE=$(stat -c %.9Y "$WORK/keeping-backing/dst")
qs_run keeping-rerun "$SRC" "$DST"
qs_check "keeping-rerun: the target folder is not written (no probe file made and removed)" \
  [ "$(stat -c %.9Y "$WORK/keeping-backing/dst")" = "$BEFORE" ]
qs_check "keeping-rerun: everything skipped, exit status 0" \
  bash -c '[ "$1" -eq 0 ] && grep -qF "0 copied, 0 updated, 3 skipped, 0 failed" "$2"' _ "$QS_RC" "$WORK/keeping-rerun.out"
qs_check "keeping-rerun: nothing is said of times" qs_log_lacks keeping-rerun "$LINE"

# 3. rclone: a WebDAV server on loopback, mounted as a file system.
if ! command -v rclone >/dev/null; then
  echo "SKIPPED part: rclone is missing (bash cmake/install-deps.sh rclone)"
  qs_check "rclone is there for the WebDAV case" false
  qs_finish
  exit
fi
export RCLONE_CONFIG=$WORK/rclone.conf  # none: the remote is given on the command line
mkdir -p "$WORK/served" "$WORK/dav"
PORT=""
for _ in 1 2 3 4 5; do
  PORT=$((20000 + RANDOM % 20000))
  rclone serve webdav --addr "127.0.0.1:$PORT" "$WORK/served" >"$WORK/serve.log" 2>&1 &
  SERVER=$!
  QS_PIDS+=("$SERVER")
  for _ in $(seq 1 200); do
    grep -q "127.0.0.1:$PORT" "$WORK/serve.log" 2>/dev/null && break
    kill -0 "$SERVER" 2>/dev/null || break
    sleep 0.05
  done
  kill -0 "$SERVER" 2>/dev/null && break
  PORT=""
done
qs_check "rclone serves WebDAV on loopback" [ -n "$PORT" ]
rclone mount ":webdav,url='http://127.0.0.1:$PORT',vendor=other:" "$WORK/dav" \
  --cache-dir "$WORK/rclone-cache" >"$WORK/mount.log" 2>&1 &
QS_PIDS+=("$!")
QS_MOUNTS+=("$WORK/dav")
if wait_for_mount "$WORK/dav" "$!"; then
  DST=$WORK/dav/dst
  qs_run webdav "$SRC" "$DST"
  check_reported webdav 1
  qs_check "webdav: the files are copied all the same" qs_summary_is webdav "3 copied, 0 updated, 0 skipped, 0 failed, 0"
  check_copies webdav "$WORK/served/dst"
  qs_run webdav-rerun "$SRC" "$DST"
  check_reported webdav-rerun 1
  qs_run webdav-accepted --accept-unkept-times "$SRC" "$DST"
  check_reported webdav-accepted 0
else
  cat "$WORK/mount.log"
  qs_check "rclone mounts the WebDAV server" false
fi

qs_finish
