#!/usr/bin/env bash
# The desktop program's notifications on a real session bus, under Xvfb with a small window
# manager and the dunst notification server, dbus-monitor recording every Notify call: a target
# whose last successful backup is two days old, with backups scheduled for when the window is
# closed, shows the red overdue line and raises one "Backup overdue"; a manual backup in which
# a file fails raises one critical "Backup failed". Without a bus, the backup log says the
# notification was not shown, and the window goes on.
#
#   window_notify_test.sh QUILLSTONE QS_RECORD_RUN OUTPUT_DIR
#
# Leaves OUTPUT_DIR/overdue.png (the window with the new boxes and the red line) and
# OUTPUT_DIR/failed.png (the window and the notification after the failed run).
set -euo pipefail

program="$(realpath "$1")"
record_run="$(realpath "$2")"
out="$(mkdir -p "$3" && realpath "$3")"
repo="$(cd "$(dirname "$0")/../.." && pwd)"
bash "$repo/cmake/install-deps.sh" xvfb xdotool imagemagick openbox wmctrl dunst dbus-bin \
  >/dev/null

work="$(mktemp -d "${TMPDIR:-/tmp}/qs-gui-notify.XXXXXX")"
. "$repo/tests/gui/lib.sh"
remove_work=1


# --- Display, window manager, session bus, notification server, monitor ------------------
start_display 1280x1024
start_window_manager

cat >"$work/bus.conf" <<CONF
<busconfig>
  <type>session</type>
  <listen>unix:dir=$work</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
CONF
dbus-daemon --config-file="$work/bus.conf" --fork --nosyslog --print-address=1 --print-pid=1 \
  >"$work/bus.txt"
pids+=("$(sed -n 2p "$work/bus.txt")")
bus="$(sed -n 1p "$work/bus.txt")"
DBUS_SESSION_BUS_ADDRESS=$bus dunst >"$work/dunst.log" 2>&1 &
pids+=($!)
owned() {
  DBUS_SESSION_BUS_ADDRESS=$bus dbus-send --session --print-reply --dest=org.freedesktop.DBus \
    /org/freedesktop/DBus org.freedesktop.DBus.NameHasOwner \
    string:org.freedesktop.Notifications >"$work/owner.txt" 2>&1 &&
    [ "$(grep -c 'boolean true' "$work/owner.txt")" -gt 0 ]
}
wait_for 10 owned || fail "dunst did not take the notification service"
DBUS_SESSION_BUS_ADDRESS=$bus dbus-monitor --session \
  "type='method_call',interface='org.freedesktop.Notifications',member='Notify'" \
  >"$work/monitor.txt" 2>&1 &
pids+=($!)
sleep 0.5

# --- A source with a file the target cannot take, a record two days old -------------------
mkdir -p "$work/run" "$work/source/sub" "$work/target/sub/f1.txt/in-the-way"
echo one >"$work/source/sub/f1.txt"
echo two >"$work/source/notes.txt"
"$record_run" "$work/target" 48 0
printf '%s\r\n%s\r\n60\r\n0\r\n0\r\n' "$work/source" "$work/target" >"$work/run/backup_config.dat"
printf 'backup_when_closed=1\r\n' >"$work/run/backup_preferences.txt"

start_program() {  # BUS DUMP_DIR
  (cd "$work/run" && DBUS_SESSION_BUS_ADDRESS=$1 QS_DUMP_PANES_ON_EXIT="$2" exec "$program") \
    >"$work/program.log" 2>&1 &
  app=$!
  pids+=("$app")
  wait_for 10 xdotool search --name '^Quillstone$' || fail "no window appeared"
  window="$(xdotool search --name '^Quillstone$')"
  window="${window%%$'\n'*}"
  xdotool windowactivate --sync "$window" >/dev/null 2>&1 || true
}
close_program() {
  wmctrl -c Quillstone
  wait_for 15 bash -c "! kill -0 $app" || fail "the close request did not end the program"
  wait "$app" || fail "the program exited with status $?: $(cat "$work/program.log")"
}
# The client area starts below the menu bar, which FLTK draws inside the window's top.
menu=24
click() { xdotool mousemove --window "$window" "$1" "$(($2 + menu))" click 1; }
# How many of the pixels of a part of the client area are red (the overdue line's colour).
red_pixels() {  # X Y W H
  import -window "$window" -crop "$3x$4+$1+$(($2 + menu))" +repage "$work/part.png"
  convert "$work/part.png" -fx 'r>0.6 && g<0.3 && b<0.3' -format '%[fx:mean*w*h]' info:
}
notify_calls() { grep -c 'member=Notify' "$work/monitor.txt" || true; }

