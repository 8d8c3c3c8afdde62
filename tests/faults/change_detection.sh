#!/usr/bin/env bash
# When is a copy older than its source, on real file systems? Where the target keeps exact
# times (ext4, XFS, btrfs, tmpfs) a source saved again within a second or two of its copy's
# time is updated, the step is learnt once per run, and an unchanged rerun probes nothing
# (unless a copy is newer than its source: then it learns once whether times are kept).
# Where the target keeps coarse times (FAT32 through fusefat, exFAT through exfat-fuse) an
# unchanged rerun copies and versions nothing, and a change beyond the step is updated.
# qs_volume_probe gives the step and the case folding of each volume, and the probes' cost.
source "$(dirname "$0")/lib.sh"
QS_PROBE=$(readlink -f "${2:?usage: $0 RUNNER VOLUME-PROBE}")
qs_require_image ext4 xfs btrfs fat32 exfat
qs_require_tool strace strace

KINDS=(ext4 xfs btrfs tmpfs fat32 exfat)
for kind in "${KINDS[@]}"; do
  if [ "$kind" = tmpfs ]; then
    qs_mount_tmpfs "$WORK/$kind" size=64m
  else
    qs_mount_image "$kind" "$WORK/$kind"
  fi
done

# put FILE CONTENT SECONDS.NANOS: a file with that content and last-write time.
put() {
  mkdir -p "$(dirname "$1")"
  printf '%s\n' "$2" >"$1"
  touch -d "@$3" "$1"
}

# The step a volume keeps times in, measured with touch and stat rather than the engine: the
# coarsest candidate that the time read back is a multiple of and lies within.
kept_step() {
  local file=$1/.kept-step written=1300000001987654321 read step distance
  touch -d @1300000001.987654321 "$file"
  read=$(stat -c %.9Y "$file")
  rm -f "$file"
  read=$((10#${read%.*} * 1000000000 + 10#${read#*.}))
  distance=$((read > written ? read - written : written - read))
  for step in 2000000000 1000000000 100000000 10000000 1000000 100000 10000 1000 100 10; do
    if [ $((read % step)) -eq 0 ] && [ "$distance" -lt "$step" ]; then
      echo "$step"
      return
    fi
  done
  echo 1
}

# cut_down SECONDS.NANOS STEP: the whole seconds a volume keeping STEP (1 s or more) stores.
cut_down() {
  local seconds=${1%.*} step=$(($2 / 1000000000))
  echo $((seconds - seconds % step))
}

# A FUSE mount shows the times it was last told for a second (the kernel's attribute cache):
# wait that out before reading what the volume really keeps.
settle() { sleep 1.2; }

# run_traced NAME ARGS...: qs_run, with the runner's setting of times by path recorded.
# LeakSanitizer cannot work under ptrace: a sanitized runner checks for leaks in other runs.
run_traced() {
  local name=$1
  shift
  set +e
  ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" \
    timeout -k 5 "$QS_RUN_LIMIT" strace -f -qq -o "$WORK/$name.trace" -e trace=utimensat \
    "$QS_RUNNER" "$@" >"$WORK/$name.out" 2>"$WORK/$name.err"
  QS_RC=$?
  set -e
  qs_show "$name"
}

# Probes of a traced run: each sets the probe time on a fresh temporary file by its path
# (copies set their times through their open descriptors).
probes_in() { grep -c 'utimensat(AT_FDCWD, ".*/\.qs-tmp-[a-z0-9]*"' "$WORK/$1.trace" || true; }

# 1. What the probes find on each kind of volume, and what they cost.
echo "probe figures (step in ns, case folding, time of each probe):"
for kind in "${KINDS[@]}"; do
  mkdir -p "$WORK/$kind/probe"
  line=$("$QS_PROBE" "$WORK/$kind/probe")
  echo "    $kind: $line"
  step=$(sed -n 's/.* step_ns=\([0-9]*\) .*/\1/p' <<<"$line")
  folds=$(sed -n 's/.* folds_case=\([a-z]*\) .*/\1/p' <<<"$line")
  kept=$(kept_step "$WORK/$kind/probe")
  case $kind in
    fat32) wanted=2000000000 wanted_folds=yes ;;
    exfat) wanted=$kept wanted_folds=yes ;;  # exFAT has 10 ms on disk; the driver decides
    *) wanted=1 wanted_folds=no ;;
  esac
  qs_check "$kind: the probe finds a step of $wanted ns" test "$step" = "$wanted"
  qs_check "$kind: which is what touch and stat see ($kept ns)" test "$step" = "$kept"
  qs_check "$kind: case folding: $wanted_folds" test "$folds" = "$wanted_folds"
  qs_check "$kind: the probes leave nothing behind" test -z "$(ls -A "$WORK/$kind/probe")"
done

