#!/usr/bin/env bash
# Names that differ only in case, on targets that fold case (FAT32 through fusefat, exFAT
# through exfat-fuse): Notes.txt, notes.txt and NOTES.TXT, and same.txt below Docs/ and docs/.
# The first of each group in list order is backed up; each later one fails with "Name collides
# on the target: FIRST and LATER" and "[FAILED] LATER", the first copy stays whole, and the
# run exits 1, again on a rerun. Files that only share a folder spelt two ways are both kept.
# On ext4, which keeps case, every file is copied.
source "$(dirname "$0")/lib.sh"
qs_require_image ext4 fat32 exfat

SRC=$WORK/src
mkdir -p "$SRC/Docs" "$SRC/docs"
for name in Notes.txt notes.txt NOTES.TXT unique.txt Docs/same.txt docs/same.txt Docs/a.txt docs/b.txt; do
  echo "this is $name" >"$SRC/$name"
done
# Whole even seconds: kept exactly even by FAT, so a rerun skips on the times alone.
find "$SRC" -exec touch -d @1600000000 {} +
ALL=8

# The list order is the order in which the scan meets entries: the system's own (ls -U).
list_order() {
  local dir=$1 name
  shift
  for name in $(ls -U "$dir"); do
    for wanted in "$@"; do [ "$name" = "$wanted" ] && echo "$name"; done
  done
  return 0
}
mapfile -t NOTES < <(list_order "$SRC" Notes.txt notes.txt NOTES.TXT)
mapfile -t DOCS < <(list_order "$SRC" Docs docs)
FIRST=("${NOTES[0]}" "${DOCS[0]}/same.txt")
LATER=("${NOTES[1]} ${NOTES[0]}" "${NOTES[2]} ${NOTES[0]}" "${DOCS[1]}/same.txt ${DOCS[0]}/same.txt")
echo "list order: ${NOTES[*]}; ${DOCS[*]}"

check_collisions() {
  local name=$1 dst=$2 entry later first missing=0
  qs_check "$name: exit status 1" qs_status_is 1
  for entry in "${LATER[@]}"; do
    later=${entry% *}
    first=${entry#* }
    if ! qs_log_has "$name" "] Name collides on the target: $SRC/$first and $SRC/$later" ||
      ! qs_log_has "$name" "] [FAILED] $SRC/$later"; then
      echo "    not reported as colliding with $first: $later"
      missing=$((missing + 1))
    fi
  done
  qs_check "$name: each later spelling is reported and failed" test "$missing" -eq 0
  qs_check "$name: no first spelling is reported failed" \
    bash -c '! grep -qF -e "] [FAILED] $1/$2" -e "] [FAILED] $1/$3" "$4"' _ "$SRC" "${FIRST[@]}" "$WORK/$name.out"
  qs_check "$name: the target holds the first spelling's data" \
    bash -c 'cmp -s "$1/$3" "$2/$3" && cmp -s "$1/$4" "$2/$4"' _ "$SRC" "$dst" "${FIRST[@]}"
  qs_check "$name: the files of the folder spelt two ways are both there" \
    bash -c 'cmp -s "$1/Docs/a.txt" "$2/Docs/a.txt" && cmp -s "$1/docs/b.txt" "$2/docs/b.txt"' _ "$SRC" "$dst"
  qs_check "$name: no temporary file is left" qs_no_temp_files "$dst"
}

for kind in fat32 exfat; do
  qs_mount_image "$kind" "$WORK/$kind"
  DST=$WORK/$kind/dst
  qs_run "$kind" "$SRC" "$DST"
  qs_check "$kind: five files copied, three collisions failed" \
    qs_summary_is "$kind" "5 copied, 0 updated, 0 skipped, 3 failed, 0"
  check_collisions "$kind" "$DST"
  qs_run "$kind-rerun" "$SRC" "$DST"
  qs_check "$kind-rerun: the five copies are up to date, the collisions fail again" \
    qs_summary_is "$kind-rerun" "0 copied, 0 updated, 5 skipped, 3 failed, 0"
  check_collisions "$kind-rerun" "$DST"
done

qs_mount_image ext4 "$WORK/ext4"
DST=$WORK/ext4/dst
qs_run ext4 "$SRC" "$DST"
qs_check "ext4: exit status 0" qs_status_is 0
qs_check "ext4: every spelling is copied" qs_summary_is ext4 "$ALL copied, 0 updated, 0 skipped, 0 failed, 0"
qs_check "ext4: each under its own name" diff -r -x .quillstone "$SRC" "$DST"
qs_check "ext4: no collision is reported" qs_log_lacks ext4 "Name collides"

qs_finish
