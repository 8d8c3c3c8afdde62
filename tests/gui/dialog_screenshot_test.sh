#!/usr/bin/env bash
# The FLTK window's menu bar and a dialog of every kind of control, under Xvfb with a small
# window manager, driven with xdotool; pictures of each step are left for a person to look at.
#
#   dialog_screenshot_test.sh DIALOG_STAND OUTPUT_DIR
#
# Leaves OUTPUT_DIR/menu-closed.png, menu-open.png, folder-chooser.png, dialog.png and both.png. Every wait is bounded;
# Xvfb, the window manager and the stand are stopped (by their process ids) whatever happens.
set -euo pipefail

program="$(realpath "$1")"
out="$(mkdir -p "$2" && realpath "$2")"
repo="$(cd "$(dirname "$0")/../.." && pwd)"
bash "$repo/cmake/install-deps.sh" xvfb xdotool imagemagick openbox wmctrl >/dev/null

work="$(mktemp -d "${TMPDIR:-/tmp}/qs-dialog-test.XXXXXX")"
. "$repo/tests/gui/lib.sh"
remove_work=1

start_display 1280x1024
start_window_manager

"$program" >"$work/stand.log" 2>&1 &
app=$!
pids+=("$app")
wait_for 10 shown '^Quillstone$' || fail "no main window appeared"
main="$(first_window '^Quillstone$')"
xdotool windowactivate --sync "$main" >/dev/null 2>&1 || true
sleep 0.5
import -window "$main" "$out/menu-closed.png"

# Keys go through the X server's test extension, to the window with the focus, as typed keys
# would (keys sent to a window directly confuse FLTK once its menu has grabbed the keyboard).
# The File menu, opened with its mnemonic.
xdotool key alt+f
sleep 0.7
import -window root "$out/menu-open.png"
xdotool key Escape
sleep 0.3

# Ctrl+O opens the folder chooser (the desktop's GTK one where installed); Escape cancels it.
xdotool key ctrl+o
wait_for 10 shown '^Choose the source folder$' || fail "Ctrl+O opened no chooser"
sleep 1
import -window root "$out/folder-chooser.png"
xdotool key Escape
wait_for 10 gone '^Choose the source folder$' ||
  fail "Escape left the chooser open"
sleep 0.3
xdotool windowactivate --sync "$main" >/dev/null 2>&1 || true

# Ctrl+R opens the dialog; it is a window of its own, above the main one.
xdotool key ctrl+r
wait_for 10 shown '^Every kind$' || fail "Ctrl+R opened no dialog"
dialog="$(first_window '^Every kind$')"
sleep 0.5
import -window "$dialog" "$work/dialog-before.png"
# Tick the "photos" folder (the tree's second top-level item), choose the list's third line.
xdotool mousemove --window "$dialog" 60 232 click 1
sleep 0.2
xdotool mousemove --window "$dialog" 60 146 click 1
sleep 0.5
import -window "$dialog" "$out/dialog.png"
differ "$work/dialog-before.png" "$out/dialog.png" || fail "the clicks changed nothing"
import -window root "$out/both.png"

# Escape asks the dialog to close (the stand hides it); the main window stays.
xdotool windowactivate --sync "$dialog" >/dev/null 2>&1 || true
xdotool key Escape
wait_for 5 gone '^Every kind$' ||
  fail "Escape left the dialog open"
kill -0 "$app" 2>/dev/null || fail "Escape ended the program"
wmctrl -c Quillstone
wait_for 10 bash -c "! kill -0 $app" || fail "the close request did not end the stand"
[ "$(cat "$work/stand.log")" = "chosen: (nothing)" ] || fail "the stand wrote: $(cat "$work/stand.log")"
echo "Pictures: $out/{menu-closed,menu-open,folder-chooser,dialog,both}.png"
