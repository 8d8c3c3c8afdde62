#!/usr/bin/env bash
# A dry run fails what the real run fails. Over many random trees, each made from its own seed,
# with files and folders that nobody may read, target folders that nobody may write, files
# and folders in each other's places, time versioning and patterns, a dry run as nobody
# writes nothing, and the real run that follows it logs the same lines (time stamps and the
# version folder's time aside), the same counts, and ends with the same exit status.
source "$(dirname "$0")/lib.sh"
qs_require_root "runs the runner as nobody over root's files"
qs_require_tool setpriv util-linux

TREES=${QS_DRY_RUN_TREES:-60}
AS_NOBODY=(setpriv --reuid=nobody --regid=nogroup --clear-groups --)
OUT=$WORK/out
mkdir -p "$OUT"

# A time for a file: a day in 2021, give or take.
some_time() { echo "@$((1609459200 + RANDOM * 3))"; }

# hostile: true for one in HOSTILE_IN of the chances (never when HOSTILE_IN is 0): a tree's
# hostility is drawn first, so that some trees hold nothing that fails.
hostile() { ((HOSTILE_IN > 0 && RANDOM % HOSTILE_IN == 0)); }

# make_source ROOT: folders and files below ROOT/src, then what nobody may not do there.
# Fills DIRS and FILES (paths below src, folders before what is in them).
make_source() {
  local root=$1 i parent path
  DIRS=("")
  FILES=()
  for ((i = 0; i < 6 + RANDOM % 10; i++)); do
    parent=${DIRS[RANDOM % ${#DIRS[@]}]}
    path=${parent:+$parent/}d$i
    mkdir "$root/src/$path"
    DIRS+=("$path")
  done
  for ((i = 0; i < 15 + RANDOM % 30; i++)); do
    parent=${DIRS[RANDOM % ${#DIRS[@]}]}
    path=${parent:+$parent/}f$i.txt
    echo "file $i" >"$root/src/$path"
    touch -d "$(some_time)" "$root/src/$path"
    FILES+=("$path")
  done
  for path in "${FILES[@]}"; do
    if hostile; then chmod 600 "$root/src/$path"; fi  # nobody cannot read it
  done
  for path in "${DIRS[@]:1}"; do
    hostile || continue
    case $((RANDOM % 3)) in
      0) chmod 700 "$root/src/$path" ;;  # nobody can neither list nor enter it
      1) chmod 744 "$root/src/$path" ;;  # nobody can list its names, but open nothing
      2) chmod 711 "$root/src/$path" ;;  # nobody can enter it, but not list it
    esac
  done
}

# make_target_folder ROOT PATH: the target's folder for the source's folder PATH, if its
# parent is a folder there: nobody's own, root's (nobody cannot write it), or a file in its place.
make_target_folder() {
  local target=$1/dst/$2
  [ -d "$(dirname "$target")" ] || return 0
  if hostile; then
    case $((RANDOM % 2)) in
      0) mkdir "$target" ;;  # root's, 755
      1) echo "a file where a folder goes" >"$target" ;;
    esac
  elif ((RANDOM % 2)); then
    mkdir "$target" && chown nobody:nogroup "$target"
  fi
}

# make_target_copy ROOT PATH: a copy of the source's file PATH, older, as old or newer; one
# that nobody cannot read (its old version cannot be kept); or a folder in its place.
make_target_copy() {
  local source=$1/src/$2 target=$1/dst/$2
  [ -d "$(dirname "$target")" ] || return 0
  if hostile; then
    case $((RANDOM % 2)) in
      0) echo unreadable >"$target" && touch -d "@1500000000" "$target" && chmod 000 "$target" ;;
      1) mkdir "$target" && chown nobody:nogroup "$target" ;;
    esac
  else
    case $((RANDOM % 5)) in
      0 | 1) echo old >"$target" && touch -d "@1500000000" "$target" ;;
      2) echo same >"$target" && touch -r "$source" "$target" ;;
      3) echo newer >"$target" && touch -d "@1700000000" "$target" ;;
    esac
  fi
  if [ -f "$target" ] && ((RANDOM % 2)); then chown nobody:nogroup "$target"; fi
}

# make_target ROOT: the target as the runs find it; sometimes missing, sometimes root's.
make_target() {
  local root=$1 path
  if hostile; then
    case $((RANDOM % 2)) in
      0) return 0 ;;          # missing, and nobody may not make it
      1) mkdir "$root/dst" ;;  # root's: nobody cannot write it
    esac
  elif ((RANDOM % 6 == 0)); then
    chown nobody:nogroup "$root"  # missing, made by the run
    return 0
  else
    mkdir "$root/dst" && chown nobody:nogroup "$root/dst"
  fi
  for path in "${DIRS[@]:1}"; do make_target_folder "$root" "$path"; done
  for path in "${FILES[@]}"; do make_target_copy "$root" "$path"; done
}

# What must not change under a dry run: every entry's kind, mode, owner, size, times and node.
snapshot() { find "$1" -printf '%P %y %m %u %s %T@ %C@ %i\n' | LC_ALL=C sort; }

# The log's lines without their stamps, and the version folder's time made alike.
normalized() {
  sed -E -e 's/^\[[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9:.]+\] //' \
    -e 's/backup_[0-9]{8}_[0-9]{6}/backup_STAMP/g' "$1"
}

