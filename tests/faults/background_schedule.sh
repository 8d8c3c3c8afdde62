#!/usr/bin/env bash
# quillstone-run --schedule: the systemd user units it writes pass systemd-analyze verify, say
# what they should, and fire every interval by systemd's own reading of their calendars; the
# service's command line, run by hand in its working folder, makes a real backup. Without a
# user manager the units stay written, exit status 1 and one sentence with the command. With
# a real user manager (systemd --user, in a mount namespace of the case's own), install
# enables the timer, a run missed while the timer was away is caught up as soon as it is
# back, show tells the next run, and remove takes it all away.
source "$(dirname "$0")/lib.sh"

qs_require_tool systemd-analyze systemd
qs_require_tool python3 python3
unset DBUS_SESSION_BUS_ADDRESS XDG_RUNTIME_DIR

SETTINGS="$WORK/my settings 100%"  # a blank and a specifier character, for the escaping
UNITS=$WORK/config/systemd/user
SRC=$WORK/src
DST=$WORK/dst
mkdir -p "$SETTINGS" "$SRC/sub" "$WORK/runtime"
chmod 700 "$WORK/runtime"
echo a >"$SRC/a.txt"
echo b >"$SRC/sub/b.txt"

# settings MINUTES: backup_config.dat of the settings folder, backing up SRC into DST.
settings() { printf '%s\n%s\n%s\n0\n0\n' "$SRC" "$DST" "$1" >"$SETTINGS/backup_config.dat"; }

# schedule NAME ACTION: the runner's --schedule ACTION in the settings folder.
schedule() {
  local name=$1
  shift
  set +e
  (cd "$SETTINGS" && XDG_CONFIG_HOME=$WORK/config timeout -k 5 "$QS_RUN_LIMIT" "$QS_RUNNER" \
    --schedule "$@" >"$WORK/$name.out" 2>"$WORK/$name.err")
  QS_RC=$?
  set -e
  qs_show "$name"
}

unit_has() { grep -qxF -- "$2" "$UNITS/$1"; }
verify_units() {
  XDG_RUNTIME_DIR=$WORK/runtime systemd-analyze --user verify \
    "$UNITS/quillstone-backup.timer" "$UNITS/quillstone-backup.service" >"$WORK/verify.txt" 2>&1
}

# ExecStart= of the service as systemd reads it back, run by hand in its WorkingDirectory.
run_service_by_hand() {
  python3 - "$UNITS/quillstone-backup.service" >"$WORK/by-hand.out" 2>&1 <<'EOF'
import shlex, subprocess, sys
unit = dict(line.split("=", 1) for line in open(sys.argv[1]).read().splitlines() if "=" in line)
folder = unit["WorkingDirectory"].replace("%%", "%")
words = shlex.split(unit["ExecStart"].replace("%%", "%").replace("$$", "$"))
print("in", folder, "runs", words)
sys.exit(subprocess.run(words, cwd=folder).returncode)
EOF
}

# fires_every MINUTES: every OnCalendar= of the timer, read by systemd-analyze over two days
# from a fixed midnight, gives one elapse every MINUTES, none missing or doubled.
fires_every() {
  local expression
  : >"$WORK/elapses.txt"
  while IFS= read -r expression; do
    systemd-analyze calendar --iterations=3000 --base-time='2026-12-08 23:59:59 UTC' \
      "$expression" >"$WORK/calendar.txt" 2>&1 || return 1
    sed -n 's/.*\(Next elapse\|Iter\. #[0-9]*\): *//p' "$WORK/calendar.txt" >>"$WORK/elapses.txt"
  done < <(sed -n 's/^OnCalendar=//p' "$UNITS/quillstone-backup.timer")
  python3 - "$1" "$WORK/elapses.txt" <<'EOF'
import datetime, sys
period = int(sys.argv[1]) * 60
times = sorted({datetime.datetime.strptime(l.split(" ", 1)[1].strip(), "%Y-%m-%d %H:%M:%S %Z")
                for l in open(sys.argv[2]) if l.strip()})
start = datetime.datetime(2026, 12, 9)
times = [t for t in times if start <= t < start + datetime.timedelta(days=2)]
gaps = {(b - a).total_seconds() for a, b in zip(times, times[1:])}
print(len(times), "elapses, gaps", gaps)
sys.exit(0 if times and times[0] == start and gaps == {period} else 1)
EOF
}

