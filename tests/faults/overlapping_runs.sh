#!/usr/bin/env bash
# Two runs over the same source and target at the same time, one of them with time
# versioning, while files of the source are replaced by new versions. Both runs finish, every
# copy in the target (saved versions included) is a whole copy of some version of its
# source, no temporary file remains, and a run after the changes brings the target level.
source "$(dirname "$0")/lib.sh"

SRC=$WORK/src
DST=$WORK/dst
STAGE=$WORK/stage  # new versions are written here, then renamed into the source in one step
mkdir -p "$SRC" "$DST" "$STAGE"
declare -A SIZES

# Version N of a file: the line "REL vNNNN" repeated up to the file's fixed size.
version_content() {
  (set +o pipefail; yes "$(printf '%s v%04d' "$1" "$2")" | head -c "${SIZES[$1]}")
}

write_version() {
  version_content "$1" "$2" >"$STAGE/next"
  mv "$STAGE/next" "$SRC/$1"
}

for d in $(seq -w 1 20); do
  mkdir -p "$SRC/dir$d"
  for f in $(seq -w 1 15); do
    rel="dir$d/file$f.txt"
    SIZES[$rel]=$((1024 + RANDOM % 65536))
    write_version "$rel" 0
  done
done
for b in $(seq 1 8); do
  rel="big$b.bin"
  SIZES[$rel]=$((8 * 1024 * 1024))
  write_version "$rel" 0
done
RELS=("${!SIZES[@]}")

# Rewrites random files until $WORK/stop appears; the same file never twice within 50 ms, so
# that each version carries a later last-write time than the one before.
modify_source() {
  local version=0 i
  while [ ! -e "$WORK/stop" ]; do
    version=$((version + 1))
    for i in $(seq 1 30); do write_version "${RELS[RANDOM % ${#RELS[@]}]}" "$version"; done
    sleep 0.05
  done
}

# is_some_version FILE REL: FILE holds exactly one whole version of REL.
is_some_version() {
  local first
  first=$(head -c 64 "$1")
  first=${first%%$'\n'*}
  [[ "$first" =~ ^"$2 v"[0-9]{4} ]] || return 1
  cmp -s "$1" <(version_content "$2" "$((10#${first: -4}))")
}

modify_source &
MODIFIER=$!
QS_PIDS+=("$MODIFIER")

ROUNDS=5
overlapped=0
for round in $(seq 1 $ROUNDS); do
  [ "$round" -gt 1 ] && sleep 0.5  # let the source change between rounds too
  timeout -k 5 "$QS_RUN_LIMIT" "$QS_RUNNER" "$SRC" "$DST" >"$WORK/a$round.out" 2>"$WORK/a$round.err" &
  a=$!
  timeout -k 5 "$QS_RUN_LIMIT" "$QS_RUNNER" --time-versioning "$SRC" "$DST" \
    >"$WORK/b$round.out" 2>"$WORK/b$round.err" &
  b=$!
  QS_PIDS+=("$a" "$b")
  set +e
  wait "$a"
  QS_RC=$?
  qs_show "a$round"
  wait "$b"
  rc_b=$?
  set -e
  qs_check "round $round: the plain run finishes with success" qs_status_is 0
  QS_RC=$rc_b
  qs_show "b$round"
  qs_check "round $round: the versioning run finishes with success" qs_status_is 0
  qs_check "round $round: neither run wrote to standard error" \
    test ! -s "$WORK/a$round.err" -a ! -s "$WORK/b$round.err"
  # The runs overlapped when each started before the other ended (stamps compare as text).
  start_a=$(head -n 1 "$WORK/a$round.out" | cut -c2-24)
  end_a=$(tail -n 1 "$WORK/a$round.out" | cut -c2-24)
  start_b=$(head -n 1 "$WORK/b$round.out" | cut -c2-24)
  end_b=$(tail -n 1 "$WORK/b$round.out" | cut -c2-24)
  if [[ ! "$start_a" > "$end_b" && ! "$start_b" > "$end_a" ]]; then overlapped=$((overlapped + 1)); fi
done
touch "$WORK/stop"
wait "$MODIFIER"
echo "the two runs overlapped in $overlapped of $ROUNDS rounds"
qs_check "the runs really overlapped" test "$overlapped" -gt 0

# The checker itself must accept what the source holds now.
bad_sources=0
for rel in "${RELS[@]}"; do is_some_version "$SRC/$rel" "$rel" || bad_sources=$((bad_sources + 1)); done
qs_check "every source file passes the version check" test "$bad_sources" -eq 0

torn=0
checked=0
while IFS= read -r -d '' copy; do
  rel=${copy#"$DST"/}
  [[ "$rel" == backup_* ]] && rel=${rel#*/}
  [ "$rel" = README.txt ] && continue
  checked=$((checked + 1))
  if ! is_some_version "$copy" "$rel"; then
    echo "    not a whole version: $copy"
    torn=$((torn + 1))
  fi
done < <(find "$DST" -path "$DST/.quillstone" -prune -o -type f -print0)
echo "checked $checked copies in the target"
qs_check "every copy is a whole version of its source" test "$torn" -eq 0 -a "$checked" -ge "${#RELS[@]}"
qs_check "no temporary file remains" qs_no_temp_files "$DST"

qs_run level "$SRC" "$DST"
qs_check "a run after the changes succeeds" qs_status_is 0
qs_check "and leaves the target level with the source" diff -r -x .quillstone -x 'backup_*' "$SRC" "$DST"

qs_finish
