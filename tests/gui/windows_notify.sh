#!/usr/bin/env bash
# The Windows notification under Wine + Xvfb: a failed quillstone-run.exe --background shows
# its notification-area icon and a balloon naming what failed, then removes the icon and ends.
# Screenshots go to the build tree (notify-smoke/).
# Usage: tests/gui/windows_notify.sh [BUILD_DIR]   (default build/windows)
set -euo pipefail

root="$(cd "$(dirname "$0")/../.." && pwd)"
build="$(cd "${1:-$root/build/windows}" && pwd)"
exe="$build/quillstone-run.exe"
if [ ! -f "$exe" ]; then
  echo "windows notification test: SKIPPED: $exe is not built yet"
  exit 0
fi

work="$build/notify-smoke"
rm -rf "$work"
mkdir -p "$work/run" "$work/src/sub" "$work/dst"

. "$root/tests/gui/lib.sh"
fail() {
  echo "windows notification test: FAILED: $*" >&2
  exit 1
}

# Three copies fail: a file stands where their folder belongs.
echo a >"$work/src/a.txt"
for i in 1 2 3; do echo "$i" >"$work/src/sub/f$i.txt"; done
echo "a file where the folder belongs" >"$work/dst/sub"
printf '%s\r\n%s\r\n60\r\n0\r\n0\r\n' "$(winpath "$work/src")" "$(winpath "$work/dst")" \
  >"$work/run/backup_config.dat"

start_display 1024x768
export WINEPREFIX="$build/wineprefix"
wine_server=1

# Wine starts its notification area (explorer.exe) on the first icon, which takes longer than
# the two seconds the runner waits for an answer: start it first, and keep the server up.
# A fresh build has no prefix yet: the first run makes it. Its server lingers a few seconds,
# and a second one cannot start beside it.
(cd "$work/run" && "$root/cmake/wine-run.sh" "$exe" --help) >/dev/null 2>&1
wineserver -w
wineserver -p
(cd "$work/run" && "$root/cmake/wine-run.sh" "$exe" --help) >/dev/null 2>&1

start=$(date +%s)
(cd "$work/run" && exec timeout 120 "$root/cmake/wine-run.sh" "$exe" --background) \
  >"$work/out.txt" 2>"$work/err.txt" &
runner=$!
shown=""
for i in $(seq 240); do
  sleep 0.5
  kill -0 "$runner" 2>/dev/null || break
  import -window root "$work/screen.png"
  if [ -z "$shown" ] && [ "$(convert "$work/screen.png" -format '%[fx:mean>0.02]' info:)" = 1 ]; then
    shown=$i
    sleep 1
    import -window root "$work/balloon.png"
  fi
done
set +e
wait "$runner"
status=$?
set -e
elapsed=$(($(date +%s) - start))
tail -n 4 "$work/out.txt"
[ "$status" -eq 1 ] || fail "exit status $status, not 1 (a failed run)"
grep -q 'Notification not shown' "$work/out.txt" &&
  fail "the runner says: $(grep 'Notification not shown' "$work/out.txt")"
[ -n "$shown" ] || fail "nothing was drawn on the screen"
[ -f "$work/balloon.png" ] || fail "no screenshot of the balloon"
import -window root "$work/after.png"
echo "runner ended after ${elapsed} s, $((elapsed - shown / 2)) s after its balloon appeared;" \
  "screen brightness with the balloon $(convert "$work/balloon.png" -format '%[fx:mean]' info:)," \
  "after the runner ended $(convert "$work/after.png" -format '%[fx:mean]' info:)"
[ "$(convert "$work/after.png" -format '%[fx:mean<0.005]' info:)" = 1 ] ||
  fail "the icon or its balloon is still on the screen after the runner ended"
echo "screenshot: $work/balloon.png"
echo "windows notification test: PASSED"