# Without a user manager: written, not enabled, and the sentence says how to enable it.
settings 15
schedule no-manager install
qs_check "no manager: exit status 1" qs_status_is 1
qs_check "no manager: one sentence says how to enable it" qs_log_has no-manager \
  "Enable it in your desktop session with:"
qs_check "no manager: the command on a line of its own, to copy" qs_log_has no-manager \
  "  systemctl --user daemon-reload && systemctl --user enable --now quillstone-backup.timer"
qs_check "timer: every 15 minutes by the calendar" \
  unit_has quillstone-backup.timer "OnCalendar=*-*-* *:00/15:00"
qs_check "timer: catches up a missed run" unit_has quillstone-backup.timer "Persistent=true"
qs_check "timer: started with the user's timers" \
  unit_has quillstone-backup.timer "WantedBy=timers.target"
qs_check "service: one run at a time, to its end" unit_has quillstone-backup.service "Type=oneshot"
qs_check "service: runs in the settings folder (% escaped)" \
  unit_has quillstone-backup.service "WorkingDirectory=$WORK/my settings 100%%"
qs_check "service: runs this runner in the background" \
  unit_has quillstone-backup.service "ExecStart=\"$QS_RUNNER\" --background"
qs_check "units pass systemd-analyze --user verify" verify_units
cat "$WORK/verify.txt"
qs_check "the preference is not set by an install that is not enabled" \
  [ ! -e "$SETTINGS/backup_preferences.txt" ]

qs_check "the service's command line makes a real backup" run_service_by_hand
sed -n 1,3p "$WORK/by-hand.out"
qs_check "by hand: the files are in the target" qs_same "$SRC/sub/b.txt" "$DST/sub/b.txt"

for minutes in 15 45 50 90 1440; do
  settings "$minutes"
  schedule "calendar-$minutes" install
  period=$(sed -n 's/^Description=Quillstone backup every \([0-9]*\) minutes$/\1/p' \
    "$UNITS/quillstone-backup.timer")
  qs_check "interval $minutes: systemd reads a run every $period minutes" fires_every "$period"
  tail -n 1 "$WORK/elapses.txt"
done
qs_check "interval 50: said to run every 48 minutes" qs_log_has calendar-50 "runs every 48 minutes"

schedule removed-without-manager remove
qs_check "remove without a manager: exit status 0" qs_status_is 0
qs_check "remove without a manager: the units are gone" [ ! -e "$UNITS/quillstone-backup.timer" ]

# With a real user manager. systemd --user runs only where systemd booted the system: the case
# gives it a /run/systemd/system of its own in a private mount namespace.
if ! command -v unshare >/dev/null || [ ! -x /lib/systemd/systemd ] || [ "$(id -u)" -ne 0 ]; then
  echo "(no unshare, systemd or root here: the real user manager is not tried)"
  qs_finish
  exit
fi
cat >"$WORK/with-manager.sh" <<'EOF'
set -euo pipefail
WORK=$1 RUNNER=$2 SETTINGS=$3
mkdir -p "$WORK/fake-run-systemd/system" "$WORK/home" "$WORK/rt"
chmod 700 "$WORK/rt"
mount --bind "$WORK/fake-run-systemd" /run/systemd
export HOME=$WORK/home XDG_RUNTIME_DIR=$WORK/rt XDG_CONFIG_HOME=$WORK/config
/lib/systemd/systemd --user >"$WORK/manager.log" 2>&1 &
MANAGER=$!
trap 'kill $MANAGER 2>/dev/null; wait $MANAGER 2>/dev/null' EXIT
for _ in $(seq 100); do systemctl --user is-system-running >/dev/null 2>&1 && break
  [ "$(systemctl --user is-system-running 2>&1)" = degraded ] && break; sleep 0.1; done
