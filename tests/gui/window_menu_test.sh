#!/usr/bin/env bash
# The desktop program driven through its menu bar and dialogs as a person would, under Xvfb
# with a small window manager: folders chosen in the chooser, an exclusion, three versioned
# runs, a restore as of the first, a file's copies, a prune after its dry run, a check that
# finds a flipped byte, the About box, and a failed run's red last-backup line. Each step's
# outcome is checked on disk and in the logs the program leaves at exit.
#
#   window_menu_test.sh QUILLSTONE OUTPUT_DIR
#
# Leaves a picture before and after each step in OUTPUT_DIR. Every wait is bounded; Xvfb, the
# window manager and the program are stopped (by their process ids) whatever happens.
set -euo pipefail

program="$(realpath "$1")"
out="$(mkdir -p "$2" && realpath "$2")"
repo="$(cd "$(dirname "$0")/../.." && pwd)"
bash "$repo/cmake/install-deps.sh" xvfb xdotool imagemagick openbox wmctrl >/dev/null
rm -f "$out"/*.png

work="$(mktemp -d "${TMPDIR:-/tmp}/qs-menu-test.XXXXXX")"
. "$repo/tests/gui/lib.sh"
remove_work=1

# --- Display and window manager ---------------------------------------------------------
start_display 1280x1024
start_window_manager

# --- A home whose FLTK preferences turn the GTK chooser off: FLTK's own one is the same
# wherever the test runs. Settings start at the defaults, with time versioning on.
home="$work/home"
src="$home/photos"
dst="$home/vault"
mkdir -p "$home/.fltk/fltk.org" "$home/Documents" "$home/Backup" "$dst" "$work/run" \
  "$work/dump" "$work/copyout" "$src/albums/summer" "$src/cache" "$src/letters"
printf '; FLTK preferences file format 1.0\n; vendor: fltk.org\n; application: fltk\n\n' \
  >"$home/.fltk/fltk.org/fltk.prefs"
printf '[.]\n\n\n[./options]\n\nFNFCUsesGTK:0\n' >>"$home/.fltk/fltk.org/fltk.prefs"
printf '%s\r\n%s\r\n60\r\n0\r\n1\r\n' "$home/Documents" "$home/Backup" \
  >"$work/run/backup_config.dat"
echo "beach, first take" >"$src/albums/summer/beach.txt"
echo "Dear reader," >"$src/letters/hello.txt"
echo "one" >"$src/notes.txt"
head -c 4096 /dev/urandom >"$src/cache/blob.bin"

start_program() {  # DUMP_DIR
  (cd "$work/run" && HOME="$home" QS_DUMP_PANES_ON_EXIT="$1" exec "$program") \
    >"$work/program.log" 2>&1 &
  app=$!
  pids+=("$app")
  wait_for 10 shown '^Quillstone$' || fail "no window appeared"
  window="$(first_window '^Quillstone$')"
  xdotool windowactivate --sync "$window" >/dev/null 2>&1 || true
  sleep 0.5
}
start_program "$work/dump"
# The controls sit below the menu bar: the table's places, this much lower.
menu=25

# Keys go through the X server's test extension to the window with the focus, as typed keys.
# menu_key LETTER LETTER: a menu and its item, by their mnemonics.
menu_key() {
  xdotool windowactivate --sync "$window" >/dev/null 2>&1 || true
  xdotool key "alt+$1"
  sleep 0.5
  xdotool key "$2"
}
# In the dialog called $1, a click at its client place $2 $3.
click_in() {
  xdotool mousemove --window "$(first_window "$1")" "$2" "$3" click 1
  sleep 0.3
}
# FLTK's chooser opens with its name field holding the start folder and a slash: rubs out
# COUNT characters of it, types NAME (no slash: a slash would move the chooser), and takes it
# (the first Enter opens a folder, the second takes it).
choose() {  # TITLE COUNT NAME FOLDER|FILE
  wait_for 10 shown "^$1\$" || fail "no chooser called '$1'"
  sleep 0.5
  local i
  for ((i = 0; i < $2; i++)); do xdotool key BackSpace; done
  xdotool type --delay 60 "$3"
  shot "chooser-typed"
  xdotool key Return
  if [ "$4" = FOLDER ]; then sleep 0.7; xdotool key Return; fi
  wait_for 10 gone "^$1\$" || fail "the chooser '$1' did not take '$3'"
}
# A run's end: the record in the target grows, and the button is pressable again.
record_size() { du -sb "$dst/.quillstone" 2>/dev/null | cut -f1 || echo 0; }
backup() {  # with Ctrl+B in the main window
  local before
  before="$(record_size)"
  xdotool windowactivate --sync "$window" >/dev/null 2>&1 || true
  xdotool key ctrl+b
  wait_for 20 bash -c "[ \"\$(du -sb '$dst/.quillstone' 2>/dev/null | cut -f1)\" != '$before' ]" ||
    fail "the run did not end"
  sleep 1
}

# --- 1. The folders, chosen in the chooser -----------------------------------------------
shot "before-choose-source"
menu_key f s
choose "Choose the Source Folder" 10 photos FOLDER  # "Documents/" out, "photos" in
shot "after-choose-source"
menu_key f t
choose "Choose the Target Folder" 7 vault FOLDER  # "Backup/" out, "vault" in
shot "after-choose-target"

# --- 2. An exclusion, then a run with Ctrl+B -----------------------------------------------
menu_key b e
wait_for 10 shown '^Exclusions$' || fail "Backup > Exclusions... opened no dialog"
shot "exclusions-open"
click_in '^Exclusions$' 160 224  # the new pattern
xdotool type --delay 20 "cache/"
click_in '^Exclusions$' 365 224  # Add
shot "exclusions-added"
click_in '^Exclusions$' 265 286  # Save
wait_for 10 gone '^Exclusions$' || fail "Save left the exclusions dialog open"
grep -qxF "cache/" "$work/run/backup_excludes.txt" ||
  fail "backup_excludes.txt lacks the line: $(cat "$work/run/backup_excludes.txt" 2>&1)"
shot "before-run-1"
backup
shot "after-run-1"
[ ! -e "$dst/cache" ] || fail "the excluded folder was copied"
diff -r -x cache -x .quillstone -x "backup_*" "$src" "$dst" >"$work/diff1" || fail "run 1: $(cat "$work/diff1")"
cp -a "$src" "$work/snap1"

# --- 3. Two more runs with changes between them, then a restore as of the first ----------
echo "two" >"$src/notes.txt"
echo "dunes" >"$src/albums/summer/dunes.txt"
rm "$src/letters/hello.txt"
sleep 1.1  # a version folder's name is its second
backup
cp -a "$src" "$work/snap2"
echo "beach, second take" >"$src/albums/summer/beach.txt"
echo "three" >"$src/notes.txt"
sleep 1.1
backup
shot "after-run-3"
cp -a "$src" "$work/snap3"
diff -r -x cache "$work/snap1" "$work/snap3" >/dev/null && fail "the runs changed nothing"

menu_key r r
wait_for 10 shown '^Restore Files$' || fail "Restore > Restore Files... opened no dialog"
sleep 2  # the moments are read on a worker
shot "restore-open"
# "Latest", then the runs newest first: the first run is the fourth line.
click_in '^Restore Files$' 100 40
xdotool key Down Down Down
sleep 1
click_in '^Restore Files$' 200 374  # the destination
xdotool type --delay 10 "$work/restored1"
shot "restore-chosen"
click_in '^Restore Files$' 365 444  # Restore
wait_for 20 diff -r -x cache "$work/snap1" "$work/restored1" ||
  fail "the restore as of run 1 differs: $(diff -r -x cache "$work/snap1" "$work/restored1" 2>&1)"
shot "restore-done"
# Only the ticked folder, as of the same run, into another folder.
click_in '^Restore Files$' 325 58  # "letters" in the tree
click_in '^Restore Files$' 200 374
xdotool key End shift+Home BackSpace
xdotool type --delay 10 "$work/restored1-letters"
shot "restore-ticked"
click_in '^Restore Files$' 365 444  # Restore
wait_for 20 diff -r "$work/snap1/letters" "$work/restored1-letters/letters" ||
  fail "the ticked folder was not restored as of run 1"
[ "$(ls -A "$work/restored1-letters")" = "letters" ] ||
  fail "the restore of one ticked folder brought more: $(ls -A "$work/restored1-letters")"
shot "restore-ticked-done"
click_in '^Restore Files$' 465 444  # Close
wait_for 10 gone '^Restore Files$' || fail "Close left the restore dialog open"

# --- 4. A file's copies, and one of them restored into a chosen folder --------------------
menu_key r v
wait_for 10 shown '^Versions of a File$' || fail "Restore > Versions of a File... opened no dialog"
shot "versions-open"
click_in '^Versions of a File$' 565 44  # Choose...
choose "Choose a file of the source folder" 0 notes.txt FILE
sleep 2  # the copies are read on a worker
shot "versions-listed"
# Newest first: the current copy, then run 3's replaced one ("two"), then run 2's ("one").
click_in '^Versions of a File$' 200 77
xdotool key Down Down
sleep 0.3
shot "versions-oldest-chosen"
click_in '^Versions of a File$' 360 334  # Restore To...
choose "Restore the copy into" 4 copyout FOLDER  # it starts in the working folder, "run/"
wait_for 10 test -f "$work/copyout/notes.txt" ||
  fail "no copy restored: $(find "$work/copyout" 2>&1)"
sleep 0.5
shot "versions-restored"
cmp "$work/snap1/notes.txt" "$work/copyout/notes.txt" || fail "the restored copy is not run 1's"
click_in '^Versions of a File$' 565 334  # Close
wait_for 10 gone '^Versions of a File$' || fail "Close left the versions dialog open"

# --- 5. Prune: what would go is shown first, and then exactly that goes ------------------
ls "$dst" >"$work/before-prune"
menu_key b p
wait_for 10 shown '^Prune Versions$' || fail "Backup > Prune Versions... opened no dialog"
shot "prune-open"
click_in '^Prune Versions$' 95 204  # Show What Would Go
sleep 2
shot "prune-shown"
click_in '^Prune Versions$' 240 204  # Prune
sleep 2
shot "prune-done"
ls "$dst" >"$work/after-prune"
click_in '^Prune Versions$' 390 204  # Close
wait_for 10 gone '^Prune Versions$' || fail "Close left the prune dialog open"

# --- 6. A check of the copies finds a byte flipped in one --------------------------------
copy="$dst/albums/summer/beach.txt"
cp -a "$copy" "$work/beach-as-copied"
printf 'X' | dd of="$copy" bs=1 seek=0 conv=notrunc status=none
touch -r "$work/beach-as-copied" "$copy"
cmp -s "$copy" "$work/beach-as-copied" && fail "the byte was not flipped"
menu_key b c
wait_for 10 shown '^Check Copies$' || fail "Backup > Check Copies... opened no dialog"
shot "check-open"
click_in '^Check Copies$' 60 90  # Check
sleep 2
shot "check-done"
click_in '^Check Copies$' 460 90  # Close
wait_for 10 gone '^Check Copies$' || fail "Close left the check dialog open"

# --- 7. Help > About Quillstone names the version and where the settings are kept ---------
menu_key h a
wait_for 10 shown '^About Quillstone$' || fail "Help > About Quillstone opened no dialog"
shot "about"
click_in '^About Quillstone$' 505 142  # OK
wait_for 10 gone '^About Quillstone$' || fail "OK left the About box open"

# --- Closing: the chosen folders are kept, and the logs say what the dialogs did ----------
close_program() {
  xdotool windowactivate --sync "$window" >/dev/null 2>&1 || true
  menu_key f x  # File > Exit
  wait_for 15 bash -c "! kill -0 $app" || fail "File > Exit did not end the program"
  wait "$app" || fail "the program exited with status $?: $(cat "$work/program.log")"
  # It writes nothing of its own there: anything is a complaint (a sanitizer's, say).
  [ ! -s "$work/program.log" ] || fail "the program wrote: $(cat "$work/program.log")"
}
close_program
mapfile -t saved < <(tr -d '\r' <"$work/run/backup_config.dat")
# FLTK's chooser gives a folder with a slash at its end.
[ "${saved[0]%/}" = "$src" ] || fail "saved source is '${saved[0]}', not the chosen $src"
[ "${saved[1]%/}" = "$dst" ] || fail "saved target is '${saved[1]}', not the chosen $dst"
[ "${saved[4]}" = 1 ] || fail "time versioning was not kept on"

log="$work/dump/backup_log.txt"
[ -f "$log" ] || fail "the program left no backup log at exit"
# What the dry run named, what the prune named, and what left the disk are the same folders.
sed -n 's/^\[[^]]*\] Version folder would be removed: \(.*\)\r$/\1/p' "$log" | sort >"$work/shown"
sed -n 's/^\[[^]]*\] Version folder removed: \(.*\)\r$/\1/p' "$log" | sort >"$work/removed"
comm -23 "$work/before-prune" "$work/after-prune" | sed "s|^|$dst/|" | sort >"$work/went"
[ -s "$work/shown" ] || fail "the dry run named no version folder"
cmp -s "$work/shown" "$work/removed" ||
  fail "the prune removed other folders than it showed: $(diff "$work/shown" "$work/removed")"
cmp -s "$work/shown" "$work/went" ||
  fail "the folders gone from the target are not those named: $(diff "$work/shown" "$work/went")"
grep -qF "] Dry run: nothing was written."$'\r' "$log" || fail "the log lacks the dry run's end"
n="$(wc -l <"$work/shown")"
grep -qF "] Pruning completed: $n removed, 0 failed."$'\r' "$log" ||
  fail "the log lacks the prune's end for $n folders"
# The check names the flipped copy, and only that one.
grep -qE "\] Damaged copy: .*albums/summer/beach\.txt \(recorded hash" "$log" ||
  fail "the check did not report the flipped byte"
[ "$(grep -c '\] Damaged copy: ' "$log")" = 1 ] || fail "the check reported more than one copy"
grep -qE "\] Check completed: .* 1 damaged, 0 changed outside the backup" "$log" ||
  fail "the check's summary lacks the damaged copy"

# --- 7. After a restart, a run that fails turns the last-backup line red ------------------
mkdir -p "$work/dump2"
start_program "$work/dump2"
label() { import -window "$window" -crop "480x20+120+$((228 + menu))" +repage "$1"; }
# The share of its pixels drawn in red.
red_share() { convert "$1" -fx 'r>0.6&&g<0.35&&b<0.35' -format '%[fx:mean]' info:; }
sleep 1.5  # the clock thread reads the target's record
label "$out/last-backup-line-before.png"
shot "restarted"
[ "$(red_share "$out/last-backup-line-before.png")" = 0 ] ||
  fail "the last-backup line is red before any run failed"
# The copy's place in the target is a folder: the file cannot be copied there.
echo "in the way" >"$src/blocker.txt"
mkdir -p "$dst/blocker.txt"
echo "held" >"$dst/blocker.txt/inside.txt"
backup
label "$out/last-backup-line-failed.png"
shot "after-failed-run"
[ "$(red_share "$out/last-backup-line-failed.png")" != 0 ] ||
  fail "the last-backup line did not turn red after the failed run"
close_program
grep -qF "] [FAILED] $src/blocker.txt"$'\r' "$work/dump2/backup_log.txt" ||
  fail "the backup log does not name the file that failed"
grep -qxF "[BACKUP COMPLETED] Copied: 0 | Updated: 0 | Failed: 1 | Time-versioned: 0"$'\r' \
  "$work/dump2/file_log.txt" || fail "the file log does not count the failure"

echo "GUI menu test passed; pictures in $out"
