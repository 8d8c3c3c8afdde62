#!/usr/bin/env bash
# Peak memory (max RSS, from /usr/bin/time -v) of quillstone-run on a tree of
# many empty files: first backup, then a rerun with no change. Makes the tree
# below $QS_BENCH_DIR and deletes it afterwards.
# Usage: bash bench/memory.sh [FILES]     (default 1000000; --quick = 20000)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

FILES=${QS_MEM_FILES:-1000000}
case ${1:-} in
  "") ;;
  --quick) FILES=20000 ;;
  *[!0-9]* | 0) die "usage: bash bench/memory.sh [FILES|--quick]" ;;
  *) FILES=$1 ;;
esac
DIRS=$((FILES / 25 > 0 ? FILES / 25 : 1))
ROOT=$WORK/memory
TIMING=$WORK/memory-time.txt

# measure LABEL SRC DST NFILES: runs the runner under /usr/bin/time -v, prints a
# table row and leaves the peak RSS in KiB in ROW_KIB.
measure() {
  local label=$1 src=$2 dst=$3 nfiles=$4 rc=0 wall
  /usr/bin/time -v -o "$TIMING" "$QS_RUN" "$src" "$dst" >/dev/null || rc=$?
  ((rc == 0)) || die "$label: quillstone-run exit status $rc ($(tail -3 "$TIMING"))"
  ROW_KIB=$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$TIMING")
  wall=$(awk -F': ' '/Elapsed \(wall clock\)/ { print $2 }' "$TIMING")
  awk -v l="$label" -v w="$wall" -v k="$ROW_KIB" -v n="$nfiles" 'BEGIN {
    printf "%-26s %10s %13.1f %11s\n", l, w, k / 1024, n ? sprintf("%.0f", k * 1024 / n) : "-" }'
}

main() {
  bench_needs time
  resolve_runner
  build_floor
  if [[ -e $ROOT ]]; then die "$ROOT exists: remove the leftovers of an earlier run first"; fi
  trap 'rm -rf -- "$ROOT"' EXIT
  mkdir -p "$ROOT/empty" "$ROOT/empty-target" "$ROOT/target"
  log "generating $FILES empty files in $DIRS leaf directories"
  gen_tree tiny "$ROOT/source" --count "$FILES" --dirs "$DIRS"
  sync
  echo "Quillstone peak memory, $FILES empty files in $DIRS leaf directories (runner: $QS_RUN)"
  printf '%-26s %10s %13s %11s\n' run wall "peak RSS MiB" bytes/file
  measure "empty source (baseline)" "$ROOT/empty" "$ROOT/empty-target" 0
  local base=$ROW_KIB
  measure "first backup" "$ROOT/source" "$ROOT/target" "$FILES"
  local first=$ROW_KIB
  verify_copy "$ROOT/source" "$ROOT/target" "first backup"
  measure "rerun, no change" "$ROOT/source" "$ROOT/target" "$FILES"
  local rerun=$ROW_KIB
  awk -v b="$base" -v f="$first" -v r="$rerun" -v n="$FILES" 'BEGIN {
    printf "above the baseline: first backup %.0f bytes/file, rerun %.0f bytes/file\n",
      (f - b) * 1024 / n, (r - b) * 1024 / n }'
  log "deleting $ROOT"
  rm -rf -- "$ROOT"
}

main
