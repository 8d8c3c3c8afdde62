#!/usr/bin/env bash
# The Windows package under Wine, in a prefix of its own: both stripped programs carry the
# manifest, icon and version resources; quillstone-setup.exe installs per user with a
# Start-menu shortcut that starts the window in %APPDATA%\Quillstone; the uninstaller removes
# the programs and the shortcuts and leaves the settings there alone.
# Usage: tests/packages/windows_installer.sh [BUILD_DIR]   (default build/windows; run
# ./package-windows.sh first)
set -euo pipefail

# One display for the whole test: the uninstaller runs on as a copy of itself after the
# program started ends, and must not lose its display with it.
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run --auto-servernum --server-args="-screen 0 1024x768x24" "$0" "$@"
fi

root="$(cd "$(dirname "$0")/../.." && pwd)"
build="$(cd "${1:-$root/build/windows}" && pwd)"
fail() { echo "windows package test: FAILED: $*" >&2; exit 1; }

# --- Resources of the packed programs ------------------------------------------------------
for exe in "$build"/package/quillstone/quillstone{,-run}.exe; do
  name="$(basename "$exe")"
  types="$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n '/Resource Directory section/,$p' |
    sed -n 's/^[0-9a-f]\{3\}   Entry: ID: 0x0000\(..\),.*/\1/p' | tr '\n' ' ')"
  # 03 icon, 0e icon group, 10 version, 18 manifest
  [ "$types" = "03 0e 10 18 " ] || fail "$name has resource types '$types'"
  # Each text read whole before it is searched: grep -q at the end of a pipe would stop the
  # writer half way (SIGPIPE), and pipefail would fail the check at random.
  narrow="$(strings "$exe")"
  for entry in PerMonitorV2 'Microsoft.Windows.Common-Controls' '>UTF-8<' '>true<' \
      '8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a'; do
    grep -qF -- "$entry" <<<"$narrow" || fail "$name: the manifest lacks $entry"
  done
  wide="$(strings -el "$exe")"
  grep -qx -- "$name" <<<"$wide" || fail "$name: the version information lacks its name"
  sections="$(x86_64-w64-mingw32-objdump -h "$exe")"
  grep -q '\.debug' <<<"$sections" && fail "$name still has debug sections"
  echo "$name: manifest, icon and version resources; no debug sections; $(stat -c %s "$exe") bytes"
done

# --- Install, start-menu shortcut, uninstall -------------------------------------------------
export QS_WINEPREFIX="$build/installer-prefix"
export WINEPREFIX="$QS_WINEPREFIX"  # for wineserver --wait
rm -rf "$QS_WINEPREFIX"
run() { "$root/cmake/wine-run.sh" "$@"; }
run "$build/quillstone-setup.exe" /S
wineserver --wait
user_dir=""
for dir in "$QS_WINEPREFIX"/drive_c/users/*/AppData; do
  [[ $dir == */Public/* ]] || { user_dir=$dir; break; }
done
programs="$user_dir/Local/Programs/Quillstone"
settings="$user_dir/Roaming/Quillstone"
menu="$user_dir/Roaming/Microsoft/Windows/Start Menu/Programs/Quillstone"
for file in quillstone.exe quillstone-run.exe README.txt uninstall.exe; do
  [ -f "$programs/$file" ] || fail "the installer did not install $file"
done
cmp -s "$programs/quillstone.exe" "$build/package/quillstone/quillstone.exe" ||
  fail "the installed quillstone.exe differs from the packed one"
[ -d "$settings" ] || fail "the installer made no %APPDATA%\\Quillstone"
[ -f "$menu/Quillstone.lnk" ] || fail "no Start-menu shortcut"
link="$(strings -el "$menu/Quillstone.lnk")"
grep -qi 'AppData\\Roaming\\Quillstone$' <<<"$link" ||
  fail "the shortcut does not start in %APPDATA%\\Quillstone: $link"
echo "install: programs in %LOCALAPPDATA%\\Programs\\Quillstone, shortcut starts in %APPDATA%\\Quillstone"

printf 'C:\\src\r\nC:\\dst\r\n60\r\n0\r\n0\r\n' >"$settings/backup_config.dat"
run "$programs/uninstall.exe" /S
wineserver --wait
[ ! -e "$programs" ] || fail "the uninstaller left $(ls "$programs")"
[ ! -e "$menu" ] || fail "the uninstaller left the Start-menu folder"
[ -f "$settings/backup_config.dat" ] || fail "the uninstaller removed the user's settings"
echo "uninstall: programs and shortcuts gone, %APPDATA%\\Quillstone\\backup_config.dat kept"
echo "windows package test: PASSED"
