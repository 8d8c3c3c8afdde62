#!/usr/bin/env bash
# CI hook: the process-level fault cases alone (./test.sh runs them too, with every test).
# Most need root: tmpfs mounts, runs as nobody. QS_PRESET picks the build (default linux).
set -euo pipefail
cd "$(dirname "$0")/.."

bash cmake/install-deps.sh cmake ninja-build g++ libgtest-dev strace python3

preset="${QS_PRESET:-linux}"
cmake --preset "$preset" ${QS_WERROR:+-DQS_WERROR=ON} >/dev/null
cmake --build --preset "$preset" --target quillstone-run
ctest --preset "$preset" -L faults -j2