check() { local what=$1; shift; if "$@"; then echo "ok - $what"; else echo "FAILED - $what"; fi; }
in_settings() { (cd "$SETTINGS" && "$RUNNER" "$@"); }
printf '%s\n%s\n15\n0\n0\n' "$WORK/src" "$WORK/dst2" >"$SETTINGS/backup_config.dat"
in_settings --schedule install >"$WORK/install.out" 2>&1 && status=0 || status=$?
cat "$WORK/install.out"
check "manager: install exits 0" [ "$status" -eq 0 ]
check "manager: the timer is enabled" systemctl --user is-enabled --quiet quillstone-backup.timer
check "manager: the timer is active" systemctl --user is-active --quiet quillstone-backup.timer
check "manager: the preference is on" grep -q '^backup_when_closed=1' "$SETTINGS/backup_preferences.txt"
in_settings --schedule show >"$WORK/show.out" 2>&1
cat "$WORK/show.out"
check "manager: show gives the next run" grep -q '^Next run: ' "$WORK/show.out"
check "manager: show says it is enabled" grep -q '^Enabled: yes' "$WORK/show.out"
# A run missed while the timer was away: its last trigger two hours back.
systemctl --user stop quillstone-backup.timer
stamp=$HOME/.local/share/systemd/timers/stamp-quillstone-backup.timer
mkdir -p "$(dirname "$stamp")"
touch -d '2 hours ago' "$stamp"
check "manager: no backup before the timer is back" [ ! -e "$WORK/dst2/sub/b.txt" ]
systemctl --user start quillstone-backup.timer
for _ in $(seq 200); do [ -e "$WORK/dst2/sub/b.txt" ] && break; sleep 0.1; done
check "manager: the missed run is caught up at once" cmp -s "$WORK/src/sub/b.txt" "$WORK/dst2/sub/b.txt"
journalctl --user -u quillstone-backup.service --no-pager >"$WORK/journal.txt" 2>&1 || true
for _ in $(seq 100); do [ "$(systemctl --user show -p ActiveState --value quillstone-backup.service)" = inactive ] && break; sleep 0.1; done
check "manager: the service ended well" [ "$(systemctl --user show -p Result --value quillstone-backup.service)" = success ]
in_settings --schedule remove >"$WORK/remove.out" 2>&1 && status=0 || status=$?
cat "$WORK/remove.out"
check "manager: remove exits 0" [ "$status" -eq 0 ]
check "manager: the timer is no longer loaded" [ "$(systemctl --user show -p LoadState --value quillstone-backup.timer)" = not-found ]
check "manager: the preference is off" grep -q '^backup_when_closed=0' "$SETTINGS/backup_preferences.txt"
EOF
timeout -k 5 120 unshare --mount --propagation private \
  bash "$WORK/with-manager.sh" "$WORK" "$QS_RUNNER" "$SETTINGS" >"$WORK/with-manager.out" 2>&1 || true
sed -e 's/^/    /' "$WORK/with-manager.out"
if [ "$(grep -c '^.* - manager: install exits 0' "$WORK/with-manager.out" || true)" -eq 0 ]; then
  echo "(the user manager did not start here: $(head -c 300 "$WORK/manager.log" 2>/dev/null))"
else
  passed=$(grep -c '^ok - ' "$WORK/with-manager.out" || true)
  failed=$(grep -c '^FAILED - ' "$WORK/with-manager.out" || true)
  QS_PASSED=$((QS_PASSED + passed))
  QS_FAILED=$((QS_FAILED + failed))
fi
qs_finish
