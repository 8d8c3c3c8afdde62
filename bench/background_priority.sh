#!/usr/bin/env bash
# How much a background backup slows the person at the desk: the throughput of a foreground
# reader of a large file (dd, direct I/O) alone, and while quillstone-run backs up a tree of
# 50,000 files, once with --background (idle I/O class, nice 10) and once without. Prints the
# ratios reader-during-backup / reader-alone; the goal for --background is at least 80 %.
#
#   bash bench/background_priority.sh [--quick] [--loop] [--runs N]
#
# The trees live on the disk under $QS_BENCH_DIR (default /work/benchdata), or with --loop on a
# loop ext4 image there whose loop device gets the mq-deadline scheduler. Not on tmpfs: tmpfs
# has no I/O scheduler, so the I/O class changes nothing there. The source tree is dropped
# from the page cache before each backup (posix_fadvise on its files only), so each backup
# reads from the disk as a scheduled one does.
set -euo pipefail
source "$(dirname "$0")/lib.sh"

FILES=50000
BIG_MIB=4096
RUNS=3
LOOP=false
while [ $# -gt 0 ]; do
  case $1 in
    --quick) FILES=5000 BIG_MIB=1024 RUNS=1 ;;
    --loop) LOOP=true ;;
    --runs) RUNS=$2; shift ;;
    *) die "unknown argument: $1" ;;
  esac
  shift
done
resolve_runner
mkdir -p "$WORK"
HERE=$(mktemp -d "$WORK/background-priority-XXXXXX")
MOUNTED="" LOOPDEV=""
cleanup() {
  set +e
  [ -n "$MOUNTED" ] && umount "$MOUNTED"
  [ -n "$LOOPDEV" ] && losetup -d "$LOOPDEV"
  rm -rf "$HERE"
}
trap cleanup EXIT

DATA=$HERE
if $LOOP; then
  [ "$(id -u)" -eq 0 ] || die "--loop needs root"
  truncate -s $((BIG_MIB + 2048))M "$HERE/image.ext4"
  mkfs.ext4 -q -F "$HERE/image.ext4"
  LOOPDEV=$(losetup -f --show --direct-io=on "$HERE/image.ext4")
  echo mq-deadline >"/sys/block/$(basename "$LOOPDEV")/queue/scheduler"
  mkdir -p "$HERE/mnt"
  mount "$LOOPDEV" "$HERE/mnt"
  MOUNTED=$HERE/mnt
  DATA=$HERE/mnt
  WHERE="loop ext4 image on $(df --output=source "$HERE" | tail -n 1), $(basename "$LOOPDEV") with mq-deadline"
else
  device=$(df --output=source "$HERE" | tail -n 1)
  WHERE="the disk $device ($(cat "/sys/block/$(basename "$device")/queue/scheduler" 2>/dev/null || echo '?'))"
fi

log "tree of $FILES files and a $BIG_MIB MiB file on $WHERE"
gen_tree small "$DATA/src" --count "$FILES" --dirs $((FILES / 25)) >/dev/null
dd if=/dev/urandom of="$DATA/big.bin" bs=1M count="$BIG_MIB" status=none
sync

# Drops the source tree from the page cache (its pages are clean after the sync).
drop_source_cache() {
  python3 - "$DATA/src" <<'EOF'
import os, sys
for root, _, files in os.walk(sys.argv[1]):
    for name in files:
        fd = os.open(os.path.join(root, name), os.O_RDONLY)
        os.posix_fadvise(fd, 0, 0, os.POSIX_FADV_DONTNEED)
        os.close(fd)
EOF
}

# Reads the big file once with direct I/O; prints MB/s.
read_big() {
  dd if="$DATA/big.bin" of=/dev/null bs=1M iflag=direct 2>&1 | sed -n 's/.*, \([0-9.]*\) \([MG]\)B\/s$/\1 \2/p' |
    awk '{ print ($2 == "G") ? $1 * 1000 : $1 }'
}

# reader_during ARGS...: a fresh backup with ARGS runs; the reader starts once it is copying.
# Prints "MB/s still-running" (1 when the backup outlasted the read, as it must to count).
reader_during() {
  rm -rf "$DATA/dst"
  drop_source_cache
  "$QS_RUN" "$@" "$DATA/src" "$DATA/dst" >/dev/null 2>&1 &
  local backup=$! speed running=0
  for _ in $(seq 100); do [ -d "$DATA/dst" ] && break; sleep 0.05; done
  sleep 1
  speed=$(read_big)
  kill -0 "$backup" 2>/dev/null && running=1
  wait "$backup" || true
  echo "$speed $running"
}

median() { sort -n | awk '{ a[NR] = $1 } END { print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2 }'; }

: >"$HERE/alone" >"$HERE/background" >"$HERE/normal"
for ((run = 1; run <= RUNS; run++)); do
  read_big >>"$HERE/alone"
  set -- $(reader_during --background)
  echo "$1" >>"$HERE/background"
  [ "$2" = 1 ] || log "run $run: the --background backup ended before the reader did"
  set -- $(reader_during)
  echo "$1" >>"$HERE/normal"
  [ "$2" = 1 ] || log "run $run: the normal backup ended before the reader did"
  log "run $run: alone $(tail -n 1 "$HERE/alone") MB/s, beside --background" \
    "$(tail -n 1 "$HERE/background"), beside a normal backup $(tail -n 1 "$HERE/normal")"
done
alone=$(median <"$HERE/alone")
background=$(median <"$HERE/background")
normal=$(median <"$HERE/normal")
echo "where: $WHERE; $FILES files, $BIG_MIB MiB read with dd iflag=direct; medians of $RUNS runs"
echo "reader alone:                 $alone MB/s"
echo "reader beside --background:   $background MB/s  ($(awk -v a="$alone" -v b="$background" 'BEGIN { printf "%.0f", 100 * b / a }') %, goal >= 80 %)"
echo "reader beside a normal run:   $normal MB/s  ($(awk -v a="$alone" -v b="$normal" 'BEGIN { printf "%.0f", 100 * b / a }') %)"
