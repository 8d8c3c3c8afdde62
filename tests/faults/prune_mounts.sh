#!/usr/bin/env bash
# --prune-versions over a version folder that another file system is mounted in: a tmpfs (a
# USB disk mounted there by mistake) and a bind mount of a folder of the same device. The
# prune must never enter either: both are named, left whole with every file, the rest of the
# folder goes, and the exit status is 1. A dry run says the same and removes nothing.
source "$(dirname "$0")/lib.sh"
qs_require_root "mounts"

TGT=$WORK/tgt
OLD=$TGT/backup_20261201_120000
for stamp in 20261201_120000 20261202_120000; do
  mkdir -p "$TGT/backup_$stamp/notes"
  echo "Time Version Backup" >"$TGT/backup_$stamp/README.txt"
  echo "old plan $stamp" >"$TGT/backup_$stamp/notes/plan.txt"
done
mkdir -p "$OLD/usb" "$OLD/deep/bound" "$WORK/elsewhere/photos"
qs_mount_tmpfs "$OLD/usb" size=8m
echo "on the disk" >"$OLD/usb/precious.txt"
echo "a folder bound in" >"$WORK/elsewhere/photos/p.jpg"
mount --bind "$WORK/elsewhere" "$OLD/deep/bound"
QS_MOUNTS+=("$OLD/deep/bound")
ASIDE=$TGT/.qs-removing-backup_20261201_120000

qs_run dry --prune-versions --dry-run --keep-last 1 "$TGT"
qs_check "dry run: exit status 1, as the prune would end" qs_status_is 1
qs_check "dry run: the tmpfs is named" \
  qs_log_has dry "] Not removed, another file system is mounted here: $OLD/usb"
qs_check "dry run: the bind mount is named" \
  qs_log_has dry "] Not removed, another file system is mounted here: $OLD/deep/bound"
qs_check "dry run: the folder is not said to go" qs_log_lacks dry "would be removed: $OLD"
qs_check "dry run: nothing removed" [ -f "$OLD/notes/plan.txt" -a -f "$OLD/usb/precious.txt" ]

qs_run prune --prune-versions --keep-last 1 "$TGT"
# The folder was set aside with the mounts in it; cleanup unmounts them where they are now.
QS_MOUNTS+=("$ASIDE/usb" "$ASIDE/deep/bound")
qs_check "prune: exit status 1" qs_status_is 1
qs_check "prune: the tmpfs is named where it is" \
  qs_log_has prune "] Not removed, another file system is mounted here: $ASIDE/usb"
qs_check "prune: the bind mount is named where it is" \
  qs_log_has prune "] Not removed, another file system is mounted here: $ASIDE/deep/bound"
qs_check "prune: no removal was refused as busy" qs_log_lacks prune "Device or resource busy"
qs_check "prune: the tmpfs keeps its file" grep -qx "on the disk" "$ASIDE/usb/precious.txt"
qs_check "prune: the bound folder keeps its files" \
  grep -qx "a folder bound in" "$WORK/elsewhere/photos/p.jpg"
qs_check "prune: the rest of the old folder is gone" \
  [ ! -e "$ASIDE/notes" -a ! -e "$ASIDE/README.txt" -a ! -e "$OLD" ]
qs_check "prune: the newest folder is kept" [ -f "$TGT/backup_20261202_120000/notes/plan.txt" ]
qs_check "prune: counted as failed" qs_log_has prune "] Pruning completed: 0 removed, 1 failed."

# Once unmounted, the next prune finishes the removal.
umount "$ASIDE/usb" "$ASIDE/deep/bound"
QS_MOUNTS=()  # every mount is gone; their first places were left empty by the move
qs_run again --prune-versions --keep-last 1 "$TGT"
qs_check "after unmounting: exit status 0" qs_status_is 0
qs_check "after unmounting: the leftover is removed" [ ! -e "$ASIDE" ]
qs_check "after unmounting: the bound folder was never touched" [ -f "$WORK/elsewhere/photos/p.jpg" ]
qs_finish