run_as_nobody() {
  local name=$1
  shift
  set +e
  "${AS_NOBODY[@]}" timeout -k 5 "$QS_RUN_LIMIT" "$QS_RUNNER" "$@" \
    >"$OUT/$name.out" 2>"$OUT/$name.err"
  QS_RC=$?
  set -e
}

# compare_tree N: one tree's dry run and real run; counts the trees that agree in AGREED.
compare_tree() {
  local n=$1 root=$WORK/t$1 options=()
  RANDOM=$n
  HOSTILE_IN=$((RANDOM % 4 * 4))  # none, or one chance in 4, 8 or 12
  mkdir -p "$root/src"
  make_source "$root"
  make_target "$root"
  if ((RANDOM % 2)); then options=(--time-versioning); fi
  # Patterns, so that what is left out and taken back in is decided alike too.
  case $((RANDOM % 4)) in
    0) options+=(--exclude 'f[0-3]*.txt' --exclude '!f1*.txt') ;;
    1) options+=(--exclude '/d[0-4]/' --exclude '!d2/') ;;
    2) options+=(--exclude 'd*/f[!5-9]*') ;;
  esac
  snapshot "$root" >"$OUT/$n.before"
  run_as_nobody "dry$n" --dry-run "${options[@]}" "$root/src" "$root/dst"
  local dry_rc=$QS_RC
  snapshot "$root" >"$OUT/$n.after"
  run_as_nobody "real$n" "${options[@]}" "$root/src" "$root/dst"
  normalized "$OUT/dry$n.out" >"$OUT/dry$n.lines"
  # Whether the record of the runs can be kept is no decision about the data, and a dry run
  # keeps none: the real run's line about it is left out of the comparison.
  normalized "$OUT/real$n.out" | grep -v "^The record of the runs could not be written: " \
    >"$OUT/real$n.lines" || true
  # The dry run's own first and last lines, then the rest as the real run has it.
  local first last
  first=$(sed -n 1p "$OUT/dry$n.lines")
  last=$(sed -n '$p' "$OUT/dry$n.lines")
  sed -e '1d' -e '$d' "$OUT/dry$n.lines" >"$OUT/dry$n.rest"
  local verdict=ok
  if ! cmp -s "$OUT/$n.before" "$OUT/$n.after"; then
    verdict="the dry run changed the tree"
    diff "$OUT/$n.before" "$OUT/$n.after" >"$OUT/$n.diff" || true
    sed -n 1,20p "$OUT/$n.diff"
  elif [ "$first" != "Dry run: nothing will be written." ] ||
    [ "$last" != "Dry run: nothing was written." ]; then
    verdict="the dry run's first or last line is missing"
  elif ! cmp -s "$OUT/dry$n.rest" "$OUT/real$n.lines"; then
    verdict="the logs differ"
    diff "$OUT/dry$n.rest" "$OUT/real$n.lines" >"$OUT/$n.diff" || true
    sed -n 1,20p "$OUT/$n.diff"
  elif [ "$dry_rc" -ne "$QS_RC" ]; then
    verdict="exit status $dry_rc against $QS_RC"
  elif [ -s "$OUT/dry$n.err" ] || [ -s "$OUT/real$n.err" ]; then
    verdict="something on standard error"
    cat "$OUT/dry$n.err" "$OUT/real$n.err"
  fi
  echo "tree $n (${options[*]:-plain}): exit status $QS_RC, $(grep -c '\[FAILED\]' "$OUT/real$n.lines" || true) failed: $verdict"
  if [ "$verdict" = ok ]; then AGREED=$((AGREED + 1)); fi
  if [ "$QS_RC" -eq 0 ]; then STATUS_0=$((STATUS_0 + 1)); else STATUS_1=$((STATUS_1 + 1)); fi
  return 0
}

AGREED=0 STATUS_0=0 STATUS_1=0
for ((tree = 1; tree <= TREES; tree++)); do compare_tree "$tree"; done
qs_check "the dry run agreed with the real run on all $TREES trees" [ "$AGREED" -eq "$TREES" ]

# The trees must have met every kind of failure, or the comparison proves little.
cat "$OUT"/real*.lines >"$OUT/all-real.lines"
seen() { [ "$(grep -cE -- "$1" "$OUT/all-real.lines" || true)" -gt 0 ]; }
qs_check "a file nobody cannot read was met" seen '^CopyFile failed: .*/src/.* Error: 13 \(.*\)$'
qs_check "a target folder nobody cannot write was met" \
  seen '^CopyFile failed: .* -> .*/dst/.* Error: 13 \(.*\)$'
qs_check "a target folder that could not be made was met" seen '^Failed to create directory: '
qs_check "a version folder that could not be made was met" \
  seen '^Failed to create time version directory: .* Error: 13 \(.*\)$'
qs_check "an old version that could not be kept was met" seen '^\[TIME VERSION FAILED\] '
qs_check "an old version that was kept was met" seen '^Time version created: '
qs_check "a folder where a file goes was met" seen ' Error: 21 \(.*\)$'
qs_check "a file where a folder goes was met" seen ' Error: 20 \(.*\)$'
qs_check "a source folder that cannot be listed was met" seen '^Cannot list directory: '
qs_check "files were copied and updated too" seen '^\[UPDATED\] '
qs_check "runs that ended with status 0 and with 1 were met" \
  [ "$STATUS_0" -gt 0 -a "$STATUS_1" -gt 0 ]

qs_finish
