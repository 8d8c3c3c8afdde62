#!/usr/bin/env bash
# quillstone-run.exe ($QS_WINE_EXE) under Wine, as a fault case runs quillstone-run: every
# absolute path argument is handed over as its Z: path, and the paths the runner writes are
# turned back, so that a case finds its own paths in the runner's lines. Exit status kept.
set -o pipefail
here="$(cd "$(dirname "$0")" && pwd)"
args=()
for arg in "$@"; do
  [[ $arg == /* ]] && arg="Z:${arg//\//\\}"
  args+=("$arg")
done
unix_paths() { perl -pe 'BEGIN { $| = 1 } s{Z:\\(\S*)}{"/" . ($1 =~ tr|\\|/|r)}ge'; }
"$here/../../cmake/wine-run.sh" "${QS_WINE_EXE:?set QS_WINE_EXE}" "${args[@]}" \
  2> >(unix_paths >&2) | unix_paths
