#!/usr/bin/env bash
# SIGKILL during --prune-versions, at several points of the removal: as soon as a folder is
# set aside, in the middle of a later folder, and while the next prune finishes what the
# last one left. Every kept folder must survive whole, every backup_* folder still there
# must be complete (byte for byte what was made), a half-removed folder is never taken for a
# version, and a rerun finishes the job and removes the leftovers.
source "$(dirname "$0")/lib.sh"
qs_require_tool strace strace

# Each removal of a name is held back a little, so that the kills land inside the removal
# even on a fast disk. LeakSanitizer cannot work under ptrace.
SLOW_REMOVAL=(env "ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
  strace -f -qq -o /dev/null -e trace=unlink,unlinkat,rmdir
  -e inject=unlink:delay_enter=3000 -e inject=unlinkat:delay_enter=3000
  -e inject=rmdir:delay_enter=3000 --)

TARGET=$WORK/target
REF=$WORK/ref
mkdir -p "$TARGET" "$REF"
STAMPS=()
for day in $(seq -w 1 30); do STAMPS+=("202611${day}_120000"); done
for day in 01 02 03 04 05; do STAMPS+=("202612${day}_120000"); done
KEEP=5
KEPT=("${STAMPS[@]: -$KEEP}")
for stamp in "${STAMPS[@]}"; do
  dir=$TARGET/backup_$stamp
  mkdir -p "$dir/notes/old"
  printf 'Time Version Backup\nCreated: %s\n' "$stamp" >"$dir/README.txt"
  for i in $(seq 1 40); do head -c 1024 /dev/urandom >"$dir/notes/f$i.bin"; done
  for i in $(seq 1 20); do head -c 512 /dev/urandom >"$dir/notes/old/g$i.bin"; done
  head -c 4096 /dev/urandom >"$dir/plan.txt"
  cp -a "$dir" "$REF/"
done
# The current tree, and folders that only look like version folders: never touched.
echo current >"$TARGET/plan.txt"
mkdir -p "$TARGET/backup_20200101_000000" "$TARGET/sub/backup_20190101_000000"
echo "no readme" >"$TARGET/backup_20200101_000000/data.txt"
echo "Time Version Backup" >"$TARGET/sub/backup_20190101_000000/README.txt"
cp -a "$TARGET/plan.txt" "$TARGET/backup_20200101_000000" "$TARGET/sub" "$REF/"
mv "$REF/backup_20200101_000000" "$REF/lookalike"


versions_left() { find "$TARGET" -mindepth 1 -maxdepth 1 -name 'backup_2026*' | wc -l; }
asides() { find "$TARGET" -mindepth 1 -maxdepth 1 -name '.qs-removing-*' | wc -l; }
# Files left in the aside folders.
aside_files() { find "$TARGET" -mindepth 2 -path "$TARGET/.qs-removing-*" -type f | wc -l; }

# kill_when NAME CONDITION: starts a slowed prune and kills it with SIGKILL as soon as the
# function CONDITION holds. Sets KILL_RC (137 when the kill ended it) and CAUGHT.
kill_when() {
  local name=$1 condition=$2 pid runner
  CAUGHT=false
  "${SLOW_REMOVAL[@]}" timeout -k 5 "$QS_RUN_LIMIT" "$QS_RUNNER" --prune-versions \
    --keep-last "$KEEP" "$TARGET" >"$WORK/$name.out" 2>&1 &
  pid=$!
  QS_PIDS+=("$pid")
  if runner=$(qs_find_runner "$pid"); then
    for _ in $(seq 1 20000); do
      kill -0 "$runner" 2>/dev/null || break
      if "$condition"; then
        kill -9 "$runner"
        CAUGHT=true
        break
      fi
      sleep 0.002
    done
  fi
  set +e
  { wait "$pid"; } 2>/dev/null
  KILL_RC=$?
  set -e
  echo "--- $name: killed=$CAUGHT, exit status $KILL_RC, $(versions_left) version folders" \
    "and $(asides) set aside ($(aside_files) files in them)"
}

check_kill() {
  qs_check "$1: the kill landed during the removal" $CAUGHT
  qs_check "$1: the runner died of the kill (137)" [ "$KILL_RC" -eq 137 ]
}

