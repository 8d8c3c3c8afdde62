#!/usr/bin/env bash
# Folders dropped from a real file manager onto the window's two fields, under Xvfb with a
# small window manager: PCManFM shows a folder, its icon is dragged with the pointer (XDND)
# onto the source field, then another onto the target field; the program, closed, keeps both
# in its settings. The same for the FLTK program and for the Windows one under Wine.
#
#   window_drop_test.sh fltk QUILLSTONE OUTPUT_DIR
#   window_drop_test.sh wine QUILLSTONE.EXE OUTPUT_DIR
#
# Leaves a picture before and after each drop in OUTPUT_DIR. Every wait is bounded; Xvfb, the
# window manager, the file manager and the program are stopped whatever happens.
set -euo pipefail

kind="$1"
program="$(realpath "$2")"
out="$(mkdir -p "$3" && realpath "$3")"
repo="$(cd "$(dirname "$0")/../.." && pwd)"
bash "$repo/cmake/install-deps.sh" xvfb xdotool imagemagick openbox wmctrl pcmanfm >/dev/null
rm -f "$out"/*.png

work="$(mktemp -d "${TMPDIR:-/tmp}/qs-drop-test.XXXXXX")"
. "$repo/tests/gui/lib.sh"
remove_work=1

fail() { echo "window drop test ($kind): FAILED: $*" >&2; exit 1; }

start_display 1280x1024
start_window_manager

home="$work/home"
mkdir -p "$home" "$work/run" "$work/shelf1/photos" "$work/shelf2/vault"
# The fields hold other folders first: each drop must replace what is there.
if [ "$kind" = wine ]; then
  as_typed() { printf 'Z:%s' "${1//\//\\}"; }
  # Wine draws the menu bar inside the X window, above the client area.
  menu=19
else
  as_typed() { printf '%s' "$1"; }
  menu=25
fi
printf '%s\r\n%s\r\n60\r\n0\r\n0\r\n' "$(as_typed "$work/none1")" "$(as_typed "$work/none2")" \
  >"$work/run/backup_config.dat"

if [ "$kind" = wine ]; then
  (cd "$work/run" && exec "$repo/cmake/wine-run.sh" "$program") >"$work/program.log" 2>&1 &
else
  (cd "$work/run" && HOME="$home" exec "$program") >"$work/program.log" 2>&1 &
fi
app=$!
pids+=("$app")
wait_for 120 shown '^Quillstone$' || fail "no window appeared: $(cat "$work/program.log")"
window="$(first_window '^Quillstone$')"
sleep 2

# drop SHELF FIELD_Y NAME: opens the file manager on SHELF, drags the icon of its one folder
# onto the field at client height FIELD_Y, and closes the file manager.
drop() {
  HOME="$home" pcmanfm --no-desktop "$1" >"$work/pcmanfm.log" 2>&1 &
  local fm_pid=$!
  pids+=("$fm_pid")
  wait_for 20 shown "^${1##*/}\$" || fail "the file manager did not show ${1##*/}"
  local fm
  fm="$(first_window "^${1##*/}\$")"
  xdotool windowmove "$fm" 0 560 windowsize "$fm" 640 420
  sleep 1.5
  shot "before-drop-$3"
  # The one folder's icon is the first of the icon view, right of the side pane.
  xdotool mousemove --window "$fm" 207 99
  sleep 0.3
  xdotool mousedown 1
  sleep 0.3
  local i
  for i in 1 2 3 4 5 6; do
    xdotool mousemove --window "$window" $((60 + i * 25)) $((menu + $2 + (6 - i) * 40))
    sleep 0.2
  done
  xdotool mousemove --window "$window" 210 $((menu + $2))
  sleep 0.5
  xdotool mouseup 1
  sleep 1
  shot "after-drop-$3"
  kill "$fm_pid" 2>/dev/null || true
  wait "$fm_pid" 2>/dev/null || true
  wait_for 10 bash -c "! xdotool search --onlyvisible --name '^${1##*/}\$'" || true
}
drop "$work/shelf1" 47 source  # the source field: 10, 35, 400 x 25
drop "$work/shelf2" 107 target  # the target field: 10, 95, 400 x 25

# Closed through the window manager, by its title: an id read at the start may be stale by now.
wmctrl -c Quillstone || fail "the window manager found no window to close"
wait_for 20 bash -c "! kill -0 $app" || fail "the program did not end after the close request"
mapfile -t saved < <(tr -d '\r' <"$work/run/backup_config.dat")
sep='/'
[ "$kind" = wine ] && sep='\'
[ "${saved[0]%"$sep"}" = "$(as_typed "$work/shelf1/photos")" ] ||
  fail "saved source is '${saved[0]}', not the dropped folder"
[ "${saved[1]%"$sep"}" = "$(as_typed "$work/shelf2/vault")" ] ||
  fail "saved target is '${saved[1]}', not the dropped folder"
echo "window drop test ($kind): both fields took the folders dropped from the file manager"
echo "screenshots: $out"
