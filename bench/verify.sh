#!/usr/bin/env bash
# Times `quillstone-run --verify` (every copy read and hashed) against `cat` of the same files
# into /dev/null, on the small tree (50,000 files of 1-16 KiB) and on large files (8 x 128
# MiB), both read from the page cache: what the check adds to the reading itself. Runs are
# interleaved, QS_BENCH_REPS each (default 3). The target's record is made once by
# qs_record_of_tree (the copies' sizes, times and hashes), so that any backup's copies serve.
# Also the check's peak memory (max RSS) on the large files.
# Usage: bash bench/verify.sh [--quick]     (--quick: 5,000 files and 2 x 128 MiB)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

QUICK=0
case $# in
  0) ;;
  1) [[ $1 == --quick ]] || die "usage: bash bench/verify.sh [--quick]"; QUICK=1 ;;
  *) die "usage: bash bench/verify.sh [--quick]" ;;
esac
REPS=${QS_BENCH_REPS:-3}
if ((QUICK)); then SMALL=5000 LARGE=2; else SMALL=50000 LARGE=8; fi
bench_needs time bc
resolve_runner
RECORD_TOOL=${QS_RECORD_TOOL:-$(dirname "$QS_RUN")/qs_record_of_tree}
[[ -x $RECORD_TOOL ]] || die "no $RECORD_TOOL: cmake --build --preset linux"
REPORT=$WORK/last-verify.txt

mkdir -p "$WORK"
ROOT=$(mktemp -d "$WORK/verify-XXXXXX")
trap 'rm -rf "$ROOT"' EXIT

# seconds COMMAND...: the wall time of one run, its output dropped.
seconds() {
  local start end
  start=$(date +%s.%N)
  "$@" >/dev/null
  end=$(date +%s.%N)
  echo "$end - $start" | bc -l
}
cat_all() { find "$1" -path "$1/.quillstone" -prune -o -type f -print0 | xargs -0 -r cat >/dev/null; }
verify_all() { "$QS_RUN" --verify "$1" >"$ROOT/verify.out" || die "verify of $1 failed: $(tail -n 3 "$ROOT/verify.out")"; }

: >"$REPORT"
for kind in small large; do
  dir=$ROOT/$kind
  if [[ $kind == small ]]; then gen_tree small "$dir" --count "$SMALL" >/dev/null
  else gen_tree large "$dir" --count "$LARGE" >/dev/null; fi
  "$RECORD_TOOL" "$dir" "$dir" >/dev/null
  bytes=$(find "$dir" -path "$dir/.quillstone" -prune -o -type f -printf '%s\n' | awk '{ s += $1 } END { print s }')
  warm_cache "$dir"
  cat_times="" verify_times=""
  for ((rep = 0; rep < REPS; rep++)); do
    for tool in $(rotated "$rep" cat verify); do
      if [[ $tool == cat ]]; then cat_times+=" $(seconds cat_all "$dir")"
      else verify_times+=" $(seconds verify_all "$dir")"; fi
    done
  done
  c=$(median "$cat_times")
  v=$(median "$verify_times")
  mib=$(echo "$bytes / 1048576" | bc -l)
  printf '%s: %d MiB in %s files; cat %.3f s [%s] (%.0f MiB/s), verify %.3f s [%s] (%.0f MiB/s), verify/cat %.2f\n' \
    "$kind" "$(printf '%.0f' "$mib")" "$(find "$dir" -path "$dir/.quillstone" -prune -o -type f -print | wc -l)" \
    "$c" "$(stats "$cat_times")" "$(echo "$mib / $c" | bc -l)" "$v" "$(stats "$verify_times")" \
    "$(echo "$mib / $v" | bc -l)" "$(echo "$v / $c" | bc -l)" | tee -a "$REPORT"
  if [[ $kind == large ]]; then
    /usr/bin/time -v "$QS_RUN" --verify "$dir" >/dev/null 2>"$ROOT/time.txt"
    printf 'large: verify max RSS %s KiB\n' "$(awk -F': ' '/Maximum resident/ { print $2 }' "$ROOT/time.txt")" | tee -a "$REPORT"
  fi
  rm -rf "$dir"
done
