#!/bin/bash
# What keeping the record costs: the first backup and the unchanged rerun of the small tree
# (50,000 files), timed interleaved against a runner built without the record, then the
# record's size after many unchanged reruns and after many runs changing 1 % of the files.
#
#   QS_OLD_RUN=/path/to/older/quillstone-run bash bench/record.sh [--quick]
#
# --quick: 5,000 files, 3 timed runs, 10 runs for each size figure.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

NEW_RUN=${QS_RUN:-$REPO_ROOT/build/linux/quillstone-run}
OLD_RUN=${QS_OLD_RUN:?set QS_OLD_RUN to the runner to compare with}
FILES=50000 DIRS=2000 REPS=5 SIZE_RUNS=100
if [[ ${1:-} == --quick ]]; then FILES=5000 DIRS=200 REPS=3 SIZE_RUNS=10; fi
bench_needs

SRC=$WORK/record-src
trap 'rm -rf "$WORK"/record-*' EXIT
rm -rf "$WORK"/record-*
mkdir -p "$WORK"
gen_tree small "$SRC" --count "$FILES" --dirs "$DIRS"
sync

# timed RUNNER TARGET: seconds of one backup, its log thrown away; fails on a failed run.
timed() {
  local start end
  start=$(date +%s.%N)
  "$1" "$SRC" "$2" >/dev/null 2>&1 || die "$1 failed"
  end=$(date +%s.%N)
  echo "$end - $start" | bc -l
}

declare -A first rerun
for ((rep = 0; rep < REPS; rep++)); do
  for which in $(rotated "$rep" old new); do
    runner=$OLD_RUN
    [[ $which == new ]] && runner=$NEW_RUN
    target=$WORK/record-target-$which
    rm -rf "$target"
    sync
    warm_cache "$SRC"
    first[$which]+="$(timed "$runner" "$target") "
    rerun[$which]+="$(timed "$runner" "$target") "
  done
done
for which in old new; do
  log "$which: first backup $(stats "${first[$which]}"), unchanged rerun $(stats "${rerun[$which]}")"
done
ratio() { echo "scale=3; $(median "$1") / $(median "$2")" | bc -l; }
log "new/old: first backup $(ratio "${first[new]}" "${first[old]}")x," \
  "unchanged rerun $(ratio "${rerun[new]}" "${rerun[old]}")x"

journal=$WORK/record-target-new/.quillstone/journal
base=$(stat -c %s "$journal")
for ((i = 0; i < SIZE_RUNS; i++)); do "$NEW_RUN" "$SRC" "$WORK/record-target-new" >/dev/null; done
after_unchanged=$(stat -c %s "$journal")
for ((i = 0; i < SIZE_RUNS; i++)); do
  gen_tree touch "$SRC" --count $((FILES / 100))
  "$NEW_RUN" "$SRC" "$WORK/record-target-new" >/dev/null
done
after_changed=$(stat -c %s "$journal")
log "record: $base bytes after 2 runs; +$((after_unchanged - base)) after $SIZE_RUNS unchanged" \
  "reruns ($(((after_unchanged - base) / SIZE_RUNS)) a run); $after_changed bytes after" \
  "$SIZE_RUNS more runs changing 1 % ($(((after_changed - after_unchanged) / SIZE_RUNS)) a run)"
log "for scale: the listing's paths alone, gzip -9: $(cd "$SRC" && find . -type f | gzip -9 | wc -c) bytes"
