#!/usr/bin/env bash
# Links that lead nowhere: to a file not there yet, through a missing folder, through a file,
# and loops of links (two links to each other, a link to itself). Each is left out with one
# line "Dangling link left out: PATH", is not counted as failed, and leaves the exit status
# 0, on a rerun too. Once its target exists, the link is backed up like any file.
source "$(dirname "$0")/lib.sh"

SRC=$WORK/src
DST=$WORK/dst
mkdir -p "$SRC/sub" "$WORK/outside"
echo a >"$SRC/a.txt"
ln -s "$WORK/outside/later.txt" "$SRC/later.txt"
ln -s ../nowhere/x.txt "$SRC/sub/far.txt"
ln -s a.txt/x "$SRC/through-file"
ln -s ring2 "$SRC/ring1"
ln -s ring1 "$SRC/ring2"
ln -s me "$SRC/me"

# dangling_once NAME LINKS...: the log of run NAME has exactly one line for each link.
dangling_once() {
  local name=$1 rel count wrong=0
  shift
  for rel in "$@"; do
    count=$(sed 's/^\[[^]]*\] //' "$WORK/$name.out" | grep -cxF -- "Dangling link left out: $SRC/$rel" || true)
    [ "$count" -eq 1 ] || { echo "    $rel: $count lines"; wrong=$((wrong + 1)); }
  done
  [ "$wrong" -eq 0 ]
}
dangling_lines() { grep -c '] Dangling link left out: ' "$WORK/$1.out" || true; }

qs_run first "$SRC" "$DST"
qs_check "first: exit status 0" qs_status_is 0
qs_check "first: one line for each dangling link" dangling_once first later.txt sub/far.txt through-file ring1 ring2 me
qs_check "first: and no other" test "$(dangling_lines first)" -eq 6
qs_check "first: only the file is found" qs_log_has first "] Found 1 files."
qs_check "first: nothing counts as failed" qs_summary_is first "1 copied, 0 updated, 0 skipped, 0 failed, 0"
qs_check "first: the target holds the file alone" \
  test "$(cd "$DST" && find . -path ./.quillstone -prune -o ! -type d -print)" = ./a.txt
qs_check "first: nothing on standard error" qs_quiet first

qs_run unchanged "$SRC" "$DST"
qs_check "unchanged: exit status 0" qs_status_is 0
qs_check "unchanged: the same lines again" dangling_once unchanged later.txt sub/far.txt through-file ring1 ring2 me
qs_check "unchanged: the file is up to date" qs_summary_is unchanged "0 copied, 0 updated, 1 skipped, 0 failed, 0"

echo "there now" >"$WORK/outside/later.txt"
qs_run target-exists "$SRC" "$DST"
qs_check "target-exists: exit status 0" qs_status_is 0
qs_check "target-exists: the link is backed up as a file" \
  qs_summary_is target-exists "1 copied, 0 updated, 1 skipped, 0 failed, 0"
qs_check "target-exists: with its target's data" qs_same "$DST/later.txt" "$WORK/outside/later.txt"
qs_check "target-exists: as a file, not a link" test -f "$DST/later.txt" -a ! -L "$DST/later.txt"
qs_check "target-exists: it is no longer called dangling" test "$(dangling_lines target-exists)" -eq 5
qs_check "target-exists: the others still are" dangling_once target-exists sub/far.txt through-file ring1 ring2 me

qs_finish
