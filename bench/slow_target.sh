#!/usr/bin/env bash
# Times quillstone-run beside rsync -a and cp -a on a slow target: bench/slowfs over a
# directory of $QS_BENCH_DIR, every request answered 1 ms late, as a NAS or a slow USB disk
# would. Small files: a first backup, an unchanged rerun and a rerun with 1% changed.
# Usage: bash bench/slow_target.sh [--quick]      (knobs: bench/README.md)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

# ---- settings ----------------------------------------------------------------

QUICK=${QS_BENCH_QUICK:-0}
case $# in
  0) ;;
  1) [[ $1 == --quick ]] || die "usage: bash bench/slow_target.sh [--quick]"; QUICK=1 ;;
  *) die "usage: bash bench/slow_target.sh [--quick]" ;;
esac
if ((QUICK)); then FILES=2000; else FILES=5000; fi
DIRS=$((FILES / 25))
TOUCH_FILES=$((FILES / 100))
REPS=${QS_BENCH_REPS:-3}
DELAY_US=${QS_SLOW_DELAY_US:-1000}
SHM_EXTRA_MIB=${QS_BENCH_SHM_EXTRA_MIB:-512}
SRC=$WORK/slow-src
MNT=$WORK/slow-mnt
TRASH=$WORK/slow-trash
SLOWFS=$WORK/slowfs
SLOWFS_LOG=$WORK/slowfs.log
CSV=$WORK/last-slow-target.csv
REQUEST_LOG=$WORK/last-slow-target-requests.txt
REPORT=$WORK/last-slow-target.txt
SLOWFS_PID=

COMMANDS=(quillstone rsync cp)
declare -A LABEL=([quillstone]=quillstone-run [rsync]="rsync -a" [cp]="cp -a [-u]")
declare -A TITLE=(
  [1]="1 first backup, $FILES files"
  [2]="2 rerun, no change"
  [3]="3 rerun, $TOUCH_FILES files changed")
SCENARIOS="1 2 3"
declare -A TIMES=() REQUESTS=()

# ---- the commands timed: cmd_NAME MODE SRC DST, MODE = first|nochange|touched ---

cmd_quillstone() { "$QS_RUN" "$2" "$3" >/dev/null; }
cmd_rsync() { rsync -a "$2/" "$3/"; }
cmd_cp() {
  if [[ $1 == first ]]; then cp -a "$2/." "$3/"; else cp -a -u "$2/." "$3/"; fi
}

# ---- the slow target ---------------------------------------------------------

build_slowfs() {
  # shellcheck disable=SC2046 # pkg-config prints several words
  cc -O2 -Wall -Wextra -o "$SLOWFS" "$BENCH_SRC_DIR"/slowfs/*.c $(pkg-config --cflags --libs fuse3)
}

# From the mount table, so that the check sends the file system no request.
is_mounted() { awk -v m="$MNT" '$5 == m { found = 1 } END { exit !found }' /proc/self/mountinfo; }

# mount_slow BACKING: BACKING appears at $MNT, every request $DELAY_US us late. A new mount
# for each run: each starts with no names or attributes cached in the kernel.
mount_slow() {
  "$SLOWFS" -f -o "default_permissions,fsname=slowfs,delay_us=$DELAY_US" "$1" "$MNT" \
    2>"$SLOWFS_LOG" &
  SLOWFS_PID=$!
  local i
  for ((i = 0; i < 1000; i++)); do
    if is_mounted; then return 0; fi
    kill -0 "$SLOWFS_PID" 2>/dev/null || break
    sleep 0.01
  done
  die "slowfs did not mount $1 at $MNT: $(cat "$SLOWFS_LOG")"
}

# Unmounts; slowfs then writes its request counts to its log and ends.
unmount_slow() {
  local i
  for ((i = 0; i < 50; i++)); do
    is_mounted || break
    fusermount3 -u "$MNT" 2>/dev/null || sleep 0.1
  done
  if is_mounted; then die "cannot unmount $MNT"; fi
  wait "$SLOWFS_PID" || die "slowfs failed: $(cat "$SLOWFS_LOG")"
  SLOWFS_PID=
}

# ---- runs --------------------------------------------------------------------

# Trees are moved aside and deleted at the end, as in run.sh: creations right after a mass
# deletion run slower on this disk.
remove_tree() {
  mkdir -p -- "$TRASH"
  mv -- "$1" "$(mktemp -u -p "$TRASH")"
}

# run_once SCENARIO CMD MODE BACKING: one run into BACKING through the slow mount, checked
# afterwards; timed and recorded unless SCENARIO is "" (a warm-up).
run_once() {
  local scen=$1 cmd=$2 mode=$3 backing=$4 t0 t1 secs requests rc=0
  warm_cache "$SRC"
  sync # what earlier runs wrote goes to the disk now, not during this run
  press_memory
  mount_slow "$backing"
  t0=$EPOCHREALTIME
  "cmd_$cmd" "$mode" "$SRC" "$MNT" || rc=$?
  t1=$EPOCHREALTIME
  unmount_slow
  ((rc == 0)) || die "$cmd failed ($mode, scenario ${scen:-warm-up}) with exit status $rc"
  verify_copy "$SRC" "$backing" "$cmd"
  [[ -n $scen ]] || return 0
  secs=$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.6f", b - a }')
  requests=$(sed -n 's/^slowfs: requests=\([0-9]*\).*/\1/p' "$SLOWFS_LOG")
  TIMES[$scen|$cmd]+="$secs "
  REQUESTS[$scen|$cmd]+="$requests "
  echo "$scen,$cmd,$secs,$requests" >>"$CSV"
  echo "$scen $cmd $(tail -1 "$SLOWFS_LOG")" >>"$REQUEST_LOG"
  log "  scenario $scen $cmd: $secs s, $requests requests"
}

