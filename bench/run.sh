#!/usr/bin/env bash
# Times quillstone-run beside rsync, cp, the floor program (floor.c) and cat on
# generated trees, and prints medians with their spread and ratios.
# Usage: bash bench/run.sh [--quick]      (knobs: bench/README.md)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

# ---- settings ----------------------------------------------------------------

QUICK=${QS_BENCH_QUICK:-0}
case $# in
  0) ;;
  1) [[ $1 == --quick ]] || die "usage: bash bench/run.sh [--quick]"; QUICK=1 ;;
  *) die "usage: bash bench/run.sh [--quick]" ;;
esac
if ((QUICK)); then
  SMALL_FILES=2000 SMALL_DIRS=80 TOUCH_FILES=20 LARGE_MIB=4 DEFAULT_REPS=3 DEFAULT_SETTLE=0
else
  SMALL_FILES=50000 SMALL_DIRS=2000 TOUCH_FILES=500 LARGE_MIB=128 DEFAULT_REPS=5 DEFAULT_SETTLE=65
fi
LARGE_FILES=8
REPS=${QS_BENCH_REPS:-$DEFAULT_REPS}
SETTLE=${QS_BENCH_SETTLE:-$DEFAULT_SETTLE}
SHM_EXTRA_MIB=${QS_BENCH_SHM_EXTRA_MIB:-512}
SCENARIOS=${QS_BENCH_SCENARIOS:-1 2 3 4}
SMALL_SRC=$WORK/src-small
LARGE_SRC=$WORK/src-large
CSV=$WORK/last-run.csv
REPORT=$WORK/last-run.txt

# QS_RUN_BASELINE, when set, names an earlier runner timed beside this one.
BASELINE=${QS_RUN_BASELINE:-}
COMMANDS=(quillstone rsync cp cpsync floor floorsafe cat catsync)
[[ -n $BASELINE ]] && COMMANDS+=(baseline)
declare -A LABEL=([quillstone]=quillstone-run [rsync]="rsync -a" [cp]="cp -a [-u]"
                  [cpsync]="cp -a [-u]; sync" [floor]=floor [floorsafe]="floor --safe"
                  [cat]=cat [catsync]="cat; sync" [baseline]="baseline runner")
declare -A TITLE=(
  [1]="1 first backup, $SMALL_FILES small files"
  [2]="2 rerun, no change"
  [3]="3 rerun, $TOUCH_FILES files changed"
  [4]="4 first backup, $LARGE_FILES x $LARGE_MIB MiB")
declare -A TIMES=()

# ---- the commands timed: cmd_NAME MODE SRC DST, MODE = first|nochange|touched ---

cmd_quillstone() { "$QS_RUN" "$2" "$3" >/dev/null; }
cmd_rsync() { rsync -a "$2/" "$3/"; }
cmd_cp() {
  if [[ $1 == first ]]; then cp -a "$2/." "$3/"; else cp -a -u "$2/." "$3/"; fi
}
cmd_floor() {
  if [[ $1 == nochange ]]; then "$FLOOR" --stat-walk "$2" "$3" 2>/dev/null
  else "$FLOOR" "$2" "$3" 2>/dev/null; fi
}
# The floor with safe copies: what writing through a temporary file costs by itself.
cmd_floorsafe() { "$FLOOR" --safe "$2" "$3" 2>/dev/null; }
cmd_cat() {
  local f
  for f in "$2"/*; do cat "$f" >"$3/${f##*/}" || return 1; done
}
# The yardsticks made durable, as quillstone-run's copies are when it says it is done.
cmd_cpsync() { cmd_cp "$@" && sync; }
cmd_catsync() { cmd_cat "$@" && sync; }
cmd_baseline() { "$BASELINE" "$2" "$3" >/dev/null; }

# ---- measurement hygiene -----------------------------------------------------

# Start settled: an earlier run or clean-up may have just deleted big trees.
PENDING_SETTLE=1
TRASH=$WORK/trash
DEFER_DELETE=${QS_BENCH_DEFER_DELETE:-1}

# Deleting a tree makes the file system discard its blocks for a while after, which slows
# every creation that follows (by several times, even after a minute). By default trees are
# moved aside (a rename, no discard) and deleted only when the bench is done.
remove_tree() {
  if ((DEFER_DELETE)); then
    mkdir -p -- "$TRASH"
    mv -- "$1" "$(mktemp -u -p "$TRASH")"
    return
  fi
  rm -rf -- "$1"
  sync
  PENDING_SETTLE=1
}

settle() {
  ((PENDING_SETTLE)) || return 0
  sync
  if ((SETTLE > 0)); then log "settling ${SETTLE}s after a deletion"; sleep "$SETTLE"; fi
  PENDING_SETTLE=0
}

