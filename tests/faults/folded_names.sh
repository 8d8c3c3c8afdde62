#!/usr/bin/env bash
# Names that a target folds into one although they differ, in every script: exFAT (through
# exfat-fuse) folds by its volume's upcase table, far beyond ASCII. Școala.txt and școala.txt,
# Ả/ả, Ạ/ạ, Ǎ/ǎ, Ἀ/ἀ, Ƀ/ƀ, Ⴀ/ⴀ, Ω/ω, Ж/ж, Ա/ա... land on one file there.
# 1. In one run: the first spelling of each pair in list order is backed up, the later one
#    fails with "Name collides on the target: FIRST and LATER", and both source files stay as
#    they are; names that fold with no other are copied under their own spelling. Again on a
#    rerun, and the FUSE driver stays up.
# 2. Across runs: the source renames a file in case only and changes it. The target's entry
#    has the old spelling: it is never replaced (with time versioning, nor kept as a version),
#    the collision names both, and the run fails.
# Whatever the volume (exFAT, FAT32 through fusefat, which takes no name beyond ASCII, ext4),
# every file logged as copied is in the target under its own name, byte for byte, with its
# data; every other file is logged as failed.
source "$(dirname "$0")/lib.sh"
qs_require_image ext4 fat32 exfat

PAIRS=("Școala.txt școala.txt" "Ả.txt ả.txt" "Ạ.txt ạ.txt" "Ǎ.txt ǎ.txt" "Ἀθήνα.txt ἀθήνα.txt"
  "Ƀ.txt ƀ.txt" "Ⴀ.txt ⴀ.txt" "ΩΜΕΓΑ.txt ωμεγα.txt" "Жук.txt жук.txt" "Արև.txt արև.txt"
  "ŁÓDŹ.txt łódź.txt" "Notes.txt notes.txt")
ALONE=("Москва.txt" "თბილისი.txt" "Երևան.txt" "Ş-cedilla.txt" "ş-cedilla-and-Ș.txt" "中文.txt")
SRC=$WORK/src
for i in "${!PAIRS[@]}"; do
  read -r first later <<<"${PAIRS[i]}"
  mkdir -p "$SRC/pair$i"
  echo "first spelling $first" >"$SRC/pair$i/$first"
  echo "later spelling $later" >"$SRC/pair$i/$later"
done
mkdir -p "$SRC/alone"
for name in "${ALONE[@]}"; do echo "alone $name" >"$SRC/alone/$name"; done
# Whole even seconds: FAT keeps them exactly, so a rerun skips on the times alone.
find "$SRC" -exec touch -d @1600000000 {} +
TOTAL=$(qs_count_files "$SRC")

# The pairs in the order the scan meets them (the system's listing order): "FIRST LATER".
ORDERED=()
for i in "${!PAIRS[@]}"; do
  mapfile -t names < <(ls -U "$SRC/pair$i")
  ORDERED+=("pair$i/${names[0]} pair$i/${names[1]}")
done

