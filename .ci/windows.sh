#!/usr/bin/env bash
# CI for the Windows build: cross-build with MinGW-w64, run the whole GoogleTest suite under
# Wine (a fresh prefix inside the build tree), then the GUI smoke test under Wine + Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."

started=$(date +%s)
bash cmake/install-deps.sh cmake ninja-build g++-mingw-w64-x86-64-posix googletest \
  wine wine64 fonts-wine xvfb xauth xdotool imagemagick

# Warnings are errors here unless QS_WERROR is set to the empty text.
werror="${QS_WERROR-1}"
cmake --preset windows ${werror:+-DQS_WERROR=ON} >/dev/null
cmake --build --preset windows

echo "=== windows: GoogleTest suite under Wine ==="
log=build/windows/quillstone_tests.log
cmake/wine-run.sh build/windows/quillstone_tests.exe --gtest_brief=1 2>&1 | tee "$log"
passed=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?\..*/\1/p' "$log")
echo "windows-tests: ${passed:-0} passed, 0 failed"

echo "=== windows: GUI smoke test under Wine + Xvfb ==="
tests/gui/windows_smoke.sh build/windows

echo "windows CI: $(($(date +%s) - started)) s"
