#!/usr/bin/env bash
# A restore as of each run's moment gives exactly what the source held then: ten real
# versioned runs that edit, add and delete files, rename folders (one back to its old name),
# bring back a deleted file, put earlier bytes back into a file, and replace files by older
# ones (other bytes dated long before their copies, one of them of the same size). After each run the source
# is snapshotted; the restore as of the moment after each run must equal that snapshot byte
# for byte, the same files and no others. A prune afterwards takes states away, and a restore
# of such a moment names what it cannot give.
source "$(dirname "$0")/lib.sh"

SRC=$WORK/src
DST=$WORK/dst
MOMENTS=()

# One run, the source as it was backed up, and the moment after it (to the second, as
# --as-of takes it). The run after starts in a later second, so it ended after that moment.
backup() {
  local k=$1
  sleep 1.1
  qs_run "run$k" --time-versioning --no-progress "$SRC" "$DST"
  [ "$QS_RC" -eq 0 ] || echo "run $k failed"
  cp -a "$SRC" "$WORK/snap$k"
  MOMENTS+=("$(date '+%Y-%m-%d %H:%M:%S')")
}

files_of() { (cd "$1" && find . -type f | LC_ALL=C sort); }
same_tree() { diff -r -x .quillstone "$1" "$2" && [ "$(files_of "$1")" = "$(files_of "$2")" ]; }

mkdir -p "$SRC/notes" "$SRC/photos"
echo "a one" >"$SRC/a.txt"
echo "plan one" >"$SRC/notes/plan.txt"
echo "first picture" >"$SRC/photos/p1.jpg"
echo "second picture" >"$SRC/photos/p2.jpg"
echo "soon gone" >"$SRC/old.txt"
echo "kept" >"$SRC/keep.txt"
backup 1

echo "a two" >"$SRC/a.txt"
echo "new" >"$SRC/new.txt"
backup 2

mv "$SRC/photos" "$SRC/pictures"
rm "$SRC/old.txt"
backup 3

echo "plan four" >"$SRC/notes/plan.txt"
echo "a four" >"$SRC/a.txt"
backup 4

rm "$SRC/new.txt"
echo "third picture" >"$SRC/pictures/p3.jpg"
# An old download moved in over a file: older than its copy, yet what the source holds now.
echo "an old download, other bytes" >"$SRC/keep.txt"
touch -d '2021-03-04 05:06:07' "$SRC/keep.txt"
backup 5

mv "$SRC/pictures" "$SRC/photos"  # back under its first name
echo "plan six" >"$SRC/notes/plan.txt"
# Unpacked from an old archive: the same size as the copy, only its date tells it apart.
echo "SECOND PICTURE" >"$SRC/photos/p2.jpg"
touch -d '2020-01-02 03:04:05' "$SRC/photos/p2.jpg"
backup 6

echo "a two" >"$SRC/a.txt"  # the bytes of run 2 again
backup 7

mv "$SRC/notes" "$SRC/docs"
echo "extra" >"$SRC/docs/extra.txt"
backup 8

echo "back again, other bytes" >"$SRC/old.txt"
echo "kept, edited" >"$SRC/keep.txt"
backup 9

rm "$SRC/photos/p1.jpg"
echo "plan ten" >"$SRC/docs/plan.txt"
backup 10

for k in 1 2 3 4 5 6 7 8 9 10; do
  qs_run "restore$k" --restore --as-of "${MOMENTS[k - 1]}" "$DST" "$WORK/restored$k"
  qs_check "as of the moment after run $k: exit status 0" qs_status_is 0
  qs_check "as of the moment after run $k: the source as it was then, exactly" \
    same_tree "$WORK/snap$k" "$WORK/restored$k"
done
qs_check "the record itself is never restored" [ ! -e "$WORK/restored10/.quillstone" ]

qs_run now --restore "$DST" "$WORK/restored-now"
qs_check "without a moment: every current copy, the record left out" \
  [ -f "$WORK/restored-now/docs/plan.txt" -a -f "$WORK/restored-now/notes/plan.txt" -a \
    ! -e "$WORK/restored-now/.quillstone" ]

qs_run versions --versions "$DST" a.txt
qs_check "--versions: each distinct copy of a.txt once (three)" \
  [ "$(grep -c " bytes  " "$WORK/versions.out")" -eq 3 ]
qs_check "--versions: the bytes of run 2, back since run 7, kept in two places" \
  [ "$(grep -c "  current and backup_" "$WORK/versions.out")" -eq 1 ]

# Keep the newest two version folders: the states only older folders held are gone.
qs_run prune --prune-versions --keep-last 2 "$DST"
qs_check "the prune succeeds" qs_status_is 0
qs_run pruned1 --restore --as-of "${MOMENTS[0]}" "$DST" "$WORK/pruned1"
qs_check "a moment whose copies a prune removed fails" qs_status_is 1
qs_check "and names what it can no longer give" \
  qs_log_has pruned1 "] Can no longer be restored as of that moment: a.txt (the version folder "
qs_run pruned10 --restore --as-of "${MOMENTS[9]}" "$DST" "$WORK/pruned10"
qs_check "the last moment is still whole" same_tree "$WORK/snap10" "$WORK/pruned10"
qs_finish
