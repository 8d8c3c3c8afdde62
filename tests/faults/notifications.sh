#!/usr/bin/env bash
# Desktop notifications of the real runner on a real session bus: a dbus-daemon of the case's
# own, the dunst notification server on an Xvfb display of its own, and dbus-monitor recording
# every Notify call. A failed --background run raises one, with its summary, body, urgency
# byte 2 (critical) and the desktop-entry hint; a successful one is quiet unless
# backup_preferences.txt asks; a background run whose settings cannot be read says so. With no
# bus, no server, or a server that never answers, the log says the notification was not
# shown and the runner does not wait. The screenshot of the notification is kept in
# notifications-test/ beside the runner.
source "$(dirname "$0")/lib.sh"

qs_require_tool Xvfb xvfb
qs_require_tool dbus-daemon dbus-daemon
qs_require_tool dbus-monitor dbus-bin
qs_require_tool dunst dunst
qs_require_tool import imagemagick
SHOTS="$(dirname "$QS_RUNNER")/notifications-test"
rm -rf "$SHOTS"
mkdir -p "$SHOTS"

SRC=$WORK/src
DST=$WORK/dst
mkdir -p "$SRC/sub" "$DST" "$WORK/run"
echo a >"$SRC/a.txt"
for i in 1 2 3; do echo "$i" >"$SRC/sub/f$i.txt"; done
printf '%s\n%s\n60\n0\n0\n' "$SRC" "$DST" >"$WORK/run/backup_config.dat"

# A display of the case's own, whatever DISPLAY says.
exec 3>"$WORK/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
QS_PIDS+=($!)
for _ in $(seq 50); do [ -s "$WORK/display" ] && break; sleep 0.1; done
[ -s "$WORK/display" ] || qs_skip "Xvfb did not start: $(cat "$WORK/xvfb.log")"
export DISPLAY=":$(head -n1 "$WORK/display")"

# start_bus NAME: a session bus that activates nothing, so that a server is there only when
# the case starts one. Leaves its address in BUS.
start_bus() {
  cat >"$WORK/$1.conf" <<EOF
<busconfig>
  <type>session</type>
  <listen>unix:dir=$WORK</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
EOF
  dbus-daemon --config-file="$WORK/$1.conf" --fork --nosyslog --print-address=1 --print-pid=1 \
    >"$WORK/$1.bus"
  QS_PIDS+=("$(sed -n 2p "$WORK/$1.bus")")
  BUS=$(sed -n 1p "$WORK/$1.bus")
}

# wait_for_server: until something owns org.freedesktop.Notifications on $BUS.
wait_for_server() {
  for _ in $(seq 100); do
    DBUS_SESSION_BUS_ADDRESS=$BUS dbus-send --session --print-reply --dest=org.freedesktop.DBus \
      /org/freedesktop/DBus org.freedesktop.DBus.NameHasOwner \
      string:org.freedesktop.Notifications >"$WORK/owner.txt" 2>&1 || true
    [ "$(grep -c 'boolean true' "$WORK/owner.txt")" -gt 0 ] && return 0
    sleep 0.1
  done
  return 1
}

# bg_run NAME DIR BUS: quillstone-run --background in DIR on the session bus BUS, bounded in
# time: its log in $WORK/NAME.out, its status in QS_RC, its time in ms in ELAPSED_MS.
bg_run() {
  local name=$1 dir=$2 bus=$3 start
  start=$(date +%s%N)
  set +e
  (cd "$dir" && DBUS_SESSION_BUS_ADDRESS=$bus timeout -k 5 "$QS_RUN_LIMIT" "$QS_RUNNER" \
    --background >"$WORK/$name.out" 2>"$WORK/$name.err")
  QS_RC=$?
  set -e
  ELAPSED_MS=$((($(date +%s%N) - start) / 1000000))
  qs_show "$name"
  echo "    ($ELAPSED_MS ms)"
}

# The three copies below "sub" fail: a file stands where their folder belongs.
block_target() {
  rm -rf "$DST/sub"
  echo "a file where the folder belongs" >"$DST/sub"
}

notify_calls() { grep -c 'member=Notify$' "$WORK/monitor.txt" || true; }
monitor_has() { grep -qF -- "$1" "$WORK/monitor.txt"; }
# hint_is KEY VALUE-LINE: the line after the hint's key holds the value.
hint_is() {
  grep -A1 -F "string \"$1\"" "$WORK/monitor.txt" >"$WORK/hint.txt" || true
  [ "$(grep -cF -- "$2" "$WORK/hint.txt")" -gt 0 ]
}
elapsed_below() { [ "$ELAPSED_MS" -lt "$1" ]; }
image_not_black() { [ "$(convert "$1" -format '%[fx:mean>0.01]' info:)" = 1 ]; }

start_bus main
MAIN_BUS=$BUS
DBUS_SESSION_BUS_ADDRESS=$MAIN_BUS dunst >"$WORK/dunst.log" 2>&1 &
QS_PIDS+=($!)
BUS=$MAIN_BUS
wait_for_server || qs_skip "dunst did not take the notification service: $(cat "$WORK/dunst.log")"
DBUS_SESSION_BUS_ADDRESS=$MAIN_BUS dbus-monitor \
  "type='method_call',interface='org.freedesktop.Notifications',member='Notify'" \
  >"$WORK/monitor.txt" 2>&1 &
QS_PIDS+=($!)
sleep 0.5

