# shellcheck shell=bash
# Helpers shared by bench/run.sh and bench/memory.sh (sourced, not run).

BENCH_SRC_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
REPO_ROOT=$(dirname "$BENCH_SRC_DIR")
WORK=${QS_BENCH_DIR:-/work/benchdata}
export LC_ALL=C

log() { printf '[bench %s] %s\n' "$(date +%H:%M:%S)" "$*" >&2; }
die() { printf 'bench: %s\n' "$*" >&2; exit 1; }

# QS_RUN is one program taking SOURCE TARGET (no arguments of its own).
resolve_runner() {
  QS_RUN=${QS_RUN:-$REPO_ROOT/build/linux/quillstone-run}
  [[ $QS_RUN == /* ]] || QS_RUN=$REPO_ROOT/$QS_RUN
  [[ -x $QS_RUN ]] || die "no runner at $QS_RUN: build it, or set QS_RUN=bench/standin-cp.sh"
}

# The floor program is built outside the repository, into $WORK.
build_floor() {
  FLOOR=$WORK/floor
  mkdir -p "$WORK"
  cc -O2 -Wall -Wextra -o "$FLOOR" "$BENCH_SRC_DIR/floor.c"
}

gen_tree() { python3 "$BENCH_SRC_DIR/gen_tree.py" "$@"; }

# Fails unless every file below $1 is present below $2, same size, not older.
verify_copy() {
  local src=$1 dst=$2 what=$3 report
  report=$("$FLOOR" --stat-walk "$src" "$dst" 2>&1) || die "verify $what: $report"
  [[ $report == *" missing=0 older=0 size_diff=0 "* ]] || die "verify $what: target differs: $report"
}
