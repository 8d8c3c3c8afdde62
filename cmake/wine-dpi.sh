#!/usr/bin/env bash
# Sets the scale of the Wine prefix that cmake/wine-run.sh uses: the dots per inch Windows
# programs see (96 = 100 %, 120 = 125 %, 144 = 150 %). Programs started afterwards get it.
# Usage: cmake/wine-dpi.sh PROGRAM.exe DPI   (the program names the prefix, as for wine-run.sh)
set -euo pipefail
program="$1"
dpi="$2"
here="$(cd "$(dirname "$0")" && pwd)"
export QS_WINEPREFIX="${QS_WINEPREFIX:-$(cd "$(dirname "$program")" && pwd)/wineprefix}"
export WINEPREFIX="$QS_WINEPREFIX"
# reg.exe is Wine's own; wine-run.sh makes the prefix and a display when there is none.
"$here/wine-run.sh" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f \
  >/dev/null
# The value is read when the Wine server starts: let this one end.
wineserver --wait
