#!/usr/bin/env bash
# Draws the program's icon at every size the two systems ask for, from quillstone.svg:
# quillstone-SIZE.png for the hicolor theme and the window, quillstone.ico for Windows.
# The outputs are committed; run this again after changing the drawing.
set -euo pipefail
cd "$(dirname "$0")"
sizes=(16 24 32 48 64 128 256)
for size in "${sizes[@]}"; do
  rsvg-convert -w "$size" -h "$size" quillstone.svg -o "quillstone-$size.png"
done
# The .ico keeps 16 to 48 as they are and 256 as PNG, as Windows' own icons do.
convert quillstone-16.png quillstone-24.png quillstone-32.png quillstone-48.png \
  quillstone-256.png quillstone.ico
