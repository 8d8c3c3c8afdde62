#!/usr/bin/env bash
# CI hook: the process-level fault cases alone (./test.sh runs them too, with every test).
# Most need root: tmpfs mounts, loop images, runs as nobody. QS_PRESET picks the build
# (default linux).
set -euo pipefail
cd "$(dirname "$0")/.."

bash cmake/install-deps.sh cmake ninja-build g++ libgtest-dev libxxhash-dev libsystemd-dev pkg-config strace python3 \
  xfsprogs btrfs-progs dosfstools fusefat exfat-fuse exfatprogs attr acl

preset="${QS_PRESET:-linux}"
cmake --preset "$preset" ${QS_WERROR:+-DQS_WERROR=ON} >/dev/null
cmake --build --preset "$preset" --target quillstone-run qs_volume_probe qs_publish_new
ctest --preset "$preset" -L faults -j2
