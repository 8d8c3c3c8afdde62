#!/usr/bin/env bash
# The Debian package: its contents, then a real `apt install` of it (dependencies resolved by
# apt), the installed programs, manual page and desktop entry, a start from the desktop entry
# that runs the window in $XDG_CONFIG_HOME/quillstone, and `apt remove`. Needs root; leaves
# the system as it found it unless quillstone was installed before (then it stops).
# Usage: tests/packages/linux_package.sh [DEB]   (default build/linux/quillstone_*_amd64.deb;
# run ./package-linux.sh first)
set -euo pipefail

root="$(cd "$(dirname "$0")/../.." && pwd)"
debs=("$root"/build/linux/quillstone_*_amd64.deb)
deb="$(realpath "${1:-${debs[0]}}")"
fail() { echo "linux package test: FAILED: $*" >&2; exit 1; }

# --- Contents --------------------------------------------------------------------------------
contents="$(dpkg-deb --contents "$deb" | awk '{print $6}' | sed 's|^\./|/|')"
for path in /usr/bin/quillstone /usr/bin/quillstone-run /usr/libexec/quillstone/quillstone-desktop \
    /usr/share/applications/quillstone.desktop /usr/share/man/man1/quillstone-run.1 \
    /usr/share/icons/hicolor/48x48/apps/quillstone.png \
    /usr/share/icons/hicolor/256x256/apps/quillstone.png \
    /usr/share/icons/hicolor/scalable/apps/quillstone.svg; do
  grep -qx "$path" <<<"$contents" || fail "the package lacks $path"
done
depends="$(dpkg-deb --field "$deb" Depends)"
for dependency in libfltk1.3 libfltk-images1.3 libx11-6 fonts-dejavu-extra; do
  grep -q "$dependency" <<<"$depends" || fail "Depends lacks $dependency: $depends"
done
echo "contents: programs, launcher, desktop entry, icons, manual page; Depends: $depends"

# --- Install, use, remove ---------------------------------------------------------------------
[ "$(id -u)" = 0 ] || { echo "linux package test: SKIPPED: apt install needs root"; exit 0; }
[[ $(dpkg-query -W -f='${Status}' quillstone 2>/dev/null) == *"install ok installed"* ]] &&
  fail "quillstone is installed already; remove it first"
work="$(mktemp -d)"
app=""
cleanup() {
  [ -n "$app" ] && kill "$app" 2>/dev/null
  DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq quillstone >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" >"$work/apt.log" 2>&1 ||
  fail "apt install: $(tail -5 "$work/apt.log")"

help="$(quillstone-run --help)"
grep -q '^usage: quillstone-run' <<<"$help" || fail "quillstone-run --help"
set +e; quillstone-run --no-such-option 2>/dev/null; status=$?; set -e
[ "$status" = 2 ] || fail "a usage error gave exit status $status"
mkdir -p "$work/src/sub" && echo hello >"$work/src/sub/a.txt"
quillstone-run "$work/src" "$work/dst" >/dev/null || fail "the installed runner failed"
cmp -s "$work/src/sub/a.txt" "$work/dst/sub/a.txt" || fail "the installed runner copied nothing"
man -w quillstone-run >/dev/null 2>&1 || [ -f /usr/share/man/man1/quillstone-run.1 ] ||
  fail "no manual page"
desktop-file-validate /usr/share/applications/quillstone.desktop || fail "desktop entry"

# The desktop entry's command, as a desktop would run it, on a display of its own.
exec_line="$(sed -n 's/^Exec=//p' /usr/share/applications/quillstone.desktop)"
export XDG_CONFIG_HOME="$work/config"
xvfb-run --auto-servernum $exec_line >"$work/app.log" 2>&1 &
app=$!
# xvfb-run runs the launcher as its child, and the launcher becomes the window program.
pid=""
for _ in $(seq 100); do
  pid="$(pgrep -x -P "$app" quillstone || true)"
  [ -n "$pid" ] && break
  sleep 0.1
done
[ -n "$pid" ] || fail "the desktop entry started no window: $(cat "$work/app.log")"
[ "$(readlink "/proc/$pid/cwd")" = "$XDG_CONFIG_HOME/quillstone" ] ||
  fail "the window runs in $(readlink "/proc/$pid/cwd"), not in \$XDG_CONFIG_HOME/quillstone"
kill "$app" "$pid" 2>/dev/null || true
wait "$app" 2>/dev/null || true
app=""
echo "install: apt installed it; runner, manual page and desktop entry work; the window starts in \$XDG_CONFIG_HOME/quillstone"

DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq quillstone >/dev/null 2>&1 || fail "apt remove"
[ ! -e /usr/bin/quillstone ] || fail "apt remove left /usr/bin/quillstone"
echo "remove: gone"
echo "linux package test: PASSED"