# Every file logged as copied or updated is in DST under exactly its name, with its data; every
# file of the source is logged as copied, updated or failed.
check_every_claim() {
  local name=$1 dst=$2 file relative listing missing=0 unlogged=0
  sed -e 's/^\[[^]]*\] //' "$WORK/$name.out" >"$WORK/$name.lines"
  while IFS= read -r -d '' file; do
    relative=${file#"$SRC/"}
    if grep -qxF -e "[COPIED] $relative" -e "[UPDATED] $relative" "$WORK/$name.lines"; then
      listing=$(ls -1a "$dst/$(dirname "$relative")" 2>/dev/null) || listing=""
      if ! grep -qxF -- "$(basename "$relative")" <<<"$listing" || ! cmp -s "$file" "$dst/$relative"; then
        echo "    logged as copied, not in the target as itself: $relative"
        missing=$((missing + 1))
      fi
    elif ! qs_log_has "$name" "] [FAILED] $file"; then
      echo "    neither copied nor failed: $relative"
      unlogged=$((unlogged + 1))
    fi
  done < <(find "$SRC" -type f -print0)
  qs_check "$name: every file logged as copied is in the target as itself" test "$missing" -eq 0
  qs_check "$name: every other file is logged as failed" test "$unlogged" -eq 0
  qs_check "$name: the target can still be read (its driver is up)" \
    bash -c 'ls "$1" >/dev/null' _ "$dst"
  qs_check "$name: no temporary file is left" qs_no_temp_files "$dst"
}

check_folded_pairs() {
  local name=$1 dst=$2 entry first later wrong=0
  for entry in "${ORDERED[@]}"; do
    first=${entry% *}
    later=${entry#* }
    if ! qs_log_has "$name" "] Name collides on the target: $SRC/$first and $SRC/$later" ||
      ! qs_log_has "$name" "] [FAILED] $SRC/$later" || ! qs_same "$SRC/$first" "$dst/$first"; then
      echo "    not kept as the first and failed as the later: $first, $later"
      wrong=$((wrong + 1))
    fi
  done
  qs_check "$name: in each pair the first is kept and the later fails as colliding" test "$wrong" -eq 0
  qs_check "$name: names that fold with no other are copied" \
    bash -c 'for n in "${@:3}"; do cmp -s "$1/alone/$n" "$2/alone/$n" || exit 1; done' _ \
    "$SRC" "$dst" "${ALONE[@]}"
}

# 1. One run with every pair.
qs_mount_image exfat "$WORK/exfat"
DST=$WORK/exfat/dst
qs_run exfat "$SRC" "$DST"
qs_check "exfat: exit status 1" qs_status_is 1
PAIRED=${#PAIRS[@]}
qs_check "exfat: every first spelling and lone name copied, every later one failed" \
  qs_summary_is exfat "$((TOTAL - PAIRED)) copied, 0 updated, 0 skipped, $PAIRED failed, 0"
check_folded_pairs exfat "$DST"
check_every_claim exfat "$DST"
qs_run exfat-rerun "$SRC" "$DST"
qs_check "exfat-rerun: the copies are up to date, the later spellings fail again" \
  qs_summary_is exfat-rerun "0 copied, 0 updated, $((TOTAL - PAIRED)) skipped, $PAIRED failed, 0"
check_folded_pairs exfat-rerun "$DST"

qs_mount_image fat32 "$WORK/fat32"
qs_run fat32 "$SRC" "$WORK/fat32/dst"
qs_check "fat32: exit status 1" qs_status_is 1
check_every_claim fat32 "$WORK/fat32/dst"
qs_check "fat32: the ASCII pair collides as on exFAT" qs_log_has fat32 \
  "] Name collides on the target: $SRC/${ORDERED[-1]% *} and $SRC/${ORDERED[-1]#* }"

qs_mount_image ext4 "$WORK/ext4"
qs_run ext4 "$SRC" "$WORK/ext4/dst"
qs_check "ext4: every spelling is copied under its own name" \
  qs_summary_is ext4 "$TOTAL copied, 0 updated, 0 skipped, 0 failed, 0"
qs_check "ext4: the trees are the same" diff -r -x .quillstone "$SRC" "$WORK/ext4/dst"

# 2. Renamed in case only, and changed: the target keeps the old spelling.
for versioning in "" --time-versioning; do
  name=renamed${versioning:+-versioned}
  SRC=$WORK/src-$name
  mkdir -p "$SRC/d"
  echo "before the rename" >"$SRC/d/Școala.txt"
  echo "keeps its name" >"$SRC/d/Ἀθήνα.txt"
  touch -d @1600000000 "$SRC/d/Școala.txt" "$SRC/d/Ἀθήνα.txt"
  DST=$WORK/exfat/$name
  qs_run "$name-first" $versioning "$SRC" "$DST"
  qs_check "$name-first: both copied" qs_summary_is "$name-first" "2 copied, 0 updated, 0 skipped, 0 failed, 0"
  mv "$SRC/d/Școala.txt" "$SRC/d/școala.txt"
  echo "after the rename, changed" >"$SRC/d/școala.txt"
  touch -d @1600000100 "$SRC/d/școala.txt" "$SRC/d/Ἀθήνα.txt"
  qs_run "$name" $versioning "$SRC" "$DST"
  qs_check "$name: exit status 1" qs_status_is 1
  qs_check "$name: the collision names the target's entry and the source file" \
    qs_log_has "$name" "] Name collides on the target: $DST/d/Școala.txt and $SRC/d/școala.txt"
  qs_check "$name: and the file fails" qs_log_has "$name" "] [FAILED] $SRC/d/școala.txt"
  qs_check "$name: the target's entry keeps its spelling and its data" \
    bash -c '[ "$(ls "$1")" = "$(printf "Școala.txt\nἈθήνα.txt")" ] && grep -qx "before the rename" "$1/Școala.txt"' \
    _ "$DST/d"
  qs_check "$name: the other file is updated" qs_log_has "$name" "[UPDATED] d/Ἀθήνα.txt"
  qs_check "$name: no version of the colliding file is kept" \
    [ -z "$(find "$DST" -path "$DST/backup_*" -iname '*coala.txt' -print)" ]
  check_every_claim "$name" "$DST"
done

qs_finish