# Every backup_* folder directly in the target is whole, and every kept one is there.
check_state() {
  local name=$1 dir stamp whole=true kept=true
  for dir in "$TARGET"/backup_2026*; do
    diff -r -x .quillstone "$dir" "$REF/$(basename "$dir")" >/dev/null || { echo "    not whole: $dir"; whole=false; }
  done
  for stamp in "${KEPT[@]}"; do
    diff -r -x .quillstone "$TARGET/backup_$stamp" "$REF/backup_$stamp" >/dev/null || kept=false
  done
  qs_check "$name: every version folder left is whole" $whole
  qs_check "$name: every kept version folder is there, whole" $kept
  qs_check "$name: the current tree and the look-alikes are untouched" \
    diff -r -x .quillstone "$TARGET/backup_20200101_000000" "$REF/lookalike"
  qs_check "$name: ... and the nested one" diff -r -x .quillstone "$TARGET/sub" "$REF/sub"
  qs_check "$name: ... and the current file" cmp -s "$TARGET/plan.txt" "$REF/plan.txt"
}

# What a later prune or listing makes of a half-removed folder: never a version.
check_leftovers_not_counted() {
  local name=$1 expected
  qs_run "$name-dry" --prune-versions --dry-run --keep-last "$KEEP" "$TARGET"
  expected=$(($(versions_left) - KEEP))
  qs_check "$name: a dry run lists only whole folders as versions to remove" \
    [ "$(grep -c '] Version folder would be removed: ' "$WORK/$name-dry.out")" -eq "$expected" ]
  qs_check "$name: ... never a set-aside one" \
    qs_log_lacks "$name-dry" "Version folder would be removed: $TARGET/.qs"
  if [ "$(asides)" -gt 0 ]; then
    qs_check "$name: ... which it names as a leftover to finish" \
      qs_log_has "$name-dry" "Leftover of an interrupted removal would be removed: $TARGET/.qs-removing-"
  fi
  qs_run "$name-versions" --versions "$TARGET" plan.txt
  qs_check "$name: --versions lists the current copy and the whole folders only" \
    [ "$(wc -l <"$WORK/$name-versions.out")" -eq $(($(versions_left) + 1)) ]
  qs_check "$name: ... not a set-aside one" qs_log_lacks "$name-versions" ".qs-removing"
}

# 1. In the middle of a folder: once the files of three folders and ten more are gone, however
# the removal goes about it.
all_files() { find "$TARGET" -type f | wc -l; }
BEFORE=$(all_files)
mid_folder() { [ "$(all_files)" -le $((BEFORE - 3 * 62 - 10)) ]; }
kill_when mid-folder mid_folder
check_kill mid-folder
check_state mid-folder
qs_check "mid-folder: it was cut short inside a folder" [ "$(aside_files)" -gt 0 ]
check_leftovers_not_counted mid-folder

# 2. As soon as the next prune sets its first folder aside (after the last one's leftover).
VERSIONS=$(versions_left)
one_set_aside() { [ "$(versions_left)" -lt "$VERSIONS" ]; }
kill_when first-aside one_set_aside
check_kill first-aside
check_state first-aside
check_leftovers_not_counted first-aside

# 3. While the next prune finishes the leftover of the last one.
LEFT=$(aside_files)
fewer_aside_files() { [ "$(aside_files)" -lt "$LEFT" ]; }
kill_when finishing fewer_aside_files
check_kill finishing
check_state finishing
check_leftovers_not_counted finishing

# 4. A rerun, unhindered, finishes the job.
qs_run rerun --prune-versions --keep-last "$KEEP" "$TARGET"
qs_check "rerun: succeeds" qs_status_is 0
qs_check "rerun: nothing on standard error" qs_quiet rerun
qs_check "rerun: only the kept folders are left" [ "$(versions_left)" -eq "$KEEP" ]
qs_check "rerun: no folder is left set aside" [ "$(asides)" -eq 0 ]
qs_check "rerun: it said it finished the leftover" \
  qs_log_has rerun "] Leftover of an interrupted removal removed: $TARGET/.qs-removing-"
check_state rerun
qs_run again --prune-versions --keep-last "$KEEP" "$TARGET"
qs_check "again: nothing more to remove" qs_log_has again "] Pruning completed: 0 removed, 0 failed."

[ -n "${QS_KEEP_WORK:-}" ] && cp -r "$WORK" "$QS_KEEP_WORK"
qs_finish
