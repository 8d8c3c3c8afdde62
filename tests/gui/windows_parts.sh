#!/usr/bin/env bash
# The Win32 window's menu bar and a dialog with a control of each kind, in real windows under
# Wine + Xvfb (tests/tools/window_parts_show.cc): a menu entry clicked, Ctrl+B, Enter and
# Escape in the dialog reach the program as its commands. Screenshots go to the build tree.
# Usage: tests/gui/windows_parts.sh [BUILD_DIR]   (default build/windows)
set -euo pipefail

root="$(cd "$(dirname "$0")/../.." && pwd)"
build="$(cd "${1:-$root/build/windows}" && pwd)"
exe="$build/qs_window_parts_show.exe"
[ -f "$exe" ] || { echo "windows parts test: SKIPPED: $exe is not built yet"; exit 0; }

work="$build/gui-parts"
rm -rf "$work"
mkdir -p "$work"
commands="$work/commands.txt"
: >"$commands"

. "$root/tests/gui/lib.sh"
fail() {
  echo "windows parts test: FAILED: $*" >&2
  exit 1
}

start_display 1024x768

# Z: is the Linux root under Wine.
"$root/cmake/wine-run.sh" "$exe" "Z:${commands//\//\\}" >"$work/app.log" 2>&1 &
app_pid=$!

main="$(timeout 120 xdotool search --sync --name '^Quillstone$')" || fail "the window did not appear"
main="${main%%$'\n'*}"
dialog="$(timeout 30 xdotool search --sync --name '^Restore Files$')" ||
  fail "the dialog did not appear"
dialog="${dialog%%$'\n'*}"
sleep 2
import -window root "$work/parts-start.png"

# Expects the commands file to end with this line.
expect_last() {
  for _ in $(seq 50); do [ "$(tail -n1 "$commands")" = "$1" ] && return 0; sleep 0.1; done
  fail "expected \"$1\" last, the commands were: $(tr '\n' ',' <"$commands")"
}

# The menu bar's "Backup" clicked (Wine draws the bar at the top of the X window), then its
# entry "Dry Run" by its mnemonic; then Ctrl+B with a field of the main window focused.
eval "$(xdotool getwindowgeometry --shell "$main")"
echo "main window: ${WIDTH}x${HEIGHT} at $X,$Y"
xdotool mousemove --window "$main" 53 11 click 1
sleep 1
import -window root "$work/parts-menu-open.png"
xdotool key --clearmodifiers d
expect_last "main 202"
xdotool mousemove --window "$main" 30 25 click 1  # the source field, left of the dialog
sleep 0.5
xdotool key --clearmodifiers ctrl+b
expect_last "main 201"

# In the dialog: Enter presses "Restore", Escape is its close request.
xdotool mousemove --window "$dialog" 200 285 click 1  # its field
sleep 0.5
import -window root "$work/parts-dialog.png"
xdotool key --clearmodifiers Return
expect_last "dialog 25"
xdotool key --clearmodifiers Escape
expect_last "dialog 0"

xdotool mousemove --window "$main" 30 25 click 1
sleep 0.5
xdotool key --clearmodifiers alt+F4
for _ in $(seq 100); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app_pid" 2>/dev/null && fail "the program did not end after the close request"
app_pid=""
expect_last "main 0"
echo "commands: $(tr '\n' ',' <"$commands")"
echo "screenshots: $work/parts-start.png $work/parts-menu-open.png $work/parts-dialog.png"
echo "windows parts test: PASSED"