# A failed background run: one critical notification that names the failures.
block_target
bg_run failed "$WORK/run" "$MAIN_BUS"
sleep 1
import -window root "$SHOTS/notification.png"
qs_check "failed run: exit status 1" qs_status_is 1
qs_check "failed run: its log does not say a notification was missed" \
  qs_log_lacks failed "Notification not shown"
qs_check "failed run: one Notify call" [ "$(notify_calls)" -eq 1 ]
qs_check "failed run: the summary names how many files failed" \
  monitor_has 'string "Backup failed: 3 files could not be backed up"'
qs_check "failed run: the body names the source" monitor_has "string \"Source: $SRC/"
qs_check "failed run: the body names the target" monitor_has "Target: $DST/"
qs_check "failed run: the body gives the log's first failure" \
  monitor_has "First failure: CopyFile failed: $SRC/sub/f"
qs_check "failed run: '>' escaped for a server that reads markup (dunst does)" \
  monitor_has " -&gt; $DST/sub/f"
qs_check "failed run: critical urgency (byte 2)" hint_is urgency "byte 2"
qs_check "failed run: the desktop entry" hint_is desktop-entry 'string "quillstone"'
qs_check "failed run: the application's name" monitor_has 'string "Quillstone"'
qs_check "failed run: the notification is drawn" image_not_black "$SHOTS/notification.png"
cp "$WORK/monitor.txt" "$SHOTS/notify-call.txt"

# A successful run is quiet, unless the window's preference asks for it.
rm "$DST/sub"
bg_run quiet "$WORK/run" "$MAIN_BUS"
sleep 0.5
qs_check "successful run: exit status 0" qs_status_is 0
qs_check "successful run: no notification" [ "$(notify_calls)" -eq 1 ]
printf 'notify_on_success=1\n' >"$WORK/run/backup_preferences.txt"
echo b >"$SRC/b.txt"
bg_run told "$WORK/run" "$MAIN_BUS"
sleep 0.5
qs_check "success asked for: a second Notify call" [ "$(notify_calls)" -eq 2 ]
qs_check "success asked for: it says what was copied" \
  monitor_has 'string "Backup completed: 1 copied, 0 updated"'
qs_check "success asked for: normal urgency (byte 1)" hint_is urgency "byte 1"

# A background run whose settings cannot be read says so in a notification too.
mkdir -p "$WORK/nosettings"
bg_run nosettings "$WORK/nosettings" "$MAIN_BUS"
sleep 0.5
qs_check "no settings: exit status 2" qs_status_is 2
qs_check "no settings: a notification says the settings cannot be read" \
  monitor_has 'string "Backup failed: its settings cannot be read"'

# A name that is not UTF-8 (a POSIX name may hold any bytes; the bus takes UTF-8 only) still
# gets its notification, the stray byte shown as U+FFFD.
bad=$'d\xff'
mkdir -p "$WORK/badsrc/$bad" "$WORK/baddst"
echo x >"$WORK/badsrc/$bad/f.txt"
echo "a file where the folder belongs" >"$WORK/baddst/$bad"
before=$(notify_calls)
start=$(date +%s%N)
set +e
(cd "$WORK/run" && DBUS_SESSION_BUS_ADDRESS=$MAIN_BUS timeout -k 5 "$QS_RUN_LIMIT" "$QS_RUNNER" \
  --background "$WORK/badsrc" "$WORK/baddst" >"$WORK/badname.out" 2>"$WORK/badname.err")
QS_RC=$?
set -e
sleep 0.5
qs_check "name not UTF-8: exit status 1" qs_status_is 1
qs_check "name not UTF-8: its log does not say a notification was missed" \
  qs_log_lacks badname "Notification not shown"
qs_check "name not UTF-8: one more Notify call" [ "$(notify_calls)" -eq $((before + 1)) ]
qs_check "name not UTF-8: the stray byte shown as U+FFFD" monitor_has "$WORK/badsrc/d"$'\xef\xbf\xbd'"/f.txt"

# No bus at all.
block_target
bg_run nobus "$WORK/run" "unix:path=$WORK/no-such-bus"
qs_check "no bus: exit status 1 as before" qs_status_is 1
qs_check "no bus: one log line says why" qs_log_has nobus \
  "] Notification not shown: no session bus (Error: 2 (No such file or directory))"
qs_check "no bus: it comes after the run's last line" \
  [ "$(tail -n 1 "$WORK/nobus.out" | grep -c 'Notification not shown')" -eq 1 ]

# A bus without a notification server.
start_bus empty
bg_run noserver "$WORK/run" "$BUS"
qs_check "no server: one log line says why" qs_log_has noserver \
  "] Notification not shown: no notification service on the session bus (org.freedesktop.DBus.Error.ServiceUnknown"

# A server that takes the name and never answers: the runner waits for it a bounded time.
if /usr/bin/python3 -c "import dbus" 2>/dev/null; then
  start_bus silent
  SILENT_BUS=$BUS
  DBUS_SESSION_BUS_ADDRESS=$SILENT_BUS /usr/bin/python3 -c '
import dbus, time
bus = dbus.SessionBus()
bus.request_name("org.freedesktop.Notifications")
time.sleep(120)' &
  QS_PIDS+=($!)
  wait_for_server || qs_skip "the silent server did not take the name"
  bg_run silent "$WORK/run" "$SILENT_BUS"
  qs_check "silent server: the log says it did not answer" qs_log_has silent \
    "] Notification not shown: the notification service did not answer within a second"
  qs_check "silent server: the runner did not wait long (under 5 s)" elapsed_below 5000
else
  echo "(python3-dbus missing: the silent server is not tried)"
fi

echo "screenshot: $SHOTS/notification.png"
qs_finish
