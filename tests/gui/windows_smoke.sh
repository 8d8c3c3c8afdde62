#!/usr/bin/env bash
# GUI smoke test of the Windows program under Wine + Xvfb: the window comes up with its
# controls, "Start Backup Now" copies a small tree with its last-write times, Tab and Shift+Tab
# move the focus through the fields and check boxes, and the close request saves
# backup_config.dat with CR LF lines. Screenshots go to the build tree.
# Usage: tests/gui/windows_smoke.sh [BUILD_DIR]   (default build/windows)
set -euo pipefail

root="$(cd "$(dirname "$0")/../.." && pwd)"
build="$(cd "${1:-$root/build/windows}" && pwd)"
exe="$build/quillstone.exe"
if [ ! -f "$exe" ]; then
  echo "windows GUI smoke test: SKIPPED: $exe is not built yet" \
    "(the desktop program needs the portable app code, app/app_main.cc)"
  exit 0
fi

work="$build/gui-smoke"
rm -rf "$work"
mkdir -p "$work/run" "$work/src/sub"

. "$root/tests/gui/lib.sh"

fail() {
  echo "windows GUI smoke test: FAILED: $*" >&2
  exit 1
}

# A small tree with known last-write times, and settings that point at it.
printf 'alpha\n' >"$work/src/a.txt"
printf 'beta\n' >"$work/src/sub/b.txt"
touch -d '2024-03-01 10:00:00 UTC' "$work/src/a.txt"
touch -d '2023-07-15 08:30:05 UTC' "$work/src/sub/b.txt"
source_dir="$(winpath "$work/src")"
target_dir="$(winpath "$work/dst")"
printf '%s\r\n%s\r\n60\r\n0\r\n0\r\n' "$source_dir" "$target_dir" >"$work/run/backup_config.dat"

start_display 1024x768

(cd "$work/run" && exec "$root/cmake/wine-run.sh" "$exe") >"$work/app.log" 2>&1 &
app_pid=$!

window="$(timeout 120 xdotool search --sync --name '^Quillstone$')" ||
  fail "the window did not appear"
window="${window%%$'\n'*}"  # the first one found
# Without a window manager the X window is the client area with the menu bar above it (19
# pixels at 96 dots per inch): control positions apply below the bar.
menu=19
click() { xdotool mousemove --window "$window" "$1" "$(($2 + menu))" click 1; }
sleep 2
import -window root "$work/window-start.png"
geometry="$(xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: //p')"
echo "window client area: $geometry (outer size 620x640)"

click 70 205  # "Start Backup Now": x 10, y 190, 120 x 30
for _ in $(seq 300); do [ -f "$work/dst/sub/b.txt" ] && break; sleep 0.1; done
sleep 2  # the run's closing log lines
import -window root "$work/window-after-backup.png"
for file in a.txt sub/b.txt; do
  [ -f "$work/dst/$file" ] || fail "$file was not copied"
  cmp -s "$work/src/$file" "$work/dst/$file" || fail "$file differs from its source"
  [ "$(stat -c %y "$work/src/$file")" = "$(stat -c %y "$work/dst/$file")" ] ||
    fail "$file lost its last-write time"
done
echo "backup: a.txt and sub/b.txt copied with their last-write times"

# The keyboard alone: Tab from the interval field to "Enable Auto Backup", on to "Enable Time
# Versioning", Space ticks it, Shift+Tab twice comes back to the field (which Tab selects
# whole), and the typed interval replaces it. Enter and Escape there start and toggle nothing:
# a newer source file stays uncopied.
printf 'alpha, changed\n' >"$work/src/a.txt"
click 60 167  # the interval field: x 10, y 155, 100 x 25
sleep 0.5
xdotool key --clearmodifiers Tab
sleep 0.3
xdotool key --clearmodifiers Tab
sleep 0.3
xdotool key --clearmodifiers space
sleep 0.3
xdotool key --clearmodifiers shift+Tab
sleep 0.3
xdotool key --clearmodifiers shift+Tab
sleep 0.3
xdotool type --delay 50 15
xdotool key --clearmodifiers Return Escape
sleep 2
import -window root "$work/window-keyboard.png"
cmp -s "$work/dst/a.txt" <(printf 'alpha\n') || fail "Enter or Escape in a field started a backup"
xdotool windowfocus "$window" 2>/dev/null || true
xdotool key --clearmodifiers alt+F4  # the close request
for _ in $(seq 200); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app_pid" 2>/dev/null && fail "the program did not end after the close request"
app_pid=""

printf '%s\r\n%s\r\n15\r\n0\r\n1\r\n' "$source_dir" "$target_dir" >"$work/expected_config.dat"
cmp -s "$work/expected_config.dat" "$work/run/backup_config.dat" ||
  fail "backup_config.dat is not as expected: $(od -c -N 80 "$work/run/backup_config.dat")"
echo "close: backup_config.dat saved with the interval typed and the box ticked from the keyboard"
echo "screenshots: $work/window-start.png $work/window-after-backup.png $work/window-keyboard.png"
echo "windows GUI smoke test: PASSED"
