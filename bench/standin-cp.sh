#!/usr/bin/env bash
# Stands in for quillstone-run until it is built (QS_RUN=bench/standin-cp.sh):
# copies the files below SOURCE that are missing or older below TARGET, with cp.
set -euo pipefail
[[ $# -eq 2 ]] || { echo "usage: standin-cp.sh SOURCE TARGET" >&2; exit 2; }
mkdir -p -- "$2"
exec cp -a -u -- "$1/." "$2/"
