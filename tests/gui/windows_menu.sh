#!/usr/bin/env bash
# The Windows program's menu and dialogs end to end, under Wine + Xvfb: an exclusion added in
# Backup > Exclusions... and a Ctrl+B run that leaves the excluded folder out; a folder restored
# through Restore > Restore Files... as of an earlier run; copies checked after a byte of one
# was flipped; a failed run that turns the last-backup line red; the folders chosen in the
# system's chooser, a file's copies listed and one restored into a chosen folder, a prune
# shown before it is done, and the About box. Results are read on disk and in the logs the
# program writes when it ends (QS_DUMP_PANES_ON_EXIT). A screenshot before and after each step
# goes to the build tree.
# Usage: tests/gui/windows_menu.sh [BUILD_DIR]   (default build/windows)
set -euo pipefail

root="$(cd "$(dirname "$0")/../.." && pwd)"
build="$(cd "${1:-$root/build/windows}" && pwd)"
exe="$build/quillstone.exe"
[ -f "$exe" ] || { echo "windows menu test: SKIPPED: $exe is not built yet"; exit 0; }

work="$build/gui-menu"
rm -rf "$work"
mkdir -p "$work"
shots=()

. "$root/tests/gui/lib.sh"
fail() {
  echo "windows menu test: FAILED: $*" >&2
  exit 1
}

start_display 1024x768

shot() {
  import -window root "$work/$1.png"
  shots+=("$work/$1.png")
}

# Starts the program in $1/run with the settings already there.
start_app_as_saved() {
  (cd "$1/run" && QS_DUMP_PANES_ON_EXIT="$(winpath "$1/run")" \
    exec "$root/cmake/wine-run.sh" "$exe") >"$1/app.log" 2>&1 &
  app_pid=$!
  main="$(timeout 120 xdotool search --sync --name '^Quillstone$')" ||
    fail "the window did not appear"
  main="${main%%$'\n'*}"
  sleep 2
}

# Starts the program in $1/run with settings for source $1/src, target $1/dst and time
# versioning $2 (0 or 1); its panes are written to $1/run when it ends.
start_app() {
  local case="$1"
  mkdir -p "$case/run"
  printf '%s\r\n%s\r\n60\r\n0\r\n%s\r\n' "$(winpath "$case/src")" "$(winpath "$case/dst")" "$2" \
    >"$case/run/backup_config.dat"
  start_app_as_saved "$case"
}

stop_app() {
  xdotool mousemove --window "$main" 300 5 click 1  # the menu bar's empty end
  xdotool key --clearmodifiers Escape
  xdotool windowfocus "$main" 2>/dev/null || true
  xdotool key --window "$main" --clearmodifiers alt+F4
  for _ in $(seq 200); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$app_pid" 2>/dev/null && fail "the program did not end after the close request"
  app_pid=""
  # The next program's window must not be taken for this one's, still being torn down.
  for _ in $(seq 100); do xdotool search --name '^Quillstone$' >/dev/null 2>&1 || break; sleep 0.1; done
  [ -f "$1/run/backup_log.txt" ] || fail "the program wrote no backup log on exit"
}

# A menu of the bar (Wine draws it at the top of the X window), then an entry by its mnemonic.
menu() {
  xdotool mousemove --window "$main" "$1" 11 click 1
  sleep 1
  xdotool key --clearmodifiers "$2"
}
backup_menu() { menu 53 "$1"; }
restore_menu() { menu 100 "$1"; }

find_dialog() {
  dialog="$(timeout 30 xdotool search --sync --name "^$1\$")" || fail "\"$1\" did not appear"
  dialog="${dialog%%$'\n'*}"
  sleep 1
}
# Dialogs are top-level windows without a window manager: the X window is the client area.
dclick() { xdotool mousemove --window "$dialog" "$1" "$2" click 1; sleep 0.5; }