# The warm-up run of each command makes the target its reruns use.
warm_up() {
  local cmd
  log "warm-up: one first backup per command, kept for its reruns"
  for cmd in "${COMMANDS[@]}"; do
    mkdir -- "$WORK/slow-target-$cmd"
    run_once "" "$cmd" first "$WORK/slow-target-$cmd"
  done
}

scenario_first() {
  local rep cmd backing
  log "scenario 1: ${TITLE[1]}"
  for ((rep = 0; rep < REPS; rep++)); do
    for cmd in $(rotated "$rep" "${COMMANDS[@]}"); do
      backing=$WORK/slow-target-1-$rep-$cmd
      mkdir -- "$backing"
      run_once 1 "$cmd" first "$backing"
      remove_tree "$backing"
    done
  done
}

# scenario_rerun SCENARIO MODE: into each command's own target; MODE touched rewrites the
# same files before every run.
scenario_rerun() {
  local scen=$1 mode=$2 rep cmd
  log "scenario $scen: ${TITLE[$scen]}"
  for ((rep = 0; rep < REPS; rep++)); do
    for cmd in $(rotated "$rep" "${COMMANDS[@]}"); do
      if [[ $mode == touched ]]; then
        touch_and_check "$SRC" "$WORK/slow-target-$cmd" "$TOUCH_FILES"
      fi
      run_once "$scen" "$cmd" "$mode" "$WORK/slow-target-$cmd"
    done
  done
}

# ---- report ------------------------------------------------------------------

ms_per_request() { awk -v d="$DELAY_US" 'BEGIN { printf "%g", d / 1000 }'; }

print_header() {
  echo "Quillstone slow-target bench $(date -u +%Y-%m-%dT%H:%M:%SZ)$( ((QUICK)) && echo ' (quick mode)')"
  echo "runner:   $QS_RUN (QS_FILE_THREADS=${QS_FILE_THREADS:-unset: one per core, 16 on a slow target})"
  echo "machine:  $(uname -sr), $(nproc) CPUs, $(free -g | awk '/^Mem:/ { print $2 }') GiB RAM"
  echo "target:   bench/slowfs, $DELAY_US us per request, a new mount per run, over" \
       "$(findmnt -no SOURCE,FSTYPE -T "$WORK" | tr -s ' ')"
  echo "source:   $FILES files of 1-16 KiB in $DIRS leaf directories, $TREE_MIB MiB" \
       "(gen_tree.py small --count $FILES --dirs $DIRS)"
  echo "tools:    $(first_line rsync --version | tr -s ' '); $(first_line cp --version)"
  echo "runs:     $REPS per command, round-robin; source cache warmed, sync and" \
       "${SHM_EXTRA_MIB} MiB + tree written to and freed from /dev/shm before each run"
}

