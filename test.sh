#!/usr/bin/env bash
# Builds everything and runs every test. Installs what is missing on Debian 12.
set -euo pipefail
cd "$(dirname "$0")"

# strace, python3, the file-system tools (loop images of XFS, btrfs, FAT32 and exFAT, the
# last two through FUSE) and attr and acl serve the fault cases (tests/faults/) and the tests
# of extended attributes; FLTK and the face its texts are sized for the desktop program;
# Xvfb, xdotool, ImageMagick, openbox and wmctrl its window tests (installed here, not inside
# the test, so that a slow download cannot run into the test's time limit).
bash cmake/install-deps.sh cmake ninja-build g++ libgtest-dev libfltk1.3-dev libsystemd-dev pkg-config fonts-dejavu-extra \
  strace python3 xfsprogs btrfs-progs dosfstools fusefat exfat-fuse exfatprogs attr acl \
  xvfb xauth xdotool imagemagick openbox wmctrl

preset="${QS_PRESET:-linux}"
cmake --preset "$preset" ${QS_WERROR:+-DQS_WERROR=ON} >/dev/null
cmake --build --preset "$preset"
ctest --preset "$preset" -j2
