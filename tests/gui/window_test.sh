#!/usr/bin/env bash
# The desktop program in a real window under Xvfb with a small window manager, driven with
# xdotool: a manual backup, the two check boxes, edited fields, Escape, a resize, the close
# request, and a restart that brings the settings back and starts the scheduler by itself.
#
#   window_test.sh QUILLSTONE OUTPUT_DIR
#
# Leaves OUTPUT_DIR/screenshot.png. Every wait is bounded; Xvfb, the window manager and the
# program are stopped (by their process ids) whatever happens.
set -euo pipefail

program="$(realpath "$1")"
out="$(mkdir -p "$2" && realpath "$2")"
repo="$(cd "$(dirname "$0")/../.." && pwd)"
bash "$repo/cmake/install-deps.sh" xvfb xdotool imagemagick openbox wmctrl >/dev/null

work="$(mktemp -d "${TMPDIR:-/tmp}/qs-gui-test.XXXXXX")"
. "$repo/tests/gui/lib.sh"
remove_work=1


# --- Display and window manager ---------------------------------------------------------
start_display 1280x1024
start_window_manager

# --- A source tree and saved settings -----------------------------------------------------
mkdir -p "$work/run" "$work/source/letters" "$work/dump1" "$work/dump2"
echo "Dear reader," >"$work/source/letters/hello.txt"
echo "A list of things." >"$work/source/notes.txt"
printf '%s\r\n%s\r\n%s\r\n0\r\n0\r\n' "$work/source" "$work/target" 5 >"$work/run/backup_config.dat"

start_program() {  # DUMP_DIR
  (cd "$work/run" && QS_DUMP_PANES_ON_EXIT="$1" exec "$program") >"$work/program.log" 2>&1 &
  app=$!
  pids+=("$app")
  wait_for 10 xdotool search --name '^Quillstone$' || fail "no window appeared"
  window="$(xdotool search --name '^Quillstone$')"
  window="${window%%$'\n'*}"  # the first one found
  xdotool windowactivate --sync "$window" >/dev/null 2>&1 || true
}
# The client area starts below the menu bar, which FLTK draws inside the window's top.
menu=24
click() { xdotool mousemove --window "$window" "$1" "$(($2 + menu))" click 1; sleep 0.3; }
# Replaces a field's text as a user would: click, select all, type.
type_into() { click "$1" "$2"; xdotool key --window "$window" ctrl+a; xdotool type --delay 5 "$3"; }
close_program() {
  wmctrl -c Quillstone
  wait_for 15 bash -c "! kill -0 $app" || fail "the close request did not end the program"
  wait "$app" || fail "the program exited with status $?: $(cat "$work/program.log")"
  # It writes nothing of its own there: anything is a complaint (a sanitizer's, say).
  [ ! -s "$work/program.log" ] || fail "the program wrote: $(cat "$work/program.log")"
}
snap() {  # X Y W H FILE: a part of the client area as it is now
  import -window "$window" -crop "$3x$4+$1+$(($2 + menu))" +repage "$5"
}
differ() { [ "$(compare -metric AE "$1" "$2" null: 2>&1 || true)" != "0" ]; }

# --- First run: back up with one click ---------------------------------------------------
start_program "$work/dump1"
click 70 205  # Start Backup Now
wait_for 10 test -f "$work/target/letters/hello.txt" || fail "the backup made no copy"
cmp -s "$work/source/notes.txt" "$work/target/notes.txt" || fail "the copy differs"

# Escape does not close the window.
xdotool key --window "$window" Escape
sleep 0.5
kill -0 "$app" 2>/dev/null || fail "Escape closed the window"

# The window can be resized; the buttons stay where they were.
snap 10 190 320 30 "$work/buttons-before.png"
xdotool windowsize "$window" 800 700
sleep 0.5
snap 10 190 320 30 "$work/buttons-after.png"
differ "$work/buttons-before.png" "$work/buttons-after.png" && fail "the buttons moved on resize"

# Time versioning on, a new target and interval, automatic backup on.
click 290 167                          # Enable Time Versioning
type_into 200 107 "$work/target2"      # Target Directory
type_into 50 167 "7"                   # Backup Interval
click 130 167                          # Enable Auto Backup
# The countdown moves once a second.
snap 420 100 180 20 "$work/countdown1.png"
sleep 1.5
snap 420 100 180 20 "$work/countdown2.png"
import -window root "$out/screenshot.png"
differ "$work/countdown1.png" "$work/countdown2.png" || fail "the countdown did not move"

close_program
expected="$(printf '%s\r\n%s\r\n7\r\n1\r\n1\r\n' "$work/source" "$work/target2")"
[ "$(cat "$work/run/backup_config.dat")" = "$expected" ] ||
  fail "saved settings: $(od -c -N 160 "$work/run/backup_config.dat")"

log="$work/dump1/backup_log.txt"
for line in "[COPIED] letters/hello.txt" "Backup operation completed." \
    "=== Time versioning ENABLED ===" "=== Auto backup started ===" \
    "=== Next backup in 7 minutes ===" "=== Auto backup stopped ==="; do
  grep -qF "] $line"$'\r' "$log" || fail "backup log lacks '$line'"
done
[ "$(grep -c $'\r$' "$log")" = "$(wc -l <"$log")" ] || fail "a backup log line lacks its CR LF"
grep -qxF "[BACKUP COMPLETED] Copied: 2 | Updated: 0 | Failed: 0 | Time-versioned: 0"$'\r' \
  "$work/dump1/file_log.txt" || fail "file log lacks its closing entry"
[ "$(head -n 1 "$work/dump1/file_log.txt")" = "=== File Operation Log ==="$'\r' ] ||
  fail "file log lacks its header"

# --- Restart: the five settings come back and the scheduler starts by itself -------------
start_program "$work/dump2"
sleep 1
close_program
[ "$(cat "$work/run/backup_config.dat")" = "$expected" ] || fail "settings did not come back"
grep -qF "] === Next backup in 7 minutes ===" "$work/dump2/backup_log.txt" ||
  fail "the scheduler did not start by itself"

echo "GUI test passed; screenshot: $out/screenshot.png"
