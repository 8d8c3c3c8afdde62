#!/usr/bin/env bash
# Copies that rot on the target's disk are found and repaired: after a real backup onto an ext4
# image and onto a FAT32 image (through FUSE), bytes are flipped inside four copies, each keeping
# its size and last-write time. `--verify --budget 25` finds all four within four checks, exits
# 1 on each check that found one, and `--verify --repair` copies them again from the source:
# every copy then equals its source, the next check is clean, and the status says so.
# The second argument, when given, is a tool that records a target's copies; it is used only
# when the backup did not record its run itself.
source "$(dirname "$0")/lib.sh"
VOLUMES=${QS_VOLUMES:-ext4 fat32}  # the kinds of volume tried
# shellcheck disable=SC2086
qs_require_image $VOLUMES
RECORD_TOOL=${2:-}

SRC=$WORK/src
mkdir -p "$SRC/docs/deep" "$SRC/photos"
sizes=(1 700 4096 65536 100000 250000 1048576 3000000 20 9999 123456 524288)
for i in "${!sizes[@]}"; do
  case $((i % 3)) in 0) dir=docs ;; 1) dir=docs/deep ;; *) dir=photos ;; esac
  head -c "${sizes[i]}" /dev/urandom >"$SRC/$dir/file$i.bin"
done
ROTTEN=(docs/file0.bin docs/deep/file4.bin photos/file8.bin photos/file11.bin)

# flip FILE: one byte in the middle turned into another, size and last-write time kept.
flip() {
  local file=$1 size at byte
  size=$(stat -c %s "$file")
  at=$((size / 2))
  byte=$(od -An -tu1 -j "$at" -N 1 "$file" | tr -d ' ')
  local when
  when=$(stat -c %.9Y "$file")
  printf "$(printf '\\%03o' $(((byte + 1) % 256)))" | dd of="$file" bs=1 seek="$at" conv=notrunc status=none
  touch -d "@$when" "$file"
}

for kind in $VOLUMES; do
  T=$WORK/target-$kind
  qs_mount_image "$kind" "$T"
  qs_run "backup-$kind" "$SRC" "$T"
  qs_check "$kind: the backup completes" qs_status_is 0
  if [ ! -f "$T/.quillstone/journal" ]; then
    [ -n "$RECORD_TOOL" ] || qs_skip "the backup keeps no record and no tool was given to make one"
    "$RECORD_TOOL" "$SRC" "$T" >/dev/null
  fi
  qs_run "clean-$kind" --verify "$T"
  qs_check "$kind: a check of the fresh copies finds nothing" qs_status_is 0
  qs_check "$kind: ... and reads every copy" qs_log_has "clean-$kind" "] Check completed: 12 of 12 copies read"

  for path in "${ROTTEN[@]}"; do flip "$T/$path"; done
  : >"$WORK/found-$kind.txt"
  for round in 1 2 3 4; do
    qs_run "rot-$kind-$round" --verify --budget 25 "$T"
    count=$(grep -c "] Damaged copy: " "$WORK/rot-$kind-$round.out" || true)
    if [ "$count" -gt 0 ]; then
      qs_check "$kind: check $round, which found damage, exits 1" qs_status_is 1
    else
      qs_check "$kind: check $round, which found none, exits 0" qs_status_is 0
    fi
    grep -o "] Damaged copy: [^ ]*" "$WORK/rot-$kind-$round.out" >>"$WORK/found-$kind.txt" || true
  done
  for path in "${ROTTEN[@]}"; do
    qs_check "$kind: $path is found damaged within four checks of 25 %" \
      grep -qF -- "] Damaged copy: $T/$path" "$WORK/found-$kind.txt"
  done
  sort -u "$WORK/found-$kind.txt" >"$WORK/distinct-$kind.txt"
  qs_check "$kind: nothing else is found damaged" \
    test "$(grep -c . "$WORK/distinct-$kind.txt")" -eq 4

  qs_run "repair-$kind" --verify --repair "$T"
  qs_check "$kind: the repair leaves no damage behind" qs_status_is 0
  qs_check "$kind: ... repairing all four" qs_log_has "repair-$kind" "] Repaired: 4 of 4 damaged."
  for path in "${ROTTEN[@]}"; do
    qs_check "$kind: $path equals its source again" qs_same "$T/$path" "$SRC/$path"
  done
  qs_check "$kind: the repair leaves no temporary file" qs_no_temp_files "$T"
  qs_run "after-$kind" --verify "$T"
  qs_check "$kind: the next check is clean" qs_status_is 0
  qs_run "status-$kind" --status "$T"
  qs_check "$kind: the status is good" qs_status_is 0
  qs_check "$kind: ... and shows the last check" \
    qs_log_has "status-$kind" "0 damaged, 0 changed outside the backup"
done
qs_finish
