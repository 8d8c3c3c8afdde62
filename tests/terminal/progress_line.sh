#!/usr/bin/env bash
# The progress line as a person meets it: the real runner copies a steady tree (80 folders of
# 25 files of 8 KiB) into the slow target (bench/slowfs, every request 10 ms late: the run's
# pace is the target's, whatever else the machine is doing), and the screen is read five times
# a second.
#
#   progress_line.sh QUILLSTONE-RUN MODE
#
#   80, 40       in a tmux pane of that many columns, log and line on the terminal: the line
#                is in sight while the run goes, never wider than the pane, leaves no piece
#                of itself among the log lines, and the final screen holds every log line;
#                at 80 columns its time left is also held against the real time left.
#   log-in-file  in a tmux pane, the log into a file: the line is in sight, nothing is ever
#                erased, the file holds the log alone.
#   plain        standard error into a pipe: a plain line every five seconds and one at the
#                end, no carriage return, no escape.
source "$(dirname "$0")/../faults/lib.sh"

MODE=${2:?usage: $0 QUILLSTONE-RUN 80|40|log-in-file|plain}
HERE=$(cd "$(dirname "$0")" && pwd)
REPO=$(dirname "$(dirname "$HERE")")
SRC=$WORK/src
DELAY_US=10000

qs_require_root "mounts the slow target, a FUSE file system"
qs_require_tool fusermount3 fuse3
qs_require_tool pkg-config pkg-config
qs_require_tool python3 python3
[ "$MODE" = plain ] || qs_require_tool tmux tmux
pkg-config --exists fuse3 || qs_skip "libfuse3-dev is missing: bash cmake/install-deps.sh libfuse3-dev"
[ -e /dev/fuse ] || qs_skip "no /dev/fuse"

# shellcheck disable=SC2046 # pkg-config prints several words
cc -O2 -o "$WORK/slowfs" "$REPO"/bench/slowfs/*.c $(pkg-config --cflags --libs fuse3)
python3 - "$SRC" <<'PY'
import os, sys
for d in range(80):
    folder = os.path.join(sys.argv[1], "d%03d" % d)
    os.makedirs(folder)
    for f in range(25):
        with open(os.path.join(folder, "f%02d.bin" % f), "wb") as out:
            out.write(os.urandom(8192))
PY

# mount_slow DIR: an empty folder behind the slow target, mounted at DIR/mnt.
mount_slow() {
  mkdir -p "$1/backing" "$1/mnt"
  "$WORK/slowfs" -f -o "default_permissions,fsname=qs-slowfs,delay_us=$DELAY_US" \
    "$1/backing" "$1/mnt" 2>"$1/slowfs.log" &
  QS_PIDS+=($!)
  QS_MOUNTS+=("$1/mnt")
  for _ in $(seq 1 500); do
    if findmnt -n "$1/mnt" >/dev/null; then return 0; fi
    sleep 0.01
  done
  echo "slowfs did not mount: $(cat "$1/slowfs.log")"
  return 1
}

# What the log of this tree's backup says, into a plain folder: the log lines to compare with.
"$QS_RUNNER" "$SRC" "$WORK/reference" >"$WORK/reference.log"

# run_in_tmux DIR COLUMNS [LOG-FILE]: the runner in a detached pane of COLUMNS x 24 over the
# slow target, its screen read five times a second (DIR/cap-N, times in DIR/index) and all
# it was sent recorded (DIR/raw); DIR/final is the whole pane at the end, history and all.
run_in_tmux() {
  local dir=$1 columns=$2 log=${3:-} sock=$WORK/tmux.sock i=0 deadline
  mount_slow "$dir" || return 1
  printf 'set -g history-limit 100000\n' >"$WORK/tmux.conf"
  cat >"$dir/pane.sh" <<SH
while [ ! -e "$dir/go" ]; do sleep 0.01; done
date +%s.%N >"$dir/start"
"$QS_RUNNER" "$SRC" "$dir/mnt" ${log:+>"$log"}
echo \$? >"$dir/rc"
date +%s.%N >"$dir/end"
exec sleep 1000
SH
  tmux -S "$sock" -f "$WORK/tmux.conf" new-session -d -s run -x "$columns" -y 24 \
    "bash $dir/pane.sh"
  QS_PIDS+=("$(tmux -S "$sock" display-message -p '#{pid}')")
  tmux -S "$sock" pipe-pane -t run -o "cat >$dir/raw"
  touch "$dir/go"
  deadline=$((SECONDS + 120))
  while [ ! -e "$dir/end" ] && [ "$SECONDS" -lt "$deadline" ]; do
    echo "$i $EPOCHREALTIME" >>"$dir/index"
    tmux -S "$sock" capture-pane -p -J -t run >"$dir/cap-$i"
    i=$((i + 1))
    sleep 0.2
  done
  sleep 0.5
  tmux -S "$sock" capture-pane -p -J -S - -E - -t run >"$dir/final"
  tmux -S "$sock" kill-server
  echo "--- $MODE: $i screens read; exit status $(cat "$dir/rc" 2>/dev/null); the last screen:"
  sed -e 's/^/    /' "$dir/cap-$((i - 1))"
}

checks() { python3 "$HERE/pane_checks.py" "$@"; }

case $MODE in
  80 | 40)
    run_in_tmux "$WORK/pane" "$MODE"
    qs_check "exit status 0" test "$(cat "$WORK/pane/rc")" = 0
    qs_check "the line is in sight while the run goes" checks in-sight "$WORK/pane" 0.8
    qs_check "never wider than the pane, no piece of it left" checks fits "$WORK/pane" "$MODE"
    qs_check "the final screen holds every log line, then the line's last state" \
      checks final "$WORK/pane" "$WORK/reference.log" "$WORK/reference" "$WORK/pane/mnt"
    if [ "$MODE" = 80 ]; then
      qs_check "from 10 % of the bytes on, the time left is within 1.5 times the real one" \
        checks time-left "$WORK/pane"
    fi
    ;;
  log-in-file)
    run_in_tmux "$WORK/pane" 80 "$WORK/pane/log"
    qs_check "exit status 0" test "$(cat "$WORK/pane/rc")" = 0
    qs_check "the line is in sight while the run goes" checks in-sight "$WORK/pane" 0.9
    qs_check "nothing is erased, the line is only brought up to date" checks never-erased \
      "$WORK/pane/raw"
    qs_check "the file holds the log alone" checks same-log "$WORK/pane/log" \
      "$WORK/reference.log" "$WORK/reference" "$WORK/pane/mnt"
    ;;
  plain)
    mount_slow "$WORK/plain"
    set +e
    timeout -k 5 "$QS_RUN_LIMIT" "$QS_RUNNER" --progress "$SRC" "$WORK/plain/mnt" \
      >"$WORK/plain/log" 2> >(while IFS= read -r line; do echo "$EPOCHREALTIME $line"; done \
        >"$WORK/plain/err")
    QS_RC=$?
    set -e
    sleep 0.5  # the stamping of standard error ends after the runner
    echo "--- plain: exit status $QS_RC; standard error, stamped:"
    sed -e 's/^/    /' "$WORK/plain/err"
    qs_check "exit status 0" qs_status_is 0
    qs_check "a plain line every five seconds and one at the end" \
      checks plain "$WORK/plain/err" 2000
    ;;
  *) echo "unknown mode $MODE" >&2; exit 2 ;;
esac
qs_finish
