#!/usr/bin/env bash
# Builds everything and runs every test. Installs what is missing on Debian 12.
set -euo pipefail
cd "$(dirname "$0")"

# strace, python3, the file-system tools (loop images of XFS, btrfs, FAT32 and exFAT, the
# last two through FUSE), attr and acl, FUSE 3 with its headers (a FUSE double built by a
# case, and the slow target of the progress line's tests in a terminal, tests/terminal/) and
# rclone (a WebDAV target) serve the fault cases (tests/faults/) and the tests of extended
# attributes; unicode-data the check of the case-folding table; xxHash's header the content
# hashes; libsystemd's headers the desktop notifications over the session bus; FLTK and the
# face its texts are sized for the desktop program; Xvfb, xdotool, ImageMagick, openbox and
# wmctrl its window tests; tmux the terminal tests; dunst and D-Bus's daemon and monitor the
# notifications (all installed here, not inside the tests, so that a slow download cannot run
# into a test's time limit).
bash cmake/install-deps.sh cmake ninja-build g++ libgtest-dev libxxhash-dev libsystemd-dev libfltk1.3-dev fonts-dejavu-extra \
  strace python3 xfsprogs btrfs-progs dosfstools fusefat exfat-fuse exfatprogs attr acl \
  fuse3 libfuse3-dev pkg-config rclone unicode-data \
  xvfb xauth xdotool imagemagick openbox wmctrl tmux dunst dbus-daemon dbus-bin pcmanfm

preset="${QS_PRESET:-linux}"
build="build/$preset"
cmake --preset "$preset" ${QS_WERROR:+-DQS_WERROR=ON} >/dev/null
cmake --build --preset "$preset"

# Without root the tests labelled root are skipped: they say why themselves, and a run of
# them alone takes a second, as each skips at once.
root_hint=""
if [ "$(id -u)" -ne 0 ]; then
  ctest --preset "$preset" -L root >/dev/null 2>&1 || true
  root_hint="$(bash tests/skipped_tests.sh "$build")"
  if [ -n "$root_hint" ]; then
    echo "Not running as root: these tests need root and will be skipped:"
    echo "$root_hint"
    echo "To run them as well: sudo ./test.sh"
  fi
fi

# QS_CTEST_ARGS: more arguments for ctest, e.g. "-LE plain_only" (as CI's sanitizer passes).
status=0
# shellcheck disable=SC2086
ctest --preset "$preset" -j2 ${QS_CTEST_ARGS:-} || status=$?

skipped="$(bash tests/skipped_tests.sh "$build")"
if [ -n "$skipped" ]; then
  echo "Skipped in this run, and why:"
  echo "$skipped"
  if [ -n "$root_hint" ]; then echo "Those that need root run with: sudo ./test.sh"; fi
fi
exit "$status"
