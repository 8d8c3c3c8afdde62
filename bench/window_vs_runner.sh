#!/usr/bin/env bash
# How long one backup of a tree of many small files takes in the window (clicked with xdotool
# under Xvfb) against quillstone-run on the same tree. Not part of the tests.
#
#   bench/window_vs_runner.sh [FILES] [ROUNDS]      (defaults: 20000 files, 3 rounds)
#
# The window's time runs from the click to the appearance of the last file the run copies
# (known from the runner's output, as both scan the tree in the same order); the runner's is
# the whole process. Afterwards the window's backup log pane is compared, line for line, with
# the end of the runner's output.
set -euo pipefail
files="${1:-20000}"
rounds="${2:-3}"
repo="$(cd "$(dirname "$0")/.." && pwd)"
build="$repo/build/linux"
bash "$repo/cmake/install-deps.sh" cmake ninja-build g++ libgtest-dev libfltk1.3-dev \
  fonts-dejavu-extra xvfb xauth xdotool openbox wmctrl >/dev/null
(cd "$repo" && cmake --preset linux >/dev/null)
cmake --build "$build" --target quillstone quillstone-run >/dev/null

work="$(mktemp -d "${TMPDIR:-/tmp}/qs-bench.XXXXXX")"
pids=()
cleanup() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
now() { date +%s.%N; }
wait_for() {  # SECONDS COMMAND...
  local deadline=$((SECONDS + $1)); shift
  until "$@" >/dev/null 2>&1; do [ "$SECONDS" -lt "$deadline" ] || return 1; sleep 0.01; done
}

echo "Making $files files..."
for ((d = 0; d < files / 1000 + (files % 1000 > 0); d++)); do
  mkdir -p "$work/source/d$d"
  for ((f = d * 1000; f < files && f < (d + 1) * 1000; f++)); do
    echo "file $f of the benchmark tree" >"$work/source/d$d/f$f.txt"
  done
done

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
pids+=($!)
wait_for 10 test -s "$work/display"
export DISPLAY=":$(cat "$work/display")"
openbox --sm-disable >/dev/null 2>&1 &
pids+=($!)
wait_for 10 wmctrl -m

runner_times=()
window_times=()
for ((round = 1; round <= rounds; round++)); do
  rm -rf "$work/target-run" "$work/target-win" "$work/dump" && mkdir -p "$work/dump"
  start=$(now)
  "$build/quillstone-run" "$work/source" "$work/target-run" >"$work/runner.log"
  runner_times+=("$(echo "$(now) - $start" | bc)")
  last="$(grep -F '] [COPIED] ' "$work/runner.log" | tail -1 | sed 's/^.*\] \[COPIED\] //')"

  printf '%s\r\n%s\r\n60\r\n0\r\n0\r\n' "$work/source" "$work/target-win" >"$work/backup_config.dat"
  (cd "$work" && QS_DUMP_PANES_ON_EXIT="$work/dump" exec "$build/quillstone") &
  app=$!
  pids+=("$app")
  wait_for 10 xdotool search --name '^Quillstone$'
  window="$(xdotool search --name '^Quillstone$')"
  window="${window%%$'\n'*}"  # the first one found
  sleep 0.5
  xdotool mousemove --window "$window" 70 205
  start=$(now)
  xdotool click 1
  wait_for 600 test -e "$work/target-win/$last"
  window_times+=("$(echo "$(now) - $start" | bc)")
  sleep 1  # the run's closing entries
  wmctrl -c Quillstone
  wait_for 30 bash -c "! kill -0 $app"

  # The pane holds the newest lines of the run: the same as the runner's, stamps aside.
  tr -d '\r' <"$work/dump/backup_log.txt" | sed 's/^\[[^]]*\] //' |
    grep -vxF '=== Log cleaned (keeping latest 100 lines) ===' >"$work/pane.txt"
  sed 's/^\[[^]]*\] //' "$work/runner.log" | sed "s|target-run|target-win|" |
    tail -n "$(wc -l <"$work/pane.txt")" >"$work/runner-tail.txt"
  if cmp -s "$work/pane.txt" "$work/runner-tail.txt"; then same=yes; else same=NO; fi
  echo "round $round: runner ${runner_times[-1]} s, window ${window_times[-1]} s," \
    "pane lines ($(wc -l <"$work/pane.txt")) as the runner's: $same"
done

median() { printf '%s\n' "$@" | sort -g | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'; }
runner=$(median "${runner_times[@]}")
window=$(median "${window_times[@]}")
echo "median of $rounds: runner $runner s, window $window s, window/runner $(echo "scale=2; $window / $runner" | bc)"