# timed_run SCENARIO CMD MODE SRC DST: one timed run, recorded in TIMES and the CSV.
timed_run() {
  local scen=$1 cmd=$2 mode=$3 src=$4 dst=$5 t0 t1 secs rc=0
  settle
  warm_cache "$src"
  press_memory
  # Nothing an earlier command left unwritten may be paid for by this one: a command that
  # flushes (quillstone-run, "cp; sync") would otherwise write the others' data too.
  sync
  t0=$EPOCHREALTIME
  "cmd_$cmd" "$mode" "$src" "$dst" || rc=$?
  t1=$EPOCHREALTIME
  ((rc == 0)) || die "$cmd failed ($mode, scenario $scen) with exit status $rc"
  secs=$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.6f", b - a }')
  TIMES[$scen|$cmd]+="$secs "
  echo "$scen,$cmd,$secs" >>"$CSV"
  log "  scenario $scen $cmd: $secs s"
}

# ---- scenarios ---------------------------------------------------------------

# first_backup SCENARIO CMD SRC DST: into a new empty target; SCENARIO "" = warm-up.
first_backup() {
  local scen=$1 cmd=$2 src=$3 dst=$4
  mkdir -- "$dst"
  if [[ -n $scen ]]; then timed_run "$scen" "$cmd" first "$src" "$dst"
  else "cmd_$cmd" first "$src" "$dst" || die "$cmd failed (warm-up)"; fi
  verify_copy "$src" "$dst" "$cmd"
  remove_tree "$dst"
}

scenario_first() {
  local scen=$1 src=$2 cmd rep
  shift 2
  log "scenario $scen: ${TITLE[$scen]}: warm-up runs"
  settle
  for cmd in "$@"; do first_backup "" "$cmd" "$src" "$WORK/target-warmup-$cmd"; done
  for ((rep = 0; rep < REPS; rep++)); do
    for cmd in $(rotated "$rep" "$@"); do
      first_backup "$scen" "$cmd" "$src" "$WORK/target-$scen-$rep-$cmd"
    done
  done
}

# Each command makes its own complete target with a first run (not timed).
prepare_targets() {
  local src=$1 cmd
  shift
  for cmd in "$@"; do
    if [[ -d $WORK/target-$cmd ]]; then continue; fi
    log "preparing the target of $cmd"
    mkdir -- "$WORK/target-$cmd"
    "cmd_$cmd" first "$src" "$WORK/target-$cmd" || die "$cmd failed (preparing)"
    verify_copy "$src" "$WORK/target-$cmd" "$cmd"
  done
}

# scenario_rerun SCENARIO MODE SRC CMD...: reruns into each command's own complete target;
# MODE touched rewrites the same files before every run, nochange leaves the tree alone.
scenario_rerun() {
  local scen=$1 mode=$2 src=$3 cmd rep
  shift 3
  log "scenario $scen: ${TITLE[$scen]}"
  prepare_targets "$src" "$@"
  for ((rep = 0; rep < REPS; rep++)); do
    for cmd in $(rotated "$rep" "$@"); do
      if [[ $mode == touched ]]; then touch_and_check "$src" "$WORK/target-$cmd" "$TOUCH_FILES"; fi
      timed_run "$scen" "$cmd" "$mode" "$src" "$WORK/target-$cmd"
      verify_copy "$src" "$WORK/target-$cmd" "$cmd"
    done
  done
}

wants() { [[ " $SCENARIOS " == *" $1 "* ]]; }

# How many settle waits the chosen scenarios make (one per timed first backup,
# one before the reruns, one before the large tree's warm-up runs).
settle_count() {
  local count=1
  if ((DEFER_DELETE)); then echo 1; return; fi
  if wants 1; then count=$((count + 5 * REPS)); fi
  if wants 2 || wants 3; then count=$((count + 1)); fi
  if wants 4; then count=$((count + 5 * REPS + 1)); fi
  echo "$count"
}

run_small_scenarios() {
  local cmds=(quillstone rsync cp cpsync floor)
  [[ -n $BASELINE ]] && cmds+=(baseline)
  wants 1 || wants 2 || wants 3 || return 0
  log "generating $SMALL_FILES files in $SMALL_SRC"
  gen_tree small "$SMALL_SRC" --count "$SMALL_FILES" --dirs "$SMALL_DIRS"
  sync
  TREE_MIB=$(du -sm "$SMALL_SRC" | cut -f1)
  if wants 1; then scenario_first 1 "$SMALL_SRC" "${cmds[@]}" floorsafe; fi
  if wants 2; then scenario_rerun 2 nochange "$SMALL_SRC" "${cmds[@]}"; fi
  if wants 3; then scenario_rerun 3 touched "$SMALL_SRC" "${cmds[@]}"; fi
  local cmd
  for cmd in "${cmds[@]}"; do
    if [[ -d $WORK/target-$cmd ]]; then remove_tree "$WORK/target-$cmd"; fi
  done
  remove_tree "$SMALL_SRC"
}

