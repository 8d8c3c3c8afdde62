# What the window tests share, sourced after `set -euo pipefail` once `work` names the test's
# own folder: a display of its own (so nothing shows on a developer's screen), a window
# manager, bounded waits, and every process the test started stopped whatever happens.
#
# The test puts what it starts into `pids` (stopped and waited for at the end) or, for the
# program under Wine, into `app_pid` (stopped only: Wine's children are the server's). Set
# `remove_work=1` to have `work` removed at the end unless QS_KEEP_GUI_TEST is set, and
# `wine_server=1` to stop the Wine server first.

pids=()
app_pid=""
remove_work=""
wine_server=""
gui_cleanup() {
  local pid
  [ -z "$app_pid" ] || kill "$app_pid" 2>/dev/null || true
  [ -z "$wine_server" ] || wineserver -k 2>/dev/null || true
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  [ -z "$remove_work" ] || [ -n "${QS_KEEP_GUI_TEST:-}" ] || rm -rf "$work"
}
trap gui_cleanup EXIT

# A test's own `fail`, defined before or after this, is the one used.
declare -F fail >/dev/null || fail() {
  echo "FAIL: $*" >&2
  exit 1
}
# wait_for SECONDS COMMAND...: retries COMMAND every 0.1 s until it succeeds or time is up.
wait_for() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@" >/dev/null 2>&1; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.1
  done
}
first_window() { local w; w="$(xdotool search --onlyvisible --name "$1")"; echo "${w%%$'\n'*}"; }
shown() { [ -n "$(xdotool search --onlyvisible --name "$1" 2>/dev/null || true)" ]; }
gone() { ! shown "$1"; }
differ() { [ "$(compare -metric AE "$1" "$2" null: 2>&1 || true)" != "0" ]; }
step=0
# shot NAME: the whole screen as it is now, into $out, numbered in the order taken.
shot() {
  step=$((step + 1))
  sleep 0.4
  import -window root "$out/$(printf '%02d' "$step")-$1.png"
}
# Z: is the Linux root under Wine.
winpath() { printf 'Z:%s' "${1//\//\\}"; }

# start_display WIDTHxHEIGHT: an Xvfb screen of that size, which DISPLAY then names.
start_display() {
  Xvfb -displayfd 3 -screen 0 "$1x24" -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
  pids+=($!)
  wait_for 10 test -s "$work/display" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
  export DISPLAY=":$(head -n1 "$work/display")"
}

start_window_manager() {
  openbox --sm-disable >"$work/wm.log" 2>&1 &
  pids+=($!)
  wait_for 10 wmctrl -m || fail "the window manager did not start"
}
