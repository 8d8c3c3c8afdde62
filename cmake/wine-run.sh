#!/usr/bin/env bash
# Runs a Windows program under Wine with a Wine prefix of its own inside the build tree, so
# nothing outside the tree is touched and every clean build starts from a fresh prefix.
# Usage: cmake/wine-run.sh PROGRAM.exe [ARGS...]   (QS_WINEPREFIX overrides the prefix)
set -euo pipefail

# Windows of USER32 need a display, even when they are never shown.
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run --auto-servernum --server-args="-screen 0 1024x768x24" "$0" "$@"
fi

program="$1"
shift
build_dir="$(cd "$(dirname "$program")" && pwd)"
export WINEPREFIX="${QS_WINEPREFIX:-$build_dir/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko installer prompts while the prefix is made.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
# Local-time texts are compared against UTC in the tests; Wine takes its zone from TZ.
export TZ="${TZ:-UTC}"
# Wine turns file names and arguments into UTF-16 through the Unix locale's character set:
# under C or POSIX every non-ASCII name would be garbled before the program sees it. The
# Windows code page stays that of an English Windows (1252).
export LC_ALL=C.UTF-8

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot --init >/dev/null 2>&1 || true
  wineserver --wait || true
fi
# Wine's own fonts (Debian's fonts-wine) in the prefix, so that texts are measured and drawn
# in the faces Wine gives a program, as on Windows, not in whatever the host substitutes.
fonts="$WINEPREFIX/drive_c/windows/Fonts"
if [ -d /usr/share/wine/fonts ] && [ ! -f "$fonts/tahoma.ttf" ]; then
  mkdir -p "$fonts"
  cp /usr/share/wine/fonts/* "$fonts/"
fi
exec wine "$program" "$@"
