#!/usr/bin/env bash
# A restore as of a moment against what the backup held then: five real versioned runs, a
# second apart, that modify, add, replace a file by an older download (its old time kept, as
# mv keeps it), rename a folder, delete a file, and back up a file whose time lies years
# ahead (a camera's clock). After each run the source is snapshotted; a restore as of the
# moment after each run must give that run's backup exactly: every snapshot so far laid over
# the one before with the backup's own rule (a file is copied when it is new or newer), so
# that a deleted file and a renamed folder's old name come back too, as the backup still
# holds them.
source "$(dirname "$0")/lib.sh"

SRC=$WORK/src
DST=$WORK/dst
MOMENTS=()

# One run, the moment after it (whole seconds, as --as-of takes it, a second after the run
# ended), and the source as it was backed up. The seconds around keep every change after the
# last moment, and every version folder's name after it.
backup() {
  local k=$1
  sleep 1.1
  qs_run "run$k" --time-versioning --no-progress "$SRC" "$DST"
  [ "$QS_RC" -eq 0 ] || echo "run $k failed"
  cp -a "$SRC" "$WORK/snap$k"
  # The backup's rule over the snapshots: a file is taken when it is new or newer.
  mkdir -p "$WORK/model$k"
  [ "$k" -eq 1 ] || cp -a "$WORK/model$((k - 1))/." "$WORK/model$k/"
  cp -a -u "$WORK/snap$k/." "$WORK/model$k/"
  sleep 1.1
  MOMENTS+=("$(date '+%Y-%m-%d %H:%M:%S')")
}

# What a restore as of the moment after run K gives: the backup as run K left it, and what a
# restore cannot tell apart from it without a record of each run: a path that a later run
# backed up first (a folder renamed later) with a copy last written by that moment.
expected() {
  local k=$1 j f
  cp -a "$WORK/model$k" "$WORK/expected$k"
  for ((j = k + 1; j <= 5; j++)); do
    (cd "$WORK/model$j" && find . -type f ! -newermt "${MOMENTS[k - 1]}") >"$WORK/older.txt"
    while read -r f; do
      [ -e "$WORK/model$((j - 1))/$f" ] || [ -e "$WORK/expected$k/$f" ] ||
        (cd "$WORK/model$j" && cp -a --parents "$f" "$WORK/expected$k/")
    done <"$WORK/older.txt"
  done
}

mkdir -p "$SRC/notes" "$SRC/photos"
echo "a one" >"$SRC/a.txt"
echo "plan one" >"$SRC/notes/plan.txt"
echo "picture" >"$SRC/photos/p1.jpg"
echo "soon gone" >"$SRC/old.txt"
echo "from a camera" >"$SRC/photos/ahead.jpg"
touch -d "+3 years" "$SRC/photos/ahead.jpg"
backup 1

echo "a two" >"$SRC/a.txt"
echo "new" >"$SRC/new.txt"
backup 2

# A download of the plan, last written at the moment after run 2, after the copy backed up:
# the run takes it (it is newer than the copy) and saves the old plan aside.
echo "downloaded plan" >"$WORK/download.txt"
touch -d "${MOMENTS[1]}" "$WORK/download.txt"
mv "$WORK/download.txt" "$SRC/notes/plan.txt"
mv "$SRC/photos" "$SRC/pictures"
backup 3

rm "$SRC/old.txt"
echo "a three" >"$SRC/a.txt"
echo "second picture" >"$SRC/pictures/p2.jpg"
backup 4

echo "plan four" >"$SRC/notes/plan.txt"
backup 5

# Without a record of the runs, the dates of the version folders decide: this case is about
# that rule (restore_each_run.sh is about the record's).
rm -rf "$DST/.quillstone"
for k in 1 2 3 4 5; do
  expected "$k"
  qs_run "restore$k" --restore --as-of "${MOMENTS[k - 1]}" "$DST" "$WORK/restored$k"
  qs_check "as of the moment after run $k: exit status 0" qs_status_is 0
  qs_check "as of the moment after run $k: what the backup held then, exactly" \
    diff -r -x .quillstone "$WORK/expected$k" "$WORK/restored$k"
done
qs_check "the plan as of run 2 is the copy the backup held, not the older download" \
  grep -qx "plan one" "$WORK/restored2/notes/plan.txt"
qs_check "the renamed folder comes back under both names" \
  [ -f "$WORK/restored3/photos/p1.jpg" -a -f "$WORK/restored3/pictures/p1.jpg" ]
qs_check "and under its later name before it was renamed, its files being older" \
  [ -f "$WORK/restored1/pictures/p1.jpg" ]
qs_check "the deleted file comes back" [ -f "$WORK/restored4/old.txt" ]
qs_check "the file written years ahead was in the backup from its run on" \
  [ -f "$WORK/restored1/photos/ahead.jpg" ]
qs_check "and not under the folder's later name before that was backed up" \
  [ ! -e "$WORK/restored1/pictures/ahead.jpg" -a -f "$WORK/restored3/pictures/ahead.jpg" ]
qs_check "a file not backed up yet is named as left out" \
  qs_log_has restore1 "] Left out, not yet in the backup at that moment: new.txt (written "

qs_run now --restore "$DST" "$WORK/restored-now"
qs_check "without a moment: the last run's backup" diff -r -x .quillstone "$WORK/model5" "$WORK/restored-now"

qs_run versions --versions "$DST" notes/plan.txt
qs_check "--versions shows when each version copy was replaced" \
  [ "$(grep -c ", replaced 20" "$WORK/versions.out")" -eq 2 ]
qs_finish