mkdir -p "$work/dump1" "$work/dump2"
start_program "$bus" "$work/dump1"
wait_for 10 grep -q 'string "Backup overdue"' "$work/monitor.txt" ||
  fail "no overdue notification: $(cat "$work/monitor.txt")"
sleep 1
import -window root "$out/overdue.png"
red="$(red_pixels 180 125 420 20)"
[ "${red%.*}" -gt 20 ] || fail "the overdue line is not red ($red red pixels)"
[ "$(notify_calls)" = 1 ] || fail "the overdue stretch raised $(notify_calls) notifications"

click 70 205  # Start Backup Now
wait_for 15 grep -q 'string "Backup failed: 1 file could not be backed up"' "$work/monitor.txt" ||
  fail "no failure notification: $(cat "$work/monitor.txt")"
sleep 1
import -window root "$out/failed.png"
grep -A3 'string "Backup failed: 1 file could not be backed up"' "$work/monitor.txt" \
  >"$work/failed_call.txt"
grep -q 'sub/f1.txt' "$work/failed_call.txt" || fail "the notification does not name the file"
grep -A1 'string "urgency"' "$work/monitor.txt" >"$work/urgency.txt"
[ "$(grep -c 'byte 2' "$work/urgency.txt")" -ge 1 ] || fail "the failure was not critical"
[ "$(notify_calls)" = 2 ] || fail "expected two notifications, saw $(notify_calls)"
close_program

# --- No bus: the backup log says so, and the window goes on ------------------------------
start_program "unix:path=$work/no-such-bus" "$work/dump2"
click 70 205
sleep 3  # the run and its line; the panes are written out when the window closes
close_program
log="$work/dump2/backup_log.txt"
[ "$(grep -c '] Notification not shown: no session bus' "$log")" -ge 2 ] ||
  fail "without a bus the backup log lacks the overdue and the failure lines: $(cat "$log")"
# --- The schedule box: unticked, then ticked, sets up the runner beside the program ---------
printf 'backup_when_closed=0\r\n' >"$work/run/backup_preferences.txt"
export XDG_CONFIG_HOME="$work/config"
mkdir -p "$work/dump3"
start_program "$bus" "$work/dump3"
click 16 572  # Also back up when this window is closed
wait_for 15 test -f "$XDG_CONFIG_HOME/systemd/user/quillstone-backup.timer" ||
  fail "ticking the box wrote no timer"
sleep 2  # systemctl --user, and the line
import -window root "$out/schedule.png"
close_program
log="$work/dump3/backup_log.txt"
[ "$(grep -c '] Background schedule ' "$log")" = 1 ] ||
  fail "the schedule's outcome is not one line: $(cat "$log")"
grep -q "ExecStart=.*$(dirname "$program")/quillstone-run" \
  "$XDG_CONFIG_HOME/systemd/user/quillstone-backup.service" ||
  fail "the service does not start the runner beside the program"
if grep -q '] Background schedule installed: ' "$log"; then
  grep -qx 'backup_when_closed=1.*' "$work/run/backup_preferences.txt" ||
    fail "the installed schedule is not kept in the preferences"
else
  # No systemd user manager here: the units are written, not enabled; the box goes back.
  grep -qx $'backup_when_closed=0\r' "$work/run/backup_preferences.txt" ||
    fail "a schedule not installed was kept as on"
fi
echo "schedule box: $(grep -o 'Background schedule .*' "$log" | tr -d '\r')"
echo "GUI notification test passed; screenshots: $out/overdue.png $out/failed.png" \
  "$out/schedule.png"