print_times() {
  local scen cmd m lo hi
  printf '%-32s' "seconds: median [min-max]"
  for cmd in "${COMMANDS[@]}"; do printf ' %-24s' "${LABEL[$cmd]}"; done
  printf '\n'
  for scen in $SCENARIOS; do
    printf '%-32s' "${TITLE[$scen]}"
    for cmd in "${COMMANDS[@]}"; do
      read -r m lo hi <<<"$(stats "${TIMES[$scen|$cmd]}")"
      printf ' %-24s' "$m [$lo-$hi]"
    done
    printf '\n'
  done
}

print_ratios() {
  local scen cmd q
  printf '%-32s %-17s %-17s\n' "ratio of medians" quillstone/rsync quillstone/cp
  for scen in $SCENARIOS; do
    printf '%-32s' "${TITLE[$scen]}"
    q=$(median "${TIMES[$scen|quillstone]}")
    for cmd in rsync cp; do
      printf ' %-17s' "$(awk -v q="$q" -v o="$(median "${TIMES[$scen|$cmd]}")" \
        'BEGIN { if (o > 0) printf "%.2f", q / o; else printf "n/a" }')"
    done
    printf '\n'
  done
}

print_requests() {
  local scen cmd
  printf '%-32s' "requests per run (median)"
  for cmd in "${COMMANDS[@]}"; do printf ' %-24s' "${LABEL[$cmd]}"; done
  printf '\n'
  for scen in $SCENARIOS; do
    printf '%-32s' "${TITLE[$scen]}"
    for cmd in "${COMMANDS[@]}"; do
      printf ' %-24s' "$(median "${REQUESTS[$scen|$cmd]}" | awk '{ printf "%.0f", $1 }')"
    done
    printf '\n'
  done
}

print_notes() {
  cat <<EOF
notes: "requests" are those slowfs answered, each $DELAY_US us late (forget, which nobody
  waits for, not counted); the kernel keeps names and attributes for 1 s. Per kind: $REQUEST_LOG
  First backups go into a new empty target each run; reruns into the target each command's
  warm-up run made. rsync -a copies when size or mtime differ in either direction (here the
  same files as quillstone-run's rule); cp runs as cp -a, and cp -a -u for reruns. In
  scenario 3 the same $TOUCH_FILES files are rewritten before each run. Raw times: $CSV
EOF
}

summary_line() {
  printf 'slow-target: quillstone-run %s s, rsync %s s, cp %s s (unchanged rerun, %s files, %s ms per operation)\n' \
    "$(median "${TIMES[2|quillstone]}")" "$(median "${TIMES[2|rsync]}")" \
    "$(median "${TIMES[2|cp]}")" "$FILES" "$(ms_per_request)"
}

# ---- main --------------------------------------------------------------------

# On any exit: the mount goes (slowfs, started here, is stopped by its id if unmounting
# fails) and so do the trees.
cleanup() {
  if [[ -n $SLOWFS_PID ]]; then
    fusermount3 -u "$MNT" 2>/dev/null || kill "$SLOWFS_PID" 2>/dev/null || true
    wait "$SLOWFS_PID" 2>/dev/null || true
  fi
  if is_mounted; then return 0; fi # never delete below a live mount
  rm -rf -- "$SRC" "$WORK"/slow-target-* "$TRASH" "/dev/shm/qs-bench-fill.$$"
  rmdir -- "$MNT" 2>/dev/null || true
}

main() {
  bench_needs rsync procps fuse3 libfuse3-dev pkg-config
  resolve_runner
  [[ -e /dev/fuse ]] || die "needs /dev/fuse"
  mkdir -p "$WORK"
  if is_mounted; then die "$MNT is mounted: unmount it first (fusermount3 -u $MNT)"; fi
  for d in "$SRC" "$WORK"/slow-target-* "$TRASH"; do
    if [[ -e $d ]]; then die "$d exists: remove the leftovers of an earlier run first"; fi
  done
  build_floor
  build_slowfs
  trap cleanup EXIT
  mkdir -p -- "$MNT"
  : >"$CSV"
  : >"$REQUEST_LOG"
  log "runner $QS_RUN; $REPS runs per command; $DELAY_US us per request"
  log "generating $FILES files in $SRC"
  gen_tree small "$SRC" --count "$FILES" --dirs "$DIRS"
  sync
  TREE_MIB=$(du -sm "$SRC" | cut -f1)
  warm_up
  scenario_first
  scenario_rerun 2 nochange
  scenario_rerun 3 touched
  { print_header; echo; print_times; echo; print_ratios; echo; print_requests; echo
    print_notes; echo; summary_line; } | tee "$REPORT"
}

main
