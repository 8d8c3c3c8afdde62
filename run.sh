#!/usr/bin/env bash
# Builds Quillstone and opens its window. Installs what is missing on Debian 12.
# The settings file backup_config.dat is kept in the directory this is started from.
# Without an X display it says so at once, builds the headless runner alone, and exits 1.
set -euo pipefail
repo="$(cd "$(dirname "$0")" && pwd)"
runner="$repo/build/linux/quillstone-run"

if [ -z "${DISPLAY:-}" ]; then
  echo "run.sh: no display: DISPLAY is not set, and the Quillstone window needs an X display." >&2
  echo "        Building the headless runner instead." >&2
  bash "$repo/cmake/install-deps.sh" cmake ninja-build g++ libgtest-dev libxxhash-dev libsystemd-dev pkg-config
  (cd "$repo" && cmake --preset linux >/dev/null && cmake --build --preset linux --target quillstone-run)
  echo "run.sh: no display; use the headless runner: $runner SOURCE TARGET" >&2
  echo "        ($runner --help tells the rest)" >&2
  exit 1
fi

bash "$repo/cmake/install-deps.sh" cmake ninja-build g++ libgtest-dev libxxhash-dev libsystemd-dev pkg-config libfltk1.3-dev \
  fonts-dejavu-extra
(cd "$repo" && cmake --preset linux >/dev/null &&
  cmake --build --preset linux --target quillstone quillstone-run)
exec "$repo/build/linux/quillstone"
