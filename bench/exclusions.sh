#!/usr/bin/env bash
# Times quillstone-run's unchanged rerun of the small tree (50,000 files) with and without
# --exclude patterns that leave out half of it: the excluded half should cost next to nothing,
# so the rerun with them should take about half the time. With QS_BASE_RUN set, the rerun
# without options is also timed with that runner, to see that it has not become slower.
# Usage: bash bench/exclusions.sh [--quick]     (knobs: bench/README.md)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

QUICK=${QS_BENCH_QUICK:-0}
case $# in
  0) ;;
  1) [[ $1 == --quick ]] || die "usage: bash bench/exclusions.sh [--quick]"; QUICK=1 ;;
  *) die "usage: bash bench/exclusions.sh [--quick]" ;;
esac
if ((QUICK)); then FILES=5000; else FILES=50000; fi
DIRS=$((FILES / 25))
REPS=${QS_BENCH_REPS:-5}
SHM_EXTRA_MIB=${QS_BENCH_SHM_EXTRA_MIB:-512}
SRC=$WORK/excl-src
DST=$WORK/excl-target
REPORT=$WORK/last-exclusions.txt
CSV=$WORK/last-exclusions.csv

# The tree's leaves are dNNN/dNN/dNN, 400 to a top folder. With 2,000 leaves (five top folders)
# these leave out d000, d001 and the first ten middle folders of d002: 1,000 leaves, half.
# Other sizes: the first half of the top folders, counted below either way.
exclude_args() {
  local tops=$(((DIRS + 399) / 400)) i
  for ((i = 0; i < tops / 2; i++)); do printf -- '--exclude\n/d%03d/\n' "$i"; done
  if ((tops % 2)); then printf -- '--exclude\n/d%03d/d0?/\n' "$((tops / 2))"; fi
}

# Files below the excluded folders, by the same rule, counted with find.
excluded_count() {
  local tops=$(((DIRS + 399) / 400)) i n=0
  for ((i = 0; i < tops / 2; i++)); do
    n=$((n + $(find "$SRC/$(printf 'd%03d' "$i")" -type f | wc -l)))
  done
  if ((tops % 2)); then
    local mid=$SRC/$(printf 'd%03d' "$((tops / 2))")
    n=$((n + $(find "$mid" -path "$mid/d0?/*" -type f | wc -l)))
  fi
  echo "$n"
}

declare -A TIMES=()
COMMANDS=(plain excluded)
declare -A LABEL=([plain]="no options" [excluded]="--exclude (half the tree)" [base]="no options, QS_BASE_RUN")

run_cmd() {
  case $1 in
    plain) "$QS_RUN" "$SRC" "$DST" ;;
    excluded) mapfile -t args < <(exclude_args); "$QS_RUN" "${args[@]}" "$SRC" "$DST" ;;
    base) "$QS_BASE_RUN" "$SRC" "$DST" ;;
  esac
}

time_once() {
  local cmd=$1 t0 t1 secs rc=0
  warm_cache "$SRC"
  sync
  press_memory
  t0=$EPOCHREALTIME
  run_cmd "$cmd" >/dev/null || rc=$?
  t1=$EPOCHREALTIME
  ((rc == 0)) || die "$cmd: quillstone-run exit status $rc"
  secs=$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.6f", b - a }')
  TIMES[$cmd]+="$secs "
  echo "$cmd,$secs" >>"$CSV"
  log "  $cmd: $secs s"
}

main() {
  bench_needs
  resolve_runner
  if [[ -n ${QS_BASE_RUN:-} ]]; then
    [[ $QS_BASE_RUN == /* ]] || QS_BASE_RUN=$REPO_ROOT/$QS_BASE_RUN
    [[ -x $QS_BASE_RUN ]] || die "no runner at QS_BASE_RUN=$QS_BASE_RUN"
    COMMANDS+=(base)
  fi
  build_floor
  for d in "$SRC" "$DST"; do [[ ! -e $d ]] || die "$d exists: remove the leftovers of an earlier run first"; done
  trap 'rm -rf -- "$SRC" "$DST" "/dev/shm/qs-bench-fill.$$"' EXIT
  : >"$CSV"
  log "generating $FILES files in $SRC"
  gen_tree small "$SRC" --count "$FILES" --dirs "$DIRS"
  sync
  TREE_MIB=$(du -sm "$SRC" | cut -f1)
  local excluded
  excluded=$(excluded_count)
  log "first backup (untimed); the --exclude runs leave out $excluded of $FILES files"
  "$QS_RUN" "$SRC" "$DST" >/dev/null
  verify_copy "$SRC" "$DST" quillstone-run
  local rep cmd
  for ((rep = 0; rep < REPS; rep++)); do
    for cmd in $(rotated "$rep" "${COMMANDS[@]}"); do time_once "$cmd"; done
  done
  local plain excl
  plain=$(median "${TIMES[plain]}")
  excl=$(median "${TIMES[excluded]}")
  {
    echo "Quillstone exclusions bench $(date -u +%Y-%m-%dT%H:%M:%SZ)$( ((QUICK)) && echo ' (quick mode)')"
    echo "runner: $QS_RUN${QS_BASE_RUN:+; base: $QS_BASE_RUN}"
    echo "tree:   $FILES files of 1-16 KiB in $DIRS leaf directories, $TREE_MIB MiB; excluded: $excluded files"
    echo "runs:   $REPS per command, round-robin, unchanged rerun; source cache warmed, sync and /dev/shm write before each"
    printf '%-32s %s\n' "unchanged rerun" "seconds: median [min-max]"
    for cmd in "${COMMANDS[@]}"; do
      read -r m lo hi <<<"$(stats "${TIMES[$cmd]}")"
      printf '%-32s %s\n' "${LABEL[$cmd]}" "$m [$lo-$hi]"
    done
    awk -v e="$excl" -v p="$plain" -v x="$excluded" -v n="$FILES" 'BEGIN {
      printf "excluded/plain %.2f (files kept %.2f of the tree)\n", e / p, (n - x) / n }'
    if [[ -n ${QS_BASE_RUN:-} ]]; then
      awk -v p="$plain" -v b="$(median "${TIMES[base]}")" 'BEGIN { printf "plain/base %.3f\n", p / b }'
    fi
  } | tee "$REPORT"
}

main
