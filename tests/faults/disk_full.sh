#!/usr/bin/env bash
# A full target: small tmpfs mounts stand for a disk without space and one without inodes.
# What fits is copied, the rest fails with ENOSPC (28) in the "CopyFile failed" line, old
# copies stay as they were, the exit status is 1, and once there is room a rerun completes.
source "$(dirname "$0")/lib.sh"
qs_require_root "mounts tmpfs"

OLD_TIME='2021-03-04 05:06:07.5'
SRC=$WORK/src
mkdir -p "$SRC/small"
for i in $(seq -w 1 20); do head -c 65536 /dev/urandom >"$SRC/small/s$i.bin"; done
head -c $((20 * 1024 * 1024)) /dev/urandom >"$SRC/huge.bin"
head -c $((20 * 1024 * 1024)) /dev/urandom >"$SRC/upd.bin"

# 1. No space: the two 20 MiB copies cannot fit in 8 MiB whatever the order; the small ones can.
DST=$WORK/dst
qs_mount_tmpfs "$DST" size=8m
head -c $((1024 * 1024)) /dev/urandom >"$WORK/upd.old"
touch -d "$OLD_TIME" "$WORK/upd.old"
cp -p "$WORK/upd.old" "$DST/upd.bin"

qs_run full "$SRC" "$DST"
qs_check "full: exit status 1" qs_status_is 1
qs_check "full: the small files are copied, the two big ones fail" \
  qs_summary_is full "20 copied, 0 updated, 0 skipped, 2 failed, 0"
qs_check "full: the new file's failure carries ENOSPC" \
  qs_log_has full "] CopyFile failed: $SRC/huge.bin -> $DST/huge.bin Error: 28 (No space left on device)"
qs_check "full: the update's failure carries ENOSPC" \
  qs_log_has full "] CopyFile failed: $SRC/upd.bin -> $DST/upd.bin Error: 28 (No space left on device)"
qs_check "full: both are reported as failed" \
  [ "$(grep -c -e "] \[FAILED\] $SRC/huge.bin\$" -e "] \[FAILED\] $SRC/upd.bin\$" "$WORK/full.out")" -eq 2 ]
qs_check "full: every copied file is complete" diff -r -x .quillstone "$SRC/small" "$DST/small"
qs_check "full: the old copy of the failed update is intact" qs_same "$DST/upd.bin" "$WORK/upd.old"
qs_check "full: and keeps its last-write time" qs_same_mtime "$DST/upd.bin" "$WORK/upd.old"
qs_check "full: no partial file is left for the new file" [ ! -e "$DST/huge.bin" ]
qs_check "full: no temporary file is left" qs_no_temp_files "$DST"
qs_check "full: nothing on standard error" qs_quiet full

mount -o remount,size=64m "$DST"
qs_run full-rerun "$SRC" "$DST"
qs_check "full-rerun: exit status 0 once there is room" qs_status_is 0
qs_check "full-rerun: the two missing copies are made" \
  qs_summary_is full-rerun "1 copied, 1 updated, 20 skipped, 0 failed, 0"
qs_check "full-rerun: the target matches the source" diff -r -x .quillstone "$SRC" "$DST"

# 2. No space with time versioning: the old copy is saved, then the update does not fit.
DST=$WORK/dst-versions
qs_mount_tmpfs "$DST" size=8m
head -c $((3 * 1024 * 1024)) /dev/urandom >"$WORK/v.old"
touch -d "$OLD_TIME" "$WORK/v.old"
cp -p "$WORK/v.old" "$DST/v.bin"
mkdir -p "$WORK/src-v"
head -c $((3 * 1024 * 1024)) /dev/urandom >"$WORK/src-v/v.bin"

qs_run versions --time-versioning "$WORK/src-v" "$DST"
qs_check "versions: exit status 1" qs_status_is 1
qs_check "versions: the old copy was saved, the update failed" \
  qs_summary_is versions "0 copied, 0 updated, 0 skipped, 1 failed, 1"
qs_check "versions: the failure carries ENOSPC" \
  qs_log_has versions "] CopyFile failed: $WORK/src-v/v.bin -> $DST/v.bin Error: 28 (No space left on device)"
qs_check "versions: the old copy is intact" qs_same "$DST/v.bin" "$WORK/v.old"
qs_check "versions: the saved version is complete" qs_same "$DST"/backup_*/v.bin "$WORK/v.old"
qs_check "versions: no temporary file is left" qs_no_temp_files "$DST"

mount -o remount,size=64m "$DST"
qs_run versions-rerun --time-versioning "$WORK/src-v" "$DST"
qs_check "versions-rerun: exit status 0 once there is room" qs_status_is 0
qs_check "versions-rerun: the update is made" qs_same "$DST/v.bin" "$WORK/src-v/v.bin"

# 3. No inodes: the same, with the space to spare but only a few files allowed.
DST=$WORK/dst-inodes
qs_mount_tmpfs "$DST" size=64m,nr_inodes=10
qs_run inodes "$SRC/small" "$DST"
qs_check "inodes: exit status 1" qs_status_is 1
qs_check "inodes: failures carry ENOSPC" qs_log_has inodes " Error: 28 (No space left on device)"
copied=$(grep -c '] \[COPIED\] ' "$WORK/inodes.out" || true)
failed=$(grep -c '] \[FAILED\] ' "$WORK/inodes.out" || true)
qs_check "inodes: some files fit and the rest failed ($copied + $failed)" \
  test "$copied" -gt 0 -a "$failed" -gt 0 -a $((copied + failed)) -eq 20
qs_check "inodes: every copied file is complete" \
  bash -c 'for f in "$1"/*; do cmp -s "$f" "$2/${f##*/}" || exit 1; done' _ "$DST" "$SRC/small"
qs_check "inodes: only the copied files are there" [ "$(qs_count_files "$DST")" -eq "$copied" ]

mount -o remount,nr_inodes=1000 "$DST"
qs_run inodes-rerun "$SRC/small" "$DST"
qs_check "inodes-rerun: exit status 0 once there are inodes" qs_status_is 0
qs_check "inodes-rerun: the target matches the source" diff -r -x .quillstone "$SRC/small" "$DST"

qs_finish
