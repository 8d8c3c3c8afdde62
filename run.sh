#!/usr/bin/env bash
# Builds Quillstone and opens its window. Installs what is missing on Debian 12.
# The settings file backup_config.dat is kept in the directory this is started from.
set -euo pipefail
repo="$(cd "$(dirname "$0")" && pwd)"

bash "$repo/cmake/install-deps.sh" cmake ninja-build g++ libgtest-dev libfltk1.3-dev libsystemd-dev pkg-config \
  fonts-dejavu-extra
(cd "$repo" && cmake --preset linux >/dev/null && cmake --build --preset linux --target quillstone)

if [ -z "${DISPLAY:-}" ]; then
  echo "run.sh: no display: DISPLAY is not set, and the Quillstone window needs an X display." >&2
  echo "        Without one, use the headless runner: $repo/build/linux/quillstone-run" >&2
  exit 1
fi
exec "$repo/build/linux/quillstone"
