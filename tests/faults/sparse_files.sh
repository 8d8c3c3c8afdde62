#!/usr/bin/env bash
# Sparse files keep their holes: a 4 GiB file holding 1 MiB of data, copied to ext4, XFS and
# btrfs, takes about as much room in the copy as in the source (du within 1.1 times), and so
# does the old copy saved into the version folder when the file is updated. Every copy holds
# the same bytes as its source. (The images are far smaller than 4 GiB: a copy that wrote the
# holes out would not fit.)
source "$(dirname "$0")/lib.sh"
qs_require_image ext4 xfs btrfs
qs_require_tool python3 python3

GiB=$((1024 * 1024 * 1024))
SRC=$WORK/src
mkdir -p "$SRC"
truncate -s 4G "$SRC/disk.img"
# 1 MiB of data in four pieces of 256 KiB: at the start, at 1 GiB and 2 GiB, and at the end.
for offset in 0 $GiB $((2 * GiB)) $((4 * GiB - 262144)); do
  head -c 262144 /dev/urandom | dd of="$SRC/disk.img" bs=262144 seek=$((offset / 262144)) conv=notrunc status=none
done
touch -d '2021-03-04 05:06:07.123456789' "$SRC/disk.img"
cp --sparse=always -p "$SRC/disk.img" "$WORK/disk.old"  # the version the first runs copy

# same_bytes A B: the two files are equal, read only where either holds data (elsewhere both
# read as zeros); reading 4 GiB of holes would take far longer.
same_bytes() {
  python3 - "$1" "$2" <<'PY'
import os, sys
def extents(fd, size):
    at, found = 0, []
    while at < size:
        try:
            start = os.lseek(fd, at, os.SEEK_DATA)
        except OSError:
            break
        end = os.lseek(fd, start, os.SEEK_HOLE)
        found.append((start, end))
        at = end
    return found
a, b = (os.open(p, os.O_RDONLY) for p in sys.argv[1:3])
size = os.fstat(a).st_size
if os.fstat(b).st_size != size:
    sys.exit(1)
for start, end in extents(a, size) + extents(b, size):
    for at in range(start, end, 1 << 20):
        n = min(1 << 20, end - at)
        if os.pread(a, n, at) != os.pread(b, n, at):
            sys.exit(1)
PY
}

# small_as COPY SOURCE: the copy takes at most 1.1 times the room of the source.
small_as() {
  local copy source
  copy=$(du -k "$1" | cut -f1) && source=$(du -k "$2" | cut -f1) || return 1
  echo "    du: $copy KiB for $1 against $source KiB"
  [ $((copy * 10)) -le $((source * 11)) ]
}

for kind in ext4 xfs btrfs; do
  qs_mount_image "$kind" "$WORK/$kind"
  DST=$WORK/$kind/dst
  qs_run "$kind-first" "$SRC" "$DST"
  qs_check "$kind: the sparse file is copied" qs_summary_is "$kind-first" "1 copied, 0 updated, 0 skipped, 0 failed, 0"
  qs_check "$kind: the copy keeps the holes" small_as "$DST/disk.img" "$SRC/disk.img"
  qs_check "$kind: the copy holds the source's bytes" same_bytes "$DST/disk.img" "$SRC/disk.img"
  qs_check "$kind: nothing on standard error" qs_quiet "$kind-first"
done

# A new version: 256 KiB more data at 3 GiB.
head -c 262144 /dev/urandom | dd of="$SRC/disk.img" bs=262144 seek=$((3 * GiB / 262144)) conv=notrunc status=none
for kind in ext4 xfs btrfs; do
  DST=$WORK/$kind/dst
  qs_run "$kind-update" --time-versioning "$SRC" "$DST"
  qs_check "$kind: the file is updated and its old copy saved" \
    qs_summary_is "$kind-update" "0 copied, 1 updated, 0 skipped, 0 failed, 1"
  qs_check "$kind: the update keeps the holes" small_as "$DST/disk.img" "$SRC/disk.img"
  qs_check "$kind: the update holds the new bytes" same_bytes "$DST/disk.img" "$SRC/disk.img"
  version=$(find "$DST" -path "$DST/backup_*/disk.img")
  qs_check "$kind: the saved version keeps the holes" small_as "${version:-/nonexistent}" "$WORK/disk.old"
  qs_check "$kind: the saved version holds the old bytes" same_bytes "${version:-/nonexistent}" "$WORK/disk.old"
done

qs_finish