run_large_scenario() {
  wants 4 || return 0
  log "generating $LARGE_FILES files of $LARGE_MIB MiB in $LARGE_SRC"
  gen_tree large "$LARGE_SRC" --count "$LARGE_FILES" --size-mib "$LARGE_MIB"
  sync
  TREE_MIB=$(du -sm "$LARGE_SRC" | cut -f1)
  local cmds=(quillstone rsync cp floor cat catsync)
  [[ -n $BASELINE ]] && cmds+=(baseline)
  scenario_first 4 "$LARGE_SRC" "${cmds[@]}"
  remove_tree "$LARGE_SRC"
}

# ---- report ------------------------------------------------------------------

print_times() {
  local scen cmd m lo hi
  printf '%-36s' "seconds: median [min-max]"
  for cmd in "${COMMANDS[@]}"; do printf ' %-21s' "${LABEL[$cmd]}"; done
  printf '\n'
  for scen in $SCENARIOS; do
    printf '%-36s' "${TITLE[$scen]}"
    for cmd in "${COMMANDS[@]}"; do
      if [[ -n ${TIMES[$scen|$cmd]:-} ]]; then
        read -r m lo hi <<<"$(stats "${TIMES[$scen|$cmd]}")"
        printf ' %-21s' "$m [$lo-$hi]"
      else printf ' %-21s' "-"; fi
    done
    printf '\n'
  done
}

print_ratios() {
  local scen cmd q o
  printf '%-36s' "ratio of medians"
  local others=(rsync cp cpsync floor cat catsync)
  [[ -n $BASELINE ]] && others+=(baseline)
  for cmd in "${others[@]}"; do printf ' %-17s' "quillstone/$cmd"; done
  printf '\n'
  for scen in $SCENARIOS; do
    printf '%-36s' "${TITLE[$scen]}"
    q=$(median "${TIMES[$scen|quillstone]:-}")
    for cmd in "${others[@]}"; do
      if [[ -n ${TIMES[$scen|$cmd]:-} ]]; then
        o=$(median "${TIMES[$scen|$cmd]}")
        printf ' %-17s' "$(awk -v q="$q" -v o="$o" \
          'BEGIN { if (o > 0) printf "%.2f", q / o; else printf "n/a" }')"
      else printf ' %-17s' "-"; fi
    done
    printf '\n'
  done
  if [[ -n ${TIMES[1|floorsafe]:-} ]]; then
    printf 'cost of safe copies (floor --safe / floor, scenario 1): %s\n' "$(awk \
      -v s="$(median "${TIMES[1|floorsafe]}")" -v f="$(median "${TIMES[1|floor]}")" \
      'BEGIN { printf "%.2f", s / f }')"
  fi
}

print_header() {
  echo "Quillstone bench $(date -u +%Y-%m-%dT%H:%M:%SZ)$( ((QUICK)) && echo ' (quick mode)')"
  echo "runner:   $QS_RUN"
  echo "machine:  $(uname -sr), $(nproc) CPUs, $(free -g | awk '/^Mem:/ { print $2 }') GiB RAM"
  echo "work dir: $WORK on $(findmnt -no SOURCE,FSTYPE,OPTIONS -T "$WORK" | tr -s ' ')"
  echo "tools:    $(first_line rsync --version | tr -s ' '); $(first_line cp --version)"
  echo "runs:     $REPS per command, round-robin; settle ${SETTLE}s after deletions;" \
       "page cache warmed; ${SHM_EXTRA_MIB} MiB + tree written to and freed from /dev/shm before each run"
}

print_notes() {
  cat <<EOF
notes: first backups go into a new empty target each run (deleting it is not timed).
  rsync -a copies when size or mtime differ in either direction (not only newer);
  here that selects the same files as quillstone-run's rule. cp runs as cp -a for
  first backups and cp -a -u for reruns. floor is bench/floor.c (one thread,
  copy_file_range, in place); in scenario 2 it runs as --stat-walk. cat (scenario 4)
  copies bytes only: cat src >dst per file. In scenario 3 the same $TOUCH_FILES files
  are rewritten before each run. Raw times: $CSV
EOF
}

# On an early exit, leave no big trees behind.
cleanup() {
  rm -rf -- "$SMALL_SRC" "$LARGE_SRC" "$WORK"/target-* "$TRASH" "/dev/shm/qs-bench-fill.$$"
}

main() {
  bench_needs rsync procps
  resolve_runner
  mkdir -p "$WORK"
  for d in "$SMALL_SRC" "$LARGE_SRC" "$WORK"/target-* "$TRASH"; do
    if [[ -e $d ]]; then die "$d exists: remove the leftovers of an earlier run first"; fi
  done
  build_floor
  trap cleanup EXIT
  : >"$CSV"
  log "runner $QS_RUN; $REPS runs per command; settle ${SETTLE}s; scenarios: $SCENARIOS"
  log "settle waits alone will take about $(($(settle_count) * SETTLE / 60)) min"
  run_small_scenarios
  run_large_scenario
  { print_header; echo; print_times; echo; print_ratios; echo; print_notes; } | tee "$REPORT"
}

main
