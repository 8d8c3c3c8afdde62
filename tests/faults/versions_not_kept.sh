#!/usr/bin/env bash
# With time versioning on, no old copy is overwritten unless it is kept. When its old version
# cannot be saved (a full ext4 volume), or the run cannot have a version folder of its own
# (the names of several seconds in a row taken by files), the update is not made: the log says
# "[TIME VERSION FAILED] TARGET" then "[FAILED] SOURCE", the old copy stays as it was, new files
# are still copied, the exit status is 1, and the next run, with room, keeps the version and
# updates. A copy saved as an old version never replaces anything, on any file system kind
# (qs_publish_new, the same publication), and versioned updates work on each of them.
source "$(dirname "$0")/lib.sh"
qs_require_image ext4 xfs btrfs fat32 exfat
QS_PUBLISH_NEW=$(readlink -f "${2:?usage: $0 RUNNER PUBLISH-NEW}")

OLD_TIME='2021-03-04 05:06:07'

# 1. A full ext4 volume: the 6 MiB old copy cannot be saved, though its small update would fit.
SRC=$WORK/src
mkdir -p "$SRC/sub"
head -c $((100 * 1024)) /dev/urandom >"$SRC/sub/big.bin"
head -c 4096 /dev/urandom >"$SRC/new.txt"
head -c $((6 * 1024 * 1024)) /dev/urandom >"$WORK/big.old"
touch -d "$OLD_TIME" "$WORK/big.old"
DST=$WORK/full
qs_mount_image ext4 "$DST" 32
mkdir -p "$DST/sub"
cp -p "$WORK/big.old" "$DST/sub/big.bin"
sync -f "$DST"
read -r free_blocks block_size < <(stat -f -c '%f %S' "$DST")
fallocate -l $((free_blocks * block_size - 3 * 1024 * 1024)) "$DST/filler"
sync -f "$DST"

qs_run full --time-versioning "$SRC" "$DST"
qs_check "full: exit status 1" qs_status_is 1
qs_check "full: \"[TIME VERSION FAILED] TARGET\" then \"[FAILED] SOURCE\"" \
  bash -c 'grep -A1 "\] \[TIME VERSION FAILED\] $1\$" "$3" | tail -n 1 | grep -q "\] \[FAILED\] $2\$"' \
  _ "$DST/sub/big.bin" "$SRC/sub/big.bin" "$WORK/full.out"
qs_check "full: the new file is copied, the update failed and nothing was versioned" \
  qs_summary_is full "1 copied, 0 updated, 0 skipped, 1 failed, 0"
qs_check "full: the old copy is intact" qs_same "$DST/sub/big.bin" "$WORK/big.old"
qs_check "full: and keeps its last-write time" qs_same_mtime "$DST/sub/big.bin" "$WORK/big.old"
qs_check "full: the new file is complete" qs_same "$DST/new.txt" "$SRC/new.txt"
qs_check "full: no temporary file is left" qs_no_temp_files "$DST"
qs_check "full: nothing on standard error" qs_quiet full

rm "$DST/filler"
qs_run full-rerun --time-versioning "$SRC" "$DST"
qs_check "full-rerun: exit status 0 once there is room" qs_status_is 0
qs_check "full-rerun: the update is made" qs_same "$DST/sub/big.bin" "$SRC/sub/big.bin"
qs_check "full-rerun: its old version is kept" qs_same "$DST"/backup_*/sub/big.bin "$WORK/big.old"

# 2. The version folder's name, and the next seconds' names, taken by files: no folder of its
# own for this run.
DST=$WORK/taken
mkdir -p "$DST/sub"
cp -p "$WORK/big.old" "$DST/sub/big.bin"
now=$(date +%s)
for second in $(seq $((now - 1)) $((now + 30))); do
  echo "not a folder" >"$DST/backup_$(date -d "@$second" +%Y%m%d_%H%M%S)"
done
cp -a "$DST" "$WORK/taken.before"
qs_run taken --time-versioning "$SRC" "$DST"
qs_check "taken: exit status 1" qs_status_is 1
qs_check "taken: the version folder fails with EEXIST" \
  grep -q -E "\] Failed to create time version directory: $DST/backup_[0-9]{8}_[0-9]{6} Error: 17( |\$)" \
  "$WORK/taken.out"
qs_check "taken: \"[TIME VERSION FAILED] TARGET\" then \"[FAILED] SOURCE\"" \
  bash -c 'grep -A1 "\] \[TIME VERSION FAILED\] $1\$" "$3" | tail -n 1 | grep -q "\] \[FAILED\] $2\$"' \
  _ "$DST/sub/big.bin" "$SRC/sub/big.bin" "$WORK/taken.out"
qs_check "taken: the new file is still copied" \
  qs_summary_is taken "1 copied, 0 updated, 0 skipped, 1 failed, 0"
qs_check "taken: the old copy is intact" qs_same "$DST/sub/big.bin" "$WORK/big.old"
qs_check "taken: no line about a version folder at the end" \
  qs_log_lacks taken "=== Time version"
qs_check "taken: the files in the way are untouched, and nothing was added but the copy" \
  diff -r -x .quillstone -x new.txt "$WORK/taken.before" "$DST"
rm "$DST"/backup_*
qs_run taken-rerun --time-versioning "$SRC" "$DST"
qs_check "taken-rerun: exit status 0: the next run tries again" qs_status_is 0
qs_check "taken-rerun: the old version is kept" qs_same "$DST"/backup_*/sub/big.bin "$WORK/big.old"

# 3. On every file system kind: a saved copy never replaces what has its name, and a versioned
# update keeps its old version.
for kind in ext4 xfs btrfs fat32 exfat; do
  dir=$WORK/$kind
  qs_mount_image "$kind" "$dir"
  echo "kept" >"$dir/kept"
  echo "new" >"$WORK/new-$kind"
  set +e
  refused=$("$QS_PUBLISH_NEW" "$WORK/new-$kind" "$dir/kept")
  status=$?
  published=$("$QS_PUBLISH_NEW" "$WORK/new-$kind" "$dir/fresh")
  set -e
  qs_check "$kind: a copy over an existing file is refused with EEXIST ($refused)" \
    test "$status" -eq 1 -a "$refused" = "refused 17"
  qs_check "$kind: the existing file is as it was" test "$(cat "$dir/kept")" = kept
  qs_check "$kind: a copy under a new name is put in place ($published)" \
    test "$published" = published -a "$(cat "$dir/fresh" 2>/dev/null)" = new
  qs_check "$kind: no temporary file is left" qs_no_temp_files "$dir"
  mkdir -p "$dir/sub"
  cp "$WORK/big.old" "$dir/sub/big.bin"
  touch -d "$OLD_TIME" "$dir/sub/big.bin"
  qs_run "$kind-versions" --time-versioning "$SRC" "$dir"
  qs_check "$kind: a versioned update succeeds" qs_status_is 0
  qs_check "$kind: and keeps the old version" qs_same "$dir"/backup_*/sub/big.bin "$WORK/big.old"
done

qs_finish
