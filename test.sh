#!/usr/bin/env bash
# Builds everything and runs every test. Installs what is missing on Debian 12.
set -euo pipefail
cd "$(dirname "$0")"

# strace and python3 serve the fault cases (tests/faults/); FLTK the desktop program.
bash cmake/install-deps.sh cmake ninja-build g++ libgtest-dev libfltk1.3-dev strace python3

preset="${QS_PRESET:-linux}"
cmake --preset "$preset" ${QS_WERROR:+-DQS_WERROR=ON} >/dev/null
cmake --build --preset "$preset"
ctest --preset "$preset" -j2
