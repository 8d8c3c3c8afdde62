#!/usr/bin/env bash
# A directory reached by two paths is backed up under both: a sibling link (current ->
# releases/v2), a bind mount, and a chain of 30 links to one directory. Only a directory that
# is one of its own ancestors in the current descent is refused: a link to itself, to its
# parent, to the root, and a ring of 30 directories each linking to the next end at once,
# every path up to the repeat backed up, nothing more.
source "$(dirname "$0")/lib.sh"
qs_require_root "bind mount"

SRC=$WORK/src
DST=$WORK/dst
EXPECTED=()  # relative paths of the copies the target must hold, and nothing else

mkdir -p "$SRC/releases/v1" "$SRC/releases/v2" "$SRC/data" "$SRC/mirror" "$SRC/loops" "$SRC/chain"
echo "release 1" >"$SRC/releases/v1/a.txt"
echo "release 2" >"$SRC/releases/v2/b.txt"
ln -s releases/v2 "$SRC/current"
EXPECTED+=(releases/v1/a.txt releases/v2/b.txt current/b.txt)

echo data >"$SRC/data/d.txt"
mount --bind "$SRC/data" "$SRC/mirror"
QS_MOUNTS+=("$SRC/mirror")
EXPECTED+=(data/d.txt mirror/d.txt)

echo loops >"$SRC/loops/l.txt"
ln -s . "$SRC/loops/self"
ln -s .. "$SRC/loops/up"
ln -s "$SRC" "$SRC/loops/root"
EXPECTED+=(loops/l.txt)

# chain/l01 -> l02 -> ... -> l30 -> releases/v1: thirty links to follow for l01.
for i in $(seq -w 1 29); do ln -s "l$(printf %02d $((10#$i + 1)))" "$SRC/chain/l$i"; done
ln -s ../releases/v1 "$SRC/chain/l30"
for i in $(seq -w 1 30); do EXPECTED+=("chain/l$i/a.txt"); done

# ring/dNN/next -> ../d(NN+1), and d30/next -> ../d01: from each directory the walk goes round
# through the 29 others and stops where it would enter the first again.
RING=30
for i in $(seq 1 $RING); do
  dir=$(printf 'd%02d' "$i")
  mkdir -p "$SRC/ring/$dir"
  echo "ring $dir" >"$SRC/ring/$dir/f.txt"
  ln -s "../$(printf 'd%02d' $((i % RING + 1)))" "$SRC/ring/$dir/next"
done
for i in $(seq 1 $RING); do
  path=ring/$(printf 'd%02d' "$i")
  for _ in $(seq 1 $RING); do
    EXPECTED+=("$path/f.txt")
    path+=/next
  done
done

started=$(date +%s%N)
qs_run two-paths "$SRC" "$DST"
took_ms=$((($(date +%s%N) - started) / 1000000))
echo "the run took $took_ms ms for ${#EXPECTED[@]} files"
qs_check "exit status 0" qs_status_is 0
qs_check "the scan finds every path to every file, and no more" \
  qs_log_has two-paths "] Found ${#EXPECTED[@]} files."
qs_check "every one is copied" \
  qs_summary_is two-paths "${#EXPECTED[@]} copied, 0 updated, 0 skipped, 0 failed, 0"
qs_check "the target holds exactly those copies" \
  diff <(printf '%s\n' "${EXPECTED[@]}" | sort) <(cd "$DST" && find . -path ./.quillstone -prune -o -type f -print | sed 's|^\./||' | sort)
# Every file holds one line, so one comparison of them all in order tells which one differs.
qs_check "each copy is the file its path leads to" \
  diff <(cd "$SRC" && cat -- "${EXPECTED[@]}") <(cd "$DST" && cat -- "${EXPECTED[@]}")
qs_check "nothing on standard error" qs_quiet two-paths

qs_run again "$SRC" "$DST"
qs_check "a rerun finds every copy up to date" \
  qs_summary_is again "0 copied, 0 updated, ${#EXPECTED[@]} skipped, 0 failed, 0"
qs_check "exit status 0 on the rerun" qs_status_is 0

qs_finish
