#!/usr/bin/env bash
# The Windows program's added controls under Wine + Xvfb: the two check boxes below the file
# log, and the red overdue line for a target whose last successful backup is two days old,
# with backups scheduled for when the window is closed. Screenshots go to the build tree.
# Usage: tests/gui/windows_overdue.sh [BUILD_DIR]   (default build/windows)
set -euo pipefail

root="$(cd "$(dirname "$0")/../.." && pwd)"
build="$(cd "${1:-$root/build/windows}" && pwd)"
exe="$build/quillstone.exe"
record_run="$(find "$build" -name qs_record_run.exe -print -quit)"
fail() {
  echo "windows overdue test: FAILED: $*" >&2
  exit 1
}
[ -f "$exe" ] && [ -n "$record_run" ] || fail "build quillstone.exe and qs_record_run.exe first"

work="$build/gui-overdue"
rm -rf "$work"
mkdir -p "$work/run" "$work/src" "$work/dst"
. "$root/tests/gui/lib.sh"
printf 'alpha\n' >"$work/src/a.txt"
printf '%s\r\n%s\r\n60\r\n0\r\n0\r\n' "$(winpath "$work/src")" "$(winpath "$work/dst")" \
  >"$work/run/backup_config.dat"
printf 'backup_when_closed=1\r\nnotify_on_success=1\r\n' >"$work/run/backup_preferences.txt"

wine_server=1
start_display 1024x768

"$root/cmake/wine-run.sh" "$record_run" "$(winpath "$work/dst")" 48 0 ||
  fail "the record could not be written"
(cd "$work/run" && exec "$root/cmake/wine-run.sh" "$exe") >"$work/app.log" 2>&1 &
app_pid=$!
window="$(timeout 120 xdotool search --sync --name '^Quillstone$')" ||
  fail "the window did not appear"
window="${window%%$'\n'*}"
sleep 3
# The overdue notification's balloon shows over the window for a while; then the window alone.
import -window root "$work/screen-balloon.png"
sleep 12
import -window "$window" "$work/window-overdue.png"
# Without a window manager the X window is the client area with the menu bar above it (19
# pixels at 96 dots per inch): the table's places apply below the bar.
menu=19
import -window "$window" -crop "420x20+180+$((125 + menu))" +repage "$work/overdue-line.png"
red="$(convert "$work/overdue-line.png" -fx 'r>0.6 && g<0.3 && b<0.3' -format '%[fx:mean*w*h]' info:)"
echo "red pixels in the overdue line: $red"
[ "${red%.*}" -gt 20 ] || fail "the overdue line is not red"
import -window "$window" -crop "520x25+10+$((560 + menu))" +repage "$work/boxes.png"
dark="$(convert "$work/boxes.png" -fx 'r<0.3 && g<0.3 && b<0.3' -format '%[fx:mean*w*h]' info:)"
echo "dark pixels in the row of the added check boxes: $dark"
[ "${dark%.*}" -gt 100 ] || fail "the added check boxes are not drawn"
xdotool key --window "$window" --clearmodifiers alt+F4 || true
for _ in $(seq 100); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
echo "screenshots: $work/screen-balloon.png $work/window-overdue.png $work/overdue-line.png" \
  "$work/boxes.png"
echo "windows overdue test: PASSED"
