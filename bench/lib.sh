# shellcheck shell=bash
# Helpers shared by the bench scripts (sourced, not run).

BENCH_SRC_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
REPO_ROOT=$(dirname "$BENCH_SRC_DIR")
WORK=${QS_BENCH_DIR:-/work/benchdata}
export LC_ALL=C

log() { printf '[bench %s] %s\n' "$(date +%H:%M:%S)" "$*" >&2; }
die() { printf 'bench: %s\n' "$*" >&2; exit 1; }

# bench_needs PACKAGE...: installs the Debian packages a script needs that are missing (gcc
# builds floor.c, python3 runs gen_tree.py; each script names the rest).
bench_needs() { bash "$REPO_ROOT/cmake/install-deps.sh" gcc libc6-dev python3 "$@" >&2; }

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

# first_line COMMAND...: the first line COMMAND prints, read whole first (a pipe into head
# would stop it half way, which pipefail turns into a failure).
first_line() {
  local text
  text=$("$@")
  printf '%s\n' "${text%%$'\n'*}"
}

# Fails unless every file below $1 is present below $2, same size, not older.
verify_copy() {
  local src=$1 dst=$2 what=$3 report
  report=$("$FLOOR" --stat-walk "$src" "$dst" 2>&1) || die "verify $what: $report"
  [[ $report == *" missing=0 older=0 size_diff=0 "* ]] || die "verify $what: target differs: $report"
}

# ---- shared by the timing scripts (run.sh, slow_target.sh) -------------------

warm_cache() { find "$1" -type f -print0 | xargs -0 -r cat >/dev/null; }

# Makes the VM hand back the memory the run will need: write, then free it.
# Uses TREE_MIB and SHM_EXTRA_MIB.
press_memory() {
  local fill=/dev/shm/qs-bench-fill.$$
  dd if=/dev/zero of="$fill" bs=1M count=$((TREE_MIB + SHM_EXTRA_MIB)) status=none
  rm -f -- "$fill"
}

# rotated REP NAME...: the names, starting at REP mod count (round-robin order).
rotated() {
  local rep=$1 i
  shift
  for ((i = 0; i < $#; i++)); do
    local k=$(((rep + i) % $# + 1))
    echo "${!k}"
  done
}

# touch_and_check SRC DST COUNT: rewrites the same COUNT files below SRC with a newer time
# (so that each run has them all to copy) and checks that exactly those are stale below DST.
touch_and_check() {
  local src=$1 dst=$2 count=$3 report
  gen_tree touch "$src" --count "$count"
  sync
  report=$("$FLOOR" --stat-walk "$src" "$dst" 2>&1) || die "stat-walk: $report"
  [[ $report == *" older=$count "* ]] || die "expected $count stale files: $report"
}

# stats "T1 T2 ...": "median min max"
stats() {
  tr -s ' ' '\n' <<<"$1" | sed '/^$/d' | sort -g | awk '{ v[NR] = $1 }
    END { m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
          printf "%.3f %.3f %.3f", m, v[1], v[NR] }'
}

median() { local s; s=$(stats "$1"); echo "${s%% *}"; }