# The chooser's name field has the focus: a whole path typed there and Enter take that file or
# folder.
choose_in() {  # TITLE PATH [NAME of its screenshot]
  local chooser
  chooser="$(timeout 30 xdotool search --sync --name "^$1\$")" || fail "no chooser \"$1\""
  chooser="${chooser%%$'\n'*}"
  sleep 3  # it lists its start folder first
  xdotool type --delay 20 "$(winpath "$2")"
  shot "chooser-typed-${3:-x}"
  # On a busy machine the first Enter may only open the folder typed (the chooser is still
  # filling its view); the next takes the folder it then shows.
  local try
  for try in 1 2 3; do
    xdotool key --clearmodifiers Return
    for _ in $(seq 120); do xdotool search --name "^$1\$" >/dev/null 2>&1 || break; sleep 0.1; done
    xdotool search --name "^$1\$" >/dev/null 2>&1 || break
    shot "chooser-still-open-${3:-x}-$try"
  done
  xdotool search --name "^$1\$" >/dev/null 2>&1 && fail "the chooser \"$1\" did not take $2"
  sleep 0.5
}

# Ctrl+B with the main window focused; waits until the file $1 holds the text $2.
ctrl_b() {
  xdotool windowfocus "$main" 2>/dev/null || true
  xdotool key --window "$main" --clearmodifiers ctrl+b
  for _ in $(seq 300); do
    [ -f "$1" ] && [ "$(cat "$1")" = "$2" ] && break
    sleep 0.1
  done
  [ -f "$1" ] && [ "$(cat "$1")" = "$2" ] || fail "the run did not copy ${1##*/}"
  sleep 2  # the run's closing lines
}

# --- An exclusion added in its dialog, then a run that leaves the folder out. ---
one="$work/exclusion"
mkdir -p "$one/src/cache" "$one/src/sub"
printf 'alpha\n' >"$one/src/a.txt"
printf 'beta\n' >"$one/src/sub/b.txt"
printf 'cached\n' >"$one/src/cache/c.bin"
start_app "$one" 0
shot exclusion-before
backup_menu e
find_dialog Exclusions
dclick 160 224  # the pattern field: 10, 212, 300 x 25
xdotool type --delay 50 'cache/'
sleep 0.5
dclick 365 224  # "Add": 320, 212, 90 x 25
shot exclusion-added
dclick 265 286  # "Save": 220, 272, 90 x 28
for _ in $(seq 50); do [ -f "$one/run/backup_excludes.txt" ] && break; sleep 0.1; done
ctrl_b "$one/dst/sub/b.txt" beta
shot exclusion-after-run
stop_app "$one"
grep -qx 'cache/' <(tr -d '\r' <"$one/run/backup_excludes.txt") ||
  fail "backup_excludes.txt lacks the line: $(od -c -N 200 "$one/run/backup_excludes.txt")"
[ -e "$one/dst/cache" ] && fail "the excluded folder was copied"
diff -r -x cache -x .quillstone "$one/src" "$one/dst" >"$work/exclusion.diff" ||
  fail "the rest was not copied as it is: $(cat "$work/exclusion.diff")"
echo "exclusion: cache/ saved in backup_excludes.txt; the run copied all but cache"

# --- A folder restored as of the first of two runs, with changes between them. ---
two="$work/restore"
mkdir -p "$two/src/sub"
printf 'one\n' >"$two/src/a.txt"
printf 'beta\n' >"$two/src/sub/b.txt"
start_app "$two" 1
ctrl_b "$two/dst/a.txt" one
cp -a "$two/src" "$two/run1"
sleep 1  # the runs' moments are whole seconds apart
printf 'two\n' >"$two/src/a.txt"
printf 'gamma\n' >"$two/src/sub/c.txt"
rm "$two/src/sub/b.txt"
ctrl_b "$two/dst/a.txt" two
shot restore-before
restore_menu r
find_dialog 'Restore Files'
sleep 3  # the moments are read on a worker
dclick 120 40  # the list's first line ("Latest"): 10, 30, 240 x 300
xdotool key --clearmodifiers End  # moments newest first: the first run is the last line
sleep 2  # its tree is read on a worker
dclick 210 374  # the field to restore into: 10, 362, 400 x 25
xdotool type --delay 20 "$(winpath "$two/into")"
shot restore-chosen
dclick 365 444  # "Restore": 320, 430, 90 x 28
for _ in $(seq 100); do [ -f "$two/into/sub/b.txt" ] && break; sleep 0.1; done
sleep 2
shot restore-after
stop_app "$two"
diff -r "$two/run1" "$two/into" >"$work/restore.diff" ||
  fail "the restore is not the first run's tree: $(cat "$work/restore.diff")"