# 2. Exact volumes: copies whose times are their sources' cut down to a whole 2 s, 1 s and
# 1 us are older than their sources here, and must be updated.
SRC=$WORK/src-exact
put "$SRC/half.txt" "half, new" 1600000001.500000000
put "$SRC/second.txt" "second, new" 1600000003.900000000
put "$SRC/micro.txt" "micro, new" 1600000002.123456789
put "$SRC/same.txt" "same" 1600000004.123456789
put "$SRC/older.txt" "older source" 1600000005.000000000
for kind in ext4 xfs btrfs tmpfs; do
  DST=$WORK/$kind/dst
  put "$DST/half.txt" "half, old" 1600000000.000000000
  put "$DST/second.txt" "second, old" 1600000003.000000000
  put "$DST/micro.txt" "micro, old" 1600000002.123456000
  put "$DST/same.txt" "same" 1600000004.123456789
  put "$DST/older.txt" "newer copy" 1600000005.000000001

  run_traced "$kind-saved-again" "$SRC" "$DST"
  qs_check "$kind: exit status 0" qs_status_is 0
  qs_check "$kind: the three copies saved again within the step are updated" \
    qs_summary_is "$kind-saved-again" "0 copied, 3 updated, 2 skipped, 0 failed, 0"
  for name in half second micro; do
    qs_check "$kind: $name.txt holds the new data" qs_same "$DST/$name.txt" "$SRC/$name.txt"
    qs_check "$kind: $name.txt has the source's exact time" qs_same_mtime "$DST/$name.txt" "$SRC/$name.txt"
  done
  qs_check "$kind: the copy newer than its source is left alone" \
    qs_same "$DST/older.txt" <(echo "newer copy")
  qs_check "$kind: the volume is probed once in the run ($(probes_in "$kind-saved-again"))" \
    test "$(probes_in "$kind-saved-again")" -eq 1
  qs_check "$kind: nothing on standard error" qs_quiet "$kind-saved-again"

  run_traced "$kind-unchanged" --time-versioning "$SRC" "$DST"
  qs_check "$kind: an unchanged rerun skips every file" \
    qs_summary_is "$kind-unchanged" "0 copied, 0 updated, 5 skipped, 0 failed, 0"
  # A copy newer than its source is what a target that dates copies itself shows: that alone
  # makes a run learn whether the volume keeps times.
  qs_check "$kind: it probes the volume once, for the copy newer than its source ($(probes_in "$kind-unchanged"))" \
    test "$(probes_in "$kind-unchanged")" -eq 1
  touch -d @1600000005 "$DST/older.txt"  # as new as its source now
  run_traced "$kind-alike" --time-versioning "$SRC" "$DST"
  qs_check "$kind: a rerun with every copy as new as its source skips every file" \
    qs_summary_is "$kind-alike" "0 copied, 0 updated, 5 skipped, 0 failed, 0"
  qs_check "$kind: and never probes the volume ($(probes_in "$kind-alike"))" \
    test "$(probes_in "$kind-alike")" -eq 0
done

# 3. Coarse volumes: copies carry their sources' times cut down to the volume's step.
SRC=$WORK/src-coarse
put "$SRC/even.txt" "even second" 1600000000.000000000
put "$SRC/odd.txt" "odd second" 1600000001.000000000
put "$SRC/half.txt" "and a half" 1600000002.500000000
put "$SRC/late.txt" "just before the next" 1600000003.999999999
put "$SRC/sub/now.txt" "written now" "$(date +%s.%N)"
for kind in fat32 exfat; do
  qs_run "$kind-first" "$SRC" "$WORK/$kind/dst"
  qs_check "$kind: the first run copies every file" \
    qs_summary_is "$kind-first" "5 copied, 0 updated, 0 skipped, 0 failed, 0"
  qs_check "$kind: exit status 0" qs_status_is 0
done
settle
for kind in fat32 exfat; do
  DST=$WORK/$kind/dst
  step=$(kept_step "$WORK/$kind/probe")
  wrong=0
  for rel in even.txt odd.txt half.txt late.txt sub/now.txt; do
    if [ "$(stat -c %Y "$DST/$rel")" != "$(cut_down "$(stat -c %.9Y "$SRC/$rel")" "$step")" ]; then
      echo "    $rel: copy $(stat -c %.9Y "$DST/$rel"), source $(stat -c %.9Y "$SRC/$rel")"
      wrong=$((wrong + 1))
    fi
  done
  qs_check "$kind: each copy keeps its source's time, cut down to $step ns" test "$wrong" -eq 0

  run_traced "$kind-unchanged" --time-versioning "$SRC" "$DST"
  qs_check "$kind: an unchanged rerun copies nothing and versions nothing" \
    qs_summary_is "$kind-unchanged" "0 copied, 0 updated, 5 skipped, 0 failed, 0"
  qs_check "$kind: no version folder is made" test -z "$(find "$DST" -maxdepth 1 -name 'backup_*')"
  qs_check "$kind: the volume is probed once for all five copies ($(probes_in "$kind-unchanged"))" \
    test "$(probes_in "$kind-unchanged")" -eq 1
  qs_check "$kind: exit status 0 on the rerun" qs_status_is 0
done

# A real change: four seconds later, beyond either step.
settle
cp -p "$SRC/odd.txt" "$WORK/odd.old"
cp -p "$SRC/late.txt" "$WORK/late.old"
put "$SRC/odd.txt" "odd second, changed" 1600000005.000000000
put "$SRC/late.txt" "just before the next, changed" 1600000007.999999999
for kind in fat32 exfat; do
  DST=$WORK/$kind/dst
  qs_run "$kind-changed" --time-versioning "$SRC" "$DST"
  qs_check "$kind: the two changed files are updated and their old copies kept" \
    qs_summary_is "$kind-changed" "0 copied, 2 updated, 3 skipped, 0 failed, 2"
  qs_check "$kind: the updates hold the new data" \
    bash -c 'cmp -s "$1/odd.txt" "$2/odd.txt" && cmp -s "$1/late.txt" "$2/late.txt"' _ "$SRC" "$DST"
  qs_check "$kind: the saved versions hold the old data" \
    bash -c 'cmp -s "$1"/backup_*/odd.txt "$2/odd.old" && cmp -s "$1"/backup_*/late.txt "$2/late.old"' \
    _ "$DST" "$WORK"
  qs_check "$kind: exit status 0" qs_status_is 0
done

qs_finish
