#!/usr/bin/env bash
# Versioned runs that start within one second of each other (a manual run beside a scheduled
# one): each keeps its old copies in a version folder of its own, the next second's when the
# moment's name is taken, and nothing in a version folder is written over.
#   1. Two runs one after the other in the same second, the file changed in between: the first
#      run's old version and the second's are both kept.
#   2. Two runners started together over the same trees, several rounds: every old version a
#      log says it created is there, in that run's own folder, and no two runs share a folder.
source "$(dirname "$0")/lib.sh"
qs_require_tool python3 python3

SRC=$WORK/src
mkdir -p "$SRC"

# Sleeps until just after the start of the next second.
next_second() {
  python3 -c 'import time; time.sleep(1.02 - time.time() % 1)'
}

# started NAME: the second the run NAME started in, from its first line's stamp.
started() { head -n 1 "$WORK/$1.out" | cut -c2-20; }

# version_folder NAME: the folder the run NAME says it made.
version_folder() {
  sed -n 's/^\[[^]]*\] Time version directory created: //p' "$WORK/$1.out"
}

# 1. One after the other, within a second.
same=0
for attempt in 1 2 3 4 5; do
  DST=$WORK/seq$attempt
  mkdir -p "$DST"
  echo "version 0" >"$DST/a.txt"
  touch -d '2020-01-01 00:00:00' "$DST/a.txt"
  echo "version 1" >"$SRC/a.txt"
  touch -d '2021-01-01 00:00:00' "$SRC/a.txt"
  next_second
  qs_run "first$attempt" --time-versioning "$SRC" "$DST"
  echo "version 2" >"$SRC/a.txt"
  touch -d '2022-01-01 00:00:00' "$SRC/a.txt"
  qs_run "second$attempt" --time-versioning "$SRC" "$DST"
  if [ "$(started "first$attempt")" = "$(started "second$attempt")" ]; then
    same=1
    break
  fi
  echo "--- attempt $attempt: the two runs started in different seconds, again"
done
qs_check "the two runs started within the same second" test "$same" -eq 1
first=$(version_folder "first$attempt")
second=$(version_folder "second$attempt")
qs_check "both runs succeed" bash -c '! grep -q "\] \[FAILED\] " "$1" "$2"' _ \
  "$WORK/first$attempt.out" "$WORK/second$attempt.out"
qs_check "each run has a folder of its own ($(basename "$first"), $(basename "$second"))" \
  test -n "$first" -a -n "$second" -a "$first" != "$second"
qs_check "the second run's folder is named after the next second" \
  test "$(basename "$second")" = \
  "backup_$(date -d "@$(($(date -d "$(started "first$attempt")" +%s) + 1))" +%Y%m%d_%H%M%S)"
qs_check "the first run's old version is kept" \
  test "$(cat "$first/a.txt" 2>/dev/null)" = "version 0"
qs_check "and the second run's" test "$(cat "$second/a.txt" 2>/dev/null)" = "version 1"
qs_check "the target holds the newest" test "$(cat "$DST/a.txt")" = "version 2"
qs_check "each folder's README is its own run's" \
  bash -c 'grep -q "^Source: $3/\$" "$1/README.txt" && grep -q "^Source: $3/\$" "$2/README.txt" &&
           ! cmp -s "$1/README.txt" "$2/README.txt"' _ "$first" "$second" "$SRC"

# 2. Two runners at once, each round over a fresh target full of older copies.
cat >"$WORK/claims.py" <<'PY'
import os, re, sys
# claims.py LOG...: each log's claimed old versions must be files in that log's own folder, and
# no two logs name the same folder.
entry = re.compile(r"^\[[^]]*\] (.*)$")
folders, problems, claims = {}, [], 0
for log in sys.argv[1:]:
    folder, saved = None, []
    for line in open(log, encoding="utf-8", errors="surrogateescape"):
        m = entry.match(line.rstrip("\n"))
        if not m:
            continue
        text = m.group(1)
        if text.startswith("Time version directory created: "):
            folder = text[len("Time version directory created: "):]
        elif text.startswith("Time version created: "):
            saved.append(text[len("Time version created: "):])
    if folder in folders:
        problems.append("one folder for two runs: " + folder)
    folders[folder] = log
    for rel in saved:
        claims += 1
        path = os.path.join(folder or "", rel)
        # The target's copy before this run's update: the older copy, or the other run's.
        whole = {("old ./%s\n" % rel).encode(), ("new %s\n" % rel[:-4]).encode()}
        if not os.path.isfile(path) or open(path, "rb").read() not in whole:
            problems.append("claimed and not kept: " + path)
for p in problems[:10]:
    print("    " + p)
print("    %d old versions claimed" % claims)
sys.exit(1 if problems else 0)
PY
for d in $(seq -w 1 8); do
  mkdir -p "$SRC/dir$d"
  for f in $(seq -w 1 25); do echo "new dir$d/file$f" >"$SRC/dir$d/file$f.txt"; done
done
together=0
for round in $(seq 1 8); do
  DST=$WORK/together$round
  mkdir -p "$DST"
  (cd "$SRC" && find . -name 'file*.txt' -print0 | while IFS= read -r -d '' rel; do
    mkdir -p "$DST/$(dirname "$rel")"
    echo "old $rel" >"$DST/$rel"
    touch -d '2020-01-01 00:00:00' "$DST/$rel"
  done)
  next_second
  timeout -k 5 "$QS_RUN_LIMIT" "$QS_RUNNER" --time-versioning "$SRC" "$DST" \
    >"$WORK/a$round.out" 2>"$WORK/a$round.err" &
  a=$!
  timeout -k 5 "$QS_RUN_LIMIT" "$QS_RUNNER" --time-versioning "$SRC" "$DST" \
    >"$WORK/b$round.out" 2>"$WORK/b$round.err" &
  b=$!
  QS_PIDS+=("$a" "$b")
  set +e
  wait "$a"
  rc_a=$?
  wait "$b"
  rc_b=$?
  set -e
  QS_RC=$rc_a
  qs_show "a$round"
  QS_RC=$rc_b
  qs_show "b$round"
  qs_check "round $round: both runs succeed" test "$rc_a" -eq 0 -a "$rc_b" -eq 0
  qs_check "round $round: nothing on standard error" \
    test ! -s "$WORK/a$round.err" -a ! -s "$WORK/b$round.err"
  qs_check "round $round: every old version claimed is kept, in a folder of its run's own" \
    python3 "$WORK/claims.py" "$WORK/a$round.out" "$WORK/b$round.out"
  qs_check "round $round: the target holds the source" diff -r -x .quillstone -x 'backup_*' "$SRC" "$DST"
  if [ "$(started "a$round")" = "$(started "b$round")" ] &&
    [ -n "$(version_folder "a$round")" ] && [ -n "$(version_folder "b$round")" ]; then
    together=$((together + 1))
  fi
done
echo "both runs made a version folder within the same second in $together of 8 rounds"
qs_check "the runs did start together" test "$together" -gt 0

qs_finish