echo "restore: the folder restored as of the first run equals its snapshot"

# --- Copies checked after a byte of one was flipped, its time kept. ---
three="$work/check"
mkdir -p "$three/src"
printf 'alpha\n' >"$three/src/a.txt"
printf 'steady\n' >"$three/src/s.txt"
start_app "$three" 0
ctrl_b "$three/dst/a.txt" alpha
printf 'alphA\n' >"$three/flipped"
touch -r "$three/dst/a.txt" "$three/flipped"
cp -p "$three/flipped" "$three/dst/a.txt"
shot check-before
backup_menu c
find_dialog 'Check Copies'
dclick 60 90  # "Check": 10, 76, 100 x 28
sleep 5
shot check-after
stop_app "$three"
tr -d '\r' <"$three/run/backup_log.txt" >"$work/check_log.txt"
grep -c '] Damaged copy: .*\\dst\\a\.txt (recorded hash ' "$work/check_log.txt" \
  >"$work/check_count.txt" || fail "the check named no damaged a.txt: $(cat "$work/check_log.txt")"
grep -c '] Check completed: 2 of 2 copies read, .* 1 damaged, ' "$work/check_log.txt" \
  >"$work/check_count.txt" || fail "the check's summary is not of one damaged copy of two"
echo "check: the flipped copy a.txt is named damaged in the backup log, one of two read"

# --- A run that fails: a file in the target stands where a source folder's copy must go (the
# tests may run as root, whom no permission stops); the last-backup line turns red. ---
four="$work/failed"
mkdir -p "$four/src/sub" "$four/dst"
printf 'alpha\n' >"$four/src/a.txt"
printf 'beta\n' >"$four/src/sub/b.txt"
printf 'in the way\n' >"$four/dst/sub"
start_app "$four" 0
shot failed-before
ctrl_b "$four/dst/a.txt" alpha
# The X window holds the menu bar above the client area: the line (client 120, 228, 480 x 20)
# lies within this band, whatever the bar's height.
import -window "$main" -crop 480x40+120+230 +repage "$work/failed-line.png"
shots+=("$work/failed-line.png")
shot failed-after
stop_app "$four"
red="$(convert "$work/failed-line.png" -fx 'r>0.6 && g<0.3 && b<0.3' -format '%[fx:mean*w*h]' info:)"
echo "red pixels in the last-backup line after the failed run: $red"
[ "${red%.*}" -gt 20 ] || fail "the last-backup line is not red after a failed run"
tr -d '\r' <"$four/run/backup_log.txt" >"$work/failed_log.txt"
grep -c ' 1 failed' "$work/failed_log.txt" >"$work/failed_count.txt" ||
  fail "the run's summary counts no failed file: $(cat "$work/failed_log.txt")"
echo "failed run: one file failed, and the last-backup line shows it in red"

# --- Folders chosen in the system's chooser; three versioned runs; a file's copies listed and
# the oldest restored into a folder chosen in the chooser; a prune shown before it is done. ---
five="$work/versions"
mkdir -p "$five/src/sub" "$five/dst" "$five/elsewhere" "$five/copyout"
printf 'one\n' >"$five/src/a.txt"
printf 'beta\n' >"$five/src/sub/b.txt"
# The settings name other folders: the chooser must replace them.
mkdir -p "$five/run"
printf '%s\r\n%s\r\n60\r\n0\r\n1\r\n' "$(winpath "$five/elsewhere")" "$(winpath "$five/elsewhere")" \
  >"$five/run/backup_config.dat"
start_app_as_saved "$five"
shot choose-before
# On a busy machine the program may not take its first click yet: the menu is tried again.
menu_chooser() {  # X KEY TITLE
  local try
  for try in 1 2 3; do
    menu "$1" "$2"
    for _ in $(seq 150); do xdotool search --name "^$3\$" >/dev/null 2>&1 && return 0; sleep 0.1; done
    xdotool key --clearmodifiers Escape
  done
  return 0
}
menu_chooser 18 s 'Choose the Source Folder'
choose_in 'Choose the Source Folder' "$five/src" source
menu_chooser 18 t 'Choose the Target Folder'
choose_in 'Choose the Target Folder' "$five/dst" target
shot choose-after
ctrl_b "$five/dst/a.txt" one
cp -a "$five/src" "$five/run1"
sleep 1.1  # a version folder's name is its second
printf 'two\n' >"$five/src/a.txt"
ctrl_b "$five/dst/a.txt" two
sleep 1.1
printf 'three\n' >"$five/src/a.txt"
ctrl_b "$five/dst/a.txt" three
restore_menu v
find_dialog 'Versions of a File'
shot versions-open
dclick 565 44  # "Choose...": 520, 32, 90 x 25
choose_in 'Choose a file of the source folder' "$five/src/a.txt" file
sleep 2  # the copies are read on a worker
shot versions-listed
dclick 200 77  # the list's first line: newest first, the current copy
xdotool key --clearmodifiers Down Down  # run 2's replaced copy ("one"), the oldest
sleep 0.5
shot versions-oldest-chosen
dclick 360 334  # "Restore To...": 310, 320, 100 x 28
choose_in 'Restore the copy into' "$five/copyout" copy
for _ in $(seq 100); do [ -f "$five/copyout/a.txt" ] && break; sleep 0.1; done
shot versions-restored
cmp "$five/run1/a.txt" "$five/copyout/a.txt" || fail "the restored copy is not the first run's"
dclick 565 334  # "Close": 520, 320, 90 x 28
ls "$five/dst" >"$work/before-prune"
backup_menu p
find_dialog 'Prune Versions'
shot prune-open
dclick 95 204  # "Show What Would Go"
sleep 2
shot prune-shown
ls "$five/dst" >"$work/after-dry-run"
cmp -s "$work/before-prune" "$work/after-dry-run" || fail "the dry run of the prune removed something"
dclick 240 204  # "Prune"
sleep 2
shot prune-done
ls "$five/dst" >"$work/after-prune"
dclick 390 204  # "Close"
menu 145 a  # Help > About Quillstone
find_dialog 'About Quillstone'
shot about
xdotool key --clearmodifiers Escape
sleep 0.5
stop_app "$five"
mapfile -t saved < <(tr -d '\r' <"$five/run/backup_config.dat")
[ "${saved[0]%\\}" = "$(winpath "$five/src")" ] || fail "saved source is ${saved[0]}, not the chosen one"
[ "${saved[1]%\\}" = "$(winpath "$five/dst")" ] || fail "saved target is ${saved[1]}, not the chosen one"
tr -d '\r' <"$five/run/backup_log.txt" >"$work/versions_log.txt"
sed -n 's/^\[[^]]*\] Version folder would be removed: \(.*\)$/\1/p' "$work/versions_log.txt" |
  sed 's/.*\\//' | sort >"$work/shown"
sed -n 's/^\[[^]]*\] Version folder removed: \(.*\)$/\1/p' "$work/versions_log.txt" |
  sed 's/.*\\//' | sort >"$work/removed"
comm -23 "$work/before-prune" "$work/after-prune" >"$work/went"
[ -s "$work/shown" ] || fail "the prune's dry run named no version folder: $(cat "$work/versions_log.txt")"
cmp -s "$work/shown" "$work/removed" || fail "the prune removed others than it showed"
cmp -s "$work/shown" "$work/went" || fail "the folders gone are not those named"
echo "chooser: source and target chosen in the system's chooser and kept in the settings"
echo "versions: the first run's copy of a.txt restored into a folder chosen in the chooser"
echo "prune: $(wc -l <"$work/shown") version folder(s) shown by the dry run, then exactly those removed"

echo "screenshots: ${shots[*]}"
echo "windows menu test: PASSED"
